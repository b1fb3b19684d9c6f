// Writes notes into patterns from a compact text notation, so that the song reads like a score.
#pragma once

#include "tools/assetgen/music/xm.h"

// The six instruments of the song, numbered as in the module.
enum Instrument { kDrums = 1, kBass, kPad, kPiano, kBells, kFlute };

// The drum kit's keys: each hit sounds as made on its own key; the splash is the crash a fourth higher.
constexpr int kKeyKick = 49, kKeySnare = 51, kKeyClosedHat = 55, kKeyLowTom = 56, kKeySleigh = 57,
              kKeyMidTom = 58, kKeyOpenHat = 59, kKeyHighTom = 60, kKeyCrash = 62, kKeySplash = 67;

// "F#5" -> 67 (C-4 is 49); -1 for text that is no note.
int parseNote(const char* text);

// Tokens separated by blanks, from `row` on: "D5/4" plays D5 and lasts 4 rows, "D5/4@40" at volume 40,
// "r/2" keys off, "./2" leaves 2 rows alone.
void melody(XmPattern& p, int channel, int instrument, int row, int volume, const char* tokens);

// One drum hit per character from `row` on (blanks and bars are skipped): k kick, q soft kick, s snare,
// S accent, g ghost, x hat, y soft hat, o open hat, j sleigh, i soft sleigh, C crash, c soft crash, Z splash,
// l m h low, mid and high tom, '.' nothing; `level` scales the volumes, in percent.
void beat(XmPattern& p, int channel, int row, const char* hits, int level = 100);

void put(XmPattern& p, int row, int channel, int instrument, int note, int volume);

// Every note on `row` starts `ticks` ticks late (the note delay effect), so that a hit falls on a moment
// that lies between two rows.
void late(XmPattern& p, int row, int ticks);

// Volume slides in the volume column of `channel` on every `step`-th row of [from, to): `perTick` up, or
// down when negative, on each tick but the first.
void slide(XmPattern& p, int channel, int from, int to, int step, int perTick);
