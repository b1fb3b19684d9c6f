// The song: intro and close, theme, campfire section, build-up and the bus section with a bell figure
// each time a passenger steps out. Rows are sixteenth notes; the show's moments fall on fixed rows.
#include "tools/assetgen/music/song.h"

#include "tools/assetgen/music/score.h"

#include <string>

namespace {

enum Channel { chKick, chSnare, chHat, chCrash, chBass, chPad, chPiano, chLead };

std::string rep(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++)
        out += s + " ";
    return out;
}

// Theme bass: root, fifth and octave bouncing in eighths.
const char* const kBassD = "D2/3 D2/1 A2/2 D2/2 D3/2 A2/2 D2/2 A2/2 ";
const char* const kBassBm = "B1/3 B1/1 F#2/2 B1/2 B2/2 F#2/2 B1/2 F#2/2 ";
const char* const kBassG = "G1/3 G1/1 D2/2 G1/2 G2/2 D2/2 G1/2 D2/2 ";
const char* const kBassA = "A1/3 A1/1 E2/2 A1/2 A2/2 E2/2 A1/2 E2/2 ";

// Broken chords in eighths for the electric piano.
const char* const kArpD = "D4/2 A4/2 D5/2 F#5/2 A5/2 F#5/2 D5/2 A4/2 ";
const char* const kArpBm = "B3/2 F#4/2 B4/2 D5/2 F#5/2 D5/2 B4/2 F#4/2 ";
const char* const kArpG = "G3/2 D4/2 G4/2 B4/2 D5/2 B4/2 G4/2 D4/2 ";
const char* const kArpA = "A3/2 E4/2 A4/2 C#5/2 E5/2 C#5/2 A4/2 E4/2 ";

const char* const kThemeA = "F#5/2 A5/2 D6/4 C#6/2 A5/2 F#5/4 "
                            "B5/2 D6/2 F#6/4 E6/2 D6/2 B5/4 "
                            "G5/2 B5/2 D6/3 E6/1 D6/2 B5/2 G5/4 "
                            "A5/2 C#6/2 E6/4 D6/2 C#6/2 A5/2 E5/2";

// A passenger steps out: three rising bell notes on the effects channel.
void figure(XmPattern& p, int row, const char* a, const char* b, const char* c) {
    const std::string tokens = std::string(a) + "/1@40 " + b + "/1@46 " + c + "/4@54 r/1";
    melody(p, chCrash, kBells, row, 50, tokens.c_str());
}

// Intro, and again the close: IV, then V when the snow starts (row 15), resolving to I on row 31.
void introAndClose(XmPattern& p) {
    melody(p, chPad, kPad, 0, 24, "G2/15 A2/16@36 D3/33@42");
    melody(p, chBass, kBass, 0, 40, "G1/15 A1/12 r/4 D1/31 r/2");
    melody(p, chLead, kBells, 15, 44,
           "A5/1@30 D6/1@36 F#6/1@42 A6/4 G6/2 F#6/2 E6/2 C#6/3 "
           "D6/8@50 A5/4@40 F#6/4@44 E6/4@40 D6/4@38 A5/4@32 D6/5@36");
    melody(p, chPiano, kPiano, 31, 26,
           (std::string("D4/3 A4/2 D5/2 F#5/2 A5/2 F#5/2 D5/2 A4/2 ") + kArpD).c_str());
    beat(p, chHat, 15, "j.i.j.i.j.i.j.i. ..i...i...i...i...i...i...i...i.");
    beat(p, chSnare, 27, "gggg");
    beat(p, chKick, 15, "q...............q");
    beat(p, chCrash, 15, "c...............c");
}

// The theme with light drums and the glockenspiel melody.
void themeLight(XmPattern& p) {
    beat(p, chKick, 0, "k.......k....... k.......k....... k.......k....... k.......k...k.k.");
    beat(p, chSnare, 0, "............g... ............g... ............g... ............g.g.");
    beat(p, chHat, 0, rep("x.j.x.j.x.j.x.j.", 4).c_str());
    beat(p, chCrash, 0, "c");
    melody(p, chBass, kBass, 0, 44, (std::string(kBassD) + kBassBm + kBassG + kBassA).c_str());
    melody(p, chPad, kPad, 0, 30, "D4/16 B3/16 G3/16 A3/16");
    melody(p, chPiano, kPiano, 0, 24, (std::string(kArpD) + kArpBm + kArpG + kArpA).c_str());
    melody(p, chLead, kBells, 0, 46, kThemeA);
}

