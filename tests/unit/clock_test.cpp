// The idle tick's clock arithmetic: songTime follows the reported position, frameDelta is not clamped.
#include "show/clock.h"

#include <gtest/gtest.h>

namespace {

void resetClock() {
    songTime = 0.0f;
    previousSongTime = 0.0f;
    frameDelta = 0.0f;
}

} // namespace

TEST(Clock, TicksFollowTheReportedPosition) {
    resetClock();
    // A fake position source: the values an idle loop would read from the song, in order.
    const int positions[] = {37, 37, 1000, 82500, 82499, 0};
    float previous = 0.0f;
    for (int ms : positions) {
        tickClock(ms);
        float expected = static_cast<float>(ms / 1000.0);
        EXPECT_EQ(songTime, expected) << ms;
        EXPECT_EQ(frameDelta, expected - previous) << ms;
        EXPECT_EQ(previousSongTime, songTime);
        previous = expected;
    }
}

TEST(Clock, EdgeReadings) {
    resetClock();
    tickClock(2500);
    EXPECT_EQ(frameDelta, 2.5f) << "the first tick's step is all the music played so far";
    tickClock(82500);
    EXPECT_EQ(songTime, 82.5f);
    tickClock(82500);
    EXPECT_EQ(frameDelta, 0.0f) << "the same position twice must not move anything";
    tickClock(1000);
    EXPECT_EQ(songTime, 1.0f);
    EXPECT_EQ(frameDelta, 1.0f - 82.5f) << "a position that goes back is followed, not clamped";
}
