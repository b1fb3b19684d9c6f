// Packs samples and writes non-interlaced PNG files through libpng at maximum zlib compression.
#include "tools/assetgen/pictures/pngwrite.h"

#include <cmath>
#include <cstdio>
#include <png.h>

static int quantize(float v, int maxValue) {
    v = v < 0 ? 0 : (v > 1 ? 1 : v);
    return int(std::floor(v * float(maxValue) + 0.5f));
}

PngData packRgb(int w, int h, const std::vector<float>& rgba, bool withAlpha, int bitDepth) {
    PngData png;
    png.width = w;
    png.height = h;
    png.colorType = withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    png.bitDepth = bitDepth;
    const int channels = withAlpha ? 4 : 3, maxValue = bitDepth == 16 ? 65535 : 255;
    png.bytes.reserve(size_t(w) * h * channels * (bitDepth / 8));
    for (size_t i = 0; i < size_t(w) * h; i++)
        for (int k = 0; k < channels; k++) {
            const int q = quantize(rgba[i * 4 + k], maxValue);
            if (bitDepth == 16)
                png.bytes.push_back(uint8_t(q >> 8));
            png.bytes.push_back(uint8_t(q & 255));
        }
    return png;
}

bool writePng(const std::string& path, const PngData& png) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    png_structp w = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = w ? png_create_info_struct(w) : nullptr;
    if (!info || setjmp(png_jmpbuf(w))) {
        png_destroy_write_struct(&w, info ? &info : nullptr);
        std::fclose(f);
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        return false;
    }
    png_init_io(w, f);
    png_set_compression_level(w, 9);
    png_set_compression_mem_level(w, 9);
    png_set_compression_strategy(w, 0);
    png_set_IHDR(w, info, png_uint_32(png.width), png_uint_32(png.height), png.bitDepth, png.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (png.colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> pal(png.palette.size() / 3);
        for (size_t i = 0; i < pal.size(); i++)
            pal[i] = png_color{png.palette[i * 3], png.palette[i * 3 + 1], png.palette[i * 3 + 2]};
        png_set_PLTE(w, info, pal.data(), int(pal.size()));
        if (!png.trns.empty())
            png_set_tRNS(w, info, png.trns.data(), int(png.trns.size()), nullptr);
    }
    png_write_info(w, info);
    const size_t rowBytes = png.bytes.size() / size_t(png.height);
    for (int y = 0; y < png.height; y++)
        png_write_row(w, const_cast<png_bytep>(&png.bytes[size_t(y) * rowBytes]));
    png_write_end(w, nullptr);
    png_destroy_write_struct(&w, &info);
    const bool ok = std::fclose(f) == 0;
    if (!ok)
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}
