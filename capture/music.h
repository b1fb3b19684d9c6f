// The show's music rendered offline from the embedded module.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int captureSampleRate = 48000;

// Renders sampleCount stereo frames of 16-bit audio starting at stereo frame firstSample of the repeating
// song, interleaved left/right. Returns false with a reason if the module cannot be had.
bool renderMusic(int64_t firstSample, int64_t sampleCount, std::vector<int16_t>& samples, std::string& error);

// The song's length in seconds, one pass without repeats; negative if the module cannot be had.
double musicDuration();
