// Start-up's middle step: pictures, sound layer, song and particles, ending with the music playing.
#pragma once

// Returns only when the song plays; a failure of the sound layer or of the song ends the process.
void loadResources();
