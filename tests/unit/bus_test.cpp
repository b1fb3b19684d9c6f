// The bus scene's logic: a figure's walk as a function of its own time, and the bus's zoom.
#include "show/bus.h"
#include "show/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(MovePassenger, PlaceAndTiltFollowFromTheFiguresOwnTimeAlone) {
    initPassengers();
    movePassenger(2, 1.5f);
    const Particle direct = passengers[2];
    EXPECT_FLOAT_EQ(direct.position[0], -50.0f - 225.0f);
    EXPECT_FLOAT_EQ(direct.angle, static_cast<float>(4.0 + 8.0 * std::sin(7.5)));

    // Whatever came before (other times, a jump back, junk in the record), the same s gives the same result.
    for (float earlier : {0.01f, 1.0f, 2.9f, 20.0f}) {
        passengers[2].position[0] = 999.0f;
        passengers[2].angle = -77.0f;
        movePassenger(2, earlier);
        movePassenger(2, 1.5f);
        EXPECT_EQ(passengers[2].position[0], direct.position[0]);
        EXPECT_EQ(passengers[2].angle, direct.angle);
    }
}

TEST(MovePassenger, WritesOnlyItsOwnFiguresXAndAngle) {
    initPassengers();
    passengers[5].position[1] = 12.0f;
    passengers[5].position[2] = 3.0f;
    movePassenger(5, 2.0f);
    EXPECT_EQ(passengers[5].position[1], 12.0f);
    EXPECT_EQ(passengers[5].position[2], 3.0f);
    EXPECT_EQ(passengers[5].velocity[1], -2.0f);
    for (int i = 0; i < passengerCount; i++) {
        if (i == 5)
            continue;
        EXPECT_EQ(passengers[i].position[0], i < 4 ? -50.0f : 50.0f) << "figure " << i;
        EXPECT_EQ(passengers[i].angle, 0.0f) << "figure " << i;
    }
}

TEST(MovePassenger, WalksLeftAt150PerSecondFromEachRowsRestingPlace) {
    for (int i = 0; i < passengerCount; i++) {
        for (float s : {0.0f, 0.5f, 1.0f, 2.0f, 3.0f}) {
            movePassenger(i, s);
            const float rest = i < 4 ? -50.0f : 50.0f;
            EXPECT_NEAR(passengers[i].position[0], rest - 150.0f * s, 1e-3f) << "figure " << i << " at " << s;
        }
    }
    // The centre reaches the canvas's left edge (512 units left of the bus centre) 3.08 s after the start
    // for the upper row and about 3.75 s after it for the lower row.
    movePassenger(1, 3.08f);
    EXPECT_NEAR(512.0f + passengers[1].position[0], 0.0f, 0.01f);
    movePassenger(6, 562.0f / 150.0f);
    EXPECT_NEAR(512.0f + passengers[6].position[0], 0.0f, 0.01f);
}

TEST(MovePassenger, TiltStartsAtFourAndRocksBetweenMinusFourAndTwelve) {
    movePassenger(0, 0.0f);
    EXPECT_EQ(passengers[0].angle, 4.0f);
    float low = 100.0f, high = -100.0f;
    for (int k = 1; k <= 2000; k++) {
        movePassenger(0, k * 0.005f);
        low = std::min(low, passengers[0].angle);
        high = std::max(high, passengers[0].angle);
    }
    EXPECT_GE(low, -4.0f);
    EXPECT_LE(high, 12.0f);
    EXPECT_LT(low, -3.99f);
    EXPECT_GT(high, 11.99f);
    // One full rock every 2 pi / 5 seconds.
    const float period = static_cast<float>(2.0 * M_PI / 5.0);
    movePassenger(3, 0.3f);
    const float a = passengers[3].angle;
    movePassenger(3, 0.3f + period);
    EXPECT_NEAR(passengers[3].angle, a, 1e-3f);
}

TEST(BusZoom, GrowsFromHalfToFullOverFiveSecondsWithoutAJump) {
    EXPECT_EQ(busZoom(0.0f), 0.5f);
    EXPECT_FLOAT_EQ(busZoom(2.5f), 0.75f);
    EXPECT_FLOAT_EQ(busZoom(4.0f), 0.9f);
    EXPECT_EQ(busZoom(5.0f), 1.0f);
    EXPECT_EQ(busZoom(std::nextafter(5.0f, 6.0f)), 1.0f);
    EXPECT_EQ(busZoom(31.9f), 1.0f);
    EXPECT_NEAR(busZoom(std::nextafter(5.0f, 0.0f)), 1.0f, 1e-6f);
    float previous = busZoom(0.0f);
    for (int k = 1; k <= 700; k++) {
        const float z = busZoom(k * 0.01f);
        EXPECT_GE(z, previous) << "at " << k * 0.01f;
        EXPECT_LE(z - previous, 0.0011f) << "at " << k * 0.01f;
        previous = z;
    }
}