// The theme in full, the flute taking the melody; a fill crashes into the campfire on row 57.
void themeFull(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k....... k...hhmmlk......");
    beat(p, chSnare, 0, "....s.......s... ....s.......s... ....s.......s..g sgss.....S......");
    beat(p, chHat, 0, (rep("x.j.x.j.x.j.x.j.", 3) + "x.j.x...........").c_str());
    beat(p, chCrash, 0, "C........................................................C");
    melody(p, chBass, kBass, 0, 46,
           (std::string(kBassD) + kBassBm + kBassG + "A1/3 A1/1 r/5 A1/3 r/4").c_str());
    melody(p, chPad, kPad, 0, 32, "D4/16 B3/16 G3/16 A3/4 r/5 A3/3 r/4");
    melody(p, chPiano, kPiano, 0, 26,
           (std::string(kArpD) + kArpBm + kArpG + "A3/2 E4/2 A4/2 C#5/2 E5/1 E5/3@34 r/4").c_str());
    melody(p, chLead, kFlute, 0, 44,
           "A5/2 F#5/2 A5/2 D6/2 F#6/4 E6/2 D6/2 "
           "D6/2 B5/2 D6/2 F#6/2 A6/4 F#6/4 "
           "G6/2 F#6/2 E6/2 D6/2 B5/4 D6/4 "
           "C#6/3 D6/1 E6/5 A6/3@50 r/1 E5/1@30 F#5/1@34 A5/1@38");
}

// By the campfire: G, A, F#m Bm, Em A; a laid-back groove under the flute.
void campfire(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k....... k.....k.k.....k.");
    beat(p, chSnare, 0, rep("....s..g....s..g", 4).c_str());
    beat(p, chHat, 0, rep("x.y.x.o.x.y.x.o.", 4).c_str());
    melody(p, chBass, kBass, 0, 46,
           (std::string(kBassG) + kBassA +
            "F#2/3 F#2/1 C#2/2 F#2/2 B1/3 B1/1 F#2/2 B2/2 E2/3 E2/1 B1/2 E2/2 A1/3 A1/1 E2/2 A2/2")
               .c_str());
    melody(p, chPad, kPad, 0, 32, "G3/16 A3/16 F#3/8 B3/8 E3/8 A3/8");
    melody(p, chPiano, kPiano, 0, 28,
           "G3/3 D4/3 G4/2 B4/3 D4/3 G4/2 A3/3 E4/3 A4/2 C#5/3 E4/3 A4/2 "
           "F#3/3 C#4/3 A4/2 B3/3 F#4/3 D5/2 E3/3 B3/3 G4/2 A3/3 E4/3 C#5/2");
    melody(p, chLead, kFlute, 0, 44,
           "B5/6 A5/2 G5/4 D5/4 "
           "E5/2 F#5/2 G5/2 A5/6 C#6/4 "
           "C#6/4 A5/4 D6/4 B5/2 F#5/2 "
           "G5/4 B5/2 E6/2 C#6/4 A5/2 E5/2");
}

// The theme comes back and builds; a fill from row 44 crashes into the bus on row 50.
void buildUp(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k...hhmm llk...k...k...k.");
    beat(p, chSnare, 0, "....s.......s... ....s.......s... ....s...s.s.ssss ssS...s.......s.");
    beat(p, chHat, 0, (rep("x.j.x.j.x.j.x.j.", 2) + "x.j.x.j.x.j..... ..x.o.x.o.x.o.x.").c_str());
    beat(p, chCrash, 0, "c.................................................C");
    melody(p, chBass, kBass, 0, 46,
           (std::string(kBassD) + kBassBm +
            "G1/3 G1/1 D2/2 G1/2 G2/2 D2/2 r/6 D1/2 D3/2 D2/2 D3/2 D2/2 D3/2 D2/2")
               .c_str());
    melody(p, chPad, kPad, 0, 32, "D4/16 B3/16 G3/12 r/6 D5/14@36");
    melody(p, chPiano, kPiano, 0, 26,
           (std::string(kArpD) + kArpBm +
            "G3/2 D4/2 G4/2 B4/2 D5/2 B4/2 A4/1@30 C#5/1@32 E5/1@34 A5/1@36 C#6/1@38 E6/1@40 "
            "./2 F#5/4 A5/4 F#5/4")
               .c_str());
    melody(p, chLead, kFlute, 0, 44,
           "F#5/2 A5/2 D6/4 C#6/2 A5/2 F#5/4 "
           "B5/2 D6/2 F#6/4 E6/2 D6/2 B5/4 "
           "G5/2 B5/2 D6/4 E6/4 A5/1 B5/1 C#6/1 D6/1 E6/1 F#6/1 A6/6@52 r/4 F#6/2@40 E6/2@40");
}

