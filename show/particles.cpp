// The three particle pools, their start state, the show's random sequence, and the sprites' draw and step.
#include "show/particles.h"

#include "show/clock.h"
#include "show/quad.h"

#include <GL/gl.h>
#include <cstdint>

Particle firePool[firePoolSize];
Particle snowPool[snowPoolSize];
Particle passengers[passengerCount];

namespace {

// glibc's rand(): an additive feedback generator over 31 words, x[n] = x[n - 31] + x[n - 3] modulo
// 2^32, each value the word shifted right by one. Seeding with 1, as an unseeded program is, fills the
// words with 16807^i modulo 2^31 - 1 and throws the first 310 values away.
struct RandomState {
    uint32_t words[31];
    int front;
    int rear;
};

constexpr int nextValue(RandomState& state) {
    uint32_t word = state.words[state.front] += state.words[state.rear];
    state.front = (state.front + 1) % 31;
    state.rear = (state.rear + 1) % 31;
    return int(word >> 1);
}

constexpr RandomState seededWithOne() {
    RandomState state{};
    state.words[0] = 1;
    for (int i = 1; i < 31; i++)
        state.words[i] = uint32_t(16807 * uint64_t(state.words[i - 1]) % 2147483647);
    state.front = 3;
    state.rear = 0;
    for (int i = 0; i < 310; i++)
        nextValue(state);
    return state;
}

constexpr RandomState sequenceStart = seededWithOne();
RandomState sequence = sequenceStart;

} // namespace

int showRandom() {
    return nextValue(sequence);
}

double unitRandom() {
    return showRandom() / 2147483648.0;
}

void restartShowRandom() {
    sequence = sequenceStart;
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

void drawSprite(const Particle& p, float x) {
    glColor4f(p.color[0], p.color[1], p.color[2], p.color[3]);
    glPushMatrix();
    glTranslatef(x, p.position[1], p.position[2]);
    glRotatef(p.angle, 0.0f, 0.0f, 1.0f);
    drawSpriteQuad();
    glPopMatrix();
}

void stepParticle(Particle& p, void (*respawn)(Particle&), int firstFading) {
    p.life -= frameDelta;
    if (p.life < 0.0f)
        respawn(p);
    for (int k = 0; k < 3; k++)
        p.position[k] += p.velocity[k] * frameDelta;
    for (int c = firstFading; c < 4; c++) {
        p.color[c] += p.colorRate[c] * frameDelta;
        if (p.color[c] < 0.0f)
            p.color[c] = 0.0f;
    }
}
