// The work name, made by mkostemp or mkdtemp from the target's template, so that no file of the user's
// is ever written; what is at the target is looked at again before the rename.
#include "capture/work.h"

#include "capture/target.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string work;
std::string finalPath;
bool isFolder = false;

std::string systemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
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

// An empty folder of the target's name gives way to the finished one; anything else stays. What was a
// regular file when the run began may have been replaced since.
bool moveToTarget(std::string& error) {
    // The work name was made private; the result gets the permissions of a file made the ordinary way.
    chmod(work.c_str(), (isFolder ? 0777 : 0666) & ~currentUmask());
    if (!isFolder && !videoTargetUsable(finalPath, error))
        return false;
    if (std::rename(work.c_str(), finalPath.c_str()) == 0)
        return true;
    error = systemError("cannot move the result to", finalPath);
    return false;
}

} // namespace

bool makeWork(const std::string& target, bool folder, std::string& error) {
    std::string name = workTemplate(target);
    if (folder) {
        if (mkdtemp(name.data()) == nullptr) {
            error = systemError("cannot create a folder beside", target);
            return false;
        }
    } else {
        const int fd = mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) {
            error = systemError("cannot write", target);
            return false;
        }
        close(fd);
    }
    work = name;
    finalPath = target;
    isFolder = folder;
    return true;
}

const std::string& workPath() {
    return work;
}

bool endWork(bool keep, std::string& error) {
    if (work.empty())
        return false;
    const bool kept = keep && moveToTarget(error);
    std::error_code ec;
    if (!kept)
        std::filesystem::remove_all(work, ec);
    work.clear();
    return kept;
}
