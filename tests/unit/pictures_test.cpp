// The generated pictures: their PNG forms, the transparency and geometry the scenes rely on, the font
// sheet's layout, and a generator that reproduces the committed files byte for byte.
#include "tests/support.h"
#include "tools/assetgen/pictures/pictures.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

namespace {

struct Form {
    const char* name;
    int size, colorType, bitDepth;
};
const Form forms[] = {
    {"HeatTube.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},  {"LagerFeuer.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"Back.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},      {"People.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"SouthPark.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {"Bus.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 16},
    {"TheEnd.png", 512, PNG_COLOR_TYPE_RGB, 16},         {"Fire.png", 64, PNG_COLOR_TYPE_RGB_ALPHA, 16},
    {"Flocke.png", 64, PNG_COLOR_TYPE_PALETTE, 1},
};

PngPicture picture(const std::string& name) {
    PngPicture p;
    EXPECT_TRUE(readPngPicture(fileBytes(std::string(PLIX_SOURCE_DIR) + "/data/" + name), p)) << name;
    return p;
}

// The number of pixels of the rectangle [x0, x1) x [y0, y1) whose alpha satisfies the predicate.
template <class Pred> int count(const PngPicture& p, int x0, int y0, int x1, int y1, Pred pred) {
    int n = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            n += pred(p.at(x, y, 3));
    return n;
}

bool clear(double a) {
    return a == 0.0;
}
bool opaque(double a) {
    return a == 1.0;
}

} // namespace

TEST(Pictures, EveryFileHasTheFormTheShowExpects) {
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        const PngPicture p = picture(form.name);
        EXPECT_EQ(p.width, form.size);
        EXPECT_EQ(p.height, form.size);
        EXPECT_EQ(p.colorType, form.colorType);
        EXPECT_EQ(p.bitDepth, form.bitDepth);
        EXPECT_EQ(p.interlace, PNG_INTERLACE_NONE);
        EXPECT_EQ(p.hasTrns, form.colorType == PNG_COLOR_TYPE_PALETTE);
    }
    // The snowflake: two white palette entries, the first made clear by tRNS.
    const PngPicture flake = picture("Flocke.png");
    EXPECT_EQ(flake.paletteSize, 2);
    EXPECT_EQ(count(flake, 0, 0, 64, 64, clear) + count(flake, 0, 0, 64, 64, opaque), 64 * 64);
    for (size_t i = 0; i < flake.rgba.size(); i++)
        EXPECT_TRUE(i % 4 == 3 || flake.rgba[i] == 65535) << "a pixel that is not white";
    EXPECT_GT(count(flake, 0, 0, 64, 64, opaque), 64 * 64 / 10);
    EXPECT_EQ(count(flake, 0, 0, 2, 2, opaque) + count(flake, 62, 62, 64, 64, opaque), 0);
}

