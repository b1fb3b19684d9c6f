// PNG decoding: the embedded pictures against an independent decode, the failure messages, and
// damaged or unusual pictures that must be refused or widened without a crash or a leak.
#include "util/assets.h"
#include "util/png.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <png.h>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes readDataFile(const std::string& name) {
    std::ifstream in(std::string(PLIX_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Decodes bytes that are not in the asset table through a stream made over them.
Image* decodeBytes(const Bytes& bytes) {
    AssetStream stream{int32_t(bytes.size()), 0, bytes.data()};
    return decodePngStream(&stream);
}

struct Reference {
    uint32_t width = 0, height = 0;
    bool sixteenBit = false;
    Bytes rgba8;                  // 8-bit pictures: R G B A, top row first
    std::vector<uint16_t> linear; // 16-bit pictures: linear R G B A, colour premultiplied by alpha
};

// libpng's simplified reader: a different code path from the decoder's, with its own transformations.
// It treats 16-bit samples as linear light, so those pictures are read as 16-bit linear and compared
// sample by sample rather than through its gamma-encoded 8-bit output.
Reference referenceDecode(const Bytes& file) {
    Reference ref;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return ref;
    ref.width = image.width;
    ref.height = image.height;
    ref.sixteenBit = (image.format & PNG_FORMAT_FLAG_LINEAR) != 0;
    if (ref.sixteenBit) {
        image.format = PNG_FORMAT_LINEAR_RGB_ALPHA;
        ref.linear.resize(PNG_IMAGE_SIZE(image) / 2);
        png_image_finish_read(&image, nullptr, ref.linear.data(), 0, nullptr);
    } else {
        image.format = PNG_FORMAT_RGBA;
        ref.rgba8.resize(PNG_IMAGE_SIZE(image));
        png_image_finish_read(&image, nullptr, ref.rgba8.data(), 0, nullptr);
    }
    return ref;
}

// Compares a decoded picture with the reference; returns the number of mismatching samples.
size_t mismatches(const Image& image, const Reference& ref) {
    size_t bad = 0;
    size_t samples = size_t(ref.width) * ref.height * 4;
    for (size_t i = 0; i < samples; i += 4) {
        const unsigned char* got = image.pixels + i;
        if (!ref.sixteenBit) {
            bad += memcmp(got, &ref.rgba8[i], 4) != 0;
            continue;
        }
        // The decoder keeps the high byte of each 16-bit sample; the reference premultiplies colour.
        unsigned alpha16 = ref.linear[i + 3];
        if (got[3] != alpha16 >> 8) {
            bad++;
            continue;
        }
        if (alpha16 < 0x1000)
            continue; // too little left of the colour to recover it from the premultiplied value
        // Undo the premultiplication; its rounding leaves the 16-bit colour uncertain by `slack`.
        double slack = 0.5 * 65535.0 / alpha16 + 0.5;
        for (int c = 0; c < 3; c++) {
            double colour16 = ref.linear[i + c] * 65535.0 / alpha16;
            if (got[c] < std::floor((colour16 - slack) / 256.0) ||
                got[c] > std::floor((colour16 + slack) / 256.0))
                bad++;
        }
    }
    return bad;
}

const char* const pictureNames[] = {"HeatTube.png", "Flocke.png", "LagerFeuer.png", "Fire.png",  "Back.png",
                                    "Bus.png",      "People.png", "SouthPark.png",  "TheEnd.png"};

TEST(EmbeddedPictures, DecodeToRgbaMatchingAnIndependentDecoder) {
    for (const char* name : pictureNames) {
        SCOPED_TRACE(name);
        Bytes file = readDataFile(name);
        ASSERT_FALSE(file.empty()) << "data/" << name << " is missing";
        Reference ref = referenceDecode(file);
        ASSERT_GT(ref.width, 0u);

        Image* image = decodePng((std::string("data/") + name).c_str());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, ref.width);
        EXPECT_EQ(image->height, ref.height);
        if (image->width == ref.width && image->height == ref.height) {
            EXPECT_EQ(mismatches(*image, ref), 0u);
        }
        freeImage(image);
    }
}

TEST(EmbeddedPictures, TransparencyAsEachPictureStoresIt) {
    Image* flake = decodePng("data/Flocke.png");
    ASSERT_NE(flake, nullptr);
    ASSERT_EQ(flake->width * flake->height, 64u * 64u);
    // Both palette entries are white; the tRNS chunk makes index 0 clear and index 1 stays opaque.
    size_t clear = 0, opaque = 0;
    for (size_t i = 0; i < 64 * 64 * 4; i += 4) {
        const unsigned char* p = flake->pixels + i;
        EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255) << "pixel " << i / 4;
        clear += p[3] == 0;
        opaque += p[3] == 255;
    }
    EXPECT_EQ(clear + opaque, 64u * 64u);
    EXPECT_GT(clear, 0u);
    EXPECT_GT(opaque, 0u);
    freeImage(flake);

    // RGB without alpha: the filler byte makes every pixel opaque.
    Image* end = decodePng("data/TheEnd.png");
    ASSERT_NE(end, nullptr);
    size_t notOpaque = 0;
    for (size_t i = 3; i < size_t(end->width) * end->height * 4; i += 4)
        notOpaque += end->pixels[i] != 255;
    EXPECT_EQ(notOpaque, 0u);
    freeImage(end);

    // 16-bit alpha reduced to its high byte keeps its grading: opaque middle, nearly clear corners.
    Image* fire = decodePng("data/Fire.png");
    ASSERT_NE(fire, nullptr);
    ASSERT_EQ(fire->width, 64u);
    auto alphaAt = [&](int x, int y) { return fire->pixels[(y * 64 + x) * 4 + 3]; };
    EXPECT_GE(alphaAt(32, 32), 200);
    EXPECT_LE(alphaAt(0, 0), 30);
    EXPECT_LE(alphaAt(63, 63), 30);
    bool seen[256] = {};
    int levels = 0;
    for (int i = 0; i < 64 * 64; i++) {
        unsigned char a = fire->pixels[i * 4 + 3];
        levels += !seen[a];
        seen[a] = true;
    }
    EXPECT_GT(levels, 64);
    freeImage(fire);
}

