// plix-capture: renders the show offline at a fixed frame rate, with its music, to a video or to frames.
#include "capture/music.h"
#include "capture/options.h"
#include "capture/output.h"
#include "capture/readback.h"
#include "capture/writer.h"
#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/frame.h"

#include <GL/gl.h>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// The first frame whose time is at or after the given second.
int64_t frameAt(double seconds, int rate) {
    return static_cast<int64_t>(std::ceil(seconds * rate - 1e-9));
}

// Audio frames run on the same grid: frame n starts at sample n * sampleRate / rate.
int64_t sampleAt(int64_t frame, int rate) {
    return frame * captureSampleRate / rate;
}

void showProgress(int64_t done, int64_t total, Clock::time_point start, bool last) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double fps = elapsed > 0.0 ? done / elapsed : 0.0;
    const double left = fps > 0.0 ? (total - done) / fps : 0.0;
    std::fprintf(stderr, "\rframes %lld/%lld  %.1f fps  %d:%02d left ", static_cast<long long>(done),
                 static_cast<long long>(total), fps, static_cast<int>(left) / 60,
                 static_cast<int>(left) % 60);
    if (last)
        std::fprintf(stderr, "\n");
}

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "plix-capture: %s\n", message.c_str());
    return status;
}

// Checks the requested size against what this GL can draw into.
bool sizeFits(int width, int height, std::string& error) {
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    if (width > dims[0] || height > dims[1]) {
        error = "size " + std::to_string(width) + "x" + std::to_string(height) +
                " is beyond this GL's limit of " + std::to_string(dims[0]) + "x" + std::to_string(dims[1]);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error))
        return fail(error, 2);
    if (options.help) {
        std::fputs(captureUsage(), stdout);
        return 0;
    }
    const double songLength = musicDuration();
    if (songLength < 0.0)
        return fail("the embedded music cannot be loaded", 1);
    const double to = options.to >= 0.0 ? options.to : songLength + closingMargin;
    if (to <= options.from)
        return fail("--from lies beyond the end of the span", 2);
    const int64_t firstFrame = frameAt(options.from, options.rate);
    const int64_t endFrame = frameAt(to, options.rate);
    const int64_t frameCount = endFrame - firstFrame;

    std::string reason;
    if (!openOffscreen(options.width, options.height, &reason))
        return fail("no offscreen OpenGL context for " + std::to_string(options.width) + "x" +
                        std::to_string(options.height) + ": " + reason,
                    3);
    // The context lives until the process ends, as the program's window does.
    if (!sizeFits(options.width, options.height, error))
        return fail(error, 2);

    std::vector<int16_t> samples;
    FrameOutput out;
    if (!renderMusic(sampleAt(firstFrame, options.rate),
                     sampleAt(endFrame, options.rate) - sampleAt(firstFrame, options.rate), samples, error) ||
        !openFrameOutput(out, options, samples, captureSampleRate, error))
        return fail(error, 1);

    // The same preparation as the program's start-up, so that the particles follow the same sequence.
    prepareShow(nullptr);
    reshapeFrame(options.width, options.height);

    startWriter(out);
    startReadback(options.width, options.height);
    const Clock::time_point start = Clock::now();
    Clock::time_point lastReport = start;
    bool ok = true;
    // Frames before the span are drawn too: the scenes carry their particles from frame to frame.
    for (int64_t frame = 0; frame < endFrame && ok; frame++) {
        advanceClock(static_cast<double>(frame) / options.rate);
        renderFrame();
        if (frame < firstFrame)
            continue;
        ok = readbackFrame(frame);
        if (Clock::now() - lastReport > std::chrono::milliseconds(500)) {
            lastReport = Clock::now();
            showProgress(frame + 1, endFrame, start, false);
        }
    }
    ok = finishReadback() && ok;
    const bool written = stopWriter(error);
    if (!ok || !written) {
        abandonFrameOutput(out);
        return fail(error.empty() ? "writing a frame failed" : error, 1);
    }
    showProgress(endFrame, endFrame, start, true);
    if (!finishFrameOutput(out, error))
        return fail(error, 1);
    std::fprintf(stderr, "plix-capture: wrote %lld frames at %d per second to %s\n",
                 static_cast<long long>(frameCount), options.rate, out.finalPath.c_str());
    return 0;
}
