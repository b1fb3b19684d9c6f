// The three scenes: what they emit, caught with GL feedback (sprites, the pull towards the sway line, the
// sparks' lit colour, the bus scene's layers, zoom and figures), and what they show over their pictures
// (the spark column standing in the sky and never over the crowd).
#include "show/bus.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/frame.h"
#include "show/particles.h"
#include "show/replay.h"
#include "show/snow.h"
#include "show/timeline.h"
#include "tests/support.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Window coordinates of the 640 x 480 view on the picture canvas (1024 x 768, y down).
float canvasX(const FeedbackQuad& q) {
    return q.centreX() * 1.6f;
}
float canvasY(const FeedbackQuad& q) {
    return (480.0f - q.centreY()) * 1.6f;
}

class Scenes : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openShowHarness()); }
};

// The frame's steps after the clear, with the light on as the display callback leaves it.
void litShow() {
    setCamera();
    setLight();
    drawShow();
}

// What a campfire frame shows without sparks: the picture over the clear colour, and the credits.
Frame campfireWithoutSparks(float time) {
    songTime = time;
    clearFrame();
    setPictureCanvas();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawLagerFeuer();
    drawCredits();
    return readFrame();
}

} // namespace

TEST_F(Scenes, FlakesAre64SquaresAboutTheirPlaceTurnedClockwiseDrawnBeforeTheyMove) {
    for (int i = 0; i < snowPoolSize; i++) {
        snowPool[i].position[0] = 100.0f + 8.0f * i;
        snowPool[i].position[1] = 300.0f + i;
        snowPool[i].color[3] = i / 100.0f;
    }
    snowPool[0].angle = 90.0f;
    snowPool[0].life = 0.001f; // respawned by this frame's update, after it is drawn
    songTime = 2.0f;
    frameDelta = 1.0f / 60.0f;
    const auto quads = captureQuads([] { drawHeatTube(), drawSnow(), updateSnow(); });
    ASSERT_EQ(quads.size(), 101u) << "the picture and every flake face the viewer";
    for (int i = 0; i < snowPoolSize; i++) {
        EXPECT_NEAR(canvasX(quads[i + 1]), 100.0f + 8.0f * i, 0.01) << "flake " << i;
        EXPECT_NEAR(canvasY(quads[i + 1]), 300.0f + i, 0.01) << "flake " << i;
        EXPECT_NEAR(quads[i + 1].width() * 1.6f, 64.0f, 0.01);
        EXPECT_FLOAT_EQ(quads[i + 1].v[0].color[3], i / 100.0f);
    }
    // Turned by +90 degrees, the texture's top-left corner goes to the sprite's top right.
    const FeedbackVertex* corner = quads[1].withTexture(0.0f, 0.0f);
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(corner->x * 1.6f, 132.0f, 0.01);
    EXPECT_NEAR((480.0f - corner->y) * 1.6f, 268.0f, 0.01);
}

TEST_F(Scenes, SparksArePulledTowardsTheSwayLineAndLitWhateverTheirColour) {
    songTime = 30.0f;
    frameDelta = 1.0f / 60.0f;
    const float sway = float(500.0 + 200.0 * std::sin(30.0 / 4.0));
    // At y = 500 no pull; near the top nearly onto the line; half way; below 500, pushed further out.
    const float cases[][3] = {{300.0f, 500.0f, 300.0f},
                              {300.0f, 100.0f, sway + (300.0f - sway) * 0.2f},
                              {300.0f, 250.0f, sway + (300.0f - sway) * 0.5f},
                              {900.0f, 550.0f, sway + (900.0f - sway) * 1.1f}};
    for (int i = 0; i < firePoolSize; i++) {
        firePool[i].position[0] = cases[i % 4][0];
        firePool[i].position[1] = cases[i % 4][1];
        firePool[i].color[1] = (i % 10) / 10.0f;
        firePool[i].color[3] = (i % 7) / 7.0f;
    }
    firePool[0].life = 0.001f;
    // The sparks are the frame's first 500 quads (the credits at its end may be cut by the view's edge).
    const auto triangles = captureTriangles(litShow);
    ASSERT_GT(triangles.size(), 6u * 500);
    for (int i = 0; i < firePoolSize; i++) {
        FeedbackQuad q;
        std::copy_n(&triangles[size_t(6 * i)], 6, q.v);
        if (i < 4) {
            EXPECT_NEAR(canvasX(q), cases[i][2], 0.02) << "case " << i;
            EXPECT_NEAR(canvasY(q), cases[i][1], 0.02) << "case " << i;
        }
        const float* c = q.v[0].color;
        ASSERT_TRUE(c[0] > 0.1f && c[0] < 0.2f && c[1] == c[0] && c[2] == c[0] && c[3] == 1.0f)
            << "spark " << i << " is not in the frame's dim, opaque light";
    }
    EXPECT_FLOAT_EQ(firePool[0].position[1], 550.0f + firePool[0].velocity[1] / 60.0f)
        << "moved after the draw";
}

