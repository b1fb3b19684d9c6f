// The show's logic: the clock's arithmetic, the random sequence, the pools' start state and the order of
// their draws, respawning flakes and sparks, moving them by steps of every sign and size, a figure's walk.
#include "show/bus.h"
#include "show/clock.h"
#include "show/fire.h"
#include "show/particles.h"
#include "show/snow.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// The first n values of glibc's unseeded rand() sequence as unit values, with the show's generator put
// back to the start of its sequence first, so that one sharing rand()'s state (libpulse draws from it
// too) is out of step; next, when given, receives the raw value that follows them.
std::vector<double> replay(int n, int* next = nullptr) {
    restartShowRandom();
    std::srand(1);
    std::vector<double> values(static_cast<size_t>(n));
    for (double& v : values)
        v = std::rand() / 2147483648.0;
    if (next)
        *next = std::rand();
    return values;
}

// A particle in flight: at (400, 250, 3), moving (40, -8, 6), turned 90, colour (1, 0.75, 0.5, 0.25)
// changing at (-0.04, -0.08, -0.12, -0.16).
Particle flying(float life) {
    return Particle{{400, 250, 3}, {40, -8, 6}, 90, {1, 0.75f, 0.5f, 0.25f}, {-0.04f, -0.08f, -0.12f, -0.16f},
                    life};
}

template <int N> void fill(Particle (&pool)[N], const Particle& p) {
    for (Particle& q : pool)
        q = p;
}

void tick(void (*update)(), float delta) {
    frameDelta = delta;
    update();
}

} // namespace

TEST(ParticlePools, StartWithHundredDrawsForFlakesThenFiveHundredForSparks) {
    int next = 0;
    const std::vector<double> u = replay(600, &next);
    initParticlePools();
    EXPECT_EQ(showRandom(), next) << "start-up takes exactly 600 values";
    for (int i = 0; i < snowPoolSize; i++) {
        ASSERT_EQ(snowPool[i].life, float(9.0 * u[size_t(i)])) << "flake " << i;
        const float* c = snowPool[i].color;
        ASSERT_TRUE(c[0] == 1.0f && c[1] == 1.0f && c[2] == 1.0f && c[3] == 0.0f)
            << "flake " << i << ": white, clear";
    }
    for (int i = 0; i < firePoolSize; i++) {
        ASSERT_EQ(firePool[i].life, float(5.0 * u[size_t(100 + i)])) << "spark " << i;
        ASSERT_TRUE(firePool[i].position[0] == 500.0f && firePool[i].position[1] == 500.0f &&
                    firePool[i].velocity[1] == -2.0f && firePool[i].color[3] == 0.0f)
            << "spark " << i;
    }
}

TEST(Respawn, FlakesTakeFourAndSparksFiveValuesInFieldOrder) {
    int next = 0;
    std::vector<double> u = replay(4 * 100, &next);
    Particle p = flying(-0.5f);
    for (int k = 0; k < 100; k++) { // what a flake keeps: its colour and its depth velocity
        const double* d = &u[size_t(4 * k)];
        const Particle want{{float(390.0 + 10.0 * d[0]), 220, 0},
                            {float(100.0 * d[1] - 10.0), float(50.0 * d[2] - 10.0), p.velocity[2]},
                            float(360.0 * d[3]),
                            {p.color[0], p.color[1], p.color[2], 1},
                            {p.colorRate[0], p.colorRate[1], p.colorRate[2], -0.15f},
                            9};
        respawnFlake(p);
        ASSERT_EQ(std::memcmp(&p, &want, sizeof p), 0) << "respawn " << k;
    }
    EXPECT_EQ(showRandom(), next);
    u = replay(5 * 100, &next);
    for (int k = 0; k < 100; k++) { // what a spark keeps: its depth velocity
        const double* d = &u[size_t(5 * k)];
        const Particle want{{float(420.0 + 160.0 * d[1]), 550, 0},
                            {float(70.0 * d[2] - 35.0), float(-20.0 - 50.0 * d[3]), p.velocity[2]},
                            float(360.0 * d[4]),
                            {1, 1, 1, 1},
                            {-0.04f, -0.08f, -0.1f, -0.24f},
                            float(10.0 + d[0])};
        respawnSpark(p);
        ASSERT_EQ(std::memcmp(&p, &want, sizeof p), 0) << "respawn " << k;
    }
    EXPECT_EQ(showRandom(), next);
}

