// PNG output for the picture generator: libpng with fixed settings, so equal pixels give equal files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rows of samples as PNG stores them (16-bit samples big-endian), top row first.
struct PngData {
    int width = 0, height = 0;
    int colorType = 0; // PNG_COLOR_TYPE_*
    int bitDepth = 8;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> palette; // r, g, b per entry (palette pictures only)
    std::vector<uint8_t> trns;    // alpha per palette entry (palette pictures only)
};

// Packs straight RGBA floats (0..1) as RGB or RGBA at 8 or 16 bits.
PngData packRgb(int w, int h, const std::vector<float>& rgba, bool withAlpha, int bitDepth);
bool writePng(const std::string& path, const PngData& png);