TEST(Pictures, TransparencyWhereTheScenesNeedIt) {
    for (const char* name : {"HeatTube.png", "Back.png", "TheEnd.png"})
        EXPECT_EQ(count(picture(name), 0, 0, 512, 512, opaque), 512 * 512) << name;

    // The campfire: open sky, a ragged band of heads, solid ground.
    const PngPicture fire = picture("LagerFeuer.png");
    EXPECT_EQ(count(fire, 0, 0, 512, 217, clear), 512 * 217);
    EXPECT_EQ(count(fire, 0, 304, 512, 512, opaque), 512 * 208);
    EXPECT_GT(count(fire, 0, 217, 512, 304, [](double a) { return a > 0 && a < 1; }), 500);
    int highest = 304, lowest = 217;
    for (int x = 0; x < 512; x++) {
        int y = 217;
        while (y < 304 && fire.at(x, y, 3) < 0.5)
            y++;
        highest = std::min(highest, y);
        lowest = std::max(lowest, y);
    }
    EXPECT_GT(lowest - highest, 30) << "the heads' outline is not ragged";

    // The bus: cut out, clear all round, opaque where the figures hide behind it.
    const PngPicture bus = picture("Bus.png");
    EXPECT_EQ(count(bus, 114, 89, 399, 424, opaque), 285 * 335);
    EXPECT_EQ(count(bus, 0, 450, 512, 512, clear), 512 * 62);
    EXPECT_EQ(count(bus, 0, 0, 512, 1, clear) + count(bus, 0, 0, 1, 512, clear) +
                  count(bus, 511, 0, 512, 512, clear),
              3 * 512);

    // Eight figures, each within its 128 x 256 cell, standing on its bottom row.
    const PngPicture people = picture("People.png");
    for (int cell = 0; cell < 8; cell++) {
        const int x0 = (cell % 4) * 128, y0 = (cell / 4) * 256;
        auto seen = [](double a) { return a > 0; };
        EXPECT_GT(count(people, x0, y0, x0 + 128, y0 + 256, seen), 128 * 256 / 12) << "cell " << cell;
        EXPECT_EQ(count(people, x0, y0, x0 + 1, y0 + 256, seen) +
                      count(people, x0 + 127, y0, x0 + 128, y0 + 256, seen) +
                      count(people, x0, y0, x0 + 128, y0 + 1, seen),
                  0)
            << "cell " << cell << " reaches into its neighbour";
        EXPECT_GT(count(people, x0, y0 + 255, x0 + 128, y0 + 256, seen), 8) << "cell " << cell;
    }

    // The spark: most opaque in the middle, nearly clear in the corners, nowhere fully either.
    const PngPicture spark = picture("Fire.png");
    EXPECT_NEAR(spark.at(32, 32, 3), 0.95, 0.03);
    for (int corner : {0, 63})
        EXPECT_LT(spark.at(corner, corner, 3), 0.03);
    EXPECT_EQ(count(spark, 0, 0, 64, 64, clear) + count(spark, 0, 0, 64, 64, opaque), 0);
}

TEST(Pictures, FontSheetHoldsWhiteGlyphsInSixRowsOfCells) {
    const PngPicture font = picture("SouthPark.png");
    int stray = 0;
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 512; x++) {
            const bool clearBlack =
                font.at(x, y, 0) + font.at(x, y, 1) + font.at(x, y, 2) + font.at(x, y, 3) == 0;
            const bool white =
                font.at(x, y, 0) + font.at(x, y, 1) + font.at(x, y, 2) == 3 && font.at(x, y, 3) > 0;
            stray += !clearBlack && !white;
        }
    EXPECT_EQ(stray, 0) << "pixels neither white nor transparent black";
    EXPECT_EQ(count(font, 0, 192, 512, 512, clear), 512 * 320);
    auto inked = [&](int k) {
        return count(font, k % 16 * 32, k / 16 * 32, k % 16 * 32 + 32, k / 16 * 32 + 32,
                     [](double a) { return a > 0; });
    };
    EXPECT_EQ(inked(0), 0) << "the space";
    for (int k = 1; k < 96; k++)
        EXPECT_GT(inked(k), 4) << "cell " << k;
    for (int k = 65; k <= 90; k++) // the lower-case places hold the capitals again
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                ASSERT_EQ(font.at(k % 16 * 32 + x, k / 16 * 32 + y, 3),
                          font.at((k - 32) % 16 * 32 + x, (k - 32) / 16 * 32 + y, 3))
                    << "cell " << k;
    // Cell 95, the glyph of every missing character, is a hollow rectangle.
    EXPECT_EQ(font.at(15 * 32 + 16, 5 * 32 + 16, 3), 0.0);
    EXPECT_GT(inked(95), 40);
}

TEST(Pictures, GeneratorReproducesTheCommittedFiles) {
    const auto dir = std::filesystem::temp_directory_path() / ("plix-pictures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writePictures(dir.string()));
    for (const Form& form : forms)
        EXPECT_TRUE(fileBytes((dir / form.name).string()) ==
                    fileBytes(std::string(PLIX_SOURCE_DIR) + "/data/" + form.name))
            << form.name << " differs: regenerate data/ with assetgen";
    std::filesystem::remove_all(dir);
}
