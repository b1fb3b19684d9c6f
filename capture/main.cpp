// plix-capture: renders the show offline at a fixed frame rate, with its music, to a video or to frames.
#include "capture/music.h"
#include "capture/options.h"
#include "capture/output.h"
#include "capture/readback.h"
#include "capture/stop.h"
#include "capture/target.h"
#include "capture/wav.h"
#include "capture/writer.h"
#include "offscreen/offscreen.h"
#include "show/frame.h"
#include "show/replay.h"

#include <GL/gl.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// What is made on disk, for the handlers of a failure, a stop signal or an exception to remove.
FrameOutput out;

// The first frame whose time is at or after the given second.
int64_t frameAt(double seconds, int rate) {
    return static_cast<int64_t>(std::ceil(seconds * rate - 1e-9));
}

// The progress line of the lead-in (the frames before the span) or of the span, counted from since.
int64_t firstFrame, endFrame;
Clock::time_point since, lastReport;

void showProgress(int64_t frame, bool last) {
    const bool leadIn = frame < firstFrame || (last && frame == firstFrame);
    const int64_t done = leadIn ? frame : frame - firstFrame;
    const int64_t total = leadIn ? firstFrame : endFrame - firstFrame;
    const double elapsed = std::chrono::duration<double>(Clock::now() - since).count();
    const double fps = elapsed > 0.0 ? done / elapsed : 0.0;
    const double left = fps > 0.0 ? (total - done) / fps : 0.0;
    std::fprintf(stderr, "\r%s %lld/%lld  %.1f fps  %d:%02d left ", leadIn ? "lead-in" : "frames",
                 static_cast<long long>(done), static_cast<long long>(total), fps,
                 static_cast<int>(left) / 60, static_cast<int>(left) % 60);
    if (last)
        std::fprintf(stderr, "\n");
}

int fail(const std::string& message, int status) {
    std::fprintf(stderr, "plix-capture: %s\n", message.c_str());
    return status;
}

// Bytes a pixel of the frame costs: the pbuffer's colour and depth, two read-back buffers, up to five
// RGBA frames in the writer's queue and hands, and the RGB frame it writes.
constexpr double bytesPerPixel = 8 + 8 + 5 * 4 + 3;

// Checks that the frame's buffers fit in this machine's memory.
bool memoryFits(int width, int height, std::string& error) {
    const double need = bytesPerPixel * width * height;
    const double have =
        static_cast<double>(sysconf(_SC_PHYS_PAGES)) * static_cast<double>(sysconf(_SC_PAGESIZE));
    if (have > 0 && need > have) {
        error = "size " + sizeText(width, height) + " needs about " + std::to_string(int64_t(need / 1e6)) +
                " MB for its frames, more than the " + std::to_string(int64_t(have / 1e6)) +
                " MB of memory here";
        return false;
    }
    return true;
}

// From any thread, on a stop signal or a failure: ends the writer and the music at once and kills the
// encoder, so that no thread waits for ever on a stream that another has stopped taking or feeding.
std::atomic<bool> halted{false};

void haltCapture() {
    halted = true;
    haltWriter();
    haltMusic();
    haltFrameOutput();
}

// Between the lead-in's frames: a progress line now and then; a stop signal or a failure ends it.
bool leadInGoesOn(int64_t frame) {
    if (Clock::now() - lastReport > std::chrono::milliseconds(500)) {
        lastReport = Clock::now();
        showProgress(frame, false);
    }
    return stopSignal() == 0 && !halted;
}

// Ends both threads and removes what was made: after a failure, a stop signal or an exception.
void abandon() {
    haltCapture();
    std::string ignored;
    stopWriter(ignored);
    finishMusic(ignored);
    closeFrameOutput(out, false, ignored);
}

int stopped() {
    std::fprintf(stderr, "\nplix-capture: stopped by signal %d; nothing was kept\n", stopSignal());
    return 128 + stopSignal();
}

