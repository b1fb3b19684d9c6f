// Snowfall: 100 flakes blown out of the duct's mouth, drifting and fading, each back every 9 seconds.
#include "show/snow.h"

#include "show/textures.h"
#include "show/timeline.h"

// Unlit, each flake in its own colour and fading alpha over what lies below.
void drawSnow() {
    setCanvasLayer(texFlocke, GL_ONE_MINUS_SRC_ALPHA, false);
    for (const Particle& flake : snowPool)
        drawFlake(flake);
}

void drawFlake(const Particle& flake) {
    drawSprite(flake, flake.position[0]);
}

// Only a flake's alpha fades.
void updateSnow() {
    for (Particle& flake : snowPool)
        stepParticle(flake, respawnFlake, 3);
}

// The random draws are made one statement at a time, so their order is fixed.
void respawnFlake(Particle& flake) {
    flake.life = 9.0f;
    flake.color[3] = 1.0f;
    flake.colorRate[3] = -0.15f;
    flake.position[0] = static_cast<float>(390.0 + 10.0 * unitRandom());
    flake.position[1] = 220.0f;
    flake.position[2] = 0.0f;
    flake.velocity[0] = static_cast<float>(100.0 * unitRandom() - 10.0);
    flake.velocity[1] = static_cast<float>(50.0 * unitRandom() - 10.0);
    flake.angle = static_cast<float>(360.0 * unitRandom());
}
