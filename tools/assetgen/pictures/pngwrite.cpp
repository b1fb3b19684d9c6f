// Packs samples, and writes PNG files through the tree's writer at maximum zlib compression.
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
            // The decoder keeps a 16-bit sample's high byte; a low byte repeating it deflates to almost
            // nothing, where the quantised low byte is noise.
            if (bitDepth == 16)
                png.bytes.push_back(uint8_t(q >> 8));
            png.bytes.push_back(uint8_t(bitDepth == 16 ? q >> 8 : q));
        }
    return png;
}

bool writePng(const std::string& path, const PngData& png) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    const bool written = writePng(f, png, true);
    const bool ok = std::fclose(f) == 0 && written;
    if (!ok)
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return ok;
}
