// The sparks' mover and respawn: time steps of every sign and size, the random draws, the clamps.
#include "show/clock.h"
#include "show/fire.h"
#include "tests/unit/random_replay.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Particle risingSpark(float life) {
    Particle p{};
    p.position[0] = 480.0f;
    p.position[1] = 400.0f;
    p.velocity[0] = 10.0f;
    p.velocity[1] = -40.0f;
    p.angle = 45.0f;
    p.color[0] = p.color[1] = p.color[2] = p.color[3] = 1.0f;
    p.colorRate[0] = -0.04f;
    p.colorRate[1] = -0.08f;
    p.colorRate[2] = -0.1f;
    p.colorRate[3] = -0.24f;
    p.life = life;
    return p;
}

void fillPool(const Particle& p) {
    for (Particle& spark : firePool)
        spark = p;
}

void step(float delta) {
    frameDelta = delta;
    updateFire();
}

} // namespace

TEST(RespawnSpark, DrawsFiveValuesInFieldOrderAndLeavesDepthVelocityAlone) {
    const int respawns = 1000;
    const std::vector<double> u = replayUnitRandom(5 * respawns);
    Particle p = risingSpark(-1.0f);
    p.color[3] = 0.0f;
    p.position[2] = 2.0f;
    p.velocity[2] = 6.0f;
    for (int k = 0; k < respawns; k++) {
        respawnSpark(p);
        const double* d = &u[5 * k];
        ASSERT_EQ(p.life, static_cast<float>(10.0 + d[0])) << "respawn " << k;
        for (float c : p.color)
            ASSERT_EQ(c, 1.0f);
        ASSERT_EQ(p.colorRate[0], -0.04f);
        ASSERT_EQ(p.colorRate[1], -0.08f);
        ASSERT_EQ(p.colorRate[2], -0.1f);
        ASSERT_EQ(p.colorRate[3], -0.24f);
        ASSERT_EQ(p.position[0], static_cast<float>(420.0 + 160.0 * d[1])) << "respawn " << k;
        ASSERT_EQ(p.position[1], 550.0f);
        ASSERT_EQ(p.position[2], 0.0f);
        ASSERT_EQ(p.velocity[0], static_cast<float>(70.0 * d[2] - 35.0)) << "respawn " << k;
        ASSERT_EQ(p.velocity[1], static_cast<float>(-20.0 - 50.0 * d[3])) << "respawn " << k;
        ASSERT_EQ(p.angle, static_cast<float>(360.0 * d[4])) << "respawn " << k;
        ASSERT_GE(p.life, 10.0f);
        ASSERT_LE(p.life, 11.0f);
        ASSERT_LE(p.velocity[1], -20.0f) << "a spark always rises";
        ASSERT_GE(p.velocity[1], -70.0f);
    }
    EXPECT_EQ(p.velocity[2], 6.0f);
    const int next = showRandom();
    EXPECT_EQ(next, defaultRandAt(5 * respawns));
}

TEST(UpdateFire, ZeroStepChangesNothing) {
    restartShowRandom();
    initParticlePools();
    for (int k = 0; k < 50; k++)
        step(0.25f);
    Particle before[firePoolSize];
    memcpy(before, firePool, sizeof before);
    const int nextDraw = showRandom();
    restartShowRandom();
    initParticlePools();
    for (int k = 0; k < 50; k++)
        step(0.25f);
    step(0.0f);
    EXPECT_EQ(0, memcmp(before, firePool, sizeof before));
    EXPECT_EQ(showRandom(), nextDraw);
}

