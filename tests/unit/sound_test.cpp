// The sound layer: songs loaded through the file callbacks, the stream adapters' seeks, device start-up,
// and the clock of music heard: the pace of the music the device takes, across the song's repeats, never
// backwards, never past what the device was handed, and back to 0 when played again.
#include "sound/internal.h"
#include "sound/sound.h"
#include "tests/support.h"
#include "util/assets.h"

#include <SDL.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <thread>
#include <unistd.h>

namespace {

// The callbacks serve one buffer under one name, as asset streams, and count what they are asked.
struct {
    std::string name;
    std::vector<unsigned char> data;
    int opens, closes, calls;
} served;

void serve(const std::string& name, std::vector<unsigned char> data) {
    served = {name, std::move(data), 0, 0, 0};
    soundSetFileCallbacks(
        [](const char* name) -> void* {
            ++served.opens;
            return name == served.name ? new AssetStream{int32_t(served.data.size()), 0, served.data.data()}
                                       : nullptr;
        },
        [](void* h) {
            ++served.closes;
            delete static_cast<AssetStream*>(h);
        },
        [](void* b, int32_t n, void* h) {
            return ++served.calls, readAsset(b, n, static_cast<AssetStream*>(h));
        },
        [](void* h, int32_t o, int8_t m) {
            return ++served.calls, seekAsset(static_cast<AssetStream*>(h), o, m);
        },
        [](void* h) { return ++served.calls, tellAsset(static_cast<AssetStream*>(h)); });
}

// A silent XM module of one pattern of 16 empty rows at speed 1 and 250 BPM: a 160 ms song.
std::vector<unsigned char> shortModule() {
    std::vector<unsigned char> m(336 + 9, 0);
    std::memcpy(m.data(),
                "Extended Module:                     \x1a"
                "FastTracker v2.00   ",
                58);
    const int header[][2] = {{58, 0x0104}, {60, 276}, {64, 1},  {68, 2},   {70, 1},  {74, 1},
                             {76, 1},      {78, 250}, {336, 9}, {341, 16}, {343, 32}};
    for (const auto& [at, value] : header)
        m[size_t(at)] = value & 0xff, m[size_t(at) + 1] = value >> 8 & 0xff;
    m.insert(m.end(), 32, 0x80); // every cell packed as empty
    return m;
}

double since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Song* playShortSong(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    EXPECT_NE(soundInit(44100), 0);
    serve("short", shortModule());
    Song* song = soundLoadSong("short");
    EXPECT_NE(song, nullptr);
    EXPECT_EQ(soundGetTime(song), 0) << "not playing yet";
    soundPlaySong(song);
    return song;
}

} // namespace

TEST(SoundFiles, SongsLoadThroughTheCallbacksAndEveryStreamIsClosed) {
    serve("data/boo.oxm", dataFile("boo.oxm"));
    Song* song = soundLoadSong("data/boo.oxm");
    ASSERT_NE(song, nullptr);
    EXPECT_TRUE(served.opens == 1 && served.closes == 1 && served.calls > 0);
    EXPECT_EQ(openmpt_module_get_num_samples(song->module), 24);
    soundFreeSong(song);
    EXPECT_EQ(soundLoadSong("data/nothing.oxm"), nullptr);
    EXPECT_EQ(served.closes, 1) << "there was no stream to close";
    EXPECT_EQ(soundLoadSong(nullptr), nullptr);
    serve("junk", std::vector<unsigned char>(5000, 0x5a));
    EXPECT_TRUE(soundLoadSong("junk") == nullptr && served.closes == 1)
        << "a stream without a module is closed";
}

TEST(SoundFiles, StreamAdaptersReportSeeksThatMissTheTarget) {
    serve("f", std::vector<unsigned char>(100, 7));
    void* h = new AssetStream{100, 0, served.data.data()};
    const struct {
        int64_t offset;
        int whence, result, position;
    } seeks[] = {
        // clang-format off
        {100, OPENMPT_STREAM_SEEK_SET, 0, 100}, {40, OPENMPT_STREAM_SEEK_SET, 0, 40},
        {101, OPENMPT_STREAM_SEEK_SET, -1, 40}, {-41, OPENMPT_STREAM_SEEK_CUR, -1, 40},
        {int64_t{1} << 32, OPENMPT_STREAM_SEEK_SET, -1, 40}, {-10, OPENMPT_STREAM_SEEK_END, 0, 90},
        {1, OPENMPT_STREAM_SEEK_END, -1, 90}, {-90, OPENMPT_STREAM_SEEK_CUR, 0, 0},
        // clang-format on
    };
    for (const auto& s : seeks)
        EXPECT_TRUE(soundStreamSeek(h, s.offset, s.whence) == s.result && soundStreamTell(h) == s.position)
            << s.offset << " from " << s.whence;
    delete static_cast<AssetStream*>(h);
}

