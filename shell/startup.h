// Start-up's resources and the song they end with: pictures, sound layer, song and particles.
#pragma once

struct Song;

// The loaded song; never null once loadResources has returned.
extern Song* song;

// Sets the fixed GL state and loads the resources; returns only when the song plays. A failure of the
// sound layer or of the song ends the process.
void loadResources();
