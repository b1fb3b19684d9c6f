// Command-line parsing of plix-capture: every option taken, and the values it must refuse with their
// messages.
#include "capture/options.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

bool parse(const std::vector<const char*>& args, CaptureOptions& options, std::string& error) {
    std::vector<char*> argv{const_cast<char*>("plix-capture")};
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    return parseCaptureOptions(static_cast<int>(argv.size() - 1), argv.data(), options, error);
}

TEST(CaptureOptions, EveryOptionIsTaken) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"-r", "30", "--size", "1440x1080", "--from", "2.5", "--to", "10", "-o", "a.mp4",
                       "--frames", "dir", "--help"},
                      o, error))
        << error;
    EXPECT_EQ(o.rate, 30);
    EXPECT_EQ(o.width, 1440);
    EXPECT_EQ(o.height, 1080);
    EXPECT_EQ(o.from, 2.5);
    EXPECT_EQ(o.to, 10.0);
    EXPECT_EQ(o.output, "a.mp4");
    EXPECT_EQ(o.framesDir, "dir");
    EXPECT_TRUE(o.help);
}

TEST(CaptureOptions, BadValuesAreRefusedWithAReason) {
    for (const std::vector<const char*>& args :
         std::vector<std::vector<const char*>>{{"--size", "0x480"},
                                               {"--size", "640x0"},
                                               {"--size", "640"},
                                               {"--size", "-640x480"},
                                               {"--size", "640x480x3"},
                                               {"--rate", "0"},
                                               {"--rate", "sixty"},
                                               {"--rate", "60fps"},
                                               {"--from", "-1"},
                                               {"--to", "x"},
                                               {"--from", "5", "--to", "5"},
                                               {"--from", "6", "--to", "5"},
                                               {"--frames", ""},
                                               {"-o", ""},
                                               {"--rate"},
                                               {"--bogus"},
                                               {"extra"}}) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << *args.begin();
        EXPECT_FALSE(error.empty());
    }
    // The messages name the option as it was typed.
    const std::pair<std::vector<const char*>, const char*> messages[] = {
        {{"-r", "sixty"}, "bad value 'sixty' for -r"},
        {{"--rate=0"}, "bad value '0' for --rate"},
        {{"-s640"}, "bad value '640' for -s"},
        {{"-o", ""}, "empty path for -o"},
        {{"-h", "--rate"}, "option '--rate' needs a value"},
        {{"-x"}, "unknown option '-x' (see --help)"},
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"-h", "extra"}, "unknown option 'extra' (see --help)"}};
    for (const auto& [args, message] : messages) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error));
        EXPECT_EQ(error, message);
    }
}

} // namespace
