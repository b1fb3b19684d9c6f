// PNG output for the picture generator: the tree's PNG writer at its best compression.
#pragma once

#include "util/pngwrite.h"

#include <string>
#include <vector>

// Packs straight RGBA floats (0..1) as RGB or RGBA at 8 or 16 bits; a 16-bit sample is its high byte twice.
PngData packRgb(int w, int h, const std::vector<float>& rgba, bool withAlpha, int bitDepth);
bool writePng(const std::string& path, const PngData& png);
