// The song: intro and close, theme, campfire section with the theme as a refrain, build-up and three
// rounds of the bus section with a bell figure each time a passenger steps out. Rows are sixteenth
// notes; the show's moments fall on fixed rows, or a few ticks into one (a note delay).
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

// A passenger steps out, `ticks` into `row`: a splash, a kick and an accented snare under three rising bell
// notes. The drums and the flute stop for the two rows before it (the hats for three) and the bass and piano
// push their note from there onto the hit, so that it stands out of the groove.
void figure(XmPattern& p, int row, int ticks, const char* a, const char* b, const char* c) {
    const std::string tokens = std::string(a) + "/1@50 " + b + "/1@48 " + c + "/4@52 r/1";
    melody(p, chCrash, kBells, row, 50, tokens.c_str());
    for (int ch : {chBass, chPiano})
        if (!p.cells[row][ch].note)
            p.cells[row][ch] = p.cells[row - 2][ch].note ? p.cells[row - 2][ch] : p.cells[row - 1][ch];
    for (int ch : {chKick, chSnare, chHat, chBass, chPiano, chLead})
        p.cells[row - 2][ch] = p.cells[row - 1][ch] = XmCell{};
    put(p, row - 3, chHat, 0, kXmKeyOff, 0);
    p.cells[row - 2][chLead].volume = 0x10; // silent at once: a key-off would fade too slowly
    beat(p, chKick, row, "k", 65);
    beat(p, chSnare, row, "S", 85);
    beat(p, chHat, row, "Z", 90);
    late(p, row, ticks);
}

// Intro, and again the close. It rises from silence, the pad alone swelling on IV; five ticks into row 14
// (2.0 s), when the snow starts, V comes in with bells, bass and a crash; five ticks into row 30 (in the
// last order 82.0 s, the closing picture) it lands on I, and everything dies away before the song repeats.
void introAndClose(XmPattern& p) {
    melody(p, chPad, kPad, 0, 0, "G2/14 A2/16@28 D3/34@32");
    slide(p, chPad, 1, 13, 2, 1);
    slide(p, chPad, 35, 64, 3, -1);
    melody(p, chBass, kBass, 8, 18, "G1/6 A1/16@26 D1/10@34 r/1");
    melody(p, chLead, kBells, 14, 38,
           "A5/1@26 D6/1@30 F#6/1@34 A6/4 G6/2 F#6/2 E6/2 C#6/3 "
           "D6/8@44 A5/4@34 F#6/4@30 E6/4@26 D6/8@20");
    melody(p, chPiano, kPiano, 30, 26, "D4/3 A4/2@24 D5/2@22 F#5/2@20 A5/2@18 F#5/2@15 D5/2@12 A4/4@9");
    beat(p, chHat, 6, "i.i.i.i. j.i.j.i. j.i..... ........ i...i...i");
    beat(p, chSnare, 30, "S");
    beat(p, chKick, 14, "k...............k");
    beat(p, chCrash, 14, "C...............C");
    late(p, 14, 5);
    late(p, 30, 5);
}

// The theme with light drums and the glockenspiel melody; it comes back by the campfire as a refrain.
void themeLight(XmPattern& p) {
    beat(p, chKick, 0, "k.......k....... k.......k....... k.......k....... k.......k...k.k.", 62);
    beat(p, chSnare, 0, "............g... ............g... ............g... ............g.g.", 62);
    beat(p, chHat, 0, rep("j.i.j.i.j.i.j.i.", 4).c_str(), 62);
    beat(p, chCrash, 0, "c", 80);
    melody(p, chBass, kBass, 0, 28, (std::string(kBassD) + kBassBm + kBassG + kBassA).c_str());
    melody(p, chPad, kPad, 0, 20, "D4/16 B3/16 G3/16 A3/16");
    melody(p, chPiano, kPiano, 0, 18, (std::string(kArpD) + kArpBm + kArpG + kArpA).c_str());
    melody(p, chLead, kBells, 0, 36, kThemeA);
}

// The theme in full, the flute taking the melody; a fill crashes into the campfire on row 57 (25.0 s).
void themeFull(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k....... k...hhmmlk......", 90);
    beat(p, chSnare, 0, "....s.......s... ....s.......s... ....s.......s..g sgss.....S......", 90);
    beat(p, chHat, 0, (rep("x.j.x.j.x.j.x.j.", 3) + "x.j.x...........").c_str(), 90);
    beat(p, chCrash, 0, "c........................................................C");
    melody(p, chBass, kBass, 0, 38,
           (std::string(kBassD) + kBassBm + kBassG + "A1/3 A1/1 r/5 A1/3 r/4").c_str());
    melody(p, chPad, kPad, 0, 28, "D4/16 B3/16 G3/16 A3/4 r/5 A3/3 r/4");
    melody(p, chPiano, kPiano, 0, 24,
           (std::string(kArpD) + kArpBm + kArpG + "A3/2 E4/2 A4/2 C#5/2 E5/1 E5/3@34 r/4").c_str());
    melody(p, chLead, kFlute, 0, 44,
           "A5/2 F#5/2 A5/2 D6/2 F#6/4 E6/2 D6/2 "
           "D6/2 B5/2 D6/2 F#6/2 A6/4 F#6/4 "
           "G6/2 F#6/2 E6/2 D6/2 B5/4 D6/4 "
           "C#6/3 D6/1 E6/5 A6/3@50 r/1 E5/1@30 F#5/1@34 A5/1@38");
}