// The bus section's groove: D, C, G, A with four to the floor and off-beat piano.
void busGroove(XmPattern& p, bool crash) {
    beat(p, chKick, 0, rep("k...k...k...k...", 4).c_str());
    beat(p, chSnare, 0, "....s.......s... ....s.......s..g ....s.......s... ....s.......s.ss");
    beat(p, chHat, 0, rep("x.o.x.o.x.o.x.o.", 4).c_str());
    if (crash)
        beat(p, chCrash, 0, "c");
    melody(p, chBass, kBass, 0, 48,
           (rep("D2/2 D3/2", 4) + rep("C2/2 C3/2", 4) + rep("G1/2 G2/2", 4) + rep("A1/2 A2/2", 4)).c_str());
    melody(p, chPad, kPad, 0, 28, "D5/16 C5/16 G4/16 A4/16");
    melody(p, chPiano, kPiano, 0, 26,
           "./2 A5/4 D6/4 A5/4 F#5/1 r/1 ./2 G5/4 E5/4 G5/4 E5/1 r/1 "
           "./2 B5/4 G5/4 B5/4 G5/1 r/1 ./2 C#6/4 A5/4 C#6/4 A5/1 r/1");
}

void busFirst(XmPattern& p) {
    busGroove(p, true);
    melody(p, chLead, kFlute, 0, 44,
           "D6/3 D6/1 F#6/2 A6/2 G6/2 F#6/2 E6/2 D6/2 "
           "E6/3 E6/1 G6/2 C6/2 E6/4 D6/2 C6/2 "
           "B5/3 B5/1 D6/2 G6/2 F#6/2 E6/2 D6/2 B5/2 "
           "C#6/4 E6/4 A5/4 C#6/2 E6/2");
    figure(p, 23, "C5", "E5", "G5");
    figure(p, 45, "B5", "D6", "G6");
}

void busSecond(XmPattern& p) {
    busGroove(p, false);
    melody(p, chLead, kFlute, 0, 44,
           "A5/2 D6/2 r/2 F#6/2 A6/4 F#6/4 "
           "G6/2 E6/2 r/2 C6/2 E6/4 G6/4 "
           "D6/2 B5/2 r/2 G5/2 B5/4 D6/4 "
           "E6/2 C#6/2 A5/2 C#6/2 E6/4 A6/4");
    figure(p, 3, "A5", "D6", "F#6");
    figure(p, 26, "C6", "E6", "G6");
    figure(p, 48, "C#6", "E6", "A6");
}

// The last round, and a drum fill that lets the close come in softly.
void busLast(XmPattern& p) {
    busGroove(p, true);
    beat(p, chKick, 48, "k...k...k...l.l.");
    beat(p, chSnare, 48, "....s...s.g.ssss");
    melody(p, chLead, kFlute, 0, 46,
           "D6/3 D6/1 F#6/2 A6/2 G6/2 F#6/2 E6/2 D6/2 "
           "E6/3 E6/1 G6/2 C6/2 E6/4 G6/2 C6/2 "
           "B5/3 B5/1 D6/2 G6/2 B6/2 A6/2 G6/2 D6/2 "
           "E6/4 C#6/4 A6/6@50 r/2");
    figure(p, 6, "D6", "F#6", "A6");
    figure(p, 28, "E6", "G6", "C7");
    figure(p, 50, "A6", "C#7", "E7");
}

} // namespace

void composeSong(XmModule& m) {
    m.speed = 6;
    m.tempo = 111;
    m.patterns.assign(8, XmPattern{});
    introAndClose(m.patterns[0]);
    themeLight(m.patterns[1]);
    themeFull(m.patterns[2]);
    campfire(m.patterns[3]);
    buildUp(m.patterns[4]);
    busFirst(m.patterns[5]);
    busSecond(m.patterns[6]);
    busLast(m.patterns[7]);
    m.orders = {0, 1, 2, 3, 3, 4, 5, 6, 7, 0};
}
