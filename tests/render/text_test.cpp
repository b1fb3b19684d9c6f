// The font and the credits: each byte's cell, and every glyph of the five lines drawn from its cell where
// the overlay's turn, drop and scale put it, in its colour.
#include "show/clock.h"
#include "show/credits.h"
#include "show/font.h"
#include "tests/support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const char* const credits[5] = {"Vormel & quib", "10h live at", "NightShore 2003", "(5' to the deadline)",
                                "(and we are not finished yet)"};
const int creditGlyphs = 13 + 11 + 15 + 20 + 29;

// Window coordinates back to the overlay canvas (1200 x 900, y down).
double overlayX(float x) {
    return x * 1200.0 / 640.0;
}
double overlayY(float y) {
    return (480.0 - y) * 900.0 / 480.0;
}

} // namespace

TEST(GlyphCell, LettersOfEitherCaseTakeTheOtherCasesPlaceAndUnknownBytesCell95) {
    for (int byte = 0; byte < 256; byte++) {
        const int expected = byte >= 'a' && byte <= 'z'   ? 33 + byte - 'a'
                             : byte >= 'A' && byte <= 'Z' ? 65 + byte - 'A'
                             : byte >= 32 && byte <= 126  ? byte - 32
                                                          : 95;
        EXPECT_EQ(glyphCell(static_cast<unsigned char>(byte)), expected) << "byte " << byte;
    }
}

TEST(Credits, EveryGlyphShowsItsCellWhereTurnDropAndScaleTakeIt) {
    ASSERT_TRUE(openShowHarness());
    for (float t : {0.0f, 45.0f}) { // at rest, and with every term far from its rest value
        songTime = t;
        const auto quads = captureQuads(drawCredits);
        ASSERT_EQ(quads.size(), size_t(creditGlyphs)) << "every glyph survives the front culling";
        const double a = 15.0 * std::sin(t / 5.0) * M_PI / 180.0, d = 100.0 * std::sin(t / 2.0) + 100.0;
        const double sx = 0.1 * std::sin(t / 4.0) + 0.8, sy = 0.2 * std::sin(t / 4.1) + 1.4;
        // A point of a line in the frame drawText draws in, out to the overlay canvas.
        auto place = [&](double x, double y, int line) {
            if (line == 4)
                x = 150 + 0.5 * x, y = 340 + 0.5 * y;
            const double px = x * sx, py = y * sy + d;
            return std::pair{px * std::cos(a) - py * std::sin(a), px * std::sin(a) + py * std::cos(a)};
        };
        for (int line = 0, k = 0; line < 5; line++)
            for (int n = 0; credits[line][n]; n++, k++) {
                const FeedbackQuad& q = quads[size_t(k)];
                const int cell = glyphCell(static_cast<unsigned char>(credits[line][n]));
                for (int c = 0; c < 2; c++) { // the cell's top-left and bottom-right corners
                    const FeedbackVertex* v = q.withTexture((cell % 16 + c) / 16.0f, (cell / 16 + c) / 16.0f);
                    ASSERT_NE(v, nullptr) << "line " << line + 1 << " glyph " << n << " is not its cell";
                    const auto [ex, ey] = place((line < 4 ? 100 : 0) + 60 * n + 100 * c,
                                                (line < 4 ? 100 + 60 * line : 0) + 50 * c, line);
                    EXPECT_TRUE(std::fabs(overlayX(v->x) - ex) < 0.05 &&
                                std::fabs(overlayY(v->y) - ey) < 0.05)
                        << "t " << t << " line " << line + 1 << " glyph " << n << " corner " << c;
                }
                EXPECT_LT(q.winding(), 0.0f) << "a glyph is a back face on the y-down canvas";
                EXPECT_TRUE(q.v[0].color[0] == 1.0f && std::fabs(q.v[0].color[1] - 0.9f) < 1e-6f &&
                            q.v[0].color[2] == 0.0f && std::fabs(q.v[0].color[3] - 0.4f) < 1e-6f);
            }
    }
}
