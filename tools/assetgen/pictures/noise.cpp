// Seeded PRNG (splitmix64) and integer-hashed value noise with fractal sums.
#include "tools/assetgen/pictures/noise.h"

#include <cmath>

namespace noise {

Rng makeRng(uint64_t seed) {
    return Rng{seed * 0x9E3779B97F4A7C15ull + 0x1234567ull};
}

uint64_t nextU64(Rng& rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float uniform(Rng& rng) {
    return float(nextU64(rng) >> 40) / float(1 << 24);
}

float uniform(Rng& rng, float lo, float hi) {
    return lo + (hi - lo) * uniform(rng);
}

} // namespace noise

float hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return float(h >> 8) / float(1 << 24);
}

float valueNoise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    ty = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    const float a = hash2(ix, iy, seed), b = hash2(ix + 1, iy, seed);
    const float c = hash2(ix, iy + 1, seed), d = hash2(ix + 1, iy + 1, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, uint32_t seed, int octaves, float gain) {
    float sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; i++) {
        sum += amp * valueNoise(x, y, seed + uint32_t(i) * 1013u);
        norm += amp;
        amp *= gain;
        // Rotate between octaves so the grid of the lattice does not show.
        const float nx = x * 1.6f - y * 1.2f, ny = x * 1.2f + y * 1.6f;
        x = nx + 17.3f;
        y = ny - 9.1f;
    }
    return sum / norm;
}
