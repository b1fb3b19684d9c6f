// The header of a 16-bit stereo PCM WAV file, whose samples follow it.
#pragma once

#include <cstdint>

// The most stereo frames a WAV file can hold: its sizes are 32-bit.
constexpr int64_t wavMaxFrames = (0xFFFFFFFFll - 36) / 4;

// Fills the 44 bytes of the header for frames stereo frames (at most wavMaxFrames).
void wavHeader(unsigned char header[44], int64_t frames, int sampleRate);
