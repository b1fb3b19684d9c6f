// Small building blocks shared by the drum and the pitched synthesis: a seeded generator and helpers.
#pragma once

#include "tools/assetgen/music/synth.h"

#include <cstdint>
#include <vector>

constexpr double kTwoPi = 6.283185307179586;

// xorshift32: the only source of randomness, seeded per sound so every sound is reproducible. In a
// namespace of its own: the picture generator, linked into the same program, has another Rng.
namespace synth {

struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed ? seed : 1) {}
    float uniform() { // -1 .. 1
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(state >> 8) / 8388608.0f - 1.0f;
    }
};

} // namespace synth

// Scales to the given peak so that Vorbis' small overshoots stay inside 16 bits.
void normalize(std::vector<float>& pcm, float peak);
// Short fades at both ends so that a one-shot starts and stops without a click.
void fadeEnds(std::vector<float>& pcm, int in, int out);
// A small room (Schroeder: four combs, two all-passes) mixed in at `wet`, the sound lengthened by `tail`
// seconds for the reverberation to die away; gives the dry one-shots some air.
void addRoom(std::vector<float>& pcm, double rate, double wet, double tail, double decaySeconds);
// A number of samples close to `seconds` that holds a whole number of periods of `frequency`, and the
// frequency adjusted to fit it exactly: a loop over it joins without a seam.
int periodicLength(double rate, double seconds, double& frequency);
