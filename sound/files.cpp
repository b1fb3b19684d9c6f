// The file side of the sound layer: the stored callbacks and a stream over them.
#include "sound/files.h"

#include "sound/sound.h"

static struct {
    SoundOpenFn open;
    SoundCloseFn close;
    SoundReadFn read;
    SoundSeekFn seek;
    SoundTellFn tell;
} soundFiles;

void soundSetFileCallbacks(SoundOpenFn open, SoundCloseFn close, SoundReadFn read, SoundSeekFn seek,
                           SoundTellFn tell) {
    soundFiles = {open, close, read, seek, tell};
}

void* soundOpenFile(const char* name) {
    return name && soundFiles.open ? soundFiles.open(name) : nullptr;
}

void soundCloseFile(void* handle) {
    soundFiles.close(handle);
}

size_t soundStreamRead(void* handle, void* destination, size_t bytes) {
    auto* out = static_cast<unsigned char*>(destination);
    size_t done = 0;
    // The callback counts in 32 bits: a larger request goes in pieces until one comes back short.
    while (done < bytes) {
        size_t piece = bytes - done;
        if (piece > (size_t{1} << 30))
            piece = size_t{1} << 30;
        int32_t got = soundFiles.read(out + done, static_cast<int32_t>(piece), handle);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < piece)
            break;
    }
    return done;
}

int soundStreamSeek(void* handle, int64_t offset, int whence) {
    int32_t before = soundFiles.tell(handle);
    int64_t target;
    switch (whence) {
    case 0:
        target = offset;
        break;
    case 1:
        target = int64_t{before} + offset;
        break;
    case 2:
        target = int64_t{soundFiles.seek(handle, 0, 2)} + offset;
        break;
    default:
        return -1;
    }
    // The callbacks clamp instead of failing, so success means landing exactly on the target.
    if (target >= 0 && target <= INT32_MAX &&
        soundFiles.seek(handle, static_cast<int32_t>(target), 0) == target)
        return 0;
    soundFiles.seek(handle, before, 0);
    return -1;
}

int64_t soundStreamTell(void* handle) {
    return soundFiles.tell(handle);
}
