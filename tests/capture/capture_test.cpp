// plix-capture end to end: frames equal to the in-process render, sound equal to libopenmpt's and lined up
// with the frames, the video's length, and the failures it must report without leaving output behind.
#include "show/replay.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <libopenmpt/libopenmpt.hpp>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string capture = PLIX_BINARY_DIR "/capture/plix-capture";

std::string readFile(const fs::path& path) {
    const std::vector<unsigned char> bytes = fileBytes(path.string());
    return {bytes.begin(), bytes.end()};
}

// Runs plix-capture with the given arguments, after a prefix such as an environment "PATH=/x".
struct CaptureRun {
    int status;
    std::string err;
};
CaptureRun runCapture(const std::string& args, const std::string& prefix = "") {
    const fs::path err = fs::temp_directory_path() / ("capture-err-" + std::to_string(getpid()));
    const std::string command = prefix + " " + capture + " " + args + " 2> " + err.string();
    const int raw = std::system(command.c_str());
    CaptureRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(err)};
    fs::remove(err);
    return run;
}

struct TempDir { // a fresh folder, removed with all it holds at the end of the test
    fs::path path = mkdtemp((fs::temp_directory_path() / "plix-capture-XXXXXX").string().data());
    ~TempDir() { fs::remove_all(path); }
};

// The frame equals what the render harness draws after the same sequence of clock steps, and its sound
// is exactly libopenmpt's own render of the module over the frame's 800 samples.
TEST(Capture, FramesMatchTheHarnessAndSoundMatchesLibopenmpt) {
    TempDir dir;
    const int first = 150, last = 152, rate = 60;
    ASSERT_EQ(runCapture("--from 2.5 --to 2.55 --frames " + (dir.path / "f").string()).status, 0);

    ASSERT_TRUE(openShowHarness());
    replayFrames(1, last, rate, 640, 480);
    drawFrameAt(last, rate);
    const Frame frame = readFrame();
    PngPicture captured;
    ASSERT_TRUE(readPngPicture(fileBytes((dir.path / "f" / "frame_000152.png").string()), captured));
    ASSERT_EQ(captured.width, frame.width);
    ASSERT_EQ(captured.height, frame.height);
    int differing = 0;
    for (int y = 0; y < captured.height; y++)
        for (int x = 0; x < captured.width; x++)
            for (int c = 0; c < 3; c++)
                differing +=
                    captured.rgba[(size_t(y) * captured.width + x) * 4 + c] >> 8 != frame.at(x, y)[c];
    EXPECT_EQ(differing, 0);

    // The WAV's 16-bit stereo samples after its 44-byte header, whose data size says as much.
    const std::string wav = readFile(dir.path / "f" / "audio.wav");
    const size_t samplesPerFrame = 48000 / rate, bytes = (last - first + 1) * samplesPerFrame * 4;
    ASSERT_EQ(wav.size(), 44 + bytes);
    uint32_t declared = 0;
    std::memcpy(&declared, wav.data() + 40, 4);
    EXPECT_EQ(declared, bytes);
    std::vector<int16_t> sound(bytes / 2), expected(bytes / 2), skipped(first * samplesPerFrame * 2);
    std::memcpy(sound.data(), wav.data() + 44, bytes);
    const std::string module = readFile(PLIX_SOURCE_DIR "/data/boo.oxm");
    std::ostringstream log;
    openmpt::module song(module.data(), module.size(), log, {{"dither", "0"}});
    song.set_repeat_count(-1);
    song.read_interleaved_stereo(48000, first * samplesPerFrame, skipped.data());
    song.read_interleaved_stereo(48000, expected.size() / 2, expected.data());
    EXPECT_EQ(sound, expected);
    EXPECT_NE(sound, std::vector<int16_t>(sound.size())) << "silent";
}

