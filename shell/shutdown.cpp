// Shutdown: the song and the sound layer are released, everything else is left to the end of the process.
#include "shell/shutdown.h"

#include "shell/startup.h"
#include "sound/sound.h"

#include <cstdlib>

void shutdownShow() {
    soundFreeSong(song);
    soundClose();
    std::exit(0);
}
