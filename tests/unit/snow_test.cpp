// The snowflakes' mover and respawn: time steps of every sign and size, the random draws, the clamp.
#include "show/clock.h"
#include "show/snow.h"
#include "tests/unit/random_replay.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A flake in flight with colours and rates that the snow code must leave alone.
Particle flyingFlake(float life, float alpha) {
    Particle p{};
    p.position[0] = 400.0f;
    p.position[1] = 250.0f;
    p.velocity[0] = 40.0f;
    p.velocity[1] = -8.0f;
    p.angle = 90.0f;
    p.color[0] = 0.25f;
    p.color[1] = 0.5f;
    p.color[2] = 0.75f;
    p.color[3] = alpha;
    p.colorRate[0] = p.colorRate[1] = p.colorRate[2] = 1.0f;
    p.colorRate[3] = -0.15f;
    p.life = life;
    return p;
}

void fillPool(const Particle& p) {
    for (Particle& flake : snowPool)
        flake = p;
}

void step(float delta) {
    frameDelta = delta;
    updateSnow();
}

} // namespace

TEST(RespawnFlake, DrawsFourValuesInFieldOrderAndLeavesColourAndDepthAlone) {
    const int respawns = 1000;
    const std::vector<double> u = replayUnitRandom(4 * respawns);
    Particle p = flyingFlake(-0.5f, 0.0f);
    p.position[2] = 3.0f;
    p.velocity[2] = 6.0f;
    for (int k = 0; k < respawns; k++) {
        respawnFlake(p);
        const double* d = &u[4 * k];
        ASSERT_EQ(p.life, 9.0f);
        ASSERT_EQ(p.color[3], 1.0f);
        ASSERT_EQ(p.colorRate[3], -0.15f);
        ASSERT_EQ(p.position[0], static_cast<float>(390.0 + 10.0 * d[0])) << "respawn " << k;
        ASSERT_EQ(p.position[1], 220.0f);
        ASSERT_EQ(p.position[2], 0.0f);
        ASSERT_EQ(p.velocity[0], static_cast<float>(100.0 * d[1] - 10.0)) << "respawn " << k;
        ASSERT_EQ(p.velocity[1], static_cast<float>(50.0 * d[2] - 10.0)) << "respawn " << k;
        ASSERT_EQ(p.angle, static_cast<float>(360.0 * d[3])) << "respawn " << k;
        ASSERT_GE(p.position[0], 390.0f);
        ASSERT_LE(p.position[0], 400.0f);
        ASSERT_GE(p.velocity[0], -10.0f);
        ASSERT_LE(p.velocity[0], 90.0f);
        ASSERT_GE(p.velocity[1], -10.0f);
        ASSERT_LE(p.velocity[1], 40.0f);
    }
    EXPECT_EQ(p.color[0], 0.25f);
    EXPECT_EQ(p.color[1], 0.5f);
    EXPECT_EQ(p.color[2], 0.75f);
    EXPECT_EQ(p.colorRate[0], 1.0f);
    EXPECT_EQ(p.velocity[2], 6.0f);
    const int next = showRandom();
    EXPECT_EQ(next, defaultRandAt(4 * respawns));
}

TEST(UpdateSnow, ZeroStepChangesNothingAndDrawsNothing) {
    restartShowRandom();
    initParticlePools();
    for (int k = 0; k < 40; k++) // some flakes alive, some spent, some dormant
        step(0.3f);
    Particle before[snowPoolSize];
    memcpy(before, snowPool, sizeof before);
    const int drawsBefore = showRandom();
    restartShowRandom();
    initParticlePools();
    for (int k = 0; k < 40; k++)
        step(0.3f);
    step(0.0f);
    EXPECT_EQ(0, memcmp(before, snowPool, sizeof before));
    EXPECT_EQ(showRandom(), drawsBefore);
}

