// The idle tick's clock arithmetic: songTime follows the reported position, frameDelta is not clamped.
#include "show/clock.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(previousSongTime, expected) << ms;
        previous = expected;
    }
}
