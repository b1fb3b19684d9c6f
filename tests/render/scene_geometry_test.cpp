// What the three scenes emit, caught with GL feedback: flake and spark sprites, the pull towards the
// sway line, the sparks drawn in the frame's light, and the bus scene's layers, zoom and figures.
#include "offscreen/offscreen.h"
#include "show/bus.h"
#include "show/clock.h"
#include "show/fire.h"
#include "show/frame.h"
#include "show/particles.h"
#include "show/snow.h"
#include "show/timeline.h"
#include "tests/render/feedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// Window coordinates of the 640 x 480 view back to the picture canvas (1024 x 768, y down).
float canvasX(float x) {
    return x * 1024.0f / 640.0f;
}
float canvasY(float y) {
    return (480.0f - y) * 768.0f / 480.0f;
}
float centreX(const FeedbackQuad& q) {
    return canvasX((q.minX() + q.maxX()) / 2);
}
float centreY(const FeedbackQuad& q) {
    return canvasY((q.minY() + q.maxY()) / 2);
}
float width(const FeedbackQuad& q) {
    return canvasX(q.maxX()) - canvasX(q.minX());
}
float height(const FeedbackQuad& q) {
    return canvasY(q.minY()) - canvasY(q.maxY());
}

// The picture canvas seen from twice as far: x -512 to 1536 and y -384 to 1152, so sprites beyond the
// picture's edges are not clipped. Window coordinates map back with wideX and wideY.
void wideCanvas() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-512, 1536, 1152, -384, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
float wideX(float x) {
    return x * 2048.0f / 640.0f - 512.0f;
}
float wideY(float y) {
    return (480.0f - y) * 1536.0f / 480.0f - 384.0f;
}

// A frame's steps after the clear: camera, light (lighting on), then the show.
void litFrame() {
    setCamera();
    setLight();
    drawShow();
}

class SceneGeometry : public testing::Test {
protected:
    void SetUp() override {
        needOffscreenContext();
        initParticlePools();
        glEnable(GL_CULL_FACE);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT1);
    }
};

} // namespace

TEST_F(SceneGeometry, FlakesAre64SquaresAboutTheirPlaceTurnedClockwiseInTheirColour) {
    for (int i = 0; i < snowPoolSize; i++) {
        Particle& f = snowPool[i];
        f.position[0] = 100.0f + 8.0f * i;
        f.position[1] = 300.0f + i;
        f.angle = 0.0f;
        f.color[3] = i / 100.0f;
    }
    snowPool[0].angle = 90.0f;
    setPictureCanvas();
    glDisable(GL_LIGHTING);
    const auto quads = captureQuads(drawSnow);
    ASSERT_EQ(quads.size(), 100u) << "every flake faces the viewer and survives the back-face culling";
    for (int i = 0; i < snowPoolSize; i++) {
        EXPECT_NEAR(centreX(quads[i]), 100.0f + 8.0f * i, 0.01) << "flake " << i;
        EXPECT_NEAR(centreY(quads[i]), 300.0f + i, 0.01) << "flake " << i;
        EXPECT_NEAR(width(quads[i]), 64.0f, 0.01);
        EXPECT_NEAR(height(quads[i]), 64.0f, 0.01);
        EXPECT_FLOAT_EQ(quads[i].v[0].color[3], i / 100.0f);
    }
    // Turned by +90 degrees, the texture's top-left corner goes to the sprite's top right.
    const FeedbackVertex* corner = quads[0].withTexture(0.0f, 0.0f);
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(canvasX(corner->x), 100.0f + 32.0f, 0.01);
    EXPECT_NEAR(canvasY(corner->y), 300.0f - 32.0f, 0.01);
    GLint value = 0;
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(SceneGeometry, SparksArePulledTowardsTheSwayLineInProportionToHeight) {
    songTime = 30.0f;
    const float sway = static_cast<float>(500.0 + 200.0 * std::sin(30.0 / 4.0));
    const struct {
        float x, y, drawnX;
    } cases[] = {
        {300.0f, 500.0f, 300.0f},                         // at y = 500 no pull
        {300.0f, 0.0f, sway},                             // at the top edge, on the line
        {300.0f, 250.0f, sway + (300.0f - sway) * 0.5f},  // half way
        {900.0f, 550.0f, sway + (900.0f - sway) * 1.1f},  // at the birth height, further out
        {300.0f, -200.0f, sway - (300.0f - sway) * 0.4f}, // above the top edge, the other side
    };
    for (int i = 0; i < firePoolSize; i++) {
        firePool[i].position[0] = cases[i % 5].x;
        firePool[i].position[1] = cases[i % 5].y;
    }
    wideCanvas();
    const auto quads = captureQuads(drawFire);
    ASSERT_EQ(quads.size(), 500u);
    for (int i = 0; i < 5; i++) {
        const FeedbackQuad& q = quads[i];
        EXPECT_NEAR(wideX((q.minX() + q.maxX()) / 2), cases[i].drawnX, 0.02) << "case " << i;
        EXPECT_NEAR(wideY((q.minY() + q.maxY()) / 2), cases[i].y, 0.02) << "case " << i;
    }
    EXPECT_EQ(firePool[4].position[0], 300.0f) << "drawing does not move a spark";
    GLint value = 0;
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE) << "sparks add onto what lies below";
}

