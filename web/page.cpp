// The program's side of the page: states handed to the page's script, the test mode and the start read off
// its address.
#include "web/page.h"

EM_JS(void, tellPage, (const char* state, const char* message), {
    if (Module.showState)
        Module.showState(UTF8ToString(state), UTF8ToString(message));
});

// The count, with times of 0 or more in increasing order and a rate above 0, all finite; 0 without a time;
// -1 for anything else.
EM_JS(int, testModeAsked, (double* times, int capacity, double* rate), {
    const query = new URLSearchParams(location.search);
    if (!query.has("time"))
        return 0;
    const asked = query.get("time").split(",").map(Number);
    const frames = Number(query.get("rate") || 60);
    if (asked.length > capacity || !(frames > 0 && Number.isFinite(frames)))
        return -1;
    for (let i = 0; i < asked.length; i++) {
        if (!(asked[i] >= 0 && Number.isFinite(asked[i])) || (i > 0 && !(asked[i] > asked[i - 1])))
            return -1;
        HEAPF64[(times >> 3) + i] = asked[i];
    }
    HEAPF64[rate >> 3] = frames;
    return asked.length;
});

// 1 with the number that ?start= gives (NaN when it is not one), 0 without it.
EM_JS(int, startAsked, (double* seconds), {
    const start = new URLSearchParams(location.search).get("start");
    if (start == null)
        return 0;
    HEAPF64[seconds >> 3] = start.trim() ? Number(start) : NaN;
    return 1;
});
