// Command-line options of plix-capture: parsing and checking, without side effects.
#include "capture/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

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

// The option as the user typed it, for messages: "-r", "--rate" (from "--rate=5" too).
static std::string typedOption(char** argv, const char* value) {
    const char* word = argv[optind - 1];
    if (value == word)
        return argv[optind - 2];
    std::string typed(word, value);
    if (!typed.empty() && typed.back() == '=')
        typed.pop_back();
    return typed;
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    enum { frames = 256, from, to };
    static const option longOptions[] = {{"help", no_argument, nullptr, 'h'},
                                         {"output", required_argument, nullptr, 'o'},
                                         {"frames", required_argument, nullptr, frames},
                                         {"rate", required_argument, nullptr, 'r'},
                                         {"size", required_argument, nullptr, 's'},
                                         {"from", required_argument, nullptr, from},
                                         {"to", required_argument, nullptr, to},
                                         {nullptr, 0, nullptr, 0}};
    optind = 0; // glibc: start afresh, as each test parses a new command line
    opterr = 0;
    int c;
    while ((c = getopt_long(argc, argv, ":ho:r:s:", longOptions, nullptr)) != -1) {
        if (c == '?') {
            const std::string typed = optopt != 0 ? std::string("-") + char(optopt) : argv[optind - 1];
            error = "unknown option '" + typed + "' (see --help)";
            return false;
        }
        if (c == ':') {
            error = "option '" + std::string(argv[optind - 1]) + "' needs a value";
            return false;
        }
        bool ok = true;
        if (c == 'h')
            options.help = true;
        else if (c == 'o')
            options.output = optarg;
        else if (c == frames)
            options.framesDir = optarg;
        else if (c == 'r')
            ok = parseInt(optarg, options.rate) && options.rate > 0 && options.rate <= 1000;
        else if (c == 's')
            ok = parseSize(optarg, options.width, options.height) && options.width > 0 && options.height > 0;
        else if (c == from)
            ok = parseSeconds(optarg, options.from);
        else
            ok = parseSeconds(optarg, options.to);
        if (!ok) {
            error = "bad value '" + std::string(optarg) + "' for " + typedOption(argv, optarg);
            return false;
        }
        if ((c == 'o' || c == frames) && *optarg == '\0') {
            error = "empty path for " + typedOption(argv, optarg);
            return false;
        }
    }
    if (optind < argc) {
        error = "unknown option '" + std::string(argv[optind]) + "' (see --help)";
        return false;
    }
    if (options.to >= 0.0 && options.to <= options.from) {
        error = "--to must lie after --from";
        return false;
    }
    return true;
}
