// PNG output for every writer in the tree (the capture's frames, the picture generator, failing test
// frames): libpng with fixed settings, so that equal pixels always give equal files.
#pragma once

#include <cstdint>
#include <cstdio>
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

// Writes a non-interlaced PNG to an open file, which stays open. smallest asks zlib for its best
// compression (for files that are kept); otherwise a quick level (for frames). False on any error.
bool writePng(std::FILE* file, const PngData& png, bool smallest);
