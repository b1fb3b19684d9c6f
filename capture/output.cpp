// The frame output's three jobs put together: the work name, and the encoder or the frames in it.
#include "capture/output.h"

#include "capture/encoder.h"
#include "capture/frames.h"
#include "capture/options.h"
#include "capture/work.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void nothing() {}

// Frames go into a folder of the target's name only if it is empty, or under a free name.
bool framesTargetUsable(const std::string& target, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    if (fs::exists(status) && !(fs::is_directory(status) && fs::is_empty(target, ec))) {
        error = target + " exists and is not an empty folder";
        return false;
    }
    return true;
}

} // namespace

bool openFrameOutput(FrameOutput& out, const CaptureOptions& options, int64_t soundFrames,
                     std::string& error) {
    const bool video = options.framesDir.empty();
    out.width = options.width;
    out.height = options.height;
    out.target = video ? options.output : options.framesDir;
    out.writePicture = video ? encodePicture : writePngFrame;
    out.writeSound = video ? encodeSound : writeWavSound;
    out.endPictures = video ? endPictures : nothing;
    out.endSound = video ? endSound : nothing;
    if (!video && !framesTargetUsable(out.target, error))
        return false;
    if (!makeWork(out.target, !video, error))
        return false;
    const bool opened = video ? startEncoder(workPath(), options.width, options.height, options.rate, error)
                              : openFrames(workPath(), soundFrames, error);
    if (!opened)
        closeFrameOutput(out, false, error);
    return opened;
}

void haltFrameOutput() {
    killEncoder();
}

bool closeFrameOutput(const FrameOutput& out, bool keep, std::string& error) {
    std::string reason;
    bool ok = endEncoder(!keep);
    if (!ok)
        reason = "ffmpeg failed to encode " + out.target;
    ok = closeFrames(reason) && ok;
    ok = endWork(keep && ok, reason) && ok;
    if (keep && !ok)
        error = reason;
    return keep && ok;
}
