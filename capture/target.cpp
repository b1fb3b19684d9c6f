// The capture's target and its work name: which targets a finished video may replace, and names that
// fit beside any legal target name.
#include "capture/target.h"

#include "util/filekind.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string workSuffix = ".partial-";
constexpr size_t workTagLength = 6; // the XXXXXX of the template

struct SplitPath {
    std::string folder; // with its closing '/', or empty for the working folder
    std::string name;
};

SplitPath splitPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The target's name, cut so that the work suffix still fits; never inside a UTF-8 character.
std::string workPrefix(const SplitPath& split) {
    const long limit = pathconf(split.folder.empty() ? "." : split.folder.c_str(), _PC_NAME_MAX);
    const size_t room = (limit > 0 ? size_t(limit) : 255) - workSuffix.size() - workTagLength;
    size_t cut = std::min(split.name.size(), room);
    while (cut > 0 && cut < split.name.size() && (split.name[cut] & 0xC0) == 0x80)
        cut--;
    return split.name.substr(0, cut) + workSuffix;
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
    const SplitPath split = splitPath(target);
    return split.folder + workPrefix(split) + std::string(workTagLength, 'X');
}

std::vector<std::string> leftoverWork(const std::string& target) {
    const SplitPath split = splitPath(target);
    const std::string prefix = workPrefix(split);
    std::vector<std::string> found;
    DIR* folder = opendir(split.folder.empty() ? "." : split.folder.c_str());
    if (folder == nullptr)
        return found;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() == prefix.size() + workTagLength && name.compare(0, prefix.size(), prefix) == 0)
            found.push_back(split.folder + name);
    }
    closedir(folder);
    return found;
}
