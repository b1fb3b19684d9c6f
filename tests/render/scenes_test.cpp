// The three scenes: what they emit (caught with GL feedback: sprites, the pull towards the sway line, the
// spark's lit colour, the bus scene's layers, zoom and figures) and what they show over their pictures
// (flakes leaving the duct, the spark column standing in the sky and never over the crowd).
#include "show/bus.h"
#include "show/clock.h"
#include "show/credits.h"
#include "show/fire.h"
#include "show/frame.h"
#include "show/particles.h"
#include "show/snow.h"
#include "show/timeline.h"
#include "tests/support.h"

#include <GL/gl.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Window coordinates of the 640 x 480 view back to the picture canvas (1024 x 768, y down).
float canvasX(float x) {
    return x * 1024.0f / 640.0f;
}
float canvasY(float y) {
    return (480.0f - y) * 768.0f / 480.0f;
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

// What a frame of the given picture routine shows with no particle in it: the picture and the credits.
Frame pictureAndCredits(float time, void (*picture)()) {
    songTime = time;
    clearFrame();
    setCamera();
    setLight();
    setPictureCanvas();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    picture();
    drawCredits();
    glFlush();
    return readFrame();
}

} // namespace

TEST_F(Scenes, FlakesAre64SquaresAboutTheirPlaceTurnedClockwise) {
    for (int i = 0; i < snowPoolSize; i++) {
        snowPool[i].position[0] = 100.0f + 8.0f * i;
        snowPool[i].position[1] = 300.0f + i;
        snowPool[i].color[3] = i / 100.0f;
    }
    snowPool[0].angle = 90.0f;
    setPictureCanvas();
    const auto quads = captureQuads(drawSnow);
    ASSERT_EQ(quads.size(), 100u) << "every flake faces the viewer";
    for (int i = 0; i < snowPoolSize; i++) {
        EXPECT_NEAR(canvasX(quads[i].centreX()), 100.0f + 8.0f * i, 0.01) << "flake " << i;
        EXPECT_NEAR(canvasY(quads[i].centreY()), 300.0f + i, 0.01) << "flake " << i;
        EXPECT_NEAR(quads[i].width() * 1.6f, 64.0f, 0.01);
        EXPECT_FLOAT_EQ(quads[i].v[0].color[3], i / 100.0f);
    }
    // Turned by +90 degrees, the texture's top-left corner goes to the sprite's top right.
    const FeedbackVertex* corner = quads[0].withTexture(0.0f, 0.0f);
    ASSERT_NE(corner, nullptr);
    EXPECT_NEAR(canvasX(corner->x), 132.0f, 0.01);
    EXPECT_NEAR(canvasY(corner->y), 268.0f, 0.01);
    GLint value = 0;
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && value == GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(Scenes, SparksArePulledTowardsTheSwayLineAndLitWhateverTheirColour) {
    songTime = 30.0f;
    frameDelta = 0.0f;
    const float sway = float(500.0 + 200.0 * std::sin(30.0 / 4.0));
    const struct {
        float x, y, drawnX;
    } cases[] = {
        {300.0f, 500.0f, 300.0f},                        // at y = 500 no pull
        {300.0f, 100.0f, sway + (300.0f - sway) * 0.2f}, // near the top, nearly on the line
        {300.0f, 250.0f, sway + (300.0f - sway) * 0.5f}, // half way
        {900.0f, 550.0f, sway + (900.0f - sway) * 1.1f}, // below y = 500, pushed further out
    };
    for (int i = 0; i < firePoolSize; i++) {
        firePool[i].position[0] = cases[i % 4].x;
        firePool[i].position[1] = cases[i % 4].y;
        firePool[i].color[1] = (i % 10) / 10.0f;
        firePool[i].color[3] = (i % 7) / 7.0f;
    }
    // The sparks are the frame's first 500 quads (the credits at its end may be cut by the view's edge).
    const auto triangles = captureTriangles(litShow);
    ASSERT_GT(triangles.size(), 6u * 500);
    std::vector<FeedbackQuad> quads(500);
    for (size_t i = 0; i < 500; i++)
        std::copy_n(&triangles[6 * i], 6, quads[i].v);
    for (int i = 0; i < 4; i++) {
        EXPECT_NEAR(canvasX(quads[i].centreX()), cases[i].drawnX, 0.02) << "case " << i;
        EXPECT_NEAR(canvasY(quads[i].centreY()), cases[i].y, 0.02) << "case " << i;
    }
    EXPECT_EQ(firePool[1].position[0], 300.0f) << "drawing does not move a spark";
    for (int i = 0; i < firePoolSize; i++) {
        const float* c = quads[size_t(i)].v[0].color;
        ASSERT_TRUE(c[0] > 0.1f && c[0] < 0.2f && c[1] == c[0] && c[2] == c[0] && c[3] == 1.0f)
            << "spark " << i << " is not the frame's dim, opaque light";
    }
}

TEST_F(Scenes, AFrameDrawsFlakesAndSparksWhereThePreviousFrameLeftThem) {
    snowPool[0].life = firePool[0].life = 0.001f;
    snowPool[0].position[0] = 700.0f;
    snowPool[0].position[1] = 300.0f;
    firePool[0].position[1] = 300.0f;
    frameDelta = 1.0f / 60.0f;
    songTime = 2.0f;
    auto quads = captureQuads(litShow);
    ASSERT_GT(quads.size(), 2u);
    EXPECT_NEAR(canvasX(quads[1].centreX()), 700.0f, 0.01) << "the flake is drawn before it respawns";
    EXPECT_LT(snowPool[0].position[0], 500.0f);
    songTime = 25.0f;
    quads = captureQuads(litShow);
    EXPECT_NEAR(canvasY(quads[0].centreY()), 300.0f, 0.01) << "the spark is drawn before it respawns";
    EXPECT_FLOAT_EQ(firePool[0].position[1], 550.0f + firePool[0].velocity[1] / 60.0f);
}

TEST_F(Scenes, BusSceneLayersBackdropFiguresSevenToZeroAndTheGrowingBus) {
    for (float t : {0.0f, 2.0f, 5.0f}) {
        const auto quads = captureQuads([&] { drawBusScene(t); });
        ASSERT_EQ(quads.size(), 10u) << "all ten layers face the viewer";
        EXPECT_NEAR(quads[0].width(), 640.0f, 0.01) << "the backdrop covers the canvas";
        EXPECT_NE(quads[0].withTexture(0.0f, 0.0f), nullptr);
        const float zoom = t > 5.0f ? 1.0f : t / 10.0f + 0.5f;
        for (int k = 1; k <= 8; k++) {
            const int i = 8 - k;
            EXPECT_NE(quads[size_t(k)].withTexture(i % 4 / 4.0f, i / 4 / 2.0f), nullptr) << "layer " << k;
            EXPECT_NE(quads[size_t(k)].withTexture(i % 4 / 4.0f + 0.25f, i / 4 / 2.0f + 0.5f), nullptr);
            EXPECT_NEAR(canvasX(quads[size_t(k)].centreX()), i < 4 ? 462.0f : 562.0f, 0.01) << "figure " << i;
            EXPECT_NEAR(quads[size_t(k)].width() * 1.6f, 128.0f * 0.65f * zoom, 0.01) << "figure " << i;
            EXPECT_NEAR(quads[size_t(k)].height() * 1.6f, 512.0f * 0.65f * zoom, 0.01) << "figure " << i;
        }
        EXPECT_NEAR(canvasX(quads[9].centreX()), 512.0f, 0.01);
        EXPECT_NEAR(canvasY(quads[9].centreY()), 400.0f, 0.01);
        EXPECT_NEAR(quads[9].width() * 1.6f, 512.0f * zoom, 0.01) << "the bus at " << t;
    }
    EXPECT_EQ(passengers[0].position[0], -50.0f) << "at exactly 5 s figure 0 has not started";
}

TEST_F(Scenes, AFigureWalksStrictlyAfterItsTimeFromRestAndStaysWhenTimeGoesBack) {
    const float t1 = 5.0f + 1.0f / 60.0f;
    auto quads = captureQuads([&] { drawBusScene(t1); });
    EXPECT_NEAR(canvasX(quads[8].centreX()), 462.0f, 0.01) << "drawn at rest in its first walking frame";
    EXPECT_FLOAT_EQ(passengers[0].position[0], -50.0f - 150.0f * (t1 - 5.0f));
    EXPECT_EQ(passengers[1].position[0], -50.0f) << "figure 1 starts at 8 s";
    drawBusScene(7.5f); // a skipped stretch: the walk follows the figure's own time
    EXPECT_FLOAT_EQ(passengers[0].position[0], -50.0f - 375.0f);
    EXPECT_FLOAT_EQ(passengers[0].angle, float(4.0 + 8.0 * std::sin(2.5 / 0.2)));
    quads = captureQuads([] { drawBusScene(3.0f); });
    EXPECT_NEAR(canvasX(quads[8].centreX()), 512.0f - 425.0f, 0.1) << "not returned to rest";
    // Turned clockwise for its positive tilt: the figure's top lies right of its bottom.
    const FeedbackVertex* top = quads[8].withTexture(0.0f, 0.0f);
    const FeedbackVertex* bottom = quads[8].withTexture(0.0f, 0.5f);
    ASSERT_TRUE(top && bottom && passengers[0].angle > 1.0f);
    EXPECT_GT(top->x, bottom->x);
}

TEST_F(Scenes, FlakesLeaveTheDuctsMouthAfterTwoSecondsAndDriftRightAndDown) {
    struct Changed {
        int count = 0, minX = 640, maxX = -1, minY = 480, maxY = -1;
        double sumX = 0, sumY = 0;
    } seen[3];
    const int looks[] = {119, 150, 480};
    int look = 0;
    runShow(
        0, 480, 60, [&](int step) { return step == looks[look]; },
        [&](float time, const Frame& f) {
            const Frame bare = pictureAndCredits(time, drawHeatTube);
            Changed& c = seen[look++];
            for (int y = 0; y < f.height; y++)
                for (int x = 0; x < f.width; x++)
                    if (colourDistance(f.at(x, y), bare.at(x, y)) > 12) {
                        c.count++, c.sumX += x, c.sumY += y;
                        c.minX = std::min(c.minX, x), c.maxX = std::max(c.maxX, x);
                        c.minY = std::min(c.minY, y), c.maxY = std::max(c.maxY, y);
                    }
            if (HasFailure())
                keepFrame(f, "snow-" + std::to_string(int(time * 100)));
        });
    const double k = 640.0 / 1024.0; // canvas units to window pixels, both ways alike
    EXPECT_EQ(seen[0].count, 0) << "no flake before 2 s";
    // Half a second in, every flake is within half a second's drift (and a sprite's half diagonal) of
    // where flakes are born, canvas (390 to 400, 220).
    ASSERT_GT(seen[1].count, 100);
    EXPECT_GE(seen[1].minX, (390 - 5 - 46) * k);
    EXPECT_LE(seen[1].maxX, (400 + 45 + 46) * k);
    EXPECT_GE(seen[1].minY, (220 - 5 - 46) * k);
    EXPECT_LE(seen[1].maxY, (220 + 20 + 46) * k);
    // Six seconds later their mass lies right of and below the mouth, the fastest far to the right.
    ASSERT_GT(seen[2].count, seen[1].count);
    EXPECT_GT(seen[2].sumX / seen[2].count, 395 * k + 20);
    EXPECT_GT(seen[2].sumY / seen[2].count, 220 * k + 5);
    EXPECT_GT(seen[2].maxX, (395 + 150) * k);
    EXPECT_GE(seen[2].minX, (390 - 60 - 46) * k) << "no flake drifts left faster than 10 a second";
}

TEST_F(Scenes, SparksStandAsASwayingColumnInTheSkyAndNeverShowOverTheCrowd) {
    // The campfire at 20 steps a second; at the looks, the frame against the picture and credits alone.
    int looks = 0;
    runShow(
        25 * 20, 43 * 20, 20, [](int step) { return step % 120 == 20 || step == 500; },
        [&](float time, const Frame& f) {
            looks++;
            const Frame bare = pictureAndCredits(time, drawLagerFeuer);
            const int bandTop = 217 * 480 / 512, solid = 304 * 480 / 512 + 2;
            int overCrowd = 0, darker = 0, glow = 0, highest = f.height;
            double glowX = 0, weight = 0;
            for (int y = 0; y < f.height; y++)
                for (int x = 0; x < f.width; x++) {
                    const unsigned char *got = f.at(x, y), *want = bare.at(x, y);
                    overCrowd += y >= solid && std::memcmp(got, want, 3) != 0;
                    darker += got[0] < want[0] || got[1] < want[1] || got[2] < want[2];
                    if (y < bandTop && got[0] - want[0] > 24) {
                        glow++, highest = std::min(highest, y);
                        glowX += x * (got[0] - want[0]), weight += got[0] - want[0];
                    }
                }
            EXPECT_EQ(overCrowd, 0) << "at " << time << " s sparks show over the crowd";
            EXPECT_EQ(darker, 0) << "at " << time << " s: sparks only ever add light";
            if (time == 25.0f) {
                EXPECT_EQ(glow, 0) << "every spark starts behind the crowd";
                return;
            }
            // Lit sparks glow for their whole life: a column many sprites strong stands in the sky, reaches
            // its upper third and leans from the fire's middle part of the way towards the sway line.
            EXPECT_GT(glow, 1000) << "at " << time << " s";
            EXPECT_LT(highest, f.height / 3) << "at " << time << " s";
            const double sway = 500.0 + 200.0 * std::sin(time / 4.0),
                         centre = glowX / weight * 1024.0 / 640.0;
            if (std::fabs(sway - 500.0) > 60.0) {
                EXPECT_GT((centre - 500.0) / (sway - 500.0), 0.3) << "at " << time << " s";
                EXPECT_LT((centre - 500.0) / (sway - 500.0), 1.0) << "at " << time << " s";
            }
            if (HasFailure())
                keepFrame(f, "fire-" + std::to_string(int(time)));
        });
    EXPECT_EQ(looks, 4);
}
