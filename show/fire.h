// Campfire: sparks rising from behind the crowd, drawn additively and pulled towards a swaying line.
#pragma once

#include "show/particles.h"

void drawFire();
void drawSpark(const Particle& spark);
void updateFire();
void respawnSpark(Particle& spark);