// PulseAudio answers what it holds; PipeWire's pulse server answers 0, and what it holds is in the
// settings it gave the stream.
TEST(SoundServer, HeldIsTheAnswerOrPipewiresTargetLengthAndQuantum) {
    pa_sink_input_info info{};
    info.sample_spec = {PA_SAMPLE_FLOAT32LE, 48000, 2};
    info.proplist = pa_proplist_new();
    EXPECT_EQ(serverHeld(&info), 0.0);
    pa_proplist_sets(info.proplist, "pulse.attr.tlength", "6144"); // 768 frames of 8 bytes
    pa_proplist_sets(info.proplist, "node.latency", "256/44100");
    EXPECT_NEAR(serverHeld(&info), 768 / 48000.0 + 256 / 44100.0, 1e-9);
    info.buffer_usec = 5000;
    info.sink_usec = 2000;
    EXPECT_NEAR(serverHeld(&info), 0.007, 1e-9);
    pa_proplist_free(info.proplist);
}

TEST(SoundDevice, TimeKeepsThePaceOfTheMusicTakenAcrossRepeatsAndStartsAgainAtZero) {
    // SDL's disk driver writes what the device takes to a file: the pace is measured against that rather
    // than the wall clock, since the driver's thread sleeps and on a busy machine wakes late and takes less.
    const std::string taken =
        std::filesystem::temp_directory_path() / ("plix-sound-" + std::to_string(getpid()));
    setenv("SDL_DISKAUDIOFILE", taken.c_str(), 1);
    Song* song = playShortSong("disk");
    const int callbacks = served.calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int backwards = 0;
    const int first = soundGetTime(song);
    const auto bytes = std::filesystem::file_size(taken);
    int last = first;
    const auto start = std::chrono::steady_clock::now();
    for (int previous = last; last - first < 2000 && since(start) < 30; previous = last) {
        last = soundGetTime(song);
        backwards += last < previous;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const double pace =
        (last - first) / ((std::filesystem::file_size(taken) - bytes) / 8 / 44.1); // stereo floats
    std::printf("clock pace %.4f of the music taken\n", pace);
    EXPECT_EQ(backwards, 0);
    EXPECT_GE(last - first, 2000) << "the clock stopped: the song did not repeat";
    EXPECT_NEAR(pace, 1.0, 0.02);
    EXPECT_EQ(served.calls, callbacks) << "no file callback once the module is built";
    soundPlaySong(song);
    EXPECT_LT(soundGetTime(song), 100);
    EXPECT_EQ(soundGetTime(nullptr), 0);
    soundFreeSong(song);
    soundClose();
    std::filesystem::remove(taken);
}

// Under SDL's dummy driver, or on the sound server that PLIX_TEST_AUDIODRIVER=pulseaudio names, where the
// server's share is asked for besides.
TEST(SoundDevice, TheClockNeverRunsPastTheBufferLastHandedOver) {
    const char* driver = std::getenv("PLIX_TEST_AUDIODRIVER");
    Song* song = playShortSong(driver ? driver : "dummy");
    // Locking the layer's device (the only one open, so SDL's first id, 2) holds its callback back: the
    // clock may run to the end of the last buffer (1024 frames, 23.2 ms) and must then wait.
    double ran = 0;
    for (int stall = 0; stall < 5; stall++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(70));
        SDL_LockAudioDevice(2);
        const int from = soundGetTime(song);
        for (const auto start = std::chrono::steady_clock::now(); since(start) < 0.12;)
            ran = std::max(ran, double(soundGetTime(song) - from)); // read as often as the show's idle loop

        SDL_UnlockAudioDevice(2);
    }
    const int held = soundGetTime(song); // a busy machine may take a while to show 100 ms more
    for (auto start = std::chrono::steady_clock::now(); soundGetTime(song) < held + 100 && since(start) < 30;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(soundGetTime(song), held + 100) << "the clock did not go on";
    if (driver) {
        EXPECT_TRUE(serverDelayFrames() > 0 && serverDelayFrames() < 44100)
            << serverDelayFrames() << " frames held";
    }
    soundFreeSong(song);
    soundClose();
    EXPECT_LE(ran, 1024 / 44.1 + 1) << "ms the clock ran while the device was held";
}
