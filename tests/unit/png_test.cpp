// PNG decoding: every kind of stored picture as the transformations make it (the embedded pictures are
// checked against an independent reader with the data), the failure messages, and damaged or oversized
// pictures refused safely.
#include "tests/support.h"
#include "util/assets.h"
#include "util/png.h"

#include <cstring>
#include <gtest/gtest.h>
#include <png.h>

namespace {

using Bytes = std::vector<unsigned char>;

// Decodes bytes that are not in the asset table through a stream made over them; empty when refused.
std::vector<unsigned char> decoded(const Bytes& bytes) {
    AssetStream stream{int32_t(bytes.size()), 0, bytes.data()};
    Image* image = decodePngStream(&stream);
    std::vector<unsigned char> pixels;
    if (image)
        pixels.assign(image->pixels, image->pixels + size_t(image->width) * image->height * 4);
    freeImage(image);
    return pixels;
}

template <class Fn> std::string printedBy(Fn fn) {
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

// A picture stored in the given form: rows of packed samples, an optional palette and tRNS chunk.
struct Stored {
    int width, height, colorType, bitDepth;
    Bytes samples;
    std::vector<png_color> palette = {};
    Bytes paletteAlpha = {};
    const png_color_16* key = nullptr; // the transparent colour of a gray or RGB picture
    bool interlaced = false;
};

void append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes encode(const Stored& s) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, append, nullptr);
    png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.bitDepth, s.colorType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.paletteAlpha.empty() || s.key)
        png_set_tRNS(png, info, s.paletteAlpha.data(), int(s.paletteAlpha.size()), s.key);
    png_write_info(png, info);
    std::vector<png_bytep> rows(size_t(s.height));
    for (int y = 0; y < s.height; y++)
        rows[size_t(y)] = const_cast<png_bytep>(s.samples.data() + s.samples.size() / s.height * y);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void putBe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// The offset of the first chunk of a type (its length field), or 0.
size_t findChunk(const Bytes& b, const char* type) {
    for (size_t at = 8; at + 12 <= b.size(); at += 12 + be32(b, at))
        if (std::memcmp(&b[at + 4], type, 4) == 0)
            return at;
    return 0;
}

} // namespace

TEST(StoredForms, EachKindOfPictureComesOutAsRgba) {
    const std::vector<png_color> palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    const png_color_16 rgbKey = {0, 1, 2, 3, 0}, grayKey = {0, 0, 0, 0, 7};
    Bytes rgba5x3(5 * 3 * 4);
    for (size_t i = 0; i < rgba5x3.size(); i++)
        rgba5x3[i] = static_cast<unsigned char>(37 * i + 11);
    const struct {
        const char* what;
        Stored stored;
        Bytes expected;
    } cases[] = {
        // clang-format off
        {"gray", {2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200}}, {7, 7, 7, 255, 200, 200, 200, 255}},
        {"gray, tRNS", {2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 8}, {}, {}, &grayKey}, {7, 7, 7, 0, 8, 8, 8, 255}},
        {"gray with alpha", {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {9, 99, 250, 3}}, {9, 9, 9, 99, 250, 250, 250, 3}},
        {"RGB, tRNS", {2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 1, 2, 4}, {}, {}, &rgbKey}, {1, 2, 3, 0, 1, 2, 4, 255}},
        {"palette", {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0}, palette}, {70, 80, 90, 255, 10, 20, 30, 255}},
        {"interlaced", {5, 3, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba5x3, {}, {}, nullptr, true}, rgba5x3},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = encode(c.stored);
        ASSERT_FALSE(file.empty());
        testing::internal::CaptureStderr();
        EXPECT_EQ(decoded(file), c.expected);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "libpng warned";
    }
}

TEST(DamagedPictures, AreRefusedWithoutACrash) {
    const Bytes file = dataFile("Fire.png");
    const size_t idat = findChunk(file, "IDAT");
    ASSERT_NE(idat, 0u);
    // Cut short before, inside and after the signature, in the header, in the data and at the very end.
    for (size_t length : {size_t(0), size_t(7), size_t(8), size_t(20), idat + 10, file.size() - 1}) {
        const std::string said = printedBy(
            [&] { EXPECT_TRUE(decoded(Bytes(file.begin(), file.begin() + long(length))).empty()); });
        EXPECT_EQ(said, length < 8 ? "png: invalid data\n" : "") << "prefix of " << length << " bytes";
    }
    EXPECT_EQ(printedBy([] { decoded(dataFile("boo.oxm")); }), "png: invalid data\n") << "not a PNG at all";
    // A chunk length past the end of the file, or beyond 2^31, is a short read to the stream.
    for (uint32_t length : {be32(file, idat) + 1000, 0x80000010u}) {
        Bytes b = file;
        putBe32(b, idat, length);
        EXPECT_TRUE(decoded(b).empty()) << length;
    }
}

TEST(OversizedPictures, AtMost4096ColumnsAnd2048Rows) {
    auto gray = [](int w, int h) { return encode({w, h, PNG_COLOR_TYPE_GRAY, 8, Bytes(size_t(w) * h, 9)}); };
    EXPECT_EQ(decoded(gray(4096, 1)).size(), 4096u * 4);
    EXPECT_EQ(decoded(gray(1, 2048)).size(), 2048u * 4);
    EXPECT_TRUE(decoded(gray(4097, 1)).empty() && decoded(gray(1, 2049)).empty());
}
