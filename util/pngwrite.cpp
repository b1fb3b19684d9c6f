// One PNG writer over libpng: IHDR, PLTE and tRNS as given, default filters, the rows, IEND.
#include "util/pngwrite.h"

#include <png.h>

// The libpng part alone: a failure longjmps back into this function, which owns no C++ object.
static bool writeChunks(png_structp w, png_infop info, std::FILE* file, const PngData& png,
                        const png_color* palette, int paletteSize, bool smallest) {
    if (setjmp(png_jmpbuf(w)))
        return false;
    png_init_io(w, file);
    if (smallest) {
        png_set_compression_level(w, 9);
        png_set_compression_mem_level(w, 9);
        png_set_compression_strategy(w, 0);
    } else {
        png_set_compression_level(w, 3);
    }
    png_set_IHDR(w, info, png_uint_32(png.width), png_uint_32(png.height), png.bitDepth, png.colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (png.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(w, info, palette, paletteSize);
        if (!png.trns.empty())
            png_set_tRNS(w, info, png.trns.data(), int(png.trns.size()), nullptr);
    }
    png_write_info(w, info);
    const size_t rowBytes = png.bytes.size() / size_t(png.height);
    for (int y = 0; y < png.height; y++)
        png_write_row(w, &png.bytes[size_t(y) * rowBytes]);
    png_write_end(w, nullptr);
    return true;
}

bool writePng(std::FILE* file, const PngData& png, bool smallest) {
    std::vector<png_color> palette(png.palette.size() / 3);
    for (size_t i = 0; i < palette.size(); i++)
        palette[i] = png_color{png.palette[i * 3], png.palette[i * 3 + 1], png.palette[i * 3 + 2]};
    png_structp w = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = w ? png_create_info_struct(w) : nullptr;
    const bool ok = info && writeChunks(w, info, file, png, palette.data(), int(palette.size()), smallest);
    png_destroy_write_struct(&w, info ? &info : nullptr);
    return ok && std::fflush(file) == 0 && !std::ferror(file);
}
