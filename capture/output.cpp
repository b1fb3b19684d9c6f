// Frame outputs: H.264/AAC through an ffmpeg pipe, or numbered PNG frames with a WAV beside them.
#include "capture/output.h"

#include "capture/options.h"
#include "capture/wav.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::string findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

static std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

static bool isEmptyFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return false;
    bool empty = true;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            empty = false;
    }
    closedir(dir);
    return empty;
}

static void removeFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return;
    while (dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            unlink((path + "/" + entry->d_name).c_str());
    }
    closedir(dir);
    rmdir(path.c_str());
}

static bool startEncoder(FrameOutput& out, std::string& error) {
    const std::string ffmpeg = findProgram("ffmpeg");
    if (ffmpeg.empty()) {
        error = "ffmpeg not found on PATH: install it (apt-get install ffmpeg) or write PNG frames with "
                "--frames DIR";
        return false;
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        error = systemError("cannot create a pipe for", ffmpeg);
        return false;
    }
    const std::string size = std::to_string(out.width) + "x" + std::to_string(out.height);
    const std::string rate = std::to_string(out.rate);
    const char* argv[] = {ffmpeg.c_str(),
                          "-nostdin",
                          "-v",
                          "error",
                          "-y",
                          "-f",
                          "rawvideo",
                          "-pix_fmt",
                          "rgb24",
                          "-s",
                          size.c_str(),
                          "-framerate",
                          rate.c_str(),
                          "-i",
                          "pipe:0",
                          "-i",
                          out.audioPath.c_str(),
                          "-map",
                          "0:v",
                          "-map",
                          "1:a",
                          "-c:v",
                          "libx264",
                          "-preset",
                          "veryfast",
                          "-crf",
                          "18",
                          "-pix_fmt",
                          "yuv420p",
                          "-c:a",
                          "aac",
                          "-b:a",
                          "192k",
                          "-movflags",
                          "+faststart",
                          "-f",
                          "mp4",
                          out.stagingPath.c_str(),
                          nullptr};
    const pid_t pid = fork();
    if (pid < 0) {
        error = systemError("cannot start", ffmpeg);
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        execv(ffmpeg.c_str(), const_cast<char* const*>(argv));
        _exit(127);
    }
    close(fds[0]);
    out.encoder = pid;
    out.pipe = fds[1];
    std::signal(SIGPIPE, SIG_IGN); // a dying encoder shows as a failed write, not a killed capture
    return true;
}

bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, const std::vector<int16_t>& samples,
                     int sampleRate, std::string& error) {
    out.video = options.framesDir.empty();
    out.width = options.width;
    out.height = options.height;
    out.rate = options.rate;
    out.finalPath = out.video ? options.output : options.framesDir;
    out.stagingPath = out.finalPath + ".partial";
    if (out.video) {
        out.audioPath = out.stagingPath + ".wav";
        const int fd = open(out.stagingPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            error = systemError("cannot write", out.stagingPath);
            return false;
        }
        close(fd);
    } else {
        struct stat st;
        if (stat(out.finalPath.c_str(), &st) == 0 && !isEmptyFolder(out.finalPath)) {
            error = out.finalPath + " exists and is not an empty folder";
            return false;
        }
        removeFolder(out.stagingPath);
        if (mkdir(out.stagingPath.c_str(), 0755) != 0) {
            error = systemError("cannot create", out.stagingPath);
            return false;
        }
        out.audioPath = out.stagingPath + "/audio.wav";
    }
    if (!writeWav(out.audioPath, samples.data(), samples.size() / 2, 2, sampleRate)) {
        error = systemError("cannot write", out.audioPath);
        abandonFrameOutput(out);
        return false;
    }
    if (out.video && !startEncoder(out, error)) {
        abandonFrameOutput(out);
        return false;
    }
    return true;
}

static bool writePng(const std::string& path, int width, int height, const unsigned char* rgb) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_compression_level(png, 3);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; y++)
            png_write_row(png, rgb + static_cast<size_t>(y) * width * 3);
        png_write_end(png, info);
    } else {
        ok = false;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

bool writeFrame(FrameOutput& out, int64_t frameIndex, const unsigned char* rgb, std::string& error) {
    const size_t bytes = static_cast<size_t>(out.width) * out.height * 3;
    if (!out.video) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frameIndex));
        const std::string path = out.stagingPath + name;
        if (!writePng(path, out.width, out.height, rgb)) {
            error = systemError("cannot write", path);
            return false;
        }
        return true;
    }
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(out.pipe, rgb + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "the encoder stopped taking frames (ffmpeg failed; see its message above)";
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

static bool waitEncoder(FrameOutput& out) {
    if (out.pipe >= 0)
        close(out.pipe);
    out.pipe = -1;
    if (out.encoder < 0)
        return true;
    int status = 0;
    while (waitpid(out.encoder, &status, 0) < 0 && errno == EINTR) {
    }
    out.encoder = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool finishFrameOutput(FrameOutput& out, std::string& error) {
    if (out.video) {
        if (!waitEncoder(out)) {
            error = "ffmpeg failed to encode " + out.finalPath;
            abandonFrameOutput(out);
            return false;
        }
        unlink(out.audioPath.c_str());
    } else {
        rmdir(out.finalPath.c_str()); // an empty folder of that name gives way to the finished one
    }
    if (std::rename(out.stagingPath.c_str(), out.finalPath.c_str()) != 0) {
        error = systemError("cannot move the result to", out.finalPath);
        abandonFrameOutput(out);
        return false;
    }
    return true;
}

void abandonFrameOutput(FrameOutput& out) {
    if (out.encoder >= 0) {
        kill(out.encoder, SIGTERM);
        waitEncoder(out);
    }
    if (out.video) {
        unlink(out.stagingPath.c_str());
        unlink(out.audioPath.c_str());
    } else {
        removeFolder(out.stagingPath);
    }
}