TEST(UpdateFire, NegativeStepSinksTheSparkAndRaisesItsColourPastOne) {
    fillPool(risingSpark(3.0f));
    restartShowRandom();
    step(-2.5f);
    for (const Particle& p : firePool) {
        EXPECT_EQ(p.life, 5.5f);
        EXPECT_EQ(p.position[0], 455.0f);
        EXPECT_EQ(p.position[1], 500.0f);
        EXPECT_FLOAT_EQ(p.color[0], 1.1f);
        EXPECT_FLOAT_EQ(p.color[1], 1.2f);
        EXPECT_FLOAT_EQ(p.color[2], 1.25f);
        EXPECT_FLOAT_EQ(p.color[3], 1.6f);
    }
    const int drawn = showRandom();
    EXPECT_EQ(drawn, defaultRandAt(0));
}

TEST(UpdateFire, EachColourComponentStopsAtZeroOnItsOwn) {
    fillPool(risingSpark(10.5f));
    step(5.0f);
    for (const Particle& p : firePool) {
        EXPECT_FLOAT_EQ(p.color[0], 0.8f);
        EXPECT_FLOAT_EQ(p.color[1], 0.6f);
        EXPECT_FLOAT_EQ(p.color[2], 0.5f);
        EXPECT_EQ(p.color[3], 0.0f) << "1 - 0.24 * 5 is clamped";
        EXPECT_EQ(p.position[1], 200.0f);
    }
    step(5.0f);
    for (const Particle& p : firePool) {
        EXPECT_FLOAT_EQ(p.color[0], 0.6f);
        EXPECT_FLOAT_EQ(p.color[1], 0.2f);
        EXPECT_EQ(p.color[2], 0.0f);
        EXPECT_EQ(p.color[3], 0.0f);
        EXPECT_EQ(p.position[1], 0.0f);
        EXPECT_EQ(p.position[0], 580.0f) << "positions are not clamped";
    }
    step(0.25f);
    for (const Particle& p : firePool)
        EXPECT_EQ(p.position[1], -10.0f) << "a spark rises past the top edge";
}

TEST(UpdateFire, StalledFrameRespawnsEachSparkOnceThenMovesItTheWholeStep) {
    const std::vector<double> u = replayUnitRandom(600 + 5 * firePoolSize);
    initParticlePools();
    step(30.0f);
    for (int i = 0; i < firePoolSize; i++) {
        const Particle& p = firePool[i];
        const double* d = &u[600 + 5 * i];
        SCOPED_TRACE(testing::Message() << "spark " << i);
        const float x0 = static_cast<float>(420.0 + 160.0 * d[1]);
        const float vx = static_cast<float>(70.0 * d[2] - 35.0);
        const float vy = static_cast<float>(-20.0 - 50.0 * d[3]);
        EXPECT_EQ(p.life, static_cast<float>(10.0 + d[0]));
        EXPECT_FLOAT_EQ(p.position[0], x0 + vx * 30.0f);
        EXPECT_FLOAT_EQ(p.position[1], 550.0f + vy * 30.0f);
        for (float c : p.color)
            EXPECT_EQ(c, 0.0f);
    }
    const int next = showRandom();
    EXPECT_EQ(next, defaultRandAt(600 + 5 * firePoolSize));
}

TEST(UpdateFire, LifeLandingExactlyOnZeroRespawnsOnlyInTheNextTick) {
    fillPool(risingSpark(0.75f));
    const std::vector<double> u = replayUnitRandom(5);
    step(0.75f);
    for (const Particle& p : firePool) {
        ASSERT_EQ(p.life, 0.0f);
        ASSERT_EQ(p.position[1], 370.0f);
    }
    const int drawn = showRandom();
    EXPECT_EQ(drawn, defaultRandAt(0));

    restartShowRandom();
    step(0.5f);
    const Particle& p = firePool[0];
    EXPECT_EQ(p.life, static_cast<float>(10.0 + u[0]));
    EXPECT_FLOAT_EQ(p.position[1], 550.0f + static_cast<float>(-20.0 - 50.0 * u[3]) * 0.5f);
    EXPECT_FLOAT_EQ(p.color[3], 1.0f - 0.24f * 0.5f) << "a respawned spark fades in the same tick";
}