TEST_F(Scenes, BusSceneLayersBackdropFiguresSevenToZeroAndTheGrowingBusAndFiguresWalkAfterTheirTime) {
    for (float t : {0.0f, 2.0f, 5.0f}) {
        // Lit, and in the credits' colour, as the frame before leaves it.
        const auto quads =
            captureQuads([&] { setLight(), glColor4f(1.0f, 0.9f, 0.0f, 0.4f), drawBusScene(t); });
        ASSERT_EQ(quads.size(), 10u) << "all ten layers face the viewer";
        for (const FeedbackQuad& q : quads)
            EXPECT_TRUE(std::all_of(q.v[0].color, q.v[0].color + 4, [](float c) { return c == 1.0f; }))
                << "the bus scene is drawn unlit, untinted";
        EXPECT_TRUE(quads[0].width() == 640.0f && quads[0].withTexture(0.0f, 0.0f)) << "the backdrop";
        const float zoom = t / 10.0f + 0.5f;
        for (int k = 1; k <= 8; k++) {
            const int i = 8 - k;
            EXPECT_NE(quads[size_t(k)].withTexture(i % 4 / 4.0f + 0.25f, i / 4 / 2.0f + 0.5f), nullptr) << k;
            EXPECT_NEAR(canvasX(quads[size_t(k)]), i < 4 ? 462.0f : 562.0f, 0.01) << "figure " << i;
            EXPECT_NEAR(quads[size_t(k)].height() * 1.6f, 512.0f * 0.65f * zoom, 0.01) << "figure " << i;
        }
        EXPECT_NEAR(canvasX(quads[9]), 512.0f, 0.01);
        EXPECT_NEAR(canvasY(quads[9]), 400.0f, 0.01);
        EXPECT_NEAR(quads[9].width() * 1.6f, 512.0f * zoom, 0.01) << "the bus at " << t;
    }
    EXPECT_TRUE(passengers[0].position[0] == -50.0f && passengers[0].angle == 0.0f)
        << "figure 0 started at 5 s";
    // Strictly after 5 s figure 0 walks: drawn at rest in its first walking frame, then moved.
    auto quads = captureQuads([&] { drawBusScene(5.0f + 1.0f / 60); });
    EXPECT_NEAR(canvasX(quads[8]), 462.0f, 0.01);
    EXPECT_NEAR(passengers[0].position[0], -50.0f - 150.0f / 60, 1e-3);
    EXPECT_EQ(passengers[1].position[0], -50.0f) << "figure 1 starts at 8 s";
    drawBusScene(7.5f); // a skipped stretch: the walk follows the figure's own time
    quads = captureQuads([] { drawBusScene(3.0f); });
    EXPECT_NEAR(canvasX(quads[8]), 512.0f - 425.0f, 0.1) << "where 2.5 s took it, not back at rest";
    // Turned clockwise for its positive tilt: the figure's top lies right of its bottom.
    ASSERT_GT(passengers[0].angle, 1.0f);
    EXPECT_GT(quads[8].withTexture(0.0f, 0.0f)->x, quads[8].withTexture(0.0f, 0.5f)->x);
}

TEST_F(Scenes, SparksStandAsASwayingColumnInTheSkyAndNeverShowOverTheCrowd) {
    // The campfire at 20 steps a second, looked at against the picture and credits alone at 25, 31, 37
    // and 43 s. The crowd's band runs from row 217 of the picture's 512 to row 303, opaque below.
    for (int step = 25 * 20; step <= 43 * 20; step += 120) {
        const float time = step / 20.0f;
        // The campfire starts without a step; the steps between the frames looked at are a lead-in.
        const Frame f = step == 500 ? drawShowFrame(time, 0.0f)
                                    : (replayFrames(step - 119, step, 20.0, 640, 480),
                                       drawFrameAt(step, 20.0), readFrame());
        const Frame bare = campfireWithoutSparks(time);
        int overCrowd = 0, darker = 0, glow = 0, highest = f.height;
        for (int y = 0; y < f.height; y++)
            for (int x = 0; x < f.width; x++) {
                const unsigned char *got = f.at(x, y), *want = bare.at(x, y);
                overCrowd += y >= 287 && std::memcmp(got, want, 3) != 0;
                darker += got[0] < want[0] || got[1] < want[1] || got[2] < want[2];
                if (y < 203 && got[0] - want[0] > 24)
                    glow++, highest = std::min(highest, y);
            }
        EXPECT_EQ(overCrowd, 0) << "at " << time << " s sparks show over the crowd";
        EXPECT_EQ(darker, 0) << "at " << time << " s: sparks only ever add light";
        if (time == 25.0f) {
            EXPECT_EQ(glow, 0) << "every spark starts behind the crowd";
            continue;
        }
        // Lit sparks glow for their whole life: a column many sprites strong stands in the sky and reaches
        // its upper third.
        EXPECT_GT(glow, 1000) << "at " << time << " s";
        EXPECT_LT(highest, f.height / 3) << "at " << time << " s";
    }
}
