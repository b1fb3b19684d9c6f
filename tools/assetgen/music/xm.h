// The XM module in memory and its serialisation, with Ogg Vorbis streams as sample data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kXmChannels = 8;
constexpr int kXmRows = 64;
constexpr uint8_t kXmKeyOff = 97;

struct XmCell {
    uint8_t note = 0; // 1 = C-0 ... 96 = B-7, 97 = key off
    uint8_t instrument = 0;
    uint8_t volume = 0; // volume column: 0x10 + 0..64 sets the volume
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    XmCell cells[kXmRows][kXmChannels];
};

struct XmSample {
    std::string name;
    std::vector<uint8_t> ogg; // a whole Ogg Vorbis stream, mono
    uint32_t frames = 0;      // decoded length
    uint32_t loopStart = 0;   // in frames; loopLength 0 means no loop
    uint32_t loopLength = 0;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint16_t value; // 0..64
};

struct XmInstrument {
    std::string name;
    uint8_t keymap[96] = {};                     // sample index for each note
    std::vector<XmEnvelopePoint> volumeEnvelope; // empty: none
    int sustainPoint = -1;
    uint16_t fadeout = 0;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
    std::vector<XmSample> samples;
};

struct XmModule {
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
    uint16_t speed = 6;
    uint16_t tempo = 125;
};

// The module as the bytes of an XM file; every sample's data is the 32-bit decoded size in bytes followed
// by its Ogg stream.
std::vector<uint8_t> serializeXm(const XmModule& module);
