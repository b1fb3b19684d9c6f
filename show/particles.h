// The particle record shared by snowflakes, sparks and bus figures, and the three fixed pools.
#pragma once

struct Particle {
    float position[3]; // canvas units; for a bus figure, its offset from the bus centre
    float velocity[3]; // canvas units per second
    float angle;       // degrees about the viewing axis, clockwise on screen
    float color[4];    // r, g, b, a in 0..1
    float colorRate[4];
    float life; // seconds left
};

constexpr int firePoolSize = 500;
constexpr int snowPoolSize = 100;
constexpr int passengerCount = 8;

extern Particle firePool[firePoolSize];
extern Particle snowPool[snowPoolSize];
extern Particle passengers[passengerCount];

// The C library's unseeded rand() / 2^31: a value in [0, 1).
double unitRandom();

void initSnowPool();
void initFirePool();
void initPassengers();
void initParticlePools();