TEST_F(SceneGeometry, SparksAreDrawnInTheFramesLightWhateverTheirColour) {
    for (int i = 0; i < firePoolSize; i++) {
        Particle& s = firePool[i];
        s.position[0] = 300.0f + i;
        s.position[1] = 200.0f;
        s.color[0] = 0.9f;
        s.color[1] = (i % 10) / 10.0f;
        s.color[2] = 0.3f;
        s.color[3] = (i % 7) / 7.0f;
    }
    songTime = 30.0f;
    frameDelta = 0.0f;
    // The sparks are the frame's first 500 quads: every one the same dim, opaque grey.
    const auto vertices = feedbackTriangles(captureFeedback(litFrame));
    ASSERT_GT(vertices.size(), 6u * 500);
    for (int i = 0; i < firePoolSize; i++) {
        const float* c = vertices[6 * i].color;
        ASSERT_NEAR(c[0], vertices[0].color[0], 0.001f) << "spark " << i;
        ASSERT_EQ(c[1], c[0]) << "spark " << i;
        ASSERT_EQ(c[2], c[0]) << "spark " << i;
        ASSERT_EQ(c[3], 1.0f) << "spark " << i;
    }
    EXPECT_GT(vertices[0].color[0], 0.1f);
    EXPECT_LT(vertices[0].color[0], 0.2f);
}

TEST_F(SceneGeometry, AFrameShowsFlakesAndSparksWhereThePreviousFrameLeftThem) {
    // A flake and a spark about to respawn: the frame draws them as they were and only then moves them.
    snowPool[0].life = 0.001f;
    firePool[0].life = 0.001f;
    firePool[0].position[1] = 300.0f;
    frameDelta = 1.0f / 60.0f;
    songTime = 2.0f;
    auto vertices = feedbackTriangles(captureFeedback(litFrame));
    ASSERT_GT(vertices.size(), 6u); // the flake is drawn over the HeatTube picture
    EXPECT_EQ(vertices[6].color[3], 0.0f) << "the flake is drawn dormant";
    songTime = 25.0f;
    vertices = feedbackTriangles(captureFeedback(litFrame));
    ASSERT_GT(vertices.size(), 0u);
    FeedbackQuad spark;
    std::copy(vertices.begin(), vertices.begin() + 6, spark.v);
    EXPECT_NEAR(centreY(spark), 300.0f, 0.01) << "the spark is drawn where it was";
    EXPECT_FLOAT_EQ(snowPool[0].color[3], 1.0f - 0.15f / 60.0f);
    EXPECT_FLOAT_EQ(firePool[0].position[1], 550.0f + firePool[0].velocity[1] / 60.0f);
}

TEST_F(SceneGeometry, BusSceneLayersBackdropThenFiguresSevenToZeroThenTheBus) {
    const auto quads = captureQuads([] { drawBusScene(2.0f); });
    ASSERT_EQ(quads.size(), 10u) << "all ten layers face the viewer";
    EXPECT_NEAR(canvasX(quads[0].minX()), 0.0f, 0.01);
    EXPECT_NEAR(canvasX(quads[0].maxX()), 1024.0f, 0.01);
    EXPECT_NEAR(canvasY(quads[0].maxY()), 0.0f, 0.01);
    EXPECT_NEAR(canvasY(quads[0].minY()), 768.0f, 0.01);
    EXPECT_NE(quads[0].withTexture(0.0f, 0.0f), nullptr);
    for (int k = 1; k <= 8; k++) {
        const int i = 8 - k;
        EXPECT_NE(quads[k].withTexture((i % 4) / 4.0f, (i / 4) / 2.0f), nullptr) << "layer " << k;
        EXPECT_NE(quads[k].withTexture((i % 4) / 4.0f + 0.25f, (i / 4) / 2.0f + 0.5f), nullptr);
        EXPECT_NEAR(centreX(quads[k]), i < 4 ? 462.0f : 562.0f, 0.01) << "figure " << i;
        EXPECT_NEAR(centreY(quads[k]), 400.0f, 0.01);
    }
    const float zoom = 0.7f;
    EXPECT_NEAR(centreX(quads[9]), 512.0f, 0.01);
    EXPECT_NEAR(centreY(quads[9]), 400.0f, 0.01);
    EXPECT_NEAR(width(quads[9]), 512.0f * zoom, 0.01);
    EXPECT_NEAR(height(quads[9]), 512.0f * zoom, 0.01);
    for (const FeedbackQuad& q : quads)
        for (float c : q.v[0].color)
            EXPECT_EQ(c, 1.0f);
}

