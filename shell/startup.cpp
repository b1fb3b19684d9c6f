// Start-up's resources: the textures, the sound layer fed from the embedded files, the song and the
// particle pools, then the music starts.
#include "shell/startup.h"

#include "shell/shutdown.h"
#include "show/particles.h"
#include "show/textures.h"
#include "sound/sound.h"
#include "util/assets.h"

#include <cstdio>
#include <cstdlib>

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

void loadResources() {
    loadShowTextures();
    soundSetFileCallbacks(openSoundFile, closeSoundFile, readSoundFile, seekSoundFile, tellSoundFile);
    if (!soundInit(44100)) {
        std::printf("Error upon sound initialization\n");
        std::exit(-2);
    }
    song = soundLoadSong("data/boo.oxm");
    if (!song) {
        std::printf("Error loading song\n");
        std::exit(-3);
    }
    initParticlePools();
    soundPlaySong(song);
}
