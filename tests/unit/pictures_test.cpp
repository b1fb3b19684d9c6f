// Checks the generated pictures: their PNG forms, the transparency and geometry the scenes rely on, the
// font sheet's layout, and that the generator reproduces the committed files byte for byte.
#include "tools/assetgen/pictures/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
struct Decoded {
    bool ok = false;
    int width = 0, height = 0, colorType = -1, bitDepth = 0, interlace = -1;
    std::vector<png_color> palette;
    std::vector<png_byte> trns;
    bool hasTrns = false;
    std::vector<std::vector<png_byte>> rows; // as stored, no transformations
    int channels() const {
        return colorType == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    }
    // Sample k of pixel (x, y), scaled to 0..1.
    double sample(int x, int y, int k) const {
        const int c = channels();
        if (bitDepth == 16) {
            const png_byte* p = &rows[y][size_t(x * c + k) * 2];
            return (p[0] << 8 | p[1]) / 65535.0;
        }
        return rows[y][size_t(x * c + k)] / 255.0;
    }
    double alpha(int x, int y) const { return sample(x, y, 3); }
};

std::string dataPath(const std::string& name) {
    return std::string(PLIX_SOURCE_DIR) + "/data/" + name;
}

Decoded decode(const std::string& path) {
    Decoded d;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return d;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        d.ok = false;
        return d;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    d.width = int(png_get_image_width(png, info));
    d.height = int(png_get_image_height(png, info));
    d.colorType = png_get_color_type(png, info);
    d.bitDepth = png_get_bit_depth(png, info);
    d.interlace = png_get_interlace_type(png, info);
    png_colorp pal = nullptr;
    int npal = 0;
    if (png_get_PLTE(png, info, &pal, &npal))
        d.palette.assign(pal, pal + npal);
    png_bytep trns = nullptr;
    int ntrns = 0;
    if (png_get_tRNS(png, info, &trns, &ntrns, nullptr)) {
        d.hasTrns = true;
        if (trns)
            d.trns.assign(trns, trns + ntrns);
    }
    d.rows.assign(size_t(d.height), std::vector<png_byte>(png_get_rowbytes(png, info)));
    for (auto& row : d.rows)
        png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    d.ok = true;
    return d;
}

std::vector<char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Form {
    const char* name;
    int size, colorType, bitDepth;
};
const Form kForms[] = {
    {"HeatTube.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},  {"LagerFeuer.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"Back.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},      {"People.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8},
    {"SouthPark.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 8}, {"Bus.png", 512, PNG_COLOR_TYPE_RGB_ALPHA, 16},
    {"TheEnd.png", 512, PNG_COLOR_TYPE_RGB, 16},         {"Fire.png", 64, PNG_COLOR_TYPE_RGB_ALPHA, 16},
    {"Flocke.png", 64, PNG_COLOR_TYPE_PALETTE, 1},
};
} // namespace

TEST(Pictures, EveryFileHasTheFormTheShowExpects) {
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        const Decoded d = decode(dataPath(form.name));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.width, form.size);
        EXPECT_EQ(d.height, form.size);
        EXPECT_EQ(d.colorType, form.colorType);
        EXPECT_EQ(d.bitDepth, form.bitDepth);
        EXPECT_EQ(d.interlace, PNG_INTERLACE_NONE);
        if (form.colorType != PNG_COLOR_TYPE_PALETTE) {
            EXPECT_FALSE(d.hasTrns);
        }
    }
    const Decoded flake = decode(dataPath("Flocke.png"));
    ASSERT_EQ(flake.palette.size(), 2u);
    for (const png_color& c : flake.palette)
        EXPECT_TRUE(c.red == 255 && c.green == 255 && c.blue == 255);
    ASSERT_TRUE(flake.hasTrns);
    ASSERT_GE(flake.trns.size(), 1u);
    EXPECT_EQ(flake.trns[0], 0);
    if (flake.trns.size() > 1) {
        EXPECT_EQ(flake.trns[1], 255);
    }
}

TEST(Pictures, BackdropsAreOpaqueEverywhere) {
    for (const char* name : {"HeatTube.png", "Back.png"}) {
        SCOPED_TRACE(name);
        const Decoded d = decode(dataPath(name));
        ASSERT_TRUE(d.ok);
        int notOpaque = 0;
        for (int y = 0; y < d.height; y++)
            for (int x = 0; x < d.width; x++)
                notOpaque += d.alpha(x, y) != 1.0;
        EXPECT_EQ(notOpaque, 0);
    }
}

TEST(Pictures, DuctOpensWhereTheSnowIsBorn) {
    // The flakes start at texels (195..200, 147): the inside of the duct's mouth is dark there, with the
    // lit metal of the duct around it.
    const Decoded d = decode(dataPath("HeatTube.png"));
    ASSERT_TRUE(d.ok);
    auto luma = [&](int x, int y) { return (d.sample(x, y, 0) + d.sample(x, y, 1) + d.sample(x, y, 2)) / 3; };
    double inside = 0;
    for (int y = 144; y <= 150; y++)
        for (int x = 194; x <= 201; x++)
            inside += luma(x, y) / 56;
    EXPECT_LT(inside, 0.12);
    EXPECT_GT(luma(150, 80), inside + 0.15); // the duct's lit upper side, up and to the left of the mouth
}

