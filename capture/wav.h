// A minimal writer of 16-bit PCM WAV files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

bool writeWav(const std::string& path, const int16_t* samples, std::size_t frames, int channels,
              int sampleRate);
