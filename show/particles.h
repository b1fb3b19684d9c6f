// The particle record shared by snowflakes, sparks and bus figures, the three fixed pools, and the
// sprite drawing and stepping that flakes and sparks share.
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

// The show's random sequence: exactly the values of glibc's rand() in a program that never seeds it,
// from a generator of the show's own, so that no library that draws from rand() can shift it.
int showRandom();         // the next value, 0 to 2^31 - 1
double unitRandom();      // showRandom() / 2^31: a value in [0, 1)
void restartShowRandom(); // back to the first value of the sequence

void initSnowPool();
void initFirePool();
void initPassengers();
void initParticlePools();

// The particle's sprite in its colour, centred on (x, its y and z) and turned by its angle, in the GL
// state its scene set.
void drawSprite(const Particle& p, float x);

// One step of frameDelta: the life runs down and respawn renews a spent particle, it moves by its
// velocity, and its colour channels from firstFading on fade at their rates, each held at 0.
void stepParticle(Particle& p, void (*respawn)(Particle&), int firstFading);
