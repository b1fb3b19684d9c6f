// Checks the painting toolkit behind the pictures: resampling, compositing, shapes, colour bleeding,
// noise and the PNG writer's packing.
#include "tools/assetgen/pictures/noise.h"
#include "tools/assetgen/pictures/pngwrite.h"
#include "tools/assetgen/pictures/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <png.h>
#include <unistd.h>

TEST(PictureToolkit, ResampleAveragesAreasAtFractionalRatios) {
    // 1024 x 768 onto 512 x 512 is the ratio every full-screen picture goes through: 2 x 1.5.
    Img src = makeImg(8, 6);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 8; x++) {
            float* p = src.at(x, y);
            p[0] = float(x + 10 * y); // a ramp, premultiplied with alpha 1
            p[3] = 1;
        }
    const Img out = resample(src, 4, 4);
    // Row 1 of the output covers source rows 1.5..3: half of row 1 and all of row 2.
    const float expected = (0.0f + 1.0f) / 2 + 10 * (0.5f * 1 + 1.0f * 2) / 1.5f;
    EXPECT_NEAR(out.at(0, 1)[0], expected, 1e-4f);
    EXPECT_NEAR(out.at(0, 1)[3], 1.0f, 1e-6f);
    double sumIn = 0, sumOut = 0;
    for (int i = 0; i < 8 * 6; i++)
        sumIn += src.px[size_t(i) * 4];
    for (int i = 0; i < 4 * 4; i++)
        sumOut += out.px[size_t(i) * 4];
    EXPECT_NEAR(sumOut * (8.0 * 6 / 16), sumIn, 1e-3);
}

TEST(PictureToolkit, BlendOverCompositesPremultipliedAndClips) {
    Img im = makeImg(2, 1);
    blendOver(im, 0, 0, Col{1, 0, 0, 1}, 0.5f);
    blendOver(im, 0, 0, Col{0, 0, 1, 1}, 0.5f);
    const float* p = im.at(0, 0);
    EXPECT_NEAR(p[0], 0.25f, 1e-6f);
    EXPECT_NEAR(p[2], 0.5f, 1e-6f);
    EXPECT_NEAR(p[3], 0.75f, 1e-6f);
    blendOver(im, 5, 0, Col{1, 1, 1, 1}, 1); // outside: ignored, no crash
    blendOver(im, -1, 0, Col{1, 1, 1, 1}, 1);
    EXPECT_EQ(im.at(1, 0)[3], 0.0f);
}

TEST(PictureToolkit, ShapesAreSignedInsideNegative) {
    EXPECT_LT(sdCircle(0, 0, 0, 0, 5), 0);
    EXPECT_NEAR(sdCircle(8, 0, 0, 0, 5), 3, 1e-5f);
    EXPECT_NEAR(sdBox(10, 0, 0, 0, 4, 2), 6, 1e-5f);
    EXPECT_LT(sdBox(3.9f, 1.9f, 0, 0, 4, 2), 0);
    EXPECT_GT(sdBox(3.9f, 1.9f, 0, 0, 4, 2, 1.5f), 0); // the rounded corner is cut away
    EXPECT_NEAR(sdEllipse(10, 0, 0, 0, 8, 3), 2, 0.2f);
    EXPECT_NEAR(sdSegment(5, 4, 0, 0, 10, 0, 1), 3, 1e-5f);
    // A concave polygon (an L): the notch is outside.
    const std::vector<float> l = {0, 0, 10, 0, 10, 4, 4, 4, 4, 10, 0, 10};
    EXPECT_LT(sdPolygon(2, 8, l), 0);
    EXPECT_LT(sdPolygon(8, 2, l), 0);
    EXPECT_GT(sdPolygon(8, 8, l), 0);
    EXPECT_NEAR(sdPolygon(8, 8, l), 4, 1e-4f);
}

TEST(PictureToolkit, FillShapeAntialiasesOnlyTheEdge) {
    Img im = makeImg(20, 20);
    fillShape(
        im, 0, 0, 19, 19, [](float x, float y) { return sdCircle(x, y, 10, 10, 6); },
        [](float, float) {
            return Col{1, 1, 1, 1};
        });
    EXPECT_EQ(im.at(10, 10)[3], 1.0f);
    EXPECT_EQ(im.at(0, 0)[3], 0.0f);
    int partial = 0;
    for (int i = 0; i < 400; i++)
        partial += im.px[size_t(i) * 4 + 3] > 0 && im.px[size_t(i) * 4 + 3] < 1;
    EXPECT_GT(partial, 10);
    EXPECT_LT(partial, 80);
}