// A span that starts late follows a lead-in drawn a few pixels small, and the frames asked for with --at
// (the first at or after each time) lie among frames drawn small: all are a run's from 0.
TEST(Capture, LateFramesAreThoseOfARunFromTheStart) {
    TempDir dir;
    ASSERT_EQ(runCapture("--to 45.05 -s 72x40 --frames " + (dir.path / "a").string()).status, 0);
    ASSERT_EQ(runCapture("--from 45 --to 45.05 -s 72x40 --frames " + (dir.path / "b").string()).status, 0);
    ASSERT_EQ(runCapture("--at 30,45.03 -s 72x40 --frames " + (dir.path / "c").string()).status, 0);
    for (const char* name : {"frame_002700.png", "frame_002702.png"})
        EXPECT_EQ(readFile(dir.path / "a" / name), readFile(dir.path / "b" / name)) << name;
    for (const char* name : {"frame_001800.png", "frame_002702.png"})
        EXPECT_EQ(readFile(dir.path / "a" / name), readFile(dir.path / "c" / name)) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "c"), fs::directory_iterator()), 3);
}

// Under the longest legal name, so that the work file beside it needs a shortened name.
TEST(Capture, VideoHasTheFramesAndDurationAskedForUnderTheLongestName) {
    TempDir dir;
    const fs::path video = dir.path / (std::string(251, 'n') + ".mp4");
    const CaptureRun run = runCapture("--from 10 --to 11 --rate 30 --size 160x120 -o " + video.string());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("frames"), std::string::npos); // the progress line
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1)
        << "work left behind";
    const fs::path probe = dir.path / "probe.txt";
    const std::string command =
        "ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames,"
        "width,height -show_entries format=duration -of default=nw=1 " +
        video.string() + " > " + probe.string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string info = readFile(probe);
    for (const char* wanted :
         {"codec_type=video", "codec_type=audio", "width=160", "height=120", "nb_read_frames=30"})
        EXPECT_NE(info.find(wanted), std::string::npos) << wanted << " in " << info;
    const size_t at = info.find("duration=");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NEAR(std::atof(info.c_str() + at + 9), 1.0, 0.05) << info;
}

// Every failure says what went wrong, exits non-zero and leaves no file that looks finished.
TEST(Capture, FailuresAreReportedAndLeaveNothingBehind) {
    TempDir dir, other; // other: targets a video must not replace
    const fs::path video = dir.path / "show.mp4";
    const auto o = [&](const char* name) { return (other.path / name).string(); };
    ASSERT_EQ(mkfifo(o("fifo").c_str(), 0600), 0);
    fs::create_directory(o("d"));
    fs::create_directory_symlink("d", other.path / "to-d");
    fs::create_symlink("/dev/null", other.path / "to-null");
    fs::create_symlink("nothing", other.path / "to-nothing");
    struct Case {
        const char* what;
        std::string args;
        std::string env;
        int status;
        const char* message;
    } cases[] = {
        {"no ffmpeg", "--to 0.1 -o " + video.string(), "PATH=/nonexistent", 1, "--frames"},
        {"unwritable path", "--to 0.1 -o " + (dir.path / "missing" / "show.mp4").string(), "", 1,
         "cannot write"},
        {"size 0", "--size 0x480 -o " + video.string(), "", 2, "bad value"},
        {"size beyond the GL limit", "--size 100000x16 --frames " + video.string(), "", 2, "100000x16"},
        {"size beyond H.264", "--size 16384x16384 --to 0.02 -o " + video.string(), "", 2, "largest level"},
        {"a FIFO", "--to 0.1 -o " + o("fifo"), "", 2, "fifo is a FIFO:"},
        {"a folder", "--to 0.1 -o " + o("d/"), "", 2, "d is a folder:"},
        {"a link to a folder", "--to 0.1 -o " + o("to-d"), "", 2, "to-d is a symlink to a folder:"},
        {"a link to a device", "--to 0.1 -o " + o("to-null"), "", 2, "is a symlink to a character device:"},
        {"a link to nothing", "--to 0.1 -o " + o("to-nothing"), "", 2, "is a symlink to nothing:"},
        {"a span without a frame", "--from 1.001 --to 1.002 -o " + video.string(), "", 2, "holds no frame"},
        {"odd size for video", "--size 321x241 -o " + video.string(), "", 2, "322x242"},
        {"more sound than a WAV holds", "--to 999999 --frames " + (dir.path / "f").string(), "", 2, "WAV"},
        {"no EGL", "--to 0.1 -o " + video.string(), "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json", 3,
         "no offscreen OpenGL"},
    };
    for (const Case& c : cases) {
        const CaptureRun run = runCapture(c.args, c.env);
        EXPECT_EQ(run.status, c.status) << c.what;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.what << ": " << run.err;
        EXPECT_TRUE(fs::is_empty(dir.path)) << c.what;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(other.path), fs::directory_iterator()), 5);
    EXPECT_TRUE(fs::is_fifo(o("fifo")) && fs::is_symlink(o("to-d")) && fs::is_symlink(o("to-null")));

    fs::create_directory(dir.path / "full");
    std::ofstream(dir.path / "full" / "keep.txt") << "mine";
    const CaptureRun run = runCapture("--to 0.1 --frames " + (dir.path / "full").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("exists and is not an empty folder"), std::string::npos)
        << "refused before any work";
    EXPECT_EQ(readFile(dir.path / "full" / "keep.txt"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1)
        << "work left behind";
}