TEST_F(SceneGeometry, BusGrowsFromHalfToFullSizeWhileFiguresKeepTheirOffsets) {
    const auto start = captureQuads([] { drawBusScene(0.0f); });
    ASSERT_EQ(start.size(), 10u);
    EXPECT_NEAR(canvasX(start[9].minX()), 384.0f, 0.01);
    EXPECT_NEAR(canvasX(start[9].maxX()), 640.0f, 0.01);
    EXPECT_NEAR(canvasY(start[9].maxY()), 272.0f, 0.01);
    EXPECT_NEAR(canvasY(start[9].minY()), 528.0f, 0.01);
    EXPECT_NEAR(width(start[8]), 128.0f * 0.65f * 0.5f, 0.01) << "figure 0";
    EXPECT_NEAR(height(start[8]), 512.0f * 0.65f * 0.5f, 0.01);
    EXPECT_NEAR(centreX(start[8]), 462.0f, 0.01) << "the offset from the bus centre is not zoomed";
    EXPECT_NEAR(centreX(start[4]), 562.0f, 0.01) << "figure 4";

    const auto full = captureQuads([] { drawBusScene(5.0f); });
    ASSERT_EQ(full.size(), 10u);
    EXPECT_NEAR(canvasX(full[9].minX()), 256.0f, 0.01);
    EXPECT_NEAR(canvasX(full[9].maxX()), 768.0f, 0.01);
    EXPECT_NEAR(canvasY(full[9].maxY()), 144.0f, 0.01);
    EXPECT_NEAR(canvasY(full[9].minY()), 656.0f, 0.01);
    EXPECT_NEAR(width(full[8]), 83.2f, 0.01);
    EXPECT_NEAR(height(full[8]), 332.8f, 0.01);
}

TEST_F(SceneGeometry, AFigureStartsStrictlyAfterItsTimeAndIsFirstDrawnAtRest) {
    drawBusScene(5.0f);
    EXPECT_EQ(passengers[0].position[0], -50.0f) << "at exactly 5 s figure 0 has not started";
    EXPECT_EQ(passengers[0].angle, 0.0f);

    const float t1 = 5.0f + 1.0f / 60.0f;
    const auto first = captureQuads([&] { drawBusScene(t1); });
    EXPECT_NEAR(centreX(first[8]), 462.0f, 0.01) << "drawn at rest in its first walking frame";
    EXPECT_FLOAT_EQ(passengers[0].position[0], -50.0f - 150.0f * (t1 - 5.0f));
    EXPECT_EQ(passengers[1].position[0], -50.0f) << "figure 1 starts at 8 s";

    const float movedTo = passengers[0].position[0];
    const auto second = captureQuads([&] { drawBusScene(t1 + 1.0f / 60.0f); });
    EXPECT_NEAR(centreX(second[8]), 512.0f + movedTo, 0.01) << "then where the last frame moved it";
}

TEST_F(SceneGeometry, AFiguresWalkIgnoresSkippedFramesAndStopsWhenTimeGoesBack) {
    drawBusScene(7.5f); // straight from the start state: figure 0 is 2.5 s into its walk
    EXPECT_FLOAT_EQ(passengers[0].position[0], -50.0f - 375.0f);
    EXPECT_FLOAT_EQ(passengers[0].angle, static_cast<float>(4.0 + 8.0 * std::sin(2.5 / 0.2)));
    EXPECT_EQ(passengers[1].position[0], -50.0f);

    const Particle walked = passengers[0];
    const auto back = captureQuads([] { drawBusScene(3.0f); });
    EXPECT_EQ(0, memcmp(&passengers[0], &walked, sizeof walked)) << "not returned to rest";
    EXPECT_NEAR(centreX(back[8]), 512.0f - 425.0f, 0.1);

    // Turned clockwise for its positive tilt: the figure's top lies right of its bottom.
    ASSERT_GT(walked.angle, 1.0f);
    const FeedbackVertex* topLeft = back[8].withTexture(0.0f, 0.0f);
    const FeedbackVertex* bottomLeft = back[8].withTexture(0.0f, 0.5f);
    ASSERT_TRUE(topLeft && bottomLeft);
    EXPECT_GT(canvasX(topLeft->x), canvasX(bottomLeft->x));
}

TEST_F(SceneGeometry, BusSceneLeavesThePictureCanvasAsItLoadedIt) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    drawBusScene(3.0f);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (int k = 0; k < 16; k++)
        EXPECT_EQ(modelview[k], k % 5 == 0 ? 1.0f : 0.0f) << "element " << k;
    GLint depth = 0, mode = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, depthBefore);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
