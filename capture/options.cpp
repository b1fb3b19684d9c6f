// Command-line options of plix-capture: parsing and checking, without side effects.
#include "capture/options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <getopt.h>

const char* captureUsage() {
    return "usage: plix-capture [options]\n"
           "Renders the plix show offline, frame-exact, with its music.\n"
           "  -o, --output FILE   video file to write (default plix.mp4; H.264 and AAC in MP4); it may\n"
           "                      replace a regular file, never a device, FIFO, socket or folder\n"
           "      --frames DIR    write numbered PNG frames and audio.wav into DIR instead of a video\n"
           "  -r, --rate N        frames per second (default 60)\n"
           "  -s, --size WxH      frame size in pixels (default 640x480)\n"
           "      --from SECONDS  start of the span to render (default 0)\n"
           "      --to SECONDS    end of the span (default: the song's end plus 3 s)\n"
           "      --at S,S,...    with --frames: only the frames at these seconds, in increasing order\n"
           "                      (each the first frame at or after it), and the sound from the first\n"
           "                      to the last\n"
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

// Seconds separated by commas, each after the one before it.
static bool parseTimes(const char* text, std::vector<double>& times) {
    times.clear();
    for (std::string rest = text;;) {
        const size_t comma = rest.find(',');
        double value = 0.0;
        if (!parseSeconds(rest.substr(0, comma).c_str(), value) || (!times.empty() && value <= times.back()))
            return false;
        times.push_back(value);
        if (comma == std::string::npos)
            return true;
        rest.erase(0, comma + 1);
    }
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

// Why getopt refused a word: an unknown or ambiguous name, or a value given to an option that takes none.
static std::string refusal(const char* word, const option* longOptions) {
    if (std::strncmp(word, "--", 2) != 0)
        return "unknown option '-" + std::string(1, char(optopt)) + "' (see --help)";
    const std::string name(word + 2, std::strcspn(word + 2, "="));
    std::string matches;
    int count = 0;
    for (const option* o = longOptions; o->name != nullptr; o++)
        if (std::strncmp(o->name, name.c_str(), name.size()) == 0) {
            if (name == o->name)
                return "option '--" + name + "' takes no value";
            matches += std::string(count++ ? " or --" : "--") + o->name;
        }
    if (count > 1)
        return "option '--" + name + "' is ambiguous: " + matches;
    return "unknown option '" + std::string(word) + "' (see --help)";
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& error) {
    enum { frames = 256, from, to, at };
    static const option longOptions[] = {{"help", no_argument, nullptr, 'h'},
                                         {"output", required_argument, nullptr, 'o'},
                                         {"frames", required_argument, nullptr, frames},
                                         {"rate", required_argument, nullptr, 'r'},
                                         {"size", required_argument, nullptr, 's'},
                                         {"from", required_argument, nullptr, from},
                                         {"to", required_argument, nullptr, to},
                                         {"at", required_argument, nullptr, at},
                                         {nullptr, 0, nullptr, 0}};
    optind = 0; // glibc: start afresh, as each test parses a new command line
    opterr = 0;
    for (;;) {
        const int before = std::max(optind, 1); // 0 only before the first word is read
        const int c = getopt_long(argc, argv, ":ho:r:s:", longOptions, nullptr);
        if (c == -1)
            break;
        if (c == '?') { // the word is behind optind, or still under it inside a cluster such as -xh
            error = refusal(optind > before ? argv[optind - 1] : argv[optind], longOptions);
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
        else if (c == to)
            ok = parseSeconds(optarg, options.to);
        else
            ok = parseTimes(optarg, options.at);
        if (!ok) {
            error = "bad value '" + std::string(optarg) + "' for " + typedOption(argv, optarg);
            return false;
        }
        if ((c == 'o' || c == frames) && *optarg == '\0') {
            error = "empty path for " + typedOption(argv, optarg);
            return false;
        }
    }
    for (std::string* path : {&options.output, &options.framesDir}) // the work name goes beside it, not in it
        while (path->size() > 1 && path->back() == '/')
            path->pop_back();
    if (optind < argc) {
        error = "unknown option '" + std::string(argv[optind]) + "' (see --help)";
        return false;
    }
    if (options.to >= 0.0 && options.to <= options.from) {
        error = "--to must lie after --from";
        return false;
    }
    if (!options.at.empty() && (options.framesDir.empty() || options.from > 0.0 || options.to >= 0.0)) {
        error = "--at needs --frames, and takes the place of --from and --to";
        return false;
    }
    return true;
}

namespace {

// H.264 level 6.2, the largest: macroblocks (16 x 16 pixels) in a frame and in a second, and on a side.
constexpr int64_t levelFrameBlocks = 139264;
constexpr int64_t levelSecondBlocks = 16711680;
constexpr int64_t levelSideBlocks = 1055; // the square root of 8 frames' worth

int64_t blocks(int pixels) {
    return (pixels + 15) / 16;
}

bool withinLevel(int width, int height, int rate) {
    const int64_t frame = blocks(width) * blocks(height);
    return blocks(width) <= levelSideBlocks && blocks(height) <= levelSideBlocks &&
           frame <= levelFrameBlocks && frame * rate <= levelSecondBlocks;
}

} // namespace

std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

bool frameSizeFits(int width, int height, int rate, bool video, int maxWidth, int maxHeight,
                   std::string& error) {
    const auto allowed = [&](int w, int h) {
        return w <= maxWidth && h <= maxHeight && (!video || withinLevel(w, h, rate));
    };
    const bool even = !video || (width % 2 == 0 && height % 2 == 0);
    if (even && allowed(width, height))
        return true;
    // Shrink by small steps, keeping the shape, until an even size fits.
    int w = width + width % 2, h = height + height % 2;
    for (double scale = 1.0; !allowed(w, h) && (w > 2 || h > 2); scale *= 0.995) {
        w = std::max(2, int(std::lround(width * scale / 2)) * 2);
        h = std::max(2, int(std::lround(height * scale / 2)) * 2);
    }
    const std::string size = "size " + sizeText(width, height),
                      better = allowed(w, h) ? ", " + sizeText(w, h) + " can" : "";
    if (width > maxWidth || height > maxHeight)
        error = size + " is beyond this GL's limit of " + sizeText(maxWidth, maxHeight) + better;
    else if (!allowed(width, height))
        error = size + " at " + std::to_string(rate) +
                " frames a second is beyond H.264's largest level (at most " +
                std::to_string(levelFrameBlocks) + " blocks of 16x16 pixels a frame, " +
                std::to_string(levelSecondBlocks) + " a second and " + std::to_string(levelSideBlocks * 16) +
                " pixels a side)" + better;
    else
        error = "the video needs an even width and height: " + size + " cannot be encoded" + better;
    return false;
}