TEST(UpdateSnow, MovesByTheStepFadesToZeroAndRespawnsOnlyBelowZeroLife) {
    fill(snowPool, flying(0.5f));
    snowPool[1].color[3] = 0.05f;
    replay(0);
    tick(updateSnow, 0.5f); // life lands on 0: no respawn yet
    EXPECT_EQ(snowPool[1].color[3], 0.0f) << "the fade stops at 0";
    EXPECT_TRUE(snowPool[0].life == 0.0f && snowPool[0].position[0] == 420.0f &&
                snowPool[0].position[1] == 246.0f);
    EXPECT_FLOAT_EQ(snowPool[0].color[3], 0.25f - 0.16f * 0.5f);
    EXPECT_EQ(snowPool[0].color[0], 1.0f) << "only the alpha of a flake changes";

    // A stalled frame: each flake respawns once, then moves the whole step; the fade stops at 0.
    int next = 0;
    const std::vector<double> u = replay(4 * snowPoolSize, &next);
    tick(updateSnow, 30.0f);
    for (int i = 0; i < snowPoolSize; i++) {
        const double* d = &u[size_t(4 * i)];
        const Particle& p = snowPool[i];
        ASSERT_EQ(p.life, 9.0f) << i;
        ASSERT_FLOAT_EQ(p.position[0], float(390.0 + 10.0 * d[0]) + float(100.0 * d[1] - 10.0) * 30.0f) << i;
        ASSERT_FLOAT_EQ(p.position[1], 220.0f + float(50.0 * d[2] - 10.0) * 30.0f) << i;
        ASSERT_EQ(p.color[3], 0.0f) << i;
    }
    EXPECT_EQ(showRandom(), next);
    const Particle before = snowPool[7];
    tick(updateSnow, 0.0f);
    EXPECT_EQ(std::memcmp(&before, &snowPool[7], sizeof before), 0) << "a zero step changes nothing";
}

TEST(UpdateFire, MovesByTheStepAndHoldsEachColourAtZeroOnItsOwn) {
    Particle p = flying(10.5f);
    for (int c = 0; c < 4; c++)
        p.color[c] = 1.0f;
    fill(firePool, p);
    replay(0);
    tick(updateFire, 5.0f);
    const Particle& s = firePool[0];
    EXPECT_TRUE(s.position[0] == 600.0f && s.position[1] == 210.0f && s.life == 5.5f);
    for (int c = 0; c < 4; c++)
        EXPECT_FLOAT_EQ(s.color[c], 0.8f - 0.2f * c) << "colour " << c;
    tick(updateFire, 5.5f); // life lands on 0: no respawn yet; blue and alpha stop at 0
    EXPECT_TRUE(s.life == 0.0f && s.position[1] == 166.0f && s.color[2] == 0.0f && s.color[3] == 0.0f);
    EXPECT_FLOAT_EQ(s.color[0], 0.58f);
    tick(updateFire, -1.0f);
    EXPECT_FLOAT_EQ(s.color[0], 0.62f) << "going back raises the colour, unclamped";
}

TEST(BusScene, AFiguresPlaceAndTiltFollowItsOwnTimeAlone) {
    initPassengers();
    movePassenger(6, 20.0f), movePassenger(6, 1.5f); // where it was before does not count
    EXPECT_TRUE(passengers[6].position[0] == 50.0f - 225.0f && passengers[5].position[0] == 50.0f);
    EXPECT_FLOAT_EQ(passengers[6].angle, float(4.0 + 8.0 * std::sin(7.5)));
}

TEST(Clock, FollowsThePositionStepByStepWithoutClamping) {
    songTime = previousSongTime = frameDelta = 0.0f;
    // Positions an idle loop could read, in order: the first step is all the music played so far, the
    // same position twice moves nothing, and a position that goes back gives a negative step.
    const int positions[] = {2500, 2500, 82500, 82499, 1000, 0};
    float previous = 0.0f;
    for (int ms : positions) {
        tickClock(ms);
        const float expected = static_cast<float>(ms / 1000.0);
        EXPECT_EQ(songTime, expected) << ms;
        EXPECT_EQ(frameDelta, expected - previous) << ms;
        previous = expected;
    }
}
