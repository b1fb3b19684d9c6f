// The idle tick's clock arithmetic, the key table with its bounds, reshape, and the quit keys.
#include "shell/frame.h"
#include "shell/keys.h"
#include "shell/shutdown.h"
#include "show/clock.h"
#include "sound/sound.h"
#include "tests/unit/fake_module.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

void resetClock() {
    songTime = 0.0f;
    previousSongTime = 0.0f;
    frameDelta = 0.0f;
}

void resetCamera() {
    eyeX = 0.0f;
    eyeZ = -5.0f;
    shadeModel = GL_SMOOTH;
    aspect = 1.0;
}

void press(unsigned char key, int times = 1) {
    for (int i = 0; i < times; ++i)
        onKeyboard(key, 0, 0);
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

TEST(Keys, FrameStateStartsAsTheShowExpects) {
    EXPECT_EQ(eyeX, 0.0f);
    EXPECT_EQ(eyeY, 0.0f);
    EXPECT_EQ(eyeZ, -5.0f);
    EXPECT_EQ(shadeModel, static_cast<GLenum>(GL_SMOOTH));
    EXPECT_EQ(aspect, 1.0);
    EXPECT_EQ(fovY, 100.0);
    EXPECT_EQ(zNear, 1.0);
    EXPECT_EQ(zFar, 10.0);
    EXPECT_EQ(lightPosition[2], -6.0f);
    EXPECT_EQ(lightPosition[3], 1.0f);
}

TEST(Keys, SidewaysStepsStopAtTen) {
    resetCamera();
    press('l', 8);
    EXPECT_EQ(eyeX, 4.0f);
    press('l', 12);
    EXPECT_EQ(eyeX, 10.0f);
    press('l', 3);
    EXPECT_EQ(eyeX, 10.0f);
    press('j', 40);
    EXPECT_EQ(eyeX, -10.0f);
    press('j');
    EXPECT_EQ(eyeX, -10.0f);
    press('l');
    EXPECT_EQ(eyeX, -9.5f);
}

TEST(Keys, DepthStepsStopAtZeroAndTen) {
    resetCamera();
    press('k');
    EXPECT_EQ(eyeZ, 0.0f) << "from -5 the lower bound 0 applies at once";
    press('k');
    EXPECT_EQ(eyeZ, 0.0f);
    press('i');
    EXPECT_EQ(eyeZ, 0.5f);
    press('k');
    EXPECT_EQ(eyeZ, 0.0f);
    resetCamera();
    press('i', 30);
    EXPECT_EQ(eyeZ, 10.0f);
    press('k');
    EXPECT_EQ(eyeZ, 9.5f);
    EXPECT_EQ(eyeX, 0.0f);
}

TEST(Keys, ShadingToggleAndItsReturn) {
    resetCamera();
    press('s');
    EXPECT_EQ(shadeModel, static_cast<GLenum>(GL_FLAT));
    press('s');
    EXPECT_EQ(shadeModel, static_cast<GLenum>(GL_SMOOTH));
    shadeModel = GL_SMOOTH + 7; // anything but flat becomes flat
    press('s');
    EXPECT_EQ(shadeModel, static_cast<GLenum>(GL_FLAT));
}

TEST(Keys, EveryOtherCodeDoesNothing) {
    for (int code = 0; code < 256; ++code) {
        if (code == 27 || code == 'q' || code == 'i' || code == 'k' || code == 'l' || code == 'j' ||
            code == 's')
            continue;
        eyeX = 1.5f;
        eyeZ = 2.5f;
        shadeModel = GL_SMOOTH;
        aspect = 2.0;
        press(static_cast<unsigned char>(code));
        EXPECT_EQ(eyeX, 1.5f) << code;
        EXPECT_EQ(eyeZ, 2.5f) << code;
        EXPECT_EQ(shadeModel, static_cast<GLenum>(GL_SMOOTH)) << code;
        EXPECT_EQ(aspect, 2.0) << code;
    }
}

TEST(Reshape, AspectFollowsTheWindowAndSurvivesAZeroHeight) {
    resetCamera();
    onReshape(640, 480);
    EXPECT_DOUBLE_EQ(aspect, 4.0 / 3.0);
    onReshape(300, 600);
    EXPECT_DOUBLE_EQ(aspect, 0.5);
    onReshape(640, 0);
    EXPECT_DOUBLE_EQ(aspect, 0.5);
    onReshape(0, 0);
    EXPECT_DOUBLE_EQ(aspect, 0.5);
    onReshape(0, 10);
    EXPECT_EQ(aspect, 0.0);
}

TEST(QuitKeys, EndTheProcessWithStatusZeroWhileMusicPlays) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (unsigned char key : {static_cast<unsigned char>(27), static_cast<unsigned char>('q')}) {
        EXPECT_EXIT(
            {
                setenv("SDL_AUDIODRIVER", "dummy", 1);
                if (!soundInit(44100))
                    std::exit(3);
                fake::serve("song", fake::makeModule());
                song = soundLoadSong("song");
                if (!song)
                    std::exit(5);
                soundPlaySong(song);
                while (soundGetTime(song) < 50)
                    ;
                onKeyboard(key, 0, 0);
                std::exit(4);
            },
            testing::ExitedWithCode(0), "")
            << int(key);
    }
}
