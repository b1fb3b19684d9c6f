// The font and the credits: each byte's cell, glyph quads and their advance, where the overlay puts every
// glyph as it sways, the GL state it hands back, its place at the end of every frame, and the yellow
// boxes it draws when the font is missing.
#include "show/clock.h"
#include "show/credits.h"
#include "show/font.h"
#include "show/frame.h"
#include "show/textures.h"
#include "show/timeline.h"
#include "tests/support.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

const int lineLengths[5] = {13, 11, 15, 20, 29}; // the five credit lines
const int creditGlyphs = 13 + 11 + 15 + 20 + 29;

// Window coordinates back to the overlay canvas (1200 x 900, y down).
double overlayX(float x) {
    return x * 1200.0 / 640.0;
}
double overlayY(float y) {
    return (480.0 - y) * 900.0 / 480.0;
}

std::vector<FeedbackQuad> creditsAt(float t) {
    songTime = t;
    glCullFace(GL_BACK);
    return captureQuads(drawCredits);
}

class Text : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openShowHarness()); }
};

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

TEST_F(Text, GlyphsAre100By50QuadsOverTheirCellsSixtyApartRunningClockwise) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 1); // y down, one unit a pixel
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    const auto quads = captureQuads([] { drawText(10.0f, 20.0f, "a~@\xc8"); });
    glEnable(GL_CULL_FACE);
    ASSERT_EQ(quads.size(), 4u);
    const int cells[] = {33, 94, 32, 95};
    for (int k = 0; k < 4; k++) {
        const float s0 = cells[k] % 16 / 16.0f, t0 = cells[k] / 16 / 16.0f, x = 10.0f + 60.0f * k;
        const struct {
            float s, t, x, y;
        } corners[] = {{s0, t0 + 0.0625f, x, 70}, {s0, t0, x, 20}, {s0 + 0.0625f, t0, x + 100, 20}};
        for (const auto& c : corners) {
            const FeedbackVertex* v = quads[size_t(k)].withTexture(c.s, c.t);
            ASSERT_NE(v, nullptr) << "glyph " << k << ": no corner with texture " << c.s << ", " << c.t;
            EXPECT_NEAR(v->x, c.x, 1e-3) << "glyph " << k;
            EXPECT_NEAR(480.0f - v->y, c.y, 1e-3) << "glyph " << k;
        }
        EXPECT_LT(quads[size_t(k)].winding(), 0.0f) << "a glyph is a back face on a y-down canvas";
    }
}

TEST_F(Text, EveryGlyphOfTheCreditsSwaysAsTurnThenDropThenScaleSay) {
    for (float t : {0.0f, 45.0f}) { // at rest, and with every term far from its rest value
        const auto quads = creditsAt(t);
        ASSERT_EQ(quads.size(), size_t(creditGlyphs)) << "every glyph survives the front culling";
        const double a = 15.0 * std::sin(t / 5.0) * M_PI / 180.0, d = 100.0 * std::sin(t / 2.0) + 100.0;
        const double sx = 0.1 * std::sin(t / 4.0) + 0.8, sy = 0.2 * std::sin(t / 4.1) + 1.4;
        for (int line = 0, k = 0; line < 5; line++)
            for (int n = 0; n < lineLengths[line]; n++, k++) {
                // The glyph's top-left corner where drawText puts it, then out to the overlay canvas.
                const double px = (line < 4 ? 100.0 + 60.0 * n : 150.0 + 30.0 * n) * sx;
                const double py = (line < 4 ? 100.0 + 60.0 * line : 340.0) * sy + d;
                const double ex = px * std::cos(a) - py * std::sin(a),
                             ey = px * std::sin(a) + py * std::cos(a);
                bool found = false;
                for (const FeedbackVertex& v : quads[size_t(k)].v) {
                    found |= std::fabs(overlayX(v.x) - ex) < 0.05 && std::fabs(overlayY(v.y) - ey) < 0.05;
                    EXPECT_TRUE(v.color[0] == 1.0f && std::fabs(v.color[1] - 0.9f) < 1e-6f &&
                                v.color[2] == 0.0f && std::fabs(v.color[3] - 0.4f) < 1e-6f);
                }
                EXPECT_TRUE(found) << "t " << t << " line " << line + 1 << " glyph " << n << " not at " << ex
                                   << ", " << ey;
            }
        if (t == 0.0f) { // the first glyphs of lines 1 and 5 as the overlay's own numbers give them
            EXPECT_NEAR(overlayX(quads[0].v[0].x), 80, 0.01);
            EXPECT_NEAR(overlayY(quads[size_t(creditGlyphs - 29)].v[1].y), 576, 0.01);
        }
    }
}

