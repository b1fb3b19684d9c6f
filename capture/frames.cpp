// PNG frames and their WAV, each a new file that nothing of its name precedes, never through a symlink.
#include "capture/frames.h"

#include "capture/music.h"
#include "capture/wav.h"
#include "util/pngwrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string folderPath;
std::string wavPath;
std::FILE* wav = nullptr;

std::string cannotWrite(const std::string& path) {
    return "cannot write " + path + ": " + std::strerror(errno);
}

std::FILE* createFresh(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    std::FILE* file = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (file == nullptr && fd >= 0)
        close(fd);
    return file;
}

} // namespace

bool openFrames(const std::string& folder, int64_t soundFrames, std::string& error) {
    folderPath = folder;
    wavPath = folder + "/audio.wav";
    unsigned char header[44];
    wavHeader(header, soundFrames, captureSampleRate);
    wav = createFresh(wavPath);
    if (wav != nullptr && std::fwrite(header, sizeof header, 1, wav) == 1)
        return true;
    error = cannotWrite(wavPath);
    return false;
}

bool writePngFrame(int64_t frameIndex, const PngData& frame, std::string& error) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frameIndex));
    const std::string path = folderPath + name;
    std::FILE* file = createFresh(path);
    if (file == nullptr) {
        error = cannotWrite(path);
        return false;
    }
    const bool written = writePng(file, frame, false);
    if (std::fclose(file) != 0 || !written) {
        error = cannotWrite(path);
        return false;
    }
    return true;
}

bool writeWavSound(const int16_t* samples, int64_t frames, std::string& error) {
    // The samples go out little-endian, as they lie in memory on the machines this runs on.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (std::fwrite(samples, 4, static_cast<size_t>(frames), wav) == static_cast<size_t>(frames))
        return true;
    error = cannotWrite(wavPath);
    return false;
}

bool closeFrames(std::string& error) {
    std::FILE* file = wav;
    wav = nullptr;
    if (file == nullptr || std::fclose(file) == 0)
        return true;
    error = cannotWrite(wavPath);
    return false;
}
