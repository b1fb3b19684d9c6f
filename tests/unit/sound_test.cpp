// The sound layer: loading through the file callbacks, the stream adapters, device start-up and the
// clock of music heard under SDL's dummy driver.
#include "sound/internal.h"
#include "sound/sound.h"
#include "tests/unit/fake_module.h"
#include "util/assets.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The shell's own adapters are private to it; these do the same over the asset streams, counting.
int assetOpens, assetCloses, assetCalls;
void* openA(const char* name) {
    ++assetOpens;
    return openAsset(name);
}
void closeA(void* h) {
    ++assetCloses;
    closeAsset(static_cast<AssetStream*>(h));
}
int32_t readA(void* b, int32_t n, void* h) {
    ++assetCalls;
    return readAsset(b, n, static_cast<AssetStream*>(h));
}
int32_t seekA(void* h, int32_t o, int8_t m) {
    ++assetCalls;
    return seekAsset(static_cast<AssetStream*>(h), o, m);
}
int32_t tellA(void* h) {
    ++assetCalls;
    return tellAsset(static_cast<AssetStream*>(h));
}
void serveAssets() {
    assetOpens = assetCloses = assetCalls = 0;
    soundSetFileCallbacks(openA, closeA, readA, seekA, tellA);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

TEST(SoundFiles, TheSongLoadsFromTheEmbeddedTableThroughTheCallbacks) {
    serveAssets();
    Song* song = soundLoadSong("data/boo.oxm");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(assetOpens, 1);
    EXPECT_EQ(assetCloses, 1) << "the stream is closed once the module is built";
    EXPECT_GT(assetCalls, 0);
    EXPECT_GT(openmpt_module_get_duration_seconds(song->module), 60.0);
    EXPECT_EQ(openmpt_module_get_num_samples(song->module), 24);
    soundFreeSong(song);
}

TEST(SoundFiles, FailuresGiveNoSongAndLeaveNoStreamOpen) {
    serveAssets();
    EXPECT_EQ(soundLoadSong("data/nothing.oxm"), nullptr);
    EXPECT_EQ(assetOpens, 1);
    EXPECT_EQ(assetCloses, 0) << "there was no stream to close";
    EXPECT_EQ(soundLoadSong(nullptr), nullptr);

    fake::serve("junk", std::vector<unsigned char>(5000, 0x5a));
    EXPECT_EQ(soundLoadSong("junk"), nullptr);
    EXPECT_EQ(fake::files.opens, 1);
    EXPECT_EQ(fake::files.openHandles, 0) << "a stream that held no module is closed all the same";
}

TEST(SoundFiles, StreamAdaptersReportSeeksThatMissTheTarget) {
    fake::serve("f", std::vector<unsigned char>(100, 7));
    void* h = fake::open("f");
    EXPECT_EQ(soundStreamSeek(h, 100, OPENMPT_STREAM_SEEK_SET), 0) << "the very end is a valid position";
    EXPECT_EQ(soundStreamTell(h), 100);
    EXPECT_EQ(soundStreamSeek(h, 40, OPENMPT_STREAM_SEEK_SET), 0);
    EXPECT_EQ(soundStreamSeek(h, 101, OPENMPT_STREAM_SEEK_SET), -1);
    EXPECT_EQ(soundStreamTell(h), 40) << "a failed seek leaves the position";
    EXPECT_EQ(soundStreamSeek(h, -41, OPENMPT_STREAM_SEEK_CUR), -1);
    EXPECT_EQ(soundStreamSeek(h, int64_t{1} << 32, OPENMPT_STREAM_SEEK_SET), -1);
    EXPECT_EQ(soundStreamTell(h), 40);
    EXPECT_EQ(soundStreamSeek(h, -10, OPENMPT_STREAM_SEEK_END), 0);
    EXPECT_EQ(soundStreamTell(h), 90);
    EXPECT_EQ(soundStreamSeek(h, 1, OPENMPT_STREAM_SEEK_END), -1);
    EXPECT_EQ(soundStreamTell(h), 90);
    EXPECT_EQ(soundStreamSeek(h, -90, OPENMPT_STREAM_SEEK_CUR), 0);
    EXPECT_EQ(soundStreamTell(h), 0);
    unsigned char buffer[300];
    EXPECT_EQ(soundStreamRead(h, buffer, sizeof buffer), 100u);
    EXPECT_EQ(soundStreamRead(h, buffer, sizeof buffer), 0u);
    fake::close(h);
}

TEST(SoundDevice, AnUnknownDriverFailsAndNoSilentOneStandsIn) {
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    EXPECT_EQ(soundInit(44100), 0);
    soundClose();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_NE(soundInit(44100), 0);
    soundClose();
}

// A 160 ms song played for 3 s: the clock keeps the wall clock's pace through about twenty repeats
// and never steps back. Were the song to end instead of repeating, the clock would stop at 160 ms.
TEST(SoundDevice, TimeFollowsTheWallClockAcrossRepeats) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(soundInit(44100), 0);
    fake::serve("short", fake::makeModule(16, 250));
    Song* song = soundLoadSong("short");
    ASSERT_NE(song, nullptr);
    ASSERT_NEAR(openmpt_module_get_duration_seconds(song->module), 0.16, 0.001);
    EXPECT_EQ(soundGetTime(song), 0) << "not playing yet";
    soundPlaySong(song);
    int callbacksBeforePlay = fake::files.reads + fake::files.seeks + fake::files.tells;

    // Let the device settle, then measure from a reading to a reading. The dummy driver paces itself by
    // sleeping, so a machine busy with other work can slow it for a while: a pace off by more than 2 %
    // in each of three 3 s windows is the layer's fault, not the neighbours'.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int backwards = 0, last = 0;
    double rate = 0.0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto start = std::chrono::steady_clock::now();
        int first = soundGetTime(song);
        int previous = first;
        last = first;
        while (secondsSince(start) < 3.0) {
            last = soundGetTime(song);
            if (last < previous)
                ++backwards;
            previous = last;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        rate = (last - first) / (secondsSince(start) * 1000.0);
        std::printf("window %d: clock pace %.4f of the wall clock\n", attempt + 1, rate);
        if (std::fabs(rate - 1.0) <= 0.02)
            break;
    }
    EXPECT_EQ(backwards, 0);
    EXPECT_GT(last, 3000) << "the clock stopped: the song did not repeat";
    EXPECT_NEAR(rate, 1.0, 0.02);
    EXPECT_EQ(fake::files.reads + fake::files.seeks + fake::files.tells, callbacksBeforePlay)
        << "no file callback once the module is built";
    EXPECT_EQ(soundGetTime(nullptr), 0);

    soundFreeSong(song);
    soundClose();
}

TEST(SoundDevice, PlayingAgainStartsTheClockAtZero) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_NE(soundInit(44100), 0);
    fake::serve("short", fake::makeModule(16, 250));
    Song* song = soundLoadSong("short");
    ASSERT_NE(song, nullptr);
    soundPlaySong(song);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_GT(soundGetTime(song), 250);
    soundPlaySong(song);
    EXPECT_LT(soundGetTime(song), 100);
    soundFreeSong(song);
    soundClose();
}
