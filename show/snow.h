// Snowfall: flakes blown out of the heating duct, drifting right and down while they fade.
#pragma once

#include "show/particles.h"

void drawSnow();
void drawFlake(const Particle& flake);
void updateSnow();
void respawnFlake(Particle& flake);
