// Writes an XM module whose sample data are Ogg Vorbis streams, each behind its decoded byte count.
#include "tools/assetgen/music/xm.h"

#include <algorithm>
#include <cstring>

namespace {

void put8(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(uint8_t(v));
}
void put16(std::vector<uint8_t>& out, unsigned v) {
    put8(out, v & 0xFF);
    put8(out, (v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putText(std::vector<uint8_t>& out, const std::string& text, size_t width, char pad) {
    for (size_t i = 0; i < width; i++)
        put8(out, uint8_t(i < text.size() ? text[i] : pad));
}

// Packed pattern data: a cell with every field present is written whole, others with a mask byte.
void putPattern(std::vector<uint8_t>& out, const XmPattern& pattern) {
    std::vector<uint8_t> packed;
    for (int row = 0; row < kXmRows; row++)
        for (int ch = 0; ch < kXmChannels; ch++) {
            const XmCell& c = pattern.cells[row][ch];
            const uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
            uint8_t mask = 0x80;
            for (int i = 0; i < 5; i++)
                if (fields[i])
                    mask |= uint8_t(1 << i);
            if (mask == 0x9F) {
                packed.insert(packed.end(), fields, fields + 5);
                continue;
            }
            packed.push_back(mask);
            for (int i = 0; i < 5; i++)
                if (fields[i])
                    packed.push_back(fields[i]);
        }
    put32(out, 9);
    put8(out, 0);
    put16(out, kXmRows);
    put16(out, unsigned(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
}

void putInstrument(std::vector<uint8_t>& out, const XmInstrument& ins) {
    put32(out, 263);
    putText(out, ins.name, 22, ' ');
    put8(out, 0);
    put16(out, unsigned(ins.samples.size()));
    put32(out, 40);
    out.insert(out.end(), ins.keymap, ins.keymap + 96);
    for (int i = 0; i < 12; i++) {
        const bool used = i < int(ins.volumeEnvelope.size());
        put16(out, used ? ins.volumeEnvelope[i].tick : 0);
        put16(out, used ? ins.volumeEnvelope[i].value : 0);
    }
    for (int i = 0; i < 24; i++)
        put16(out, 0); // no panning envelope
    put8(out, unsigned(ins.volumeEnvelope.size()));
    put8(out, 0);
    put8(out, ins.sustainPoint >= 0 ? unsigned(ins.sustainPoint) : 0);
    put8(out, 0); // volume loop start, end
    put8(out, 0);
    put8(out, 0); // panning sustain, loop start, end
    put8(out, 0);
    put8(out, 0);
    unsigned volumeType = ins.volumeEnvelope.empty() ? 0 : 1;
    if (!ins.volumeEnvelope.empty() && ins.sustainPoint >= 0)
        volumeType |= 2;
    put8(out, volumeType);
    put8(out, 0);
    put8(out, ins.vibratoType);
    put8(out, ins.vibratoSweep);
    put8(out, ins.vibratoDepth);
    put8(out, ins.vibratoRate);
    put16(out, ins.fadeout);
    for (int i = 0; i < 22; i++)
        put8(out, 0); // reserved, up to the 263 bytes of the header

    for (const XmSample& s : ins.samples) {
        put32(out, uint32_t(4 + s.ogg.size()));
        put32(out, s.loopStart * 2);
        put32(out, s.loopLength * 2);
        put8(out, s.volume);
        put8(out, uint8_t(s.finetune));
        put8(out, 0x10 | (s.loopLength ? 1 : 0));
        put8(out, s.panning);
        put8(out, uint8_t(s.relativeNote));
        put8(out, 0);
        putText(out, s.name, 22, ' ');
    }
    for (const XmSample& s : ins.samples) {
        put32(out, s.frames * 2);
        out.insert(out.end(), s.ogg.begin(), s.ogg.end());
    }
}

} // namespace

std::vector<uint8_t> serializeXm(const XmModule& m) {
    std::vector<uint8_t> out;
    putText(out, "Extended Module: ", 17, ' ');
    putText(out, "", 20, ' ');
    put8(out, 0x1A);
    putText(out, "FastTracker v2.00", 20, ' ');
    put16(out, 0x0104);
    put32(out, 276);
    put16(out, unsigned(m.orders.size()));
    put16(out, 0);
    put16(out, kXmChannels);
    put16(out, unsigned(m.patterns.size()));
    put16(out, unsigned(m.instruments.size()));
    put16(out, 1); // linear frequency table
    put16(out, m.speed);
    put16(out, m.tempo);
    for (int i = 0; i < 256; i++)
        put8(out, i < int(m.orders.size()) ? m.orders[i] : 0);
    for (const XmPattern& p : m.patterns)
        putPattern(out, p);
    for (const XmInstrument& ins : m.instruments)
        putInstrument(out, ins);
    return out;
}
