// The generated data: the generator reproduces the committed files byte for byte; the pictures have the
// forms and the transparency the scenes rely on, and decode as an independent reader reads them; the module
// has its fixed XM form, Vorbis samples that libopenmpt plays for its whole length without clipping, a climax
// in the bus section, a stereo field and silence at both ends.
#include "tests/support.h"
#include "tools/assetgen/music/music.h"
#include "tools/assetgen/pictures/pictures.h"
#include "util/png.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <png.h>
#include <unistd.h>

namespace {

PngPicture picture(const std::string& name) {
    PngPicture p;
    EXPECT_TRUE(readPngPicture(dataFile(name), p)) << name;
    return p;
}

// The pixels of the rectangle [x0, x1) x [y0, y1) whose alpha is exactly a.
int alphaCount(const PngPicture& p, int x0, int y0, int x1, int y1, double a) {
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            n += p.at(x, y, 3) == a;
    return n;
}

const std::vector<std::string> pictures = {"HeatTube.png", "Flocke.png",    "LagerFeuer.png",
                                           "Fire.png",     "Back.png",      "Bus.png",
                                           "People.png",   "SouthPark.png", "TheEnd.png"};

} // namespace

TEST(Data, TheGeneratorReproducesTheCommittedFiles) {
    const auto dir = std::filesystem::temp_directory_path() / ("plix-data-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writePictures(dir.string()) && writeMusic(dir.string()) && writeIcons(dir.string()));
    std::vector<std::string> names = pictures;
    names.insert(names.end(), {"boo.oxm", "../shell/icons/plix-48.png", "../shell/icons/plix-256.png"});
    for (const std::string& name : names)
        EXPECT_TRUE(fileBytes((dir / std::filesystem::path(name).filename()).string()) == dataFile(name))
            << name << ": regenerate it with assetgen";
    std::filesystem::remove_all(dir);
}

TEST(Data, PicturesHaveTheirFormsAndTransparency) {
    const int forms[][3] = {{512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {64, PNG_COLOR_TYPE_PALETTE, 1},
                            {512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {64, PNG_COLOR_TYPE_RGB_ALPHA, 16},
                            {512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {512, PNG_COLOR_TYPE_RGB_ALPHA, 16},
                            {512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {512, PNG_COLOR_TYPE_RGB_ALPHA, 8},
                            {512, PNG_COLOR_TYPE_RGB, 16}};
    for (size_t i = 0; i < pictures.size(); i++) {
        const PngPicture p = picture(pictures[i]);
        EXPECT_TRUE(p.width == forms[i][0] && p.height == forms[i][0] && p.colorType == forms[i][1] &&
                    p.bitDepth == forms[i][2] && p.interlace == PNG_INTERLACE_NONE)
            << pictures[i];
        EXPECT_EQ(p.hasTrns, p.colorType == PNG_COLOR_TYPE_PALETTE) << pictures[i];
        // The show's decoder gives the high byte of each sample as this reader widens it, top row first;
        // a 16-bit sample's low byte repeats its high byte (as the reader widens 8 bits), so it costs
        // the download next to nothing.
        Image* image = decodePng(("data/" + pictures[i]).c_str());
        ASSERT_TRUE(image && image->width * image->height * 4 == p.rgba.size()) << pictures[i];
        for (size_t k = 0; k < p.rgba.size(); k++)
            ASSERT_TRUE(image->pixels[k] == p.rgba[k] >> 8 && p.rgba[k] % 257 == 0)
                << pictures[i] << " sample " << k << ": " << p.rgba[k];
        freeImage(image);
    }
    // The campfire: clear sky above row 217, the crowd's ragged band, opaque from row 304.
    const PngPicture camp = picture("LagerFeuer.png");
    EXPECT_EQ(alphaCount(camp, 0, 0, 512, 217, 0.0), 512 * 217);
    EXPECT_EQ(alphaCount(camp, 0, 304, 512, 512, 1.0), 512 * 208);
    EXPECT_GT(alphaCount(camp, 0, 217, 512, 304, 0.0), 5000);
    // The spark: most opaque in the middle, nowhere fully; its far corners clear to the show's decoder.
    const PngPicture spark = picture("Fire.png");
    EXPECT_NEAR(spark.at(32, 32, 3), 0.95, 0.03);
    EXPECT_TRUE(spark.at(0, 0, 3) < 0.03 && spark.at(63, 63, 3) < 0.03);
    EXPECT_EQ(alphaCount(spark, 0, 0, 64, 64, 1.0), 0);
    // The font: nothing below the sixth row of cells.
    EXPECT_EQ(alphaCount(picture("SouthPark.png"), 0, 192, 512, 512, 0.0), 512 * 320);
}

TEST(Data, TheModuleIsAnXmOfVorbisSamplesWithAnArcAStereoFieldAndSilentEnds) {
    const std::vector<unsigned char> song = dataFile("boo.oxm");
    EXPECT_EQ(std::memcmp(song.data(),
                          "Extended Module:                     \x1a"
                          "FastTracker v2.00",
                          55),
              0);
    const int header[][2] = {{58, 0x0104}, {64, 10}, {66, 0}, {68, 8},  {70, 8},
                             {72, 6},      {74, 1},  {76, 6}, {78, 111}};
    for (const auto& [at, value] : header)
        EXPECT_EQ(song[size_t(at)] | song[size_t(at) + 1] << 8, value) << "header offset " << at;
    openmpt_module* mod = openmpt_module_create_from_memory2(song.data(), song.size(), nullptr, nullptr,
                                                             nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mod, nullptr);
    const char* type = openmpt_module_get_metadata(mod, "type");
    EXPECT_STREQ(type, "oxm") << "a plain \"xm\" means the samples were read as raw PCM";
    openmpt_free_string(type);
    // 10 orders of 64 rows at 6 ticks a row and 111 BPM: no jump, break or tempo change shortens it.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(mod), 640 * 6 * 2.5 / 111, 0.01);
    // Peaks of the first 100 ms, the last half second and the rest; the campfire's (25-50 s) and the bus
    // section's (50-82 s) energy; left and right where the band plays (orders 1 to 8).
    float buffer[2 * 441], peak = 0, start = 0, end = 0;
    double camp = 0, bus = 0, other = 0, ll = 0, rr = 0, lr = 0, t = 0;
    for (size_t n; (n = openmpt_module_read_interleaved_float_stereo(mod, 44100, 441, buffer)) > 0;)
        for (size_t i = 0; i < n; i++, t += 1.0 / 44100) {
            const double l = buffer[2 * i], r = buffer[2 * i + 1], w = t > 8.65 && t < 77.8;
            float& top = t < 0.1 ? start : t > 86 ? end : peak;
            top = std::fmax(top, float(std::fmax(std::fabs(l), std::fabs(r))));
            (t >= 25 && t < 50 ? camp : t >= 50 && t < 82 ? bus : other) += l * l + r * r;
            ll += w * l * l, rr += w * r * r, lr += w * l * r;
        }
    openmpt_module_destroy(mod);
    EXPECT_GT(peak, 0.3f) << "the music is (nearly) silent";
    EXPECT_LT(peak, 1.0f) << "the music clips";
    EXPECT_TRUE(start < 0.001f && end < 0.01f) << "the repeat is heard: " << start << ", " << end;
    EXPECT_GT(bus / 32, 2 * camp / 25) << "the bus section is not 3 dB above the campfire";
    EXPECT_LT(lr / std::sqrt(ll * rr), 0.9) << "left and right are (nearly) the same";
}
