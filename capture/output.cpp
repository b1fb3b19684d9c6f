// Frame outputs: H.264/AAC through an ffmpeg child fed by two pipes, or numbered PNG frames with a WAV
// beside them. Only names made fresh and exclusively here are ever written, and removed on failure.
#include "capture/output.h"

#include "capture/music.h"
#include "capture/options.h"
#include "capture/target.h"
#include "capture/wav.h"
#include "util/pngwrite.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::mutex encoderLock;
pid_t encoder = -1; // the ffmpeg child until it is reaped

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// A new file that nothing of that name precedes, and never through a symlink.
int createFresh(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool writeAll(int fd, const void* data, size_t bytes) {
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// The process's umask, read without changing it (umask() would, for every thread at once).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtol(line.c_str() + 6, nullptr, 8));
    return 022;
}

bool startEncoder(FrameOutput& out, std::string& error) {
    int picture[2], sound[2];
    if (pipe2(picture, O_CLOEXEC) != 0) {
        error = systemError("cannot create a pipe for", "ffmpeg");
        return false;
    }
    if (pipe2(sound, O_CLOEXEC) != 0) {
        error = systemError("cannot create a pipe for", "ffmpeg");
        close(picture[0]);
        close(picture[1]);
        return false;
    }
    out.pictureFd = picture[1];
    out.soundFd = sound[1];
    const std::string size = std::to_string(out.width) + "x" + std::to_string(out.height);
    const std::string rate = std::to_string(out.rate);
    const std::string sampleRate = std::to_string(captureSampleRate);
    const std::string target = "file:" + out.workPath; // a file, whatever the name looks like
    const char* argv[] = {"ffmpeg", "-nostdin", "-v", "error", "-y",
                          // pictures on standard input, sound on descriptor 3
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size.c_str(), "-framerate",
                          rate.c_str(), "-i", "pipe:0", "-f", "s16le", "-ar", sampleRate.c_str(), "-ac", "2",
                          "-i", "pipe:3", "-map", "0:v", "-map", "1:a", "-c:v", "libx264", "-preset",
                          "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k",
                          "-movflags", "+faststart", "-f", "mp4", target.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, picture[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, sound[0], 3);
    // Its own process group, so that a terminal's Ctrl-C reaches the capture alone, which then stops
    // it; the signals the capture blocks or ignores are given back their defaults.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::signal(SIGPIPE, SIG_IGN); // a dying encoder shows as a failed write, not a killed capture
    pid_t pid = -1;
    const int failed =
        posix_spawnp(&pid, "ffmpeg", &actions, &attributes, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(picture[0]);
    close(sound[0]);
    if (failed != 0) {
        error = failed == ENOENT
                    ? "ffmpeg not found on PATH: install it (apt-get install ffmpeg) or write PNG "
                      "frames with --frames DIR"
                    : std::string("cannot start ffmpeg: ") + std::strerror(failed);
        return false;
    }
    std::lock_guard<std::mutex> guard(encoderLock);
    encoder = pid;
    return true;
}

// Waits for the encoder to end without reaping it, then reaps it under the lock: killEncoder, from
// another thread, must never reach a process that has taken the number since.
bool waitEncoder() {
    const pid_t pid = encoder;
    if (pid < 0)
        return true;
    siginfo_t info;
    while (waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    int status = 0;
    std::lock_guard<std::mutex> guard(encoderLock);
    waitpid(pid, &status, 0);
    encoder = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void closeOutputs(FrameOutput& out) {
    for (int* fd : {&out.pictureFd, &out.soundFd}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

} // namespace

bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, int64_t soundFrames,
                     std::string& error) {
    out.video = options.framesDir.empty();
    out.width = options.width;
    out.height = options.height;
    out.rate = options.rate;
    out.finalPath = out.video ? options.output : options.framesDir;
    std::error_code ec;
    const fs::file_status target = fs::symlink_status(out.finalPath, ec);
    std::string work = workTemplate(out.finalPath);
    if (out.video) {
        const int fd = mkostemp(work.data(), O_CLOEXEC);
        if (fd < 0) {
            error = systemError("cannot write", out.finalPath);
            return false;
        }
        close(fd);
        out.workPath = work;
        if (!startEncoder(out, error)) {
            abandonFrameOutput(out);
            return false;
        }
        return true;
    }
    if (fs::exists(target) && !(fs::is_directory(target) && fs::is_empty(out.finalPath, ec))) {
        error = out.finalPath + " exists and is not an empty folder";
        return false;
    }
    if (mkdtemp(work.data()) == nullptr) {
        error = systemError("cannot create a folder beside", out.finalPath);
        return false;
    }
    out.workPath = work;
    const std::string audio = work + "/audio.wav";
    unsigned char header[44];
    wavHeader(header, soundFrames, captureSampleRate);
    out.soundFd = createFresh(audio);
    if (out.soundFd < 0 || !writeAll(out.soundFd, header, sizeof header)) {
        error = systemError("cannot write", audio);
        abandonFrameOutput(out);
        return false;
    }
    return true;
}

bool writeFrame(FrameOutput& out, int64_t frameIndex, const PngData& frame, std::string& error) {
    if (out.video) {
        if (writeAll(out.pictureFd, frame.bytes.data(), frame.bytes.size()))
            return true;
        error = "the encoder stopped taking frames (ffmpeg failed; see its message above)";
        return false;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frameIndex));
    const std::string path = out.workPath + name;
    const int fd = createFresh(path);
    FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr) {
        error = systemError("cannot write", path);
        if (fd >= 0)
            close(fd);
        return false;
    }
    const bool written = writePng(file, frame, false);
    if (std::fclose(file) != 0 || !written) {
        error = systemError("cannot write", path);
        return false;
    }
    return true;
}

bool writeSound(FrameOutput& out, const int16_t* samples, int64_t frames, std::string& error) {
    // The samples go out little-endian, as they lie in memory on the machines this runs on.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (writeAll(out.soundFd, samples, static_cast<size_t>(frames) * 4))
        return true;
    error = out.video ? "the encoder stopped taking sound (ffmpeg failed; see its message above)"
                      : systemError("cannot write", out.workPath + "/audio.wav");
    return false;
}

void closePictures(FrameOutput& out) {
    if (out.pictureFd >= 0)
        close(out.pictureFd);
    out.pictureFd = -1;
}

bool closeSound(FrameOutput& out, std::string& error) {
    const int fd = out.soundFd;
    out.soundFd = -1;
    if (fd < 0 || close(fd) == 0 || out.video)
        return true;
    error = systemError("cannot write", out.workPath + "/audio.wav");
    return false;
}

bool finishFrameOutput(FrameOutput& out, std::string& error) {
    closeOutputs(out);
    if (!waitEncoder()) {
        error = "ffmpeg failed to encode " + out.finalPath;
        abandonFrameOutput(out);
        return false;
    }
    // The work name was made private; the result gets the permissions of a file made the ordinary way.
    chmod(out.workPath.c_str(), (out.video ? 0666 : 0777) & ~currentUmask());
    // An empty folder of the target's name gives way to the finished one; anything else stays. What
    // was a regular file when the run began is looked at again: it may have been replaced since.
    if (out.video && !videoTargetUsable(out.finalPath, error)) {
        abandonFrameOutput(out);
        return false;
    }
    if (std::rename(out.workPath.c_str(), out.finalPath.c_str()) != 0) {
        error = systemError("cannot move the result to", out.finalPath);
        abandonFrameOutput(out);
        return false;
    }
    out.workPath.clear();
    return true;
}

void abandonFrameOutput(FrameOutput& out) {
    closeOutputs(out);
    killEncoder();
    waitEncoder();
    std::error_code ec;
    if (!out.workPath.empty())
        fs::remove_all(out.workPath, ec);
    out.workPath.clear();
}

void killEncoder() {
    std::lock_guard<std::mutex> guard(encoderLock);
    if (encoder > 0)
        kill(encoder, SIGKILL);
}