TEST(EmbeddedPictures, FirstRowIsTheStoredTopRow) {
    // The campfire picture's sky (top rows) is clear and its crowd (bottom rows) opaque: a picture
    // turned upside down would show the opposite.
    Image* camp = decodePng("data/LagerFeuer.png");
    ASSERT_NE(camp, nullptr);
    ASSERT_EQ(camp->height, 512u);
    EXPECT_EQ(camp->pixels[3], 0);
    EXPECT_EQ(camp->pixels[size_t(511) * camp->width * 4 + 3], 255);
    freeImage(camp);
}

// Runs fn with stdout captured and returns what it printed.
template <class Fn> std::string printedBy(Fn fn) {
    testing::internal::CaptureStdout();
    fn();
    return testing::internal::GetCapturedStdout();
}

TEST(LoaderMessages, EachFailureSaysWhatItShould) {
    GLuint name = 77;
    EXPECT_EQ(printedBy([&] { loadTexture(&name, "data/boo.oxm"); }),
              "png: invalid data\nutil: ERROR loading data/boo.oxm\n");
    EXPECT_EQ(name, 77u);

    EXPECT_EQ(printedBy([&] { loadTexture(&name, "data/flocke.png"); }),
              "util: ERROR loading data/flocke.png\n");
    EXPECT_EQ(name, 77u);

    Image* image = nullptr;
    EXPECT_EQ(printedBy([&] { image = decodePng("data/Nothing.png"); }), "");
    EXPECT_EQ(image, nullptr);
}

uint32_t be32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

void putBe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++)
        b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// Offset of the first chunk of the given type (its length field), or 0 when there is none.
size_t findChunk(const Bytes& b, const char* type) {
    for (size_t at = 8; at + 12 <= b.size(); at += 12 + be32(b, at))
        if (memcmp(&b[at + 4], type, 4) == 0)
            return at;
    return 0;
}

// Recomputes the CRC of the chunk at `at`, so that a change inside it is not caught by the CRC.
void fixCrc(Bytes& b, size_t at) {
    uint32_t length = be32(b, at);
    putBe32(b, at + 8 + length, uint32_t(crc32(0, &b[at + 4], 4 + length)));
}

