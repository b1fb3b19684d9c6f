// Encodes mono float audio as an in-memory Ogg Vorbis stream, deterministically.
#pragma once

#include <cstdint>
#include <vector>

// `serial` becomes the Ogg stream serial number, so the same input always gives the same bytes.
std::vector<uint8_t> encodeVorbis(const std::vector<float>& pcm, int rate, int serial, float quality);