TEST(PictureToolkit, StraightColourBleedsIntoClearNeighboursOnly) {
    Img im = makeImg(6, 1);
    blendOver(im, 0, 0, Col{0.2f, 0.4f, 0.6f, 1}, 0.5f);
    const std::vector<float> rgba = straightColour(im, 2);
    EXPECT_NEAR(rgba[0], 0.2f, 1e-5f); // un-premultiplied
    EXPECT_NEAR(rgba[3], 0.5f, 1e-6f);
    EXPECT_NEAR(rgba[4 * 2 + 1], 0.4f, 1e-5f); // two passes reach two texels
    EXPECT_EQ(rgba[4 * 2 + 3], 0.0f);          // still transparent
    EXPECT_EQ(rgba[4 * 3 + 1], 0.0f);          // three away stays black
}

TEST(PictureToolkit, NoiseIsDeterministicAndInRange) {
    noise::Rng a = noise::makeRng(7), b = noise::makeRng(7), c = noise::makeRng(8);
    bool differs = false;
    for (int i = 0; i < 100; i++) {
        const float u = uniform(a);
        EXPECT_EQ(u, uniform(b));
        differs = differs || u != uniform(c);
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
    EXPECT_TRUE(differs);
    float lo = 1, hi = 0;
    for (int i = 0; i < 2000; i++) {
        const float n = fbm(i * 0.37f, i * 0.11f - 40, 3, 5);
        lo = std::min(lo, n);
        hi = std::max(hi, n);
        EXPECT_EQ(valueNoise(i * 0.5f, 3.25f, 9), valueNoise(i * 0.5f, 3.25f, 9));
    }
    EXPECT_GE(lo, 0.0f);
    EXPECT_LE(hi, 1.0f);
    EXPECT_GT(hi - lo, 0.3f); // it does vary
    // Value noise passes through the lattice values.
    EXPECT_EQ(valueNoise(3, 4, 11), hash2(3, 4, 11));
}

namespace {
struct Raw {
    bool ok = false;
    int width = 0, height = 0, colorType = -1, bitDepth = 0;
    std::vector<png_byte> row0; // first row as stored
};

bool readRawFrom(FILE* f, Raw& r) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    r.width = int(png_get_image_width(png, info));
    r.height = int(png_get_image_height(png, info));
    r.colorType = png_get_color_type(png, info);
    r.bitDepth = png_get_bit_depth(png, info);
    r.row0.resize(png_get_rowbytes(png, info));
    png_read_row(png, r.row0.data(), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

Raw readRaw(const std::string& path) {
    Raw r;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return r;
    r.ok = readRawFrom(f, r);
    std::fclose(f);
    return r;
}
} // namespace

TEST(PictureToolkit, PngWriterRoundTripsEveryForm) {
    const int w = 5, h = 3;
    std::vector<float> rgba(size_t(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); i++)
        rgba[i] = float(i % 17) / 16.0f;
    rgba[1] = -0.5f; // out of range: clamped
    rgba[2] = 1.5f;
    const std::string path =
        (std::filesystem::temp_directory_path() / ("plix-toolkit-" + std::to_string(::getpid()) + ".png"))
            .string();
    for (int depth : {8, 16})
        for (bool alpha : {false, true}) {
            SCOPED_TRACE(std::to_string(depth) + (alpha ? " rgba" : " rgb"));
            ASSERT_TRUE(writePng(path, packRgb(w, h, rgba, alpha, depth)));
            const Raw r = readRaw(path);
            ASSERT_TRUE(r.ok);
            EXPECT_EQ(r.width, w);
            EXPECT_EQ(r.height, h);
            EXPECT_EQ(r.colorType, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
            EXPECT_EQ(r.bitDepth, depth);
            const int channels = alpha ? 4 : 3, maxValue = depth == 16 ? 65535 : 255;
            for (int x = 0; x < w; x++)
                for (int k = 0; k < channels; k++) {
                    const size_t at = size_t(x * channels + k) * size_t(depth / 8);
                    const int stored = depth == 16 ? r.row0[at] << 8 | r.row0[at + 1] : r.row0[at];
                    const float v = std::min(1.0f, std::max(0.0f, rgba[size_t(x) * 4 + k]));
                    EXPECT_EQ(stored, int(v * maxValue + 0.5f)) << "x " << x << " channel " << k;
                }
        }
    PngData pal;
    pal.width = 8;
    pal.height = 1;
    pal.colorType = PNG_COLOR_TYPE_PALETTE;
    pal.bitDepth = 1;
    pal.palette = {255, 255, 255, 255, 255, 255};
    pal.trns = {0};
    pal.bytes = {0xA5};
    ASSERT_TRUE(writePng(path, pal));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> px(8 * 4);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, px.data(), 0, nullptr));
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(px[size_t(i) * 4 + 3], (0xA5 >> (7 - i)) & 1 ? 255 : 0) << i;
    std::remove(path.c_str());
    EXPECT_FALSE(writePng("/nonexistent-dir/x.png", pal));
}
