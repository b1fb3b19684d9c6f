// Reads XM modules byte by byte with bounds checks, and walks Ogg pages, for the music module tests.
#include "xm_reader.h"

#include <cstring>

namespace {

struct Cursor {
    const std::vector<uint8_t>& bytes;
    size_t pos = 0;
    bool failed = false;
    bool need(size_t n) {
        if (pos + n > bytes.size())
            failed = true;
        return !failed;
    }
    uint8_t u8() { return need(1) ? bytes[pos++] : 0; }
    uint16_t u16() {
        const uint16_t lo = u8();
        return uint16_t(lo | (u8() << 8));
    }
    uint32_t u32() {
        const uint32_t lo = u16();
        return lo | (uint32_t(u16()) << 16);
    }
    std::string text(size_t n) {
        if (!need(n))
            return "";
        std::string s(bytes.begin() + long(pos), bytes.begin() + long(pos + n));
        pos += n;
        return s;
    }
};

std::string readPattern(Cursor& c, int channels, ReadPattern& p) {
    const size_t start = c.pos;
    p.headerLength = c.u32();
    p.packing = c.u8();
    p.rows = c.u16();
    const uint16_t packed = c.u16();
    if (c.failed || p.headerLength < 9)
        return "pattern header cut short";
    c.pos = start + p.headerLength;
    if (!c.need(packed))
        return "pattern data beyond the end";
    const size_t end = c.pos + packed;
    for (int i = 0; i < p.rows * channels; i++) {
        ReadCell cell{};
        uint8_t* fields[5] = {&cell.note, &cell.instrument, &cell.volume, &cell.effect, &cell.param};
        if (c.pos >= end)
            return "pattern data ends before its last row";
        const uint8_t first = c.u8();
        if (first & 0x80) {
            for (int f = 0; f < 5; f++)
                if (first & (1 << f))
                    *fields[f] = c.u8();
        } else {
            cell.note = first;
            for (int f = 1; f < 5; f++)
                *fields[f] = c.u8();
        }
        p.cells.push_back(cell);
    }
    if (c.pos != end)
        return "pattern data does not end with its last row";
    return "";
}

std::string readInstrument(Cursor& c, ReadInstrument& ins) {
    const size_t start = c.pos;
    ins.headerSize = c.u32();
    c.text(22);
    c.u8();
    const uint16_t count = c.u16();
    if (count == 0) {
        c.pos = start + ins.headerSize;
        return c.failed ? "instrument cut short" : "";
    }
    const uint32_t sampleHeaderSize = c.u32();
    for (uint8_t& k : ins.keymap)
        k = c.u8();
    if (c.failed || sampleHeaderSize != 40)
        return "instrument header cut short or odd sample header size";
    c.pos = start + ins.headerSize;
    ins.samples.resize(count);
    for (ReadSample& s : ins.samples) {
        s.length = c.u32();
        s.loopStart = c.u32();
        s.loopLength = c.u32();
        s.volume = c.u8();
        s.finetune = int8_t(c.u8());
        s.type = c.u8();
        s.panning = c.u8();
        s.relativeNote = int8_t(c.u8());
        c.u8();
        c.text(22);
    }
    for (ReadSample& s : ins.samples) {
        if (s.length < 4 || !c.need(s.length))
            return "sample data beyond the end";
        s.decodedBytes = c.u32();
        s.data.assign(c.bytes.begin() + long(c.pos), c.bytes.begin() + long(c.pos + s.length - 4));
        c.pos += s.length - 4;
    }
    return c.failed ? "instrument cut short" : "";
}

} // namespace

std::string readXm(const std::vector<uint8_t>& bytes, ReadModule& m) {
    Cursor c{bytes};
    m.idText = c.text(17);
    m.name = c.text(20);
    m.marker = c.u8();
    m.tracker = c.text(20);
    m.version = c.u16();
    const size_t headerStart = c.pos;
    m.headerSize = c.u32();
    m.orderCount = c.u16();
    m.restart = c.u16();
    m.channels = c.u16();
    m.patternCount = c.u16();
    m.instrumentCount = c.u16();
    m.flags = c.u16();
    m.speed = c.u16();
    m.tempo = c.u16();
    for (int i = 0; i < 256; i++)
        m.orders.push_back(c.u8());
    if (c.failed)
        return "header cut short";
    m.orders.resize(m.orderCount < 256 ? m.orderCount : 256);
    c.pos = headerStart + m.headerSize;
    m.patterns.resize(m.patternCount);
    for (ReadPattern& p : m.patterns) {
        const std::string error = readPattern(c, m.channels, p);
        if (!error.empty())
            return error;
    }
    m.instruments.resize(m.instrumentCount);
    for (ReadInstrument& ins : m.instruments) {
        const std::string error = readInstrument(c, ins);
        if (!error.empty())
            return error;
    }
    m.trailingBytes = bytes.size() - c.pos;
    return "";
}

std::string readOgg(const std::vector<uint8_t>& b, OggInfo& out) {
    size_t pos = 0;
    bool first = true;
    while (true) {
        if (pos + 27 > b.size() || std::memcmp(&b[pos], "OggS", 4) != 0)
            return "no Ogg page where one should start";
        const uint8_t flags = b[pos + 5];
        uint64_t granule = 0;
        for (int i = 7; i >= 0; i--)
            granule = (granule << 8) | b[pos + 6 + size_t(i)];
        const uint32_t serial =
            uint32_t(b[pos + 14] | b[pos + 15] << 8 | b[pos + 16] << 16 | b[pos + 17] << 24);
        const size_t segments = b[pos + 26];
        if (pos + 27 + segments > b.size())
            return "page table beyond the end";
        size_t body = 0;
        for (size_t i = 0; i < segments; i++)
            body += b[pos + 27 + i];
        const size_t bodyStart = pos + 27 + segments;
        if (bodyStart + body > b.size())
            return "page body beyond the end";
        if (first) {
            if (!(flags & 2) || body < 30 || std::memcmp(&b[bodyStart], "\x01vorbis", 7) != 0)
                return "the first page is no Vorbis identification header";
            out.channels = b[bodyStart + 11];
            out.serial = serial;
            first = false;
        } else if (serial != out.serial) {
            return "a page of another stream";
        }
        pos = bodyStart + body;
        if (flags & 4) {
            out.frames = granule;
            out.streamBytes = pos;
            return "";
        }
    }
}