// By the campfire: G, A, F#m Bm, Em A; a laid-back groove under the flute, softer than the theme.
void campfire(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k....... k.....k.k.....k.", 54);
    beat(p, chSnare, 0, rep("....s..g....s..g", 4).c_str(), 45);
    beat(p, chHat, 0, rep("x.y.x.o.x.y.x.o.", 4).c_str(), 54);
    melody(p, chBass, kBass, 0, 27,
           (std::string(kBassG) + kBassA +
            "F#2/3 F#2/1 C#2/2 F#2/2 B1/3 B1/1 F#2/2 B2/2 E2/3 E2/1 B1/2 E2/2 A1/3 A1/1 E2/2 A2/2")
               .c_str());
    melody(p, chPad, kPad, 0, 20, "G3/16 A3/16 F#3/8 B3/8 E3/8 A3/8");
    melody(p, chPiano, kPiano, 0, 18,
           "G3/3 D4/3 G4/2 B4/3 D4/3 G4/2 A3/3 E4/3 A4/2 C#5/3 E4/3 A4/2 "
           "F#3/3 C#4/3 A4/2 B3/3 F#4/3 D5/2 E3/3 B3/3 G4/2 A3/3 E4/3 C#5/2");
    melody(p, chLead, kFlute, 0, 30,
           "B5/6 A5/2 G5/4 D5/4 "
           "E5/2 F#5/2 G5/2 A5/6 C#6/4 "
           "C#6/4 A5/4 D6/4 B5/2 F#5/2 "
           "G5/4 B5/2 E6/2 C#6/4 A5/2 E5/2");
}

// The theme comes back and builds; a fill from row 40 and two rows' breath, then the bus crashes in on
// row 50 (50.0 s).
void buildUp(XmPattern& p) {
    beat(p, chKick, 0, "k.....k.k....... k.....k.k....... k.....k.k...hhmm ..k...k...k...k.", 70);
    beat(p, chSnare, 0, "....s.......s... ....s.......s... ....s...s.s.ssss ..S...s.......s.", 75);
    beat(p, chHat, 0, (rep("x.j.x.j.x.j.x.j.", 2) + "x.j.x.j.x.j..... ..x.o.x.o.x.o.x.").c_str(), 85);
    beat(p, chCrash, 0, "c.................................................C");
    melody(p, chBass, kBass, 0, 32,
           (std::string(kBassD) + kBassBm +
            "G1/3 G1/1 D2/2 G1/2 G2/2 D2/2 r/6 D1/2 D3/2 D2/2 D3/2 D2/2 D3/2 D2/2")
               .c_str());
    melody(p, chPad, kPad, 0, 22, "D4/16 B3/16 G3/12 r/6 D5/14@40");
    melody(p, chPiano, kPiano, 0, 20,
           (std::string(kArpD) + kArpBm +
            "G3/2 D4/2 G4/2 B4/2 D5/2 B4/2 A4/1@30 C#5/1@32 E5/1@34 A5/1@36 C#6/1@38 E6/1@40 "
            "D6/2@40 F#5/4 A5/4 F#5/4")
               .c_str());
    melody(p, chLead, kFlute, 0, 32,
           "F#5/2 A5/2 D6/4 C#6/2 A5/2 F#5/4 "
           "B5/2 D6/2 F#6/4 E6/2 D6/2 B5/4 "
           "G5/2 B5/2 D6/4 E6/4 A5/1 B5/1 C#6/1 D6/1 E6/1 F#6/1 A6/6@52 r/4 F#6/2@46 E6/2@46");
}

