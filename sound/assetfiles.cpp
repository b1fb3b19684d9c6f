// The sound layer's file callbacks over the embedded asset streams.
#include "sound/assetfiles.h"

#include "sound/sound.h"
#include "util/assets.h"

// The sound layer's callbacks carry the stream as an untyped handle; these adapters give it back its
// type, which a cast of the function pointers would not (calling through a mismatched type is undefined).
static void* openSoundFile(const char* name) {
    return openAsset(name);
}
static void closeSoundFile(void* handle) {
    closeAsset(static_cast<AssetStream*>(handle));
}
static int32_t readSoundFile(void* buffer, int32_t size, void* handle) {
    return readAsset(buffer, size, static_cast<AssetStream*>(handle));
}
static int32_t seekSoundFile(void* handle, int32_t offset, int8_t mode) {
    return seekAsset(static_cast<AssetStream*>(handle), offset, mode);
}
static int32_t tellSoundFile(void* handle) {
    return tellAsset(static_cast<AssetStream*>(handle));
}

void serveSoundFromAssets() {
    soundSetFileCallbacks(openSoundFile, closeSoundFile, readSoundFile, seekSoundFile, tellSoundFile);
}
