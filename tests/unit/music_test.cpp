// The generated music module: its fixed XM form, Vorbis samples that libopenmpt plays for the song's
// whole length, every order sounding without clipping and the scene changes marked, and a generator
// that reproduces the committed file byte for byte.
#include "tests/support.h"
#include "tools/assetgen/music/music.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

namespace {

const std::vector<unsigned char>& song() {
    static const std::vector<unsigned char> bytes = fileBytes(std::string(PLIX_SOURCE_DIR) + "/data/boo.oxm");
    return bytes;
}

int le16(size_t at) {
    return song()[at] | song()[at + 1] << 8;
}

// The RMS of every row of the song (order * 64 + row), rendered once through at 44.1 kHz.
std::vector<double> rowLevels(float& peak) {
    openmpt_module* mod = openmpt_module_create_from_memory2(song().data(), song().size(), nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> sum(640), count(640);
    float buffer[2 * 128];
    peak = 0;
    while (mod) {
        const int at = openmpt_module_get_current_order(mod) * 64 + openmpt_module_get_current_row(mod);
        const size_t n = openmpt_module_read_interleaved_float_stereo(mod, 44100, 128, buffer);
        if (n == 0)
            break;
        for (size_t i = 0; i < 2 * n && at >= 0 && at < 640; i++) {
            peak = std::fmax(peak, std::fabs(buffer[i]));
            sum[size_t(at)] += double(buffer[i]) * buffer[i];
            count[size_t(at)]++;
        }
    }
    openmpt_module_destroy(mod);
    for (size_t i = 0; i < 640; i++)
        sum[i] = count[i] > 0 ? std::sqrt(sum[i] / count[i]) : 0;
    return sum;
}

} // namespace

TEST(MusicModule, HeaderHoldsTheFixedForm) {
    ASSERT_GT(song().size(), 336u);
    EXPECT_EQ(std::memcmp(song().data(), "Extended Module: ", 17), 0);
    EXPECT_EQ(std::string(song().begin() + 17, song().begin() + 37), std::string(20, ' '));
    EXPECT_EQ(song()[37], 0x1A);
    EXPECT_EQ(std::memcmp(song().data() + 38, "FastTracker v2.00", 17), 0);
    const int expected[][2] = {{58, 0x0104}, {64, 10}, {66, 0}, {68, 8},  {70, 8},
                               {72, 6},      {74, 1},  {76, 6}, {78, 111}};
    for (const auto& field : expected)
        EXPECT_EQ(le16(size_t(field[0])), field[1]) << "header offset " << field[0];
}

TEST(MusicModule, TwentyFourVorbisSamplesPlayedForTheSongsLength) {
    int streams = 0;
    for (size_t i = 0; i + 6 <= song().size(); i++)
        streams += std::memcmp(song().data() + i, "OggS\0\2", 6) == 0; // the first page of a stream
    EXPECT_EQ(streams, 24);
    openmpt_module* mod = openmpt_module_create_from_memory2(song().data(), song().size(), nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr);
    const char* type = openmpt_module_get_metadata(mod, "type");
    EXPECT_STREQ(type, "oxm") << "a plain \"xm\" means the samples were read as raw PCM";
    openmpt_free_string(type);
    EXPECT_EQ(openmpt_module_get_num_samples(mod), 24);
    // 10 orders of 64 rows at 6 ticks a row and 111 BPM: no jump, break or tempo change shortens it.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(mod), 640 * 6 * 2.5 / 111, 0.01);
    openmpt_module_destroy(mod);
}

TEST(MusicModule, EveryOrderSoundsNothingClipsAndTheSceneChangesAreMarked) {
    float peak = 0;
    const std::vector<double> rows = rowLevels(peak);
    EXPECT_LT(peak, 1.0f);
    auto level = [&](int from, int to) {
        double sum = 0;
        for (int i = from; i < to; i++)
            sum += rows[size_t(i)] * rows[size_t(i)];
        return std::sqrt(sum / (to - from));
    };
    for (int order = 0; order < 10; order++)
        EXPECT_GT(level(order * 64, order * 64 + 64), 0.03) << "order " << order << " is (nearly) silent";
    // The show's scene changes land on a hit: the two rows from the moment on are louder than the three
    // rows before it.
    for (int at : {0 * 64 + 15, 2 * 64 + 57, 5 * 64 + 50, 9 * 64 + 31})
        EXPECT_GT(level(at, at + 2), 1.25 * level(at - 3, at)) << "order " << at / 64 << " row " << at % 64;
}

TEST(MusicModule, GeneratorReproducesTheCommittedFile) {
    const auto dir = std::filesystem::temp_directory_path() / ("plix-music-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writeMusic(dir.string()));
    const bool same = fileBytes((dir / "boo.oxm").string()) == song();
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(same) << "regenerate data/boo.oxm with: assetgen data music";
}
