// What the font and the credits emit, caught with GL feedback: glyph quads, line advance, the overlay's
// placement and turn, and the GL state drawCredits hands back.
#include "offscreen/offscreen.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/font.h"
#include "show/particles.h"
#include "show/textures.h"
#include "show/timeline.h"
#include "tests/render/feedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// A y-down canvas whose units are the 640 x 480 window's pixels.
void pixelCanvas() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 640, 480, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
}

// Window coordinates back to the credits' 1200 x 900 overlay canvas (y down).
float overlayX(float x) {
    return x * 1200.0f / 640.0f;
}
float overlayY(float y) {
    return (480.0f - y) * 900.0f / 480.0f;
}

// The characters of the five credit lines.
const int lineLengths[5] = {13, 11, 15, 20, 29};
const int creditGlyphs = 13 + 11 + 15 + 20 + 29;
const int line5First = 13 + 11 + 15 + 20;

std::vector<FeedbackQuad> creditsAt(float t) {
    songTime = t;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    return captureQuads(drawCredits);
}

class TextGeometry : public testing::Test {
protected:
    void SetUp() override { needOffscreenContext(); }
};

} // namespace

TEST_F(TextGeometry, GlyphIsA100By50QuadOverItsCellRunningClockwise) {
    pixelCanvas();
    struct Case {
        unsigned char ch;
        int column, row;
    } cases[] = {{'A', 1, 4}, {'a', 1, 2},  {'~', 14, 5}, {'@', 0, 2},
                 {' ', 0, 0}, {'?', 15, 1}, {200, 15, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte " << int(c.ch));
        const auto quads = captureQuads([&] { drawGlyph(10.0f, 20.0f, c.ch); });
        ASSERT_EQ(quads.size(), 1u);
        const FeedbackQuad& q = quads[0];
        const float s0 = c.column / 16.0f, s1 = s0 + 0.0625f, t0 = c.row / 16.0f, t1 = t0 + 0.0625f;
        // Window y is up: canvas y 20 is window y 460.
        const struct {
            float s, t, x, y;
        } corners[] = {{s0, t1, 10, 70}, {s0, t0, 10, 20}, {s1, t0, 110, 20}, {s1, t1, 110, 70}};
        for (const auto& k : corners) {
            const FeedbackVertex* v = q.withTexture(k.s, k.t);
            ASSERT_NE(v, nullptr) << "no corner with texture (" << k.s << ", " << k.t << ")";
            EXPECT_NEAR(v->x, k.x, 1e-3);
            EXPECT_NEAR(480.0f - v->y, k.y, 1e-3);
        }
        EXPECT_LT(q.winding(), 0.0f) << "a glyph is a back face on a y-down canvas";
    }
}

TEST_F(TextGeometry, LineAdvancesSixtyPerByteOnOneBaseline) {
    pixelCanvas();
    const auto quads = captureQuads([] { drawText(10.0f, 20.0f, "Ab \x01~"); });
    ASSERT_EQ(quads.size(), 5u);
    for (int k = 0; k < 5; k++) {
        EXPECT_NEAR(quads[k].minX(), 10.0f + 60.0f * k, 1e-3) << "glyph " << k;
        EXPECT_NEAR(quads[k].maxX(), 110.0f + 60.0f * k, 1e-3) << "glyph " << k;
        EXPECT_NEAR(quads[k].minY(), 480.0f - 70.0f, 1e-3);
        EXPECT_NEAR(quads[k].maxY(), 480.0f - 20.0f, 1e-3);
    }
    EXPECT_NE(quads[3].withTexture(15 / 16.0f, 5 / 16.0f), nullptr) << "a control byte draws cell 95";
    EXPECT_TRUE(captureQuads([] { drawText(10.0f, 20.0f, ""); }).empty());

    // Twice as wide a canvas, so the 20 characters of line 4 fit.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1280, 960, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    const auto line = captureQuads([] { drawText(30.0f, 100.0f, "(5' to the deadline)"); });
    ASSERT_EQ(line.size(), 20u);
    EXPECT_NEAR(line.front().minX() * 2.0f, 30.0f, 1e-3);
    EXPECT_NEAR(line.back().maxX() * 2.0f, 30.0f + 60.0f * 19 + 100.0f, 1e-3) << "spans x + 60 (n - 1) + 100";
}

TEST_F(TextGeometry, AtTimeZeroTheFirstGlyphsSitWhereTheOverlayPutsThem) {
    const auto quads = creditsAt(0.0f);
    ASSERT_EQ(quads.size(), static_cast<size_t>(creditGlyphs)) << "every glyph survives the front culling";
    const FeedbackQuad& first = quads[0];
    EXPECT_NEAR(overlayX(first.minX()), 80.0f, 0.01);
    EXPECT_NEAR(overlayX(first.maxX()), 160.0f, 0.01);
    EXPECT_NEAR(overlayY(first.maxY()), 240.0f, 0.01);
    EXPECT_NEAR(overlayY(first.minY()), 310.0f, 0.01);
    const FeedbackQuad& fifth = quads[line5First];
    EXPECT_NEAR(overlayX(fifth.minX()), 120.0f, 0.01);
    EXPECT_NEAR(overlayX(fifth.maxX()), 160.0f, 0.01);
    EXPECT_NEAR(overlayY(fifth.maxY()), 576.0f, 0.01);
    EXPECT_NEAR(overlayY(fifth.minY()), 611.0f, 0.01);
    // 'V' is a capital: cell 65 + 21 = 86, column 6 of row 5.
    EXPECT_NE(first.withTexture(6 / 16.0f, 5 / 16.0f), nullptr);
    for (const FeedbackQuad& q : quads)
        for (const FeedbackVertex& v : q.v) {
            ASSERT_FLOAT_EQ(v.color[0], 1.0f);
            ASSERT_FLOAT_EQ(v.color[1], 0.9f);
            ASSERT_FLOAT_EQ(v.color[2], 0.0f);
            ASSERT_FLOAT_EQ(v.color[3], 0.4f);
        }
}

TEST_F(TextGeometry, PositiveAngleTurnsTheBlockClockwise) {
    // a = 15 sin(t / 5) is about +9.4 at 34.8 s and -11.4 at 20 s, times at which no glyph leaves the view.
    for (float t : {34.8f, 20.0f}) {
        const auto quads = creditsAt(t);
        ASSERT_EQ(quads.size(), static_cast<size_t>(creditGlyphs));
        // The top-left corner of a glyph is its vertex with texture (s0, t0).
        auto topLeft = [&](int k) {
            const FeedbackQuad& q = quads[k];
            float sMin = 1, tMin = 1;
            for (const FeedbackVertex& v : q.v) {
                sMin = std::min(sMin, v.texture[0]);
                tMin = std::min(tMin, v.texture[1]);
            }
            const FeedbackVertex* v = q.withTexture(sMin, tMin);
            return std::pair<float, float>(overlayX(v->x), overlayY(v->y));
        };
        const auto [x0, y0] = topLeft(0);
        const auto [x1, y1] = topLeft(12);
        const double turn = std::atan2(y1 - y0, x1 - x0) * 180.0 / M_PI;
        const double a = 15.0 * std::sin(t / 5.0);
        EXPECT_NEAR(turn, a, 0.5) << "on the y-down overlay, a line turned clockwise runs down to the right";
    }
}

TEST_F(TextGeometry, EveryCornerFollowsRotateThenDropThenScale) {
    const float t = 45.0f; // every term far from its rest value, no glyph out of view
    const auto quads = creditsAt(t);
    ASSERT_EQ(quads.size(), static_cast<size_t>(creditGlyphs));
    const double a = 15.0 * std::sin(t / 5.0) * M_PI / 180.0, d = 100.0 * std::sin(t / 2.0) + 100.0;
    const double sx = 0.1 * std::sin(t / 4.0) + 0.8, sy = 0.2 * std::sin(t / 4.1) + 1.4;
    int k = 0;
    for (int line = 0; line < 5; line++) {
        for (size_t n = 0; n < size_t(lineLengths[line]); n++, k++) {
            // The glyph's top-left corner in the frame drawText draws in, then out to the overlay.
            double px = line < 4 ? 100.0 + 60.0 * n : 150.0 + 0.5 * (60.0 * n);
            double py = line < 4 ? 100.0 + 60.0 * line : 340.0;
            px *= sx;
            py = py * sy + d;
            const double ex = px * std::cos(a) - py * std::sin(a), ey = px * std::sin(a) + py * std::cos(a);
            bool found = false;
            for (const FeedbackVertex& v : quads[k].v)
                found |= std::fabs(overlayX(v.x) - ex) < 0.05 && std::fabs(overlayY(v.y) - ey) < 0.05;
            EXPECT_TRUE(found) << "line " << line + 1 << " glyph " << n << " expected at " << ex << ", "
                               << ey;
        }
    }
}

TEST_F(TextGeometry, DrawCreditsHandsBackTheMatricesAndStacksItFound) {
    GLuint font = 0;
    glGenTextures(1, &font);
    texSouthPark = font;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 100);
    glPushMatrix();
    glRotatef(10, 1, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glTranslatef(3, -2, -9);
    glRotatef(25, 0, 1, 0);
    GLfloat projection[16], modelview[16], after[16];
    GLint projectionDepth = 0, modelviewDepth = 0, depth = 0, mode = 0, value = 0;
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);

    songTime = 12.34f;
    drawCredits();

    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(0, memcmp(after, projection, sizeof after));
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(0, memcmp(after, modelview, sizeof after));
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, modelviewDepth);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "blending is the caller's";
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(value, static_cast<GLint>(font));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.9f);
    EXPECT_FLOAT_EQ(colour[3], 0.4f);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDeleteTextures(1, &font);
    texSouthPark = 0;
}

TEST_F(TextGeometry, EveryWindowOfTheShowEndsWithTheCredits) {
    initParticlePools();
    for (float t : {0.0f, 1.99f, 2.0f, 24.99f, 25.0f, 49.99f, 50.0f, 81.99f, 82.0f, 500.0f}) {
        SCOPED_TRACE(testing::Message() << "songTime " << t);
        songTime = t;
        frameDelta = 1.0f / 60.0f;
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        const std::vector<GLfloat> frame = captureFeedback(drawShow);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        const std::vector<GLfloat> credits = captureFeedback(drawCredits);
        ASSERT_GT(credits.size(), 88u * 2 * 35 - 1) << "the overlay's glyphs, each two triangles";
        ASSERT_GT(frame.size(), credits.size()) << "the scene draws before the overlay";
        EXPECT_TRUE(std::equal(credits.begin(), credits.end(), frame.end() - credits.size()))
            << "the frame ends with exactly what drawCredits alone emits";
    }
}
