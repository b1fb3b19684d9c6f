// Command-line options of plix-capture: parsing and checking, without side effects.
#include "capture/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* captureUsage() {
    return "usage: plix-capture [options]\n"
           "Renders the plix show offline, frame-exact, with its music.\n"
           "  -o, --output FILE   video file to write (default plix.mp4; H.264 and AAC in MP4)\n"
           "      --frames DIR    write numbered PNG frames and audio.wav into DIR instead of a video\n"
           "  -r, --rate N        frames per second (default 60)\n"
           "  -s, --size WxH      frame size in pixels (default 640x480)\n"
           "      --from SECONDS  start of the span to render (default 0)\n"
           "      --to SECONDS    end of the span (default: the song's end plus 3 s)\n"
           "  -h, --help          show this help\n";
}

static bool parseInt(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < -1000000 || v > 1000000)
        return false;
    value = static_cast<int>(v);
    return true;
}

static bool parseSeconds(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0' && value >= 0.0 && value < 1e6;
}

static bool parseSize(const char* text, int& width, int& height) {
    const char* x = std::strchr(text, 'x');
    if (x == nullptr)
        return false;
    const std::string w(text, x);
    return parseInt(w.c_str(), width) && parseInt(x + 1, height);
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            continue;
        }
        const bool takesValue = arg == "-o" || arg == "--output" || arg == "--frames" || arg == "-r" ||
                                arg == "--rate" || arg == "-s" || arg == "--size" || arg == "--from" ||
                                arg == "--to";
        if (!takesValue) {
            error = "unknown option '" + arg + "' (see --help)";
            return false;
        }
        if (i + 1 >= argc) {
            error = "option '" + arg + "' needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (arg == "-o" || arg == "--output")
            options.output = value;
        else if (arg == "--frames")
            options.framesDir = value;
        else if (arg == "-r" || arg == "--rate")
            ok = parseInt(value, options.rate) && options.rate > 0 && options.rate <= 1000;
        else if (arg == "-s" || arg == "--size")
            ok = parseSize(value, options.width, options.height) && options.width > 0 && options.height > 0;
        else if (arg == "--from")
            ok = parseSeconds(value, options.from);
        else
            ok = parseSeconds(value, options.to);
        if (!ok) {
            error = "bad value '" + std::string(value) + "' for " + arg;
            return false;
        }
        if (options.output.empty() || (arg == "--frames" && options.framesDir.empty())) {
            error = "empty path for " + arg;
            return false;
        }
    }
    if (options.to >= 0.0 && options.to <= options.from) {
        error = "--to must lie after --from";
        return false;
    }
    return true;
}
