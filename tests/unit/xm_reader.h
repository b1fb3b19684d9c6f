// An independent reader of XM files with Ogg Vorbis sample data, for checking the generated module.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadCell {
    uint8_t note, instrument, volume, effect, param;
};

struct ReadPattern {
    uint32_t headerLength;
    uint8_t packing;
    uint16_t rows;
    std::vector<ReadCell> cells; // rows * channels
};

struct ReadSample {
    uint32_t length, loopStart, loopLength;
    uint8_t volume, type, panning;
    int8_t finetune, relativeNote;
    uint32_t decodedBytes;     // the word in front of the stream
    std::vector<uint8_t> data; // the sample data after that word
};

struct ReadInstrument {
    uint32_t headerSize;
    uint8_t keymap[96];
    std::vector<ReadSample> samples;
};

struct ReadModule {
    std::string idText, name, tracker;
    uint8_t marker;
    uint16_t version;
    uint32_t headerSize;
    uint16_t orderCount, restart, channels, patternCount, instrumentCount, flags, speed, tempo;
    std::vector<uint8_t> orders;
    std::vector<ReadPattern> patterns;
    std::vector<ReadInstrument> instruments;
    size_t trailingBytes;
};

// Reads the whole file; an empty error means every part was inside the file and well formed.
std::string readXm(const std::vector<uint8_t>& bytes, ReadModule& out);

struct OggInfo {
    int channels = 0;       // from the Vorbis identification header
    uint64_t frames = 0;    // granule position of the last page
    size_t streamBytes = 0; // bytes up to and including the page that ends the stream
    uint32_t serial = 0;
};

// Walks the Ogg pages of one logical stream; an empty error means it starts and ends properly.
std::string readOgg(const std::vector<uint8_t>& bytes, OggInfo& out);
