// Campfire: 500 sparks rising from behind the crowd, added onto the sky and pulled towards a swaying line.
#include "show/fire.h"

#include "show/clock.h"
#include "show/textures.h"
#include "show/timeline.h"

#include <cmath>

// The line the sparks are pulled towards, recomputed from songTime for every spark drawn.
static float swayX = 0.0f;

void drawFire() {
    // Lit by the frame's light: a spark is the texture times the light's dim grey for its whole 10 to
    // 11 s life, so the column reaches the top of the sky. The colour that drawSpark sets, and its
    // fading, do not show.
    setCanvasLayer(texFire, GL_ONE, true);
    for (const Particle& spark : firePool)
        drawSpark(spark);
}

void drawSpark(const Particle& spark) {
    swayX = static_cast<float>(500.0 + 200.0 * std::sin(songTime / 4.0));
    // The pull towards the sway line grows as the spark rises: none at y = 500, full at the top edge.
    const float offset = spark.position[0] - swayX;
    const float pulled = offset * (spark.position[1] / 500.0f);
    drawSprite(spark, swayX + pulled);
}

void updateFire() {
    for (Particle& spark : firePool)
        stepParticle(spark, respawnSpark, 0);
}

// The random draws are made one statement at a time, so their order is fixed.
void respawnSpark(Particle& spark) {
    spark.life = static_cast<float>(10.0 + unitRandom());
    spark.color[0] = spark.color[1] = spark.color[2] = spark.color[3] = 1.0f;
    spark.colorRate[0] = -0.04f;
    spark.colorRate[1] = -0.08f;
    spark.colorRate[2] = -0.1f;
    spark.colorRate[3] = -0.24f;
    spark.position[0] = static_cast<float>(420.0 + 160.0 * unitRandom());
    spark.position[1] = 550.0f;
    spark.position[2] = 0.0f;
    spark.velocity[0] = static_cast<float>(70.0 * unitRandom() - 35.0);
    spark.velocity[1] = static_cast<float>(-20.0 - 50.0 * unitRandom());
    spark.angle = static_cast<float>(360.0 * unitRandom());
}
