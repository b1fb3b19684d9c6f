// A minimal writer of 16-bit little-endian PCM WAV files.
#include "capture/wav.h"

#include <cstdio>

static void put16(unsigned char*& p, uint32_t v) {
    *p++ = static_cast<unsigned char>(v);
    *p++ = static_cast<unsigned char>(v >> 8);
}

static void put32(unsigned char*& p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p, v >> 16);
}

bool writeWav(const std::string& path, const int16_t* samples, std::size_t frames, int channels,
              int sampleRate) {
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels) * 2;
    if (dataBytes > 0xFFFFFFFFull - 36)
        return false;
    unsigned char header[44];
    unsigned char* p = header;
    for (char c : {'R', 'I', 'F', 'F'})
        *p++ = static_cast<unsigned char>(c);
    put32(p, static_cast<uint32_t>(36 + dataBytes));
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '})
        *p++ = static_cast<unsigned char>(c);
    put32(p, 16);
    put16(p, 1); // PCM
    put16(p, static_cast<uint32_t>(channels));
    put32(p, static_cast<uint32_t>(sampleRate));
    put32(p, static_cast<uint32_t>(sampleRate * channels * 2));
    put16(p, static_cast<uint32_t>(channels * 2));
    put16(p, 16);
    for (char c : {'d', 'a', 't', 'a'})
        *p++ = static_cast<unsigned char>(c);
    put32(p, static_cast<uint32_t>(dataBytes));

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    // The samples are stored little-endian, as they are in memory on the machines this runs on.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    ok = ok && std::fwrite(samples, 2, frames * channels, file) == frames * channels;
    return std::fclose(file) == 0 && ok;
}
