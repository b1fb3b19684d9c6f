// The 44-byte header of a 16-bit little-endian stereo PCM WAV file.
#include "capture/wav.h"

#include <initializer_list>

static void put16(unsigned char*& p, uint32_t v) {
    *p++ = static_cast<unsigned char>(v);
    *p++ = static_cast<unsigned char>(v >> 8);
}

static void put32(unsigned char*& p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p, v >> 16);
}

void wavHeader(unsigned char header[44], int64_t frames, int sampleRate) {
    const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
    unsigned char* p = header;
    for (char c : {'R', 'I', 'F', 'F'})
        *p++ = static_cast<unsigned char>(c);
    put32(p, 36 + dataBytes);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '})
        *p++ = static_cast<unsigned char>(c);
    put32(p, 16);
    put16(p, 1); // PCM
    put16(p, 2); // stereo
    put32(p, static_cast<uint32_t>(sampleRate));
    put32(p, static_cast<uint32_t>(sampleRate * 4));
    put16(p, 4); // bytes per frame
    put16(p, 16);
    for (char c : {'d', 'a', 't', 'a'})
        *p++ = static_cast<unsigned char>(c);
    put32(p, dataBytes);
}