TEST(DamagedPictures, EveryTruncationIsRefused) {
    for (const char* name : {"Flocke.png", "Fire.png"}) {
        SCOPED_TRACE(name);
        Bytes file = readDataFile(name);
        ASSERT_FALSE(file.empty());
        Image* whole = decodeBytes(file);
        ASSERT_NE(whole, nullptr);
        freeImage(whole);
        // Every shorter prefix, down to nothing: short of the signature it is "invalid data", after it
        // the short read is a libpng error. The message goes to stdout only in the first case.
        size_t step = file.size() > 1000 ? 7 : 1;
        for (size_t length = 0; length < file.size(); length += step) {
            Bytes cut(file.begin(), file.begin() + length);
            Image* image = nullptr;
            std::string said = printedBy([&] { image = decodeBytes(cut); });
            EXPECT_EQ(image, nullptr) << "prefix of " << length << " bytes";
            EXPECT_EQ(said, length < 8 ? "png: invalid data\n" : "") << "prefix of " << length << " bytes";
            freeImage(image);
        }
    }
}

TEST(DamagedPictures, BadChecksumsAndLengthsAreRefused) {
    Bytes file = readDataFile("Fire.png");
    ASSERT_FALSE(file.empty());
    size_t ihdr = findChunk(file, "IHDR");
    size_t idat = findChunk(file, "IDAT");
    ASSERT_EQ(ihdr, 8u);
    ASSERT_NE(idat, 0u);

    struct Damage {
        const char* what;
        Bytes bytes;
    };
    std::vector<Damage> damaged;
    auto add = [&](const char* what, auto change) {
        Bytes b = file;
        change(b);
        damaged.push_back({what, b});
    };
    add("header CRC", [&](Bytes& b) { b[ihdr + 8 + 13] ^= 0x01; });
    add("image data byte", [&](Bytes& b) { b[idat + 8 + be32(b, idat) / 2] ^= 0x40; });
    add("header length 14", [&](Bytes& b) { putBe32(b, ihdr, 14); });
    add("data length past the end", [&](Bytes& b) { putBe32(b, idat, be32(b, idat) + 1000); });
    add("data length 2^31 - 1", [&](Bytes& b) { putBe32(b, idat, 0x7fffffff); });
    add("data length above 2^31", [&](Bytes& b) { putBe32(b, idat, 0x80000010); });
    add("width 0", [&](Bytes& b) {
        putBe32(b, ihdr + 8, 0);
        fixCrc(b, ihdr);
    });
    add("height doubled", [&](Bytes& b) {
        putBe32(b, ihdr + 12, 128);
        fixCrc(b, ihdr);
    });
    add("bit depth 3", [&](Bytes& b) {
        b[ihdr + 16] = 3;
        fixCrc(b, ihdr);
    });
    add("unknown critical chunk in place of the data", [&](Bytes& b) { memcpy(&b[idat + 4], "ABCD", 4); });

    for (const Damage& d : damaged) {
        Image* image = decodeBytes(d.bytes);
        EXPECT_EQ(image, nullptr) << d.what;
        freeImage(image);
    }
}

TEST(DamagedPictures, DamagedAncillaryChunkIsDroppedNotFatal) {
    // libpng drops a damaged ancillary chunk with a warning; for the flake that is its tRNS, so the
    // picture still decodes, opaque. A tRNS longer than the palette is one such damage.
    Bytes file = readDataFile("Flocke.png");
    size_t trns = findChunk(file, "tRNS");
    ASSERT_NE(trns, 0u);
    Bytes badCrc = file;
    badCrc[trns + 8 + be32(file, trns)] ^= 0xff;
    Bytes tooLong = file;
    tooLong.insert(tooLong.begin() + long(trns + 8), {0, 0, 0});
    putBe32(tooLong, trns, be32(file, trns) + 3);
    fixCrc(tooLong, trns);
    for (const Bytes* damaged : {&badCrc, &tooLong}) {
        Image* image = decodeBytes(*damaged);
        ASSERT_NE(image, nullptr);
        for (size_t i = 3; i < 64 * 64 * 4; i += 4)
            ASSERT_EQ(image->pixels[i], 255);
        freeImage(image);
    }
}

// Writes a picture with libpng's simplified writer; format is one of the PNG_FORMAT_* values.
Bytes encode(uint32_t width, uint32_t height, uint32_t format, const void* samples) {
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, samples, 0, nullptr);
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, samples, 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

