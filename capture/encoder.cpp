// The ffmpeg child, started by posix_spawnp in a process group of its own, fed by two pipes, and reaped
// so that a kill from another thread never reaches a process that has taken its number since.
#include "capture/encoder.h"

#include "capture/music.h"
#include "util/pngwrite.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::mutex encoderLock;
pid_t encoder = -1; // the ffmpeg child until it is reaped
int pictureFd = -1; // the write ends of its two pipes
int soundFd = -1;

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

void closePipe(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// Waits for the encoder to end without reaping it, then reaps it under the lock.
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

} // namespace

bool startEncoder(const std::string& path, int width, int height, int rate, std::string& error) {
    int picture[2], sound[2];
    if (pipe2(picture, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    if (pipe2(sound, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe for ffmpeg: ") + std::strerror(errno);
        close(picture[0]);
        close(picture[1]);
        return false;
    }
    pictureFd = picture[1];
    soundFd = sound[1];
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string frameRate = std::to_string(rate);
    const std::string sampleRate = std::to_string(captureSampleRate);
    const std::string target = "file:" + path; // a file, whatever the name looks like
    const char* argv[] = {"ffmpeg", "-nostdin", "-v", "error", "-y",
                          // pictures on standard input, sound on descriptor 3
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size.c_str(), "-framerate",
                          frameRate.c_str(), "-i", "pipe:0", "-f", "s16le", "-ar", sampleRate.c_str(), "-ac",
                          "2", "-i", "pipe:3", "-map", "0:v", "-map", "1:a", "-c:v", "libx264", "-preset",
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

bool encodePicture(int64_t, const PngData& frame, std::string& error) {
    if (writeAll(pictureFd, frame.bytes.data(), frame.bytes.size()))
        return true;
    error = "the encoder stopped taking frames (ffmpeg failed; see its message above)";
    return false;
}

bool encodeSound(const int16_t* samples, int64_t frames, std::string& error) {
    // The samples go out little-endian, as they lie in memory on the machines this runs on.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (writeAll(soundFd, samples, static_cast<size_t>(frames) * 4))
        return true;
    error = "the encoder stopped taking sound (ffmpeg failed; see its message above)";
    return false;
}

void endPictures() {
    closePipe(pictureFd);
}

void endSound() {
    closePipe(soundFd);
}

void killEncoder() {
    std::lock_guard<std::mutex> guard(encoderLock);
    if (encoder > 0)
        kill(encoder, SIGKILL);
}

bool endEncoder(bool kill) {
    closePipe(pictureFd);
    closePipe(soundFd);
    if (kill)
        killEncoder();
    return waitEncoder();
}