TEST_F(Text, DrawCreditsHandsBackTheMatricesAndStacksItFound) {
    glMatrixMode(GL_PROJECTION);
    glFrustum(-1, 1, -0.75, 0.75, 1, 100);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(3, -2, -9);
    GLfloat before[2][16], after[2][16];
    GLint depths[2], depthsAfter[2], value = 0;
    glGetFloatv(GL_PROJECTION_MATRIX, before[0]);
    glGetFloatv(GL_MODELVIEW_MATRIX, before[1]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[0]);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[1]);
    songTime = 12.34f;
    drawCredits();
    glGetFloatv(GL_PROJECTION_MATRIX, after[0]);
    glGetFloatv(GL_MODELVIEW_MATRIX, after[1]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthsAfter[0]);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthsAfter[1]);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    EXPECT_EQ(std::memcmp(depths, depthsAfter, sizeof depths), 0);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(Text, EveryWindowOfTheShowEndsWithTheCredits) {
    for (float t : {0.0f, 2.0f, 25.0f, 50.0f, 82.0f, 500.0f}) {
        songTime = t;
        frameDelta = 1.0f / 60.0f;
        const auto frame = captureTriangles(drawShow);
        glCullFace(GL_BACK);
        const auto credits = captureTriangles(drawCredits);
        ASSERT_GT(frame.size(), credits.size()) << t;
        EXPECT_EQ(std::memcmp(&frame[frame.size() - credits.size()], credits.data(),
                              credits.size() * sizeof(FeedbackVertex)),
                  0)
            << "the frame at " << t << " s does not end with the credits";
    }
}

TEST_F(Text, MissingFontDrawsOneTranslucentYellowBoxPerCharacter) {
    clearFrame();
    drawHeatTube();
    const Frame under = readFrame();
    const GLuint font = texSouthPark;
    texSouthPark = 0;
    const Frame f = drawShowFrame(0.0f, 0.0f);
    texSouthPark = font;
    // Along line 1, 13 characters, box k covers overlay x 80 + 48 k to 160 + 48 k and y 240 to 310;
    // where n boxes overlap, the picture keeps 0.6^n of itself.
    int bad = 0, doubled = 0;
    for (int y = 129; y < 165; y++)
        for (int x = 0; x < f.width; x++) {
            const double X = (x + 0.5) * 1200.0 / 640.0;
            int n = 0;
            bool edge = false;
            for (int k = 0; k < 13; k++) {
                n += X >= 80.0 + 48 * k && X < 160.0 + 48 * k;
                edge |= std::fabs(X - 80.0 - 48 * k) < 2.0 || std::fabs(X - 160.0 - 48 * k) < 2.0;
            }
            const double keep = std::pow(0.6, n),
                         want[3] = {under.at(x, y)[0] * keep + 255 * (1 - keep),
                                    under.at(x, y)[1] * keep + 229.5 * (1 - keep), under.at(x, y)[2] * keep};
            bad += !edge && colourDistance(f.at(x, y), want) > 4.0;
            doubled += n == 2;
        }
    EXPECT_GT(doubled, 1000);
    EXPECT_EQ(bad, 0) << "pixels along line 1 that are not the boxes over the picture";
    if (HasFailure())
        keepFrame(f, "credits-nofont");
}
