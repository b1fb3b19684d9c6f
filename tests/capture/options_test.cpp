// Command-line parsing of plix-capture: the values it must refuse, with messages naming the option as it
// was typed (the end-to-end runs take every option).
#include "capture/options.h"

#include <gtest/gtest.h>
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
        {{"-o", ""}, "empty path for -o"},
        {{"-h", "--rate"}, "option '--rate' needs a value"},
        {{"-x"}, "unknown option '-x' (see --help)"},
        {{"-h", "extra"}, "unknown option 'extra' (see --help)"}};
    for (const auto& [args, message] : refused) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << message;
        EXPECT_EQ(error, message);
    }
}
