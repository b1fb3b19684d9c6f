// The program's side of the page: states handed to the page's script, the test mode read off its address.
#include "web/page.h"

EM_JS(void, tellPage, (const char* state, const char* message), {
    if (Module.showState)
        Module.showState(UTF8ToString(state), UTF8ToString(message));
});

// 1 with a time of 0 or more and a rate above 0, both finite; 0 without a time; -1 for anything else.
EM_JS(int, testModeAsked, (double* seconds, double* rate), {
    const query = new URLSearchParams(location.search);
    if (!query.has("time"))
        return 0;
    const time = Number(query.get("time"));
    const frames = Number(query.get("rate") || 60);
    if (!(time >= 0 && Number.isFinite(time) && frames > 0 && Number.isFinite(frames)))
        return -1;
    HEAPF64[seconds >> 3] = time;
    HEAPF64[rate >> 3] = frames;
    return 1;
});
