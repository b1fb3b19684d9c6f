// The bitmap font sheet: 32 x 32 cells, 16 to a row, glyphs of codes 32..126 with capitals in the places of
// the small letters, and a hollow rectangle for missing characters.
#include "tools/assetgen/pictures/paint.h"
#include "tools/assetgen/pictures/text.h"

#include <algorithm>

namespace {
constexpr int kCell = 32;
// The show draws a cell twice as wide as tall, so glyphs are narrowed to look upright there.
constexpr float kEm = 33.0f, kXScale = 0.74f;
constexpr int kBaseline = 28;

void putCoverage(std::vector<float>& rgba, int x, int y, float coverage) {
    if (coverage <= 0)
        return;
    float* p = &rgba[(size_t(y) * kTex + x) * 4];
    p[0] = p[1] = p[2] = 1.0f;
    p[3] = std::min(1.0f, coverage);
}

bool drawGlyphCell(std::vector<float>& rgba, int cell, unsigned code) {
    GlyphBitmap g;
    if (!renderGlyph(kSansBold, code, kEm, kXScale, g))
        return false;
    const int cx = (cell % 16) * kCell, cy = (cell / 16) * kCell;
    const int ox = cx + (kCell - g.width) / 2;
    // Keep tall glyphs (brackets, descenders) inside their cell, a texel clear of its edges so that
    // filtering does not pull in the neighbouring cell.
    int oy = cy + kBaseline - g.top;
    oy = std::min(oy, cy + kCell - 1 - g.rows);
    oy = std::max(oy, cy + 1);
    for (int y = 0; y < g.rows; y++)
        for (int x = 0; x < g.width; x++) {
            const int px = ox + x, py = oy + y;
            if (px <= cx || px >= cx + kCell - 1 || py <= cy || py >= cy + kCell - 1)
                continue;
            putCoverage(rgba, px, py, g.coverage[size_t(y) * g.width + x] / 255.0f);
        }
    return true;
}
} // namespace

bool paintFontSheet(PngData& out) {
    std::vector<float> rgba(size_t(kTex) * kTex * 4, 0.0f);
    for (int k = 1; k < 95; k++) {
        unsigned code = unsigned(32 + k);
        if (code >= 'a' && code <= 'z')
            code -= 32;
        if (!drawGlyphCell(rgba, k, code))
            return false;
    }
    // Cell 95: the hollow rectangle, two pixels thick.
    const int cx = 15 * kCell, cy = 5 * kCell;
    for (int y = 4; y < 28; y++)
        for (int x = 8; x < 24; x++)
            if (x < 10 || x >= 22 || y < 6 || y >= 26)
                putCoverage(rgba, cx + x, cy + y, 1.0f);
    out = packRgb(kTex, kTex, rgba, true, 8);
    return true;
}
