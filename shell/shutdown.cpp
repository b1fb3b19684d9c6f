// The song handle and shutdown: the song and the sound layer are released, everything else is left
// to the end of the process.
#include "shell/shutdown.h"

#include "sound/sound.h"

#include <cstdlib>

Song* song = nullptr;

void shutdownShow() {
    soundFreeSong(song);
    soundClose();
    std::exit(0);
}
