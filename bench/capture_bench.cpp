// Capture cost at one size, over the whole show: drawing by timeline window (the frame and glFinish) and
// read-back, as plix-capture draws; the encoder alone, fed the same frames through the capture's own ffmpeg
// child and settings; and plix-capture itself. Each as frames a second. Prints what it measured.
// Usage: capture_bench [W H [RATE [FOLDER]]]; FOLDER (default /tmp) holds the frames for the encoder
// (W x H x 3 bytes each: 33 GB at 1920 x 1080) and is left as it was.
#include "capture/music.h"
#include "capture/options.h"
#include "capture/output.h"
#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/frame.h"
#include "util/pngwrite.h"

#include <GL/gl.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
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

// The encoder alone: the frames of the file through the capture's ffmpeg child, the music with them.
// Returns the seconds it took, of which reading the file took reading; negative on failure.
double encodeOnly(const std::string& frames, const std::string& video, int width, int height, int rate,
                  long count, double& reading) {
    CaptureOptions options;
    options.width = width;
    options.height = height;
    options.rate = rate;
    options.output = video;
    FrameOutput out;
    std::string error;
    const int64_t samples = sampleAt(count, rate);
    PngData frame;
    frame.width = width;
    frame.height = height;
    frame.bytes.resize(static_cast<size_t>(width) * height * 3);
    std::FILE* file = std::fopen(frames.c_str(), "rb");
    const Clock::time_point start = Clock::now();
    bool ok = file != nullptr && openFrameOutput(out, options, samples, error) &&
              startMusic(out, 0, samples, haltFrameOutput, error);
    reading = 0.0;
    for (long n = 0; n < count && ok; n++) {
        const Clock::time_point a = Clock::now();
        ok = std::fread(frame.bytes.data(), 1, frame.bytes.size(), file) == frame.bytes.size();
        reading += seconds(a, Clock::now());
        ok = ok && out.writePicture(n, frame, error);
    }
    if (out.endPictures != nullptr)
        out.endPictures();
    if (!ok)
        haltMusic();
    ok = finishMusic(error) && ok;
    ok = closeFrameOutput(out, ok, error);
    const double took = seconds(start, Clock::now());
    if (file != nullptr)
        std::fclose(file);
    if (!ok) {
        std::fprintf(stderr, "capture_bench: encoding failed: %s\n", error.c_str());
        return -1.0;
    }
    std::remove(video.c_str());
    return took;
}

// plix-capture itself over the whole show; returns the seconds it took, negative on failure.
double captureItself(const std::string& video, int width, int height, int rate) {
    const std::string size = sizeText(width, height), frameRate = std::to_string(rate);
    const char* argv[] = {PLIX_CAPTURE_PATH, "-s", size.c_str(),  "-r",
                          frameRate.c_str(), "-o", video.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0); // its progress line
    const Clock::time_point start = Clock::now();
    pid_t pid = -1;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    const double took = seconds(start, Clock::now());
    std::remove(video.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took : -1.0;
}

} // namespace

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 640;
    const int height = argc > 2 ? std::atoi(argv[2]) : 480;
    const int rate = argc > 3 ? std::atoi(argv[3]) : 60;
    const std::string folder = argc > 4 ? argv[4] : "/tmp";
    const std::string frames = folder + "/capture_bench-" + std::to_string(getpid()) + ".rgb";
    std::string reason;
    if (!openOffscreen(width, height, &reason)) {
        std::fprintf(stderr, "capture_bench: %s\n", reason.c_str());
        return 1;
    }
    prepareShow(nullptr);
    reshapeFrame(width, height);

    const double end = musicDuration() + closingMargin;
    const long count = static_cast<long>(std::ceil(end * rate - 1e-9)); // as plix-capture counts them
    double draw[5] = {}, read[5] = {};
    long inWindow[5] = {};
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4), rgb(rgba.size() / 4 * 3);
    std::FILE* file = std::fopen(frames.c_str(), "wb");
    if (file == nullptr) {
        std::perror(frames.c_str());
        return 1;
    }
    for (long n = 0; n < count; n++) {
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
        inWindow[w]++;
        for (size_t p = 0; p < rgb.size() / 3; p++)
            for (int k = 0; k < 3; k++)
                rgb[p * 3 + k] = rgba[p * 4 + k];
        if (std::fwrite(rgb.data(), 1, rgb.size(), file) != rgb.size()) {
            std::perror(frames.c_str());
            std::remove(frames.c_str());
            return 1;
        }
    }
    std::fclose(file);
    double drawn = 0.0;
    std::printf("%dx%d at %d frames/s on %s, %ld frames\n", width, height, rate, offscreenRenderer(), count);
    std::printf("window  frames  draw ms/frame  read-back ms/frame  draw+read fps\n");
    for (int w = 0; w < 5; w++) {
        drawn += draw[w] + read[w];
        std::printf("%6d  %6ld  %13.2f  %18.2f  %13.1f\n", w + 1, inWindow[w], 1000.0 * draw[w] / inWindow[w],
                    1000.0 * read[w] / inWindow[w], inWindow[w] / (draw[w] + read[w]));
    }
    std::printf("draw only (with read-back): %.1f s = %.1f fps\n", drawn, count / drawn);

    double reading = 0.0;
    const double encoded =
        encodeOnly(frames, folder + "/capture_bench-encode.mp4", width, height, rate, count, reading);
    std::remove(frames.c_str());
    if (encoded > 0.0)
        std::printf("encode only (ffmpeg, x264 veryfast crf 18, AAC): %.1f s = %.1f fps"
                    " (of which %.1f s reading the frames back)\n",
                    encoded, count / encoded, reading);
    const double captured = captureItself(folder + "/capture_bench-capture.mp4", width, height, rate);
    if (captured > 0.0)
        std::printf("plix-capture: %.1f s = %.1f fps (real time is %d)\n", captured, count / captured, rate);
    return encoded > 0.0 && captured > 0.0 ? 0 : 1;
}
