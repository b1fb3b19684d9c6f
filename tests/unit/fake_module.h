// A tiny silent XM module made in memory and a one-file set of sound-layer callbacks that serves it,
// for tests that need a song that is short, or one that exists without the embedded table.
#pragma once

#include "sound/sound.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace fake {

// One pattern of `rows` empty rows on 2 channels, played once per order: at speed 1 a row lasts
// 2.5 / bpm seconds, so 16 rows at 250 BPM make a 160 ms song.
inline std::vector<unsigned char> makeModule(int rows = 16, int bpm = 250) {
    std::vector<unsigned char> m;
    auto bytes = [&](const char* s, size_t n) {
        for (size_t i = 0; i < n; ++i)
            m.push_back(i < std::strlen(s) ? static_cast<unsigned char>(s[i]) : ' ');
    };
    auto u16 = [&](unsigned v) {
        m.push_back(v & 0xff);
        m.push_back((v >> 8) & 0xff);
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xffff);
        u16(v >> 16);
    };
    bytes("Extended Module: ", 17);
    bytes("", 20);
    m.push_back(0x1a);
    bytes("FastTracker v2.00", 20);
    u16(0x0104);
    u32(276);
    u16(1);   // orders
    u16(0);   // restart position
    u16(2);   // channels
    u16(1);   // patterns
    u16(0);   // instruments
    u16(1);   // linear frequency table
    u16(1);   // speed
    u16(bpm); // tempo
    m.insert(m.end(), 256, 0);
    u32(9);
    m.push_back(0);
    u16(rows);
    u16(rows * 2);
    m.insert(m.end(), rows * 2, 0x80); // every cell packed as empty
    return m;
}

// The callbacks serve one buffer under one name; they count what they are asked.
struct Files {
    std::string name;
    std::vector<unsigned char> data;
    int opens = 0, closes = 0, reads = 0, seeks = 0, tells = 0;
    int openHandles = 0;
};

inline Files files;

struct Handle {
    int32_t position;
};

inline void* open(const char* name) {
    ++files.opens;
    if (files.name != name)
        return nullptr;
    ++files.openHandles;
    return new Handle{0};
}
inline void close(void* h) {
    ++files.closes;
    --files.openHandles;
    delete static_cast<Handle*>(h);
}
inline int32_t read(void* buffer, int32_t size, void* h) {
    ++files.reads;
    auto* s = static_cast<Handle*>(h);
    int32_t left = static_cast<int32_t>(files.data.size()) - s->position;
    int32_t n = size < left ? size : left;
    if (n <= 0)
        return 0;
    std::memcpy(buffer, files.data.data() + s->position, n);
    s->position += n;
    return n;
}
inline int32_t seek(void* h, int32_t offset, int8_t mode) {
    ++files.seeks;
    auto* s = static_cast<Handle*>(h);
    int64_t length = static_cast<int64_t>(files.data.size());
    int64_t target = mode == 0 ? offset : mode == 1 ? s->position + int64_t{offset} : length + offset;
    s->position = static_cast<int32_t>(target < 0 ? 0 : target > length ? length : target);
    return s->position;
}
inline int32_t tell(void* h) {
    ++files.tells;
    return static_cast<Handle*>(h)->position;
}

// Installs the callbacks over `data` under `name`, with the counters cleared.
inline void serve(const char* name, std::vector<unsigned char> data) {
    files = Files{name, std::move(data)};
    soundSetFileCallbacks(open, close, read, seek, tell);
}

} // namespace fake
