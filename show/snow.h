// Snowfall: flakes blown out of the heating duct, drifting right and down while they fade.
#pragma once

#include "show/particles.h"

void drawSnow();
void updateSnow();
void respawnFlake(Particle& flake);
