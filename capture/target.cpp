// The capture's target and its work name: which targets a finished video may replace, and names that
// fit beside any legal target name.
#include "capture/target.h"

#include "util/filekind.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string workSuffix = ".partial-";
constexpr size_t workTagLength = 6; // the XXXXXX of the template

fs::path folderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// The target's name, cut so that the work suffix still fits; never inside a UTF-8 character.
std::string workPrefix(const fs::path& target) {
    const std::string name = target.filename().string();
    const long limit = pathconf(folderOf(target).c_str(), _PC_NAME_MAX);
    const size_t room = (limit > 0 ? size_t(limit) : 255) - workSuffix.size() - workTagLength;
    size_t cut = std::min(name.size(), room);
    while (cut > 0 && cut < name.size() && (name[cut] & 0xC0) == 0x80)
        cut--;
    return name.substr(0, cut) + workSuffix;
}

} // namespace

bool videoTargetUsable(const std::string& target, std::string& error) {
    struct stat status;
    if (lstat(target.c_str(), &status) != 0 || S_ISREG(status.st_mode))
        return true; // a free name; one that cannot be looked at fails when the work file is made
    std::string kind = fileKindName(status.st_mode);
    if (S_ISLNK(status.st_mode)) {
        if (stat(target.c_str(), &status) != 0)
            kind = "a symlink to nothing";
        else if (S_ISREG(status.st_mode))
            return true;
        else
            kind = std::string("a symlink to ") + fileKindName(status.st_mode);
    }
    error = target + " is " + kind + ": a video replaces only a regular file";
    return false;
}

std::string workTemplate(const std::string& target) {
    const fs::path path(target);
    return (path.parent_path() / (workPrefix(path) + std::string(workTagLength, 'X'))).string();
}

std::vector<std::string> leftoverWork(const std::string& target) {
    const fs::path path(target);
    const std::string prefix = workPrefix(path);
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folderOf(path), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + workTagLength && name.compare(0, prefix.size(), prefix) == 0)
            found.push_back((path.parent_path() / name).string());
    }
    return found;
}
