// Glyph coverage from a free TrueType font through FreeType, for the font sheet and the closing picture.
#pragma once

#include <string>
#include <vector>

extern const char* const kSansBold;
extern const char* const kSerifBold;
extern const char* const kSans;

struct GlyphBitmap {
    int width = 0, rows = 0;
    int left = 0, top = 0; // offset of the bitmap from the pen position; top is up from the baseline
    float advance = 0;     // pixels
    std::vector<unsigned char> coverage;
};

// pxHeight is the em size in pixels; xScale narrows (below 1) or widens the glyph.
bool renderGlyph(const char* font, unsigned code, float pxHeight, float xScale, GlyphBitmap& out);

// Adds the coverage of a line of text to mask (w x h floats, values kept at most 1), pen starting at
// (x, baseline); extra spacing between letters in pixels. Returns the width of the line, or -1 on failure.
float drawTextMask(std::vector<float>& mask, int w, int h, const char* font, const std::string& text,
                   float pxHeight, float xScale, float spacing, float x, float baseline);
// The width drawTextMask would give the line, without drawing it; -1 on failure.
float textWidth(const char* font, const std::string& text, float pxHeight, float xScale, float spacing);