int capture(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!parseCaptureOptions(argc, argv, options, error))
        return fail(error, 2);
    if (options.help) {
        std::fputs(captureUsage(), stdout);
        return 0;
    }
    if (options.framesDir.empty() && !videoTargetUsable(options.output, error))
        return fail(error, 2);
    if (!memoryFits(options.width, options.height, error))
        return fail(error, 2);
    watchStopSignals(haltCapture);

    const double songLength = musicDuration();
    if (songLength < 0.0)
        return fail("the embedded music cannot be loaded", 1);
    const double to = options.to >= 0.0 ? options.to : songLength + closingMargin;
    if (options.at.empty() && to <= options.from)
        return fail("--from lies beyond the end of the span", 2);
    // With --at the span runs from the first asked frame to the last, and only those asked are written.
    std::vector<int64_t> asked;
    for (const double seconds : options.at)
        if (asked.empty() || frameAt(seconds, options.rate) != asked.back())
            asked.push_back(frameAt(seconds, options.rate));
    firstFrame = asked.empty() ? frameAt(options.from, options.rate) : asked.front();
    endFrame = asked.empty() ? frameAt(to, options.rate) : asked.back() + 1;
    // The first frame written at or after this one.
    const auto nextWritten = [&](int64_t frame) {
        return asked.empty() ? std::max(frame, firstFrame)
                             : *std::lower_bound(asked.begin(), asked.end(), frame);
    };
    const int64_t frameCount = asked.empty() ? endFrame - firstFrame : static_cast<int64_t>(asked.size());
    if (frameCount <= 0) {
        char span[160];
        std::snprintf(span, sizeof span, "the span from %g s to %g s holds no frame at %d frames a second",
                      options.from, to, options.rate);
        return fail(span, 2);
    }
    const int64_t firstSample = sampleAt(firstFrame, options.rate);
    const int64_t sampleCount = sampleAt(endFrame, options.rate) - firstSample;
    if (!options.framesDir.empty() && sampleCount > wavMaxFrames)
        return fail("a WAV file holds at most " + std::to_string(wavMaxFrames / captureSampleRate) +
                        " s of sound: shorten the span for --frames",
                    2);

    std::string reason;
    if (!openOffscreen(options.width, options.height, &reason))
        return fail(
            "no offscreen OpenGL context for " + sizeText(options.width, options.height) + ": " + reason, 3);
    // The context lives until the process ends, as the program's window does.
    GLint drawable[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, drawable);
    if (!frameSizeFits(options.width, options.height, options.rate, options.framesDir.empty(), drawable[0],
                       drawable[1], error))
        return fail(error, 2);
    if (stopSignal() != 0)
        return stopped();

    for (const std::string& left :
         leftoverWork(options.framesDir.empty() ? options.output : options.framesDir))
        std::fprintf(
            stderr,
            "plix-capture: %s is left from another run (killed, or still running); it is not removed\n",
            left.c_str());
    if (!openFrameOutput(out, options, sampleCount, error))
        return fail(error, 1);
    // The same preparation as the program's start-up, so that the particles follow the same sequence.
    prepareShow(nullptr);
    reshapeFrame(options.width, options.height);

    startWriter(out, haltCapture);
    if (!startMusic(out, firstSample, sampleCount, haltCapture, error)) {
        abandon();
        return fail(error, 1);
    }
    startReadback(options.width, options.height);
    since = lastReport = Clock::now();
    bool ok = true;
    // Frames before the span, and those between asked ones, are drawn too, as a lead-in; the frames
    // written are drawn at their size.
    for (int64_t frame = 0; frame < endFrame && ok && stopSignal() == 0 && !halted;) {
        const int64_t written = nextWritten(frame);
        if (frame < written) {
            frame = replayFrames(frame, written, options.rate, options.width, options.height, leadInGoesOn);
            continue;
        }
        if (frame == firstFrame && frame > 0) {
            showProgress(frame, true);
            since = Clock::now();
        }
        drawFrameAt(frame, options.rate);
        ok = readbackFrame(frame);
        frame++;
        if (Clock::now() - lastReport > std::chrono::milliseconds(500)) {
            lastReport = Clock::now();
            showProgress(frame, false);
        }
    }
    if (ok && stopSignal() == 0 && !halted)
        ok = finishReadback();
    if (!ok)
        haltCapture();
    ok = stopWriter(error) && ok;
    std::string musicError;
    if (!finishMusic(musicError)) {
        ok = false;
        error = error.empty() ? musicError : error;
    }
    if (stopSignal() != 0) {
        abandon();
        return stopped();
    }
    if (!ok) {
        abandon();
        return fail(error.empty() ? "writing a frame failed" : error, 1);
    }
    showProgress(endFrame, true);
    if (!closeFrameOutput(out, true, error))
        return stopSignal() != 0 ? stopped() : fail(error, 1);
    std::fprintf(stderr, "plix-capture: wrote %lld frames at %d per second to %s\n",
                 static_cast<long long>(frameCount), options.rate, out.target.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return capture(argc, argv);
    } catch (const std::exception& e) {
        abandon();
        return fail(std::string("unexpected failure: ") + e.what(), 1);
    }
}
