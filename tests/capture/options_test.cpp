// Command-line parsing of plix-capture: the values it must refuse, with messages naming the option as it
// was typed (the end-to-end runs take every option).
#include "capture/options.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

bool parse(const std::vector<const char*>& args, CaptureOptions& options, std::string& error) {
    std::vector<char*> argv{const_cast<char*>("plix-capture")};
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    return parseCaptureOptions(int(argv.size() - 1), argv.data(), options, error);
}

} // namespace

TEST(CaptureOptions, BadValuesAreRefusedWithAReason) {
    const std::pair<std::vector<const char*>, const char*> refused[] = {
        {{"-r", "sixty"}, "bad value 'sixty' for -r"},
        {{"--rate=0"}, "bad value '0' for --rate"},
        {{"-s640"}, "bad value '640' for -s"},
        {{"--size", "0x480"}, "bad value '0x480' for --size"},
        {{"--from", "-1"}, "bad value '-1' for --from"},
        {{"--from", "6", "--to", "5"}, "--to must lie after --from"},
        {{"--at", "1,5,5", "--frames", "d"}, "bad value '1,5,5' for --at"},
        {{"--at", "1", "--to", "5", "--frames", "d"},
         "--at needs --frames, and takes the place of --from and --to"},
        {{"-o", ""}, "empty path for -o"},
        {{"-h", "--rate"}, "option '--rate' needs a value"},
        {{"-x"}, "unknown option '-x' (see --help)"},
        {{"--help", "-xh"}, "unknown option '-x' (see --help)"},
        {{"--help=1"}, "option '--help' takes no value"},
        {{"--f", "5"}, "option '--f' is ambiguous: --frames or --from"},
        {{"-h", "extra"}, "unknown option 'extra' (see --help)"}};
    for (const auto& [args, message] : refused) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << message;
        EXPECT_EQ(error, message);
    }
}

// Frames fit GL's drawable; a video is also even and within H.264's largest level (blocks of 16 x 16 pixels:
// 139264 a frame, 16711680 a second, 1055 a side). A refused size comes with one of its shape that fits,
// near the largest that does.
TEST(CaptureOptions, FrameSizesWithinGlAndTheLargestH264Level) {
    const std::tuple<int, int, int, int, bool> sizes[] = {
        {640, 480, 60, 16384, true},      {16384, 2176, 60, 16384, true},  {16384, 2178, 60, 16384, false},
        {16880, 16, 60, 20000, true},     {16882, 16, 60, 20000, false},   {1920, 1080, 1000, 16384, true},
        {3840, 2160, 600, 16384, false},  {16386, 100, 60, 16384, false},  {321, 241, 60, 16384, false},
        {16384, 16384, 60, 16384, false}, {99999, 99999, 60, 16384, false}};
    for (const auto& [width, height, rate, gl, fits] : sizes) {
        std::string error;
        ASSERT_EQ(frameSizeFits(width, height, rate, true, gl, gl, error), fits) << width << "x" << height;
        int w = 0, h = 0;
        if (fits)
            continue;
        ASSERT_EQ(std::sscanf(error.c_str() + error.rfind(", ") + 2, "%dx%d can", &w, &h), 2) << error;
        EXPECT_TRUE(frameSizeFits(w, h, rate, true, gl, gl, error)) << error;
        EXPECT_NEAR(double(w) * height, double(h) * width, width + height) << w << "x" << h;
        const int w2 = int(w * 1.02) / 2 * 2 + 2, h2 = int(h * 1.02) / 2 * 2 + 2;
        EXPECT_TRUE((w >= width && h >= height) || !frameSizeFits(w2, h2, rate, true, gl, gl, error)) << w;
    }
    std::string error;
    EXPECT_TRUE(frameSizeFits(16383, 16383, 60, false, 16384, 16384, error)) << "PNG frames: no H.264 limit";
}
