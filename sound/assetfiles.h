// The sound layer's files served from the embedded assets.
#pragma once

// Installs the asset stream operations as the sound layer's five file callbacks.
void serveSoundFromAssets();