// An encoder that stops taking one stream mid-run while it leaves the other unread (the writer's pictures,
// then the music's sound) ends the run at once with status 1 and the first failure's reason, the encoder
// killed and nothing left. A run that hangs is stopped by timeout after 120 s.
TEST(Capture, AnEncoderThatStopsTakingAStreamEndsTheRun) {
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0); // an encoder left running comes to this process
    TempDir dir;
    const fs::path ffmpeg = dir.path / "ffmpeg";
    const std::pair<const char*, const char*> encoders[] = {
        {"stopped taking frames", "head -c 100000 > /dev/null; exec sleep 300 <&- > /dev/null"},
        {"stopped taking sound", "exec sleep 300 3<&- > /dev/null"},
    };
    for (const auto& [message, script] : encoders) {
        TempDir out;
        std::ofstream(ffmpeg) << "#!/bin/sh\n" << script << "\n";
        fs::permissions(ffmpeg, fs::perms::owner_all);
        const CaptureRun run = runCapture("--to 60 -s 64x48 -o " + (out.path / "show.mp4").string(),
                                          "PATH=" + dir.path.string() + ":$PATH timeout -k 10 120");
        EXPECT_EQ(run.status, 1) << message << ": " << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(out.path)) << message;
        int status = 0;
        EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << message << ": the encoder outlived plix-capture";
    }
}

// An earlier run's work is named and kept.
TEST(Capture, LeftoversOfKilledRuns) {
    TempDir dir;
    const fs::path left = dir.path / "k.mp4.partial-Ab12Cd";
    std::ofstream(left) << "earlier";
    const CaptureRun run = runCapture("--to 0.05 -s 64x48 -o " + (dir.path / "k.mp4").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(left.string() + " is left from another run"), std::string::npos) << run.err;
    EXPECT_EQ(readFile(left), "earlier");
}

// A stop signal in the middle of a run (the video's span beyond any memory) ends it with 128 + the
// signal, the encoder gone with it and nothing left on disk.
TEST(Capture, StopSignalsLeaveNothingAndNoChild) {
    // Orphans of plix-capture come to this process, so that an encoder outliving it shows.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    TempDir dir;
    const fs::path err = dir.path / "err.txt";
    const std::pair<std::string, int> runs[] = {
        {"--to 999999 -s 64x48 -o " + (dir.path / "show.mp4").string(), SIGTERM},
        {"--to 60 -s 64x48 --frames " + (dir.path / "frames").string(), SIGINT},
        {"--to 60 -s 64x48 -o " + (dir.path / "show.mp4").string(), SIGHUP},
    };
    for (const auto& [args, signal] : runs) {
        const std::string command = "exec " + capture + " " + args + " 2> " + err.string();
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
        // Frames are being written once the progress line shows.
        for (int i = 0; i < 1200 && readFile(err).find("frames ") == std::string::npos; i++)
            usleep(100000);
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal)
            << args << ": " << readFile(err);
        fs::remove(err);
        EXPECT_TRUE(fs::is_empty(dir.path)) << args;
        EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << args << ": a child outlived plix-capture";
    }
}

} // namespace