TEST(Pictures, CampfireHasOpenSkyRaggedHeadsAndSolidGround) {
    const Decoded d = decode(dataPath("LagerFeuer.png"));
    ASSERT_TRUE(d.ok);
    int skyNotClear = 0, groundNotSolid = 0, bandClear = 0, bandSolid = 0, bandPartial = 0;
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 512; x++) {
            const double a = d.alpha(x, y);
            if (y <= 216) {
                skyNotClear += a != 0;
            } else if (y >= 304) {
                groundNotSolid += a != 1;
            } else {
                (a == 0 ? bandClear : a == 1 ? bandSolid : bandPartial)++;
            }
        }
    EXPECT_EQ(skyNotClear, 0);
    EXPECT_EQ(groundNotSolid, 0);
    EXPECT_GT(bandClear, 512 * 10);
    EXPECT_GT(bandSolid, 512 * 10);
    EXPECT_GT(bandPartial, 500);
    // Ragged: where the crowd begins differs from column to column by many rows.
    int highest = 512, lowest = 0;
    for (int x = 0; x < 512; x++) {
        int y = 217;
        while (y < 304 && d.alpha(x, y) < 0.5)
            y++;
        highest = std::min(highest, y);
        lowest = std::max(lowest, y);
    }
    EXPECT_GT(lowest - highest, 30);
}

TEST(Pictures, BusIsCutOutAndOpaqueWhereThePeopleHide) {
    const Decoded d = decode(dataPath("Bus.png"));
    ASSERT_TRUE(d.ok);
    int holes = 0;
    for (int y = 89; y <= 423; y++)
        for (int x = 114; x <= 398; x++)
            holes += d.alpha(x, y) != 1.0;
    EXPECT_EQ(holes, 0);
    // Clear all round: the edges of the picture and everything well below the wheels.
    int edgeVisible = 0;
    for (int i = 0; i < 512; i++)
        edgeVisible +=
            (d.alpha(i, 0) > 0) + (d.alpha(i, 511) > 0) + (d.alpha(0, i) > 0) + (d.alpha(511, i) > 0);
    EXPECT_EQ(edgeVisible, 0);
    int belowGround = 0;
    for (int y = 450; y < 512; y++)
        for (int x = 0; x < 512; x++)
            belowGround += d.alpha(x, y) > 0;
    EXPECT_EQ(belowGround, 0);
    // The open door stands out beyond the body on the left, and nothing as wide on the right.
    auto widthAt = [&](int y, int from, int to) {
        int n = 0;
        for (int x = from; x < to; x++)
            n += d.alpha(x, y) == 1.0;
        return n;
    };
    EXPECT_GT(widthAt(300, 0, 110), 40);
    EXPECT_LT(widthAt(300, 402, 512), 10);
}

TEST(Pictures, PeopleStandCentredOnTheirCellsBottomRow) {
    const Decoded d = decode(dataPath("People.png"));
    ASSERT_TRUE(d.ok);
    std::vector<std::vector<double>> cells;
    for (int cell = 0; cell < 8; cell++) {
        SCOPED_TRACE(cell);
        const int cx = (cell % 4) * 128, cy = (cell / 4) * 256;
        double sum = 0, sumX = 0;
        int bottom = 0, border = 0;
        std::vector<double> alphas;
        for (int y = 0; y < 256; y++)
            for (int x = 0; x < 128; x++) {
                const double a = d.alpha(cx + x, cy + y);
                alphas.push_back(a);
                sum += a;
                sumX += a * x;
                if (y == 255)
                    bottom += a > 0.5;
                if (x == 0 || x == 127 || y == 0)
                    border += a > 0;
            }
        EXPECT_GT(sum, 128 * 256 * 0.08); // someone is there
        EXPECT_NEAR(sumX / sum, 63.5, 6);
        EXPECT_GT(bottom, 8); // feet on the bottom row
        EXPECT_EQ(border, 0); // nobody reaches into the next cell
        cells.push_back(alphas);
    }
    for (int i = 0; i < 8; i++)
        for (int j = i + 1; j < 8; j++)
            EXPECT_NE(cells[i], cells[j]) << i << " and " << j;
}

TEST(Pictures, SparkGlowFadesFromCentreToCorners) {
    const Decoded d = decode(dataPath("Fire.png"));
    ASSERT_TRUE(d.ok);
    EXPECT_NEAR(d.alpha(32, 32), 0.95, 0.03);
    EXPECT_NEAR(d.alpha(31, 31), 0.95, 0.03);
    for (int x : {0, 63})
        for (int y : {0, 63})
            EXPECT_LT(d.alpha(x, y), 0.03);
    int opaque = 0, clear = 0;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            opaque += d.alpha(x, y) == 1.0;
            clear += d.alpha(x, y) == 0.0;
        }
    EXPECT_EQ(opaque, 0);
    EXPECT_EQ(clear, 0);
    // Yellow in the middle, dark red towards the rim.
    EXPECT_GT(d.sample(32, 32, 1), 0.8);
    EXPECT_LT(d.sample(62, 32, 1), 0.2);
    EXPECT_GT(d.sample(62, 32, 0), d.sample(62, 32, 1) * 3);
}

