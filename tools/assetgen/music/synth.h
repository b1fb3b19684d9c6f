// The synthesised sounds of the song: a drum kit and five pitched instruments, one sample per call.
#pragma once

#include <cstdint>
#include <vector>

// One sample as made: it sounds as synthesised when note `homeNote` plays it, given the module's rule
// that C-4 plays at 8363 Hz * 2^(relative note / 12); `rateStep` fixes its rate at 8363 * 2^(step / 12).
struct Tone {
    std::vector<float> pcm;
    int rateStep = 24;
    int homeNote = 49;
    uint32_t loopStart = 0, loopLength = 0; // frames; 0 length: one-shot
};

double rateOfStep(int rateStep);
double noteFrequency(int note); // XM note number, C-4 = 49 at 261.63 Hz

Tone synthKick(int homeNote);
Tone synthSnare(int homeNote);
Tone synthHat(int homeNote, bool open);
Tone synthCrash(int homeNote);
Tone synthTom(int homeNote);
Tone synthSleigh(int homeNote);

Tone synthBass(int root);
Tone synthPad(int root);
Tone synthPiano(int root);
Tone synthBell(int root);
Tone synthFlute(int root);
