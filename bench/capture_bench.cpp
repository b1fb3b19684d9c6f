// Capture cost by timeline window: drawing (the frame and glFinish) and read-back (glReadPixels), per frame,
// for the whole show at a fixed rate, as plix-capture draws it. Prints what it measured.
#include "capture/music.h"
#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/frame.h"

#include <GL/gl.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// The windows of the timeline, by the times at which they begin.
int windowOf(float t) {
    return t < 2.0f ? 0 : t < 25.0f ? 1 : t < 50.0f ? 2 : t < 82.0f ? 3 : 4;
}

} // namespace

int main(int argc, char** argv) {
    const int width = argc > 1 ? std::atoi(argv[1]) : 640;
    const int height = argc > 2 ? std::atoi(argv[2]) : 480;
    const int rate = argc > 3 ? std::atoi(argv[3]) : 60;
    std::string reason;
    if (!openOffscreen(width, height, &reason)) {
        std::fprintf(stderr, "capture_bench: %s\n", reason.c_str());
        return 1;
    }
    prepareShow(nullptr);
    reshapeFrame(width, height);

    const double end = musicDuration() + 3.0;
    const long frames = static_cast<long>(end * rate);
    double draw[5] = {}, read[5] = {};
    long count[5] = {};
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    const Clock::time_point start = Clock::now();
    for (long n = 0; n < frames; n++) {
        advanceClock(static_cast<double>(n) / rate);
        const int w = windowOf(songTime);
        const Clock::time_point a = Clock::now();
        renderFrame();
        glFinish();
        const Clock::time_point b = Clock::now();
        readOffscreenPixels(rgba.data());
        const Clock::time_point c = Clock::now();
        draw[w] += seconds(a, b);
        read[w] += seconds(b, c);
        count[w]++;
    }
    const double total = seconds(start, Clock::now());
    std::printf("%dx%d at %d frames/s on %s\n", width, height, rate, offscreenRenderer());
    std::printf("window  frames  draw ms/frame  read-back ms/frame  draw+read fps\n");
    for (int w = 0; w < 5; w++)
        std::printf("%6d  %6ld  %13.2f  %18.2f  %13.1f\n", w + 1, count[w], 1000.0 * draw[w] / count[w],
                    1000.0 * read[w] / count[w], count[w] / (draw[w] + read[w]));
    std::printf("whole show: %ld frames in %.1f s = %.1f fps (real time is %d)\n", frames, total,
                frames / total, rate);
    return 0;
}