// The first round of the bus: D, C, G, A with four to the floor and off-beat piano.
void busFirst(XmPattern& p) {
    beat(p, chKick, 0, rep("k...k...k...k...", 4).c_str());
    beat(p, chSnare, 0, "....s.......s... ....s.......s..g ....s.......s... ....s.......s.ss");
    beat(p, chHat, 0, rep("x.o.x.o.x.o.x.o.", 4).c_str(), 120);
    melody(p, chBass, kBass, 0, 44,
           (rep("D2/2 D3/2", 4) + rep("C2/2 C3/2", 4) + rep("G1/2 G2/2", 4) + rep("A1/2 A2/2", 4)).c_str());
    melody(p, chPad, kPad, 0, 46, "D5/16 C5/16 G4/16 A4/16");
    melody(p, chPiano, kPiano, 0, 40,
           "./2 A5/4 D6/4 A5/4 F#5/1 r/1 ./2 G5/4 E5/4 G5/4 E5/1 r/1 "
           "./2 B5/4 G5/4 B5/4 G5/1 r/1 ./2 C#6/4 A5/4 C#6/4 A5/1 r/1");
    melody(p, chLead, kFlute, 0, 52,
           "D6/3 D6/1 F#6/2 A6/2 G6/2 F#6/2 E6/2 D6/2 "
           "E6/3 E6/1 G6/3 C7/5 D6/2 C6/2 "
           "B5/3 B5/1 D6/2 G6/2 F#6/2 E6/3 D6/1 B5/2 "
           "C#6/4 E6/4 A5/4 C#6/2 E6/2");
    figure(p, 23, 0, "C6", "E6", "G6");
    figure(p, 45, 2, "B5", "D6", "G6");
}

// The second round: Bm, G, D, A; sixteenth hats, a syncopated bass and piano stabs.
void busSecond(XmPattern& p) {
    beat(p, chKick, 0, "k...k...k...k..k k...k...k...k... k...k...k...k..k k...k...k...k...");
    beat(p, chSnare, 0, "....s..g.g..s... ....s..g....s... ....s..g.g..s... ....s...s.g.s.ss");
    beat(p, chHat, 0, rep("x.xyo.xyx.xyo.xy", 4).c_str(), 120);
    melody(p, chBass, kBass, 0, 44,
           "B1/3 B2/3 B1/2 F#2/2 B1/2 A1/2 B1/2 G1/3 G2/3 G1/2 D2/2 G1/2 F#1/2 G1/2 "
           "D2/3 D3/3 D2/2 A1/2 D2/2 C#2/2 D2/2 A1/3 A2/3 A1/2 E2/2 A1/2 G1/2 A1/2");
    melody(p, chPad, kPad, 0, 46, "B4/16 G4/16 D5/16 A4/16");
    melody(p, chPiano, kPiano, 0, 40,
           "F#5/3 D5/3 B4/2 F#5/3 D5/3 B4/2 G5/3 D5/3 B4/2 G5/3 D5/3 B4/2 "
           "A5/3 F#5/3 D5/2 A5/3 F#5/3 D5/2 A5/3 E5/3 C#5/2 A5/3 E5/3 C#5/2");
    melody(p, chLead, kFlute, 0, 52,
           "D6/3 B6/5 A6/2 F#6/2 D6/4 "
           "B5/2 D6/2 G6/5 B6/3 D6/2 B5/2 "
           "A5/2 D6/2 F#6/4 E6/2 D6/6 "
           "C#6/2 E6/2 A6/6 G6/2 E6/4");
    figure(p, 3, 3, "F#6", "B6", "D7");
    figure(p, 25, 4, "D6", "G6", "B6");
    figure(p, 48, 0, "E6", "A6", "C#7");
}

// The last round: G, A, Bm, D, and a drum fill that lets the close come in softly.
void busLast(XmPattern& p) {
    beat(p, chKick, 0, (rep("k...k...k...k...", 3) + "k...k...k...l.l.").c_str());
    beat(p, chSnare, 0, "....s.......s... ....s.......s..g ....s.......s... ....s...s.g.ssss");
    beat(p, chHat, 0, (rep("x.o.x.o.x.o.x.o.", 3) + "x.o.x.o.x.......").c_str(), 120);
    melody(p, chBass, kBass, 0, 44,
           (rep("G1/2 G2/2", 4) + rep("A1/2 A2/2", 4) + rep("B1/2 B2/2", 4) + "D2/2 D3/2 D2/2 D3/2 D2/4 r/4")
               .c_str());
    melody(p, chPad, kPad, 0, 46, "G4/16 A4/16 B4/16 D5/12 r/4");
    melody(p, chPiano, kPiano, 0, 40,
           "./2 B5/4 G5/4 B5/4 G5/1 r/1 ./2 C#6/4 A5/4 C#6/4 A5/1 r/1 "
           "./2 D6/4 B5/4 D6/4 B5/1 r/1 D6/4 A5/4 F#5/4 D5/4");
    melody(p, chLead, kFlute, 0, 52,
           "D6/3 D6/3 B6/2 A6/2 G6/2 D6/2 B5/2 "
           "E6/3 E6/1 A6/2 C#7/2 B6/4 A6/2 E6/2 "
           "D6/3 D6/1 F#6/2 B6/2 A6/2 F#6/2 D6/2 B5/2 "
           "./2 D6/2 F#6/4 A6/6@50 r/2");
    figure(p, 6, 0, "D6", "G6", "B6");
    figure(p, 28, 2, "E6", "A6", "C#7");
    figure(p, 50, 3, "A6", "D7", "F#7");
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
    m.orders = {0, 1, 2, 3, 1, 4, 5, 6, 7, 0};
}
