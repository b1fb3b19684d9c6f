// The particle pools' start state and the order in which start-up takes the first random values.
#include "show/particles.h"
#include "tests/unit/random_replay.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(RandomSource, UnitRandomIsTheDefaultSequenceOverTwoToThe31WhoeverElseDrawsFromRand) {
    // glibc's first value of the default sequence; srand(1) restarts exactly that sequence.
    std::srand(1);
    EXPECT_EQ(std::rand(), 1804289383);
    static_assert(RAND_MAX == 2147483647, "the show's unit values assume a 31-bit rand()");

    const std::vector<double> expected = replayUnitRandom(1000);
    for (int k = 0; k < 1000; k++) {
        std::rand(); // a library taking values of its own, as libpulse does while it connects
        const double u = unitRandom();
        ASSERT_EQ(u, expected[k]) << "draw " << k;
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    EXPECT_LT(RAND_MAX / 2147483648.0, 1.0);
}

TEST(ParticlePools, StartStateOfFlakesSparksAndFigures) {
    restartShowRandom();
    initParticlePools();
    for (int i = 0; i < snowPoolSize; i++) {
        const Particle& p = snowPool[i];
        SCOPED_TRACE(testing::Message() << "flake " << i);
        EXPECT_EQ(p.position[0], 0.0f);
        EXPECT_EQ(p.position[1], 0.0f);
        EXPECT_EQ(p.position[2], 0.0f);
        for (float v : p.velocity)
            EXPECT_EQ(v, 0.0f);
        EXPECT_EQ(p.angle, 0.0f);
        EXPECT_EQ(p.color[0], 1.0f);
        EXPECT_EQ(p.color[1], 1.0f);
        EXPECT_EQ(p.color[2], 1.0f);
        EXPECT_EQ(p.color[3], 0.0f);
        for (float r : p.colorRate)
            EXPECT_EQ(r, 0.0f);
        EXPECT_GE(p.life, 0.0f);
        EXPECT_LT(p.life, 9.0f);
    }
    for (int i = 0; i < firePoolSize; i++) {
        const Particle& p = firePool[i];
        SCOPED_TRACE(testing::Message() << "spark " << i);
        EXPECT_EQ(p.position[0], 500.0f);
        EXPECT_EQ(p.position[1], 500.0f);
        EXPECT_EQ(p.position[2], 0.0f);
        EXPECT_EQ(p.velocity[0], 0.0f);
        EXPECT_EQ(p.velocity[1], -2.0f);
        EXPECT_EQ(p.velocity[2], 0.0f);
        EXPECT_EQ(p.angle, 0.0f);
        EXPECT_EQ(p.color[3], 0.0f);
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(p.color[c], 1.0f);
        for (float r : p.colorRate)
            EXPECT_EQ(r, 0.0f);
        EXPECT_GE(p.life, 0.0f);
        EXPECT_LT(p.life, 5.0f);
    }
    for (int i = 0; i < passengerCount; i++) {
        const Particle& p = passengers[i];
        SCOPED_TRACE(testing::Message() << "figure " << i);
        EXPECT_EQ(p.position[0], i < 4 ? -50.0f : 50.0f);
        EXPECT_EQ(p.position[1], 0.0f);
        EXPECT_EQ(p.position[2], 0.0f);
        EXPECT_EQ(p.velocity[1], -2.0f);
        EXPECT_EQ(p.angle, 0.0f);
        for (float c : p.color)
            EXPECT_EQ(c, 1.0f);
        EXPECT_EQ(p.life, 0.0f);
    }
}

TEST(ParticlePools, FirstHundredDrawsGoToFlakesThenFiveHundredToSparksAndNoneToFigures) {
    const std::vector<double> u = replayUnitRandom(600);
    initParticlePools();
    const int next = showRandom();
    EXPECT_EQ(next, defaultRandAt(600)) << "start-up must take exactly 600 values";

    for (int i = 0; i < snowPoolSize; i++)
        ASSERT_EQ(snowPool[i].life, static_cast<float>(9.0 * u[i])) << "flake " << i;
    for (int i = 0; i < firePoolSize; i++)
        ASSERT_EQ(firePool[i].life, static_cast<float>(5.0 * u[100 + i])) << "spark " << i;
}
