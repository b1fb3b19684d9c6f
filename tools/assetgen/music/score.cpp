// The score notation: note names, melody tokens and drum strings turned into pattern cells.
#include "tools/assetgen/music/score.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

// The mix: each instrument's volumes are scaled by its level, in percent.
static const int kLevel[7] = {0, 97, 97, 136, 107, 97, 87};

void put(XmPattern& p, int row, int channel, int instrument, int note, int volume) {
    if (row < 0 || row >= kXmRows || channel < 0 || channel >= kXmChannels)
        return;
    if (instrument >= 1 && instrument <= 6)
        volume = (volume * kLevel[instrument] + 50) / 100;
    XmCell& c = p.cells[row][channel];
    c.note = uint8_t(note);
    c.instrument = note == kXmKeyOff ? 0 : uint8_t(instrument);
    c.volume = note == kXmKeyOff ? 0 : uint8_t(0x10 + (volume < 0 ? 0 : volume > 64 ? 64 : volume));
}

int parseNote(const char* text) {
    static const int semitones[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    const char letter = char(std::toupper(text[0]));
    if (letter < 'A' || letter > 'G')
        return -1;
    int semi = semitones[letter - 'A'];
    int i = 1;
    if (text[i] == '#')
        semi++, i++;
    else if (text[i] == 'b')
        semi--, i++;
    if (!std::isdigit(static_cast<unsigned char>(text[i])))
        return -1;
    const int note = 1 + 12 * (text[i] - '0') + semi;
    return note >= 1 && note <= 96 ? note : -1;
}

void melody(XmPattern& p, int channel, int instrument, int row, int volume, const char* tokens) {
    const char* s = tokens;
    while (*s) {
        while (*s == ' ')
            s++;
        if (!*s)
            break;
        char token[16] = {};
        int n = 0;
        while (*s && *s != ' ' && n < 15)
            token[n++] = *s++;
        const char* slash = std::strchr(token, '/');
        const int length = slash ? std::atoi(slash + 1) : 1;
        const char* at = std::strchr(token, '@');
        const int vol = at ? std::atoi(at + 1) : volume;
        if (token[0] == 'r')
            put(p, row, channel, 0, kXmKeyOff, 0);
        else if (token[0] != '.') {
            const int note = parseNote(token);
            if (note > 0)
                put(p, row, channel, instrument, note, vol);
        }
        row += length;
    }
}

void beat(XmPattern& p, int channel, int row, const char* hits, int level) {
    struct Hit {
        char c;
        int key, volume;
    };
    static const Hit kit[] = {
        {'k', kKeyKick, 60},   {'q', kKeyKick, 36},      {'s', kKeySnare, 58},     {'S', kKeySnare, 64},
        {'g', kKeySnare, 22},  {'x', kKeyClosedHat, 34}, {'y', kKeyClosedHat, 20}, {'o', kKeyOpenHat, 30},
        {'j', kKeySleigh, 34}, {'i', kKeySleigh, 20},    {'C', kKeyCrash, 64},     {'c', kKeyCrash, 40},
        {'Z', kKeySplash, 64}, {'l', kKeyLowTom, 44},    {'m', kKeyMidTom, 40},    {'h', kKeyHighTom, 34},
    };
    for (const char* s = hits; *s; s++) {
        if (*s == ' ' || *s == '|')
            continue;
        for (const Hit& h : kit)
            if (h.c == *s)
                put(p, row, channel, kDrums, h.key, (h.volume * level + 50) / 100);
        row++;
    }
}

void late(XmPattern& p, int row, int ticks) {
    for (XmCell& c : p.cells[row])
        if (c.note && c.note != kXmKeyOff) {
            c.effect = 0x0E;
            c.param = uint8_t(0xD0 | ticks);
        }
}

void slide(XmPattern& p, int channel, int from, int to, int step, int perTick) {
    for (int row = from; row < to && row < kXmRows; row += step)
        if (!p.cells[row][channel].volume)
            p.cells[row][channel].volume = uint8_t(perTick < 0 ? 0x60 - perTick : 0x70 + perTick);
}