// An 8-bit RGBA picture stored interlaced (Adam7), which the simplified writer cannot do.
Bytes encodeInterlaced(uint32_t width, uint32_t height, const unsigned char* rgba) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    auto append = [](png_structp p, png_bytep data, size_t length) {
        auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + length);
    };
    png_set_write_fn(png, &out, append, nullptr);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_bytep> rows(height);
    for (uint32_t y = 0; y < height; y++)
        rows[y] = const_cast<png_bytep>(rgba + size_t(y) * width * 4);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(UnusualPictures, LimitsAre4096ColumnsAnd2048Rows) {
    Bytes gray(4097, 0);
    for (size_t i = 0; i < gray.size(); i++)
        gray[i] = static_cast<unsigned char>(i * 7);
    Bytes fits = encode(1, 2048, PNG_FORMAT_GRAY, gray.data());
    Bytes tooTall = encode(1, 2049, PNG_FORMAT_GRAY, gray.data());
    Bytes tooWide = encode(4097, 1, PNG_FORMAT_GRAY, gray.data());
    ASSERT_FALSE(fits.empty());
    ASSERT_FALSE(tooTall.empty());
    ASSERT_FALSE(tooWide.empty());

    Image* image = decodeBytes(fits);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->height, 2048u);
    EXPECT_EQ(image->pixels[2047 * 4], gray[2047]);
    freeImage(image);
    image = decodeBytes(encode(4096, 1, PNG_FORMAT_GRAY, gray.data()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels[4095 * 4], gray[4095]);
    freeImage(image);
    EXPECT_EQ(decodeBytes(tooTall), nullptr);
    EXPECT_EQ(decodeBytes(tooWide), nullptr);
}

TEST(UnusualPictures, GrayIsWidenedToRgbAndInterlacedIsReadWholeWithoutAWarning) {
    const uint32_t w = 5, h = 3;
    unsigned char gray[w * h], grayAlpha[w * h * 2], rgb[w * h * 3], rgba[w * h * 4];
    uint16_t gray16[w * h];
    for (uint32_t i = 0; i < w * h; i++) {
        gray[i] = static_cast<unsigned char>(17 * i);
        grayAlpha[2 * i] = static_cast<unsigned char>(200 - i);
        grayAlpha[2 * i + 1] = static_cast<unsigned char>(i * 18);
        rgb[3 * i] = static_cast<unsigned char>(i);
        rgb[3 * i + 1] = static_cast<unsigned char>(100 + i);
        rgb[3 * i + 2] = static_cast<unsigned char>(250 - i);
        gray16[i] = static_cast<uint16_t>(i * 4000);
        for (int c = 0; c < 4; c++)
            rgba[4 * i + c] = static_cast<unsigned char>(31 * i + 60 * c);
    }

    struct Case {
        const char* what;
        Bytes file;
        std::vector<unsigned char> expected; // w * h * 4
    };
    std::vector<Case> cases(5);
    cases[0].what = "gray";
    cases[0].file = encode(w, h, PNG_FORMAT_GRAY, gray);
    cases[1].what = "gray with alpha";
    cases[1].file = encode(w, h, PNG_FORMAT_GA, grayAlpha);
    cases[2].what = "RGB";
    cases[2].file = encode(w, h, PNG_FORMAT_RGB, rgb);
    cases[3].what = "16-bit gray";
    // Linear 16-bit is stored as it is given, so the stored high byte is known.
    cases[3].file = encode(w, h, PNG_FORMAT_LINEAR_Y, gray16);
    cases[4].what = "interlaced";
    cases[4].file = encodeInterlaced(w, h, rgba);
    cases[4].expected.assign(rgba, rgba + w * h * 4);
    for (uint32_t i = 0; i < w * h; i++) {
        unsigned char g = gray[i], ga = grayAlpha[2 * i], a = grayAlpha[2 * i + 1], g16 = gray16[i] >> 8;
        cases[0].expected.insert(cases[0].expected.end(), {g, g, g, 255});
        cases[1].expected.insert(cases[1].expected.end(), {ga, ga, ga, a});
        cases[2].expected.insert(cases[2].expected.end(), {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 255});
        cases[3].expected.insert(cases[3].expected.end(), {g16, g16, g16, 255});
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.file.empty());
        testing::internal::CaptureStderr();
        Image* image = decodeBytes(c.file);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "libpng warned";
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->width, w);
        ASSERT_EQ(image->height, h);
        EXPECT_EQ(std::vector<unsigned char>(image->pixels, image->pixels + w * h * 4), c.expected);
        freeImage(image);
    }
}

} // namespace