TEST(UpdateSnow, NegativeStepRunsEverythingBackwardsWithNoUpperClamp) {
    fillPool(flyingFlake(5.0f, 1.0f));
    restartShowRandom();
    step(-2.0f);
    for (const Particle& p : snowPool) {
        EXPECT_EQ(p.life, 7.0f);
        EXPECT_EQ(p.position[0], 320.0f);
        EXPECT_EQ(p.position[1], 266.0f);
        EXPECT_FLOAT_EQ(p.color[3], 1.3f);
        EXPECT_EQ(p.color[0], 0.25f) << "the colour itself is never advanced";
        EXPECT_EQ(p.color[2], 0.75f);
    }
    const int drawn = showRandom();
    EXPECT_EQ(drawn, defaultRandAt(0)) << "going back respawns nothing";
}

TEST(UpdateSnow, StalledFrameRespawnsEachFlakeOnceThenMovesItTheWholeStep) {
    const std::vector<double> u = replayUnitRandom(1000);
    initParticlePools(); // takes the first 600
    step(30.0f);
    for (int i = 0; i < snowPoolSize; i++) {
        const Particle& p = snowPool[i];
        const double* d = &u[600 + 4 * i];
        SCOPED_TRACE(testing::Message() << "flake " << i);
        const float x0 = static_cast<float>(390.0 + 10.0 * d[0]);
        const float vx = static_cast<float>(100.0 * d[1] - 10.0);
        const float vy = static_cast<float>(50.0 * d[2] - 10.0);
        EXPECT_EQ(p.life, 9.0f) << "the overshoot below zero is not carried over";
        EXPECT_EQ(p.velocity[0], vx);
        EXPECT_FLOAT_EQ(p.position[0], x0 + vx * 30.0f);
        EXPECT_FLOAT_EQ(p.position[1], 220.0f + vy * 30.0f);
        EXPECT_EQ(p.color[3], 0.0f) << "1 - 0.15 * 30 is clamped to 0";
    }
    const int next = showRandom();
    EXPECT_EQ(next, defaultRandAt(1000));
}

TEST(UpdateSnow, LifeLandingExactlyOnZeroRespawnsOnlyInTheNextTick) {
    fillPool(flyingFlake(0.5f, 0.6f));
    const std::vector<double> u = replayUnitRandom(4);
    step(0.5f);
    for (const Particle& p : snowPool) {
        ASSERT_EQ(p.life, 0.0f);
        ASSERT_EQ(p.position[0], 420.0f) << "not respawned: still moving from where it was";
    }
    const int drawn = showRandom();
    EXPECT_EQ(drawn, defaultRandAt(0));

    restartShowRandom();
    step(0.25f);
    const Particle& p = snowPool[0];
    EXPECT_EQ(p.life, 9.0f);
    EXPECT_FLOAT_EQ(p.position[0], static_cast<float>(390.0 + 10.0 * u[0]) +
                                       static_cast<float>(100.0 * u[1] - 10.0) * 0.25f);
    EXPECT_FLOAT_EQ(p.position[1], 220.0f + static_cast<float>(50.0 * u[2] - 10.0) * 0.25f);
    EXPECT_FLOAT_EQ(p.color[3], 1.0f - 0.15f * 0.25f) << "a respawned flake fades in the same tick";
}

TEST(UpdateSnow, AlphaStopsAtZeroAndNothingElseIsClamped) {
    Particle p = flyingFlake(8.0f, 0.05f);
    p.position[0] = 5.0f;
    p.velocity[0] = -10.0f;
    p.position[1] = 3.0f;
    fillPool(p);
    step(1.0f);
    for (int k = 0; k < 3; k++)
        step(1.0f);
    for (const Particle& f : snowPool) {
        EXPECT_EQ(f.color[3], 0.0f);
        EXPECT_EQ(f.position[0], -35.0f) << "flakes leave the canvas freely";
        EXPECT_EQ(f.position[1], -29.0f);
        EXPECT_EQ(f.life, 4.0f);
    }
}
