// Renders glyphs with FreeType (unhinted, antialiased) into coverage bitmaps and masks.
#include "tools/assetgen/pictures/text.h"

#include <cmath>
#include <cstdio>
#include <ft2build.h>
#include FT_FREETYPE_H

const char* const kSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const char* const kSerifBold = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
const char* const kSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

namespace {
struct Font {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~Font() {
        if (face)
            FT_Done_Face(face);
        if (lib)
            FT_Done_FreeType(lib);
    }
};

bool openFont(Font& f, const char* path, float pxHeight, float xScale) {
    if (FT_Init_FreeType(&f.lib) != 0 || FT_New_Face(f.lib, path, 0, &f.face) != 0) {
        std::fprintf(stderr, "assetgen: cannot open font %s\n", path);
        return false;
    }
    FT_Set_Char_Size(f.face, 0, FT_F26Dot6(std::lround(pxHeight * 64)), 72, 72);
    FT_Matrix m{FT_Fixed(std::lround(xScale * 65536)), 0, 0, 0x10000};
    FT_Set_Transform(f.face, &m, nullptr);
    return true;
}

bool loadGlyph(Font& f, unsigned code, GlyphBitmap& out) {
    if (FT_Load_Char(f.face, code, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
        return false;
    const FT_GlyphSlot g = f.face->glyph;
    out.width = int(g->bitmap.width);
    out.rows = int(g->bitmap.rows);
    out.left = g->bitmap_left;
    out.top = g->bitmap_top;
    out.advance = float(g->advance.x) / 64.0f;
    out.coverage.assign(size_t(out.width) * out.rows, 0);
    for (int y = 0; y < out.rows; y++)
        for (int x = 0; x < out.width; x++)
            out.coverage[size_t(y) * out.width + x] = g->bitmap.buffer[y * g->bitmap.pitch + x];
    return true;
}

float layLine(std::vector<float>* mask, int w, int h, const char* font, const std::string& text,
              float pxHeight, float xScale, float spacing, float x, float baseline) {
    Font f;
    if (!openFont(f, font, pxHeight, xScale))
        return -1;
    float pen = x;
    for (size_t i = 0; i < text.size(); i++) {
        GlyphBitmap g;
        if (!loadGlyph(f, static_cast<unsigned char>(text[i]), g))
            return -1;
        if (mask) {
            const int ox = int(std::lround(pen)) + g.left, oy = int(std::lround(baseline)) - g.top;
            for (int gy = 0; gy < g.rows; gy++)
                for (int gx = 0; gx < g.width; gx++) {
                    const int px = ox + gx, py = oy + gy;
                    if (px < 0 || py < 0 || px >= w || py >= h)
                        continue;
                    float& m = (*mask)[size_t(py) * w + px];
                    m = std::fmin(1.0f, m + g.coverage[size_t(gy) * g.width + gx] / 255.0f);
                }
        }
        pen += g.advance + (i + 1 < text.size() ? spacing : 0);
    }
    return pen - x;
}
} // namespace

bool renderGlyph(const char* font, unsigned code, float pxHeight, float xScale, GlyphBitmap& out) {
    Font f;
    return openFont(f, font, pxHeight, xScale) && loadGlyph(f, code, out);
}

float drawTextMask(std::vector<float>& mask, int w, int h, const char* font, const std::string& text,
                   float pxHeight, float xScale, float spacing, float x, float baseline) {
    return layLine(&mask, w, h, font, text, pxHeight, xScale, spacing, x, baseline);
}

float textWidth(const char* font, const std::string& text, float pxHeight, float xScale, float spacing) {
    return layLine(nullptr, 0, 0, font, text, pxHeight, xScale, spacing, 0, 0);
}
