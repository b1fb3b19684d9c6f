// The three particle pools, their start state and the shared random source.
#include "show/particles.h"

#include <cstdlib>

Particle firePool[firePoolSize];
Particle snowPool[snowPoolSize];
Particle passengers[passengerCount];

// rand() is never seeded: the show runs on the C library's default sequence.
double unitRandom() {
    return std::rand() / 2147483648.0;
}

static void setParticle(Particle& p, float x, float y, float vy, float alpha, float life) {
    p = Particle{};
    p.position[0] = x;
    p.position[1] = y;
    p.velocity[1] = vy;
    p.color[0] = p.color[1] = p.color[2] = 1.0f;
    p.color[3] = alpha;
    p.life = life;
}

void initSnowPool() {
    for (Particle& flake : snowPool)
        setParticle(flake, 0.0f, 0.0f, 0.0f, 0.0f, static_cast<float>(9.0 * unitRandom()));
}

void initFirePool() {
    for (Particle& spark : firePool)
        setParticle(spark, 500.0f, 500.0f, -2.0f, 0.0f, static_cast<float>(5.0 * unitRandom()));
}

void initPassengers() {
    for (int i = 0; i < passengerCount; i++)
        setParticle(passengers[i], static_cast<float>(100 * (i / 4) - 50), 0.0f, -2.0f, 1.0f, 0.0f);
}

void initParticlePools() {
    initSnowPool();
    initFirePool();
    initPassengers();
}
