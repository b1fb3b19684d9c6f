// Deterministic randomness for the picture generator: a seeded PRNG and hashed value noise.
#pragma once

#include <cstdint>

// In a namespace of its own: the music generator, linked into the same program, has another Rng.
namespace noise {

struct Rng {
    uint64_t state;
};

Rng makeRng(uint64_t seed);
uint64_t nextU64(Rng& rng);
float uniform(Rng& rng);                     // [0, 1)
float uniform(Rng& rng, float lo, float hi); // [lo, hi)

} // namespace noise

// Noise depends only on position and seed, never on evaluation order.
float hash2(int x, int y, uint32_t seed);          // [0, 1)
float valueNoise(float x, float y, uint32_t seed); // smooth, [0, 1]
float fbm(float x, float y, uint32_t seed, int octaves, float gain = 0.5f);