TEST(Pictures, SnowflakeIsSixFoldAndCutOut) {
    const Decoded d = decode(dataPath("Flocke.png"));
    ASSERT_TRUE(d.ok);
    auto set = [&](int x, int y) { return (d.rows[y][x / 8] >> (7 - x % 8)) & 1; };
    int count = 0, mirrored = 0;
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            count += set(x, y);
            mirrored += set(x, y) == set(63 - x, y);
        }
    EXPECT_GT(count, 64 * 64 / 10);
    EXPECT_LT(count, 64 * 64 / 2);
    EXPECT_GT(mirrored, 64 * 64 * 95 / 100);
    EXPECT_EQ(set(0, 0) + set(63, 0) + set(0, 63) + set(63, 63), 0);
    EXPECT_EQ(set(32, 3), 1); // the tip of the upper arm
}

TEST(Pictures, FontSheetLayout) {
    const Decoded d = decode(dataPath("SouthPark.png"));
    ASSERT_TRUE(d.ok);
    auto pixel = [&](int x, int y) { return &d.rows[y][size_t(x) * 4]; };
    int stray = 0, below = 0;
    for (int y = 0; y < 512; y++)
        for (int x = 0; x < 512; x++) {
            const png_byte* p = pixel(x, y);
            const bool clear = p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 0;
            const bool white = p[0] == 255 && p[1] == 255 && p[2] == 255 && p[3] > 0;
            stray += !clear && !white;
            below += y >= 192 && !clear;
        }
    EXPECT_EQ(stray, 0);
    EXPECT_EQ(below, 0);
    auto cellCoverage = [&](int k) {
        int n = 0;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                n += pixel((k % 16) * 32 + x, (k / 16) * 32 + y)[3] > 0;
        return n;
    };
    EXPECT_EQ(cellCoverage(0), 0);
    for (int k = 1; k < 96; k++)
        EXPECT_GT(cellCoverage(k), 4) << "cell " << k;
    for (int k = 65; k <= 90; k++) {
        bool same = true;
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32 * 4; x++)
                same = same && d.rows[(k / 16) * 32 + y][size_t((k % 16) * 32) * 4 + x] ==
                                   d.rows[((k - 32) / 16) * 32 + y][size_t(((k - 32) % 16) * 32) * 4 + x];
        EXPECT_TRUE(same) << "cell " << k;
    }
    // Cell 95 is a hollow rectangle: a closed outline with nothing inside.
    const int rx = 15 * 32, ry = 5 * 32;
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (pixel(rx + x, ry + y)[3] > 0) {
                top = top < 0 ? y : top;
                bottom = y;
                left = left < 0 || x < left ? x : left;
                right = std::max(right, x);
            }
    ASSERT_GE(top, 0);
    EXPECT_GT(bottom - top, 12);
    EXPECT_GT(right - left, 8);
    for (int x = left; x <= right; x++) {
        EXPECT_EQ(pixel(rx + x, ry + top)[3], 255);
        EXPECT_EQ(pixel(rx + x, ry + bottom)[3], 255);
    }
    for (int y = top; y <= bottom; y++) {
        EXPECT_EQ(pixel(rx + left, ry + y)[3], 255);
        EXPECT_EQ(pixel(rx + right, ry + y)[3], 255);
    }
    EXPECT_EQ(pixel(rx + (left + right) / 2, ry + (top + bottom) / 2)[3], 0);
    // A capital fills about the middle half of its cell's width and most of its height.
    const int h = 33 + ('H' - 'A');
    int hl = 32, hr = -1, ht = 32, hb = -1;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (pixel((h % 16) * 32 + x, (h / 16) * 32 + y)[3] > 128) {
                hl = std::min(hl, x);
                hr = std::max(hr, x);
                ht = std::min(ht, y);
                hb = std::max(hb, y);
            }
    EXPECT_NEAR(hr - hl + 1, 16, 5);
    EXPECT_NEAR((hl + hr) / 2.0, 15.5, 2);
    EXPECT_GE(hb - ht + 1, 20);
}

TEST(Pictures, GeneratorReproducesTheCommittedFiles) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("plix-pictures-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writePictures(dir.string()));
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        const std::vector<char> made = fileBytes((dir / form.name).string());
        EXPECT_FALSE(made.empty());
        EXPECT_TRUE(made == fileBytes(dataPath(form.name)));
    }
    std::filesystem::remove_all(dir);
    EXPECT_FALSE(writePictures((dir / "missing" / "folder").string())); // a folder that is not there fails
}
