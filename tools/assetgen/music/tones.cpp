// The pitched instruments: bass, pad, electric piano, glockenspiel and flute, each synthesised at a rate
// that makes its home note play at its true pitch.
#include "tools/assetgen/music/synth_common.h"

#include <algorithm>
#include <cmath>

namespace {

Tone pitched(int rateStep, int root) {
    Tone t;
    t.rateStep = rateStep;
    t.homeNote = root;
    return t;
}

double ramp(double time, double length) {
    return std::min(1.0, time / length);
}

} // namespace

Tone synthBass(int root) {
    Tone t = pitched(12, root);
    const double rate = rateOfStep(t.rateStep);
    double f = noteFrequency(root);
    const int loop = periodicLength(rate, 0.35, f);
    const int attack = int(0.22 * rate);
    t.pcm.assign(size_t(attack + loop), 0.0f);
    t.loopStart = uint32_t(attack);
    t.loopLength = uint32_t(loop);
    // A sawtooth through a low-pass that closes from 2.6 kHz to 1.1 kHz: the harmonics above 200 Hz
    // carry the line on small speakers, where the fundamental is lost.
    const int harmonics = std::min(60, int(0.45 * rate / f));
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        const double settle = 1.0 - ramp(double(i), attack);
        const double cutoff = 1100.0 + 1500.0 * settle * settle;
        const double level = (0.75 + 0.25 * settle) * ramp(time, 0.004);
        double sum = 0;
        for (int h = 1; h <= harmonics; h++) {
            const double x = h * f / cutoff;
            sum += std::sin(kTwoPi * h * f * double(i) / rate) / h / std::sqrt(1.0 + x * x * x * x);
        }
        t.pcm[i] = float(sum * level);
    }
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthPad(int root) {
    Tone t = pitched(19, root);
    const double rate = rateOfStep(t.rateStep);
    double f = noteFrequency(root);
    const int loop = periodicLength(rate, 1.0, f);
    t.pcm.assign(size_t(loop), 0.0f);
    t.loopStart = 0;
    t.loopLength = uint32_t(loop);
    synth::Rng rng(uint32_t(100 + root));
    const double parts[3] = {1.0, 1.5, 2.0};
    const double partLevel[3] = {1.0, 0.6, 0.45};
    const double detune[3] = {-0.0045, 0.0, 0.0042};
    for (int p = 0; p < 3; p++)
        for (double d : detune) {
            // each voice holds a whole number of periods over the loop
            const double cycles = std::round(f * parts[p] * (1.0 + d) * loop / rate);
            const double fv = cycles * rate / loop;
            const int harmonics = std::min(14, int(0.4 * rate / fv));
            for (int h = 1; h <= harmonics; h++) {
                const double phase = kTwoPi * (0.5 + 0.5 * rng.uniform());
                const double a = partLevel[p] * std::pow(h, -1.1) * std::exp(-h / 4.5);
                for (int i = 0; i < loop; i++)
                    t.pcm[size_t(i)] += float(a * std::sin(kTwoPi * h * cycles * i / loop + phase));
            }
        }
    normalize(t.pcm, 0.8f);
    return t;
}

Tone synthPiano(int root) {
    Tone t = pitched(19, root);
    const double rate = rateOfStep(t.rateStep);
    const double f = noteFrequency(root);
    const double decay = std::max(0.35, 0.6 * std::pow(261.6 / f, 0.3));
    t.pcm.assign(size_t(std::min(1.0, 2.6 * decay) * rate), 0.0f);
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        const double index = 0.25 + 1.5 * std::exp(-time / 0.18);
        const double w = kTwoPi * f * time;
        double v = std::sin(w + index * std::sin(w)) * std::exp(-time / decay);
        if (7.0 * f < 0.45 * rate)
            v += 0.2 * std::sin(7.0 * w) * std::exp(-time / 0.03);
        t.pcm[i] = float(v * ramp(time, 0.003));
    }
    addRoom(t.pcm, rate, 0.22, 0.2, 0.9);
    fadeEnds(t.pcm, 0, int(0.08 * rate));
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthBell(int root) {
    Tone t = pitched(24, root);
    const double rate = rateOfStep(t.rateStep);
    const double f = noteFrequency(root);
    t.pcm.assign(size_t(0.85 * rate), 0.0f);
    const double ratio[5] = {1.0, 2.0, 2.756, 5.404, 8.933};
    const double level[5] = {1.0, 0.12, 0.45, 0.22, 0.1};
    const double decay[5] = {0.9, 0.5, 0.4, 0.2, 0.09};
    synth::Rng rng(uint32_t(200 + root));
    for (int p = 0; p < 5; p++) {
        if (ratio[p] * f > 0.45 * rate)
            continue;
        for (size_t i = 0; i < t.pcm.size(); i++) {
            const double time = i / rate;
            t.pcm[i] += float(level[p] * std::sin(kTwoPi * ratio[p] * f * time) * std::exp(-time / decay[p]));
        }
    }
    for (size_t i = 0; i < 200 && i < t.pcm.size(); i++)
        t.pcm[i] += float(0.15 * rng.uniform() * std::exp(-double(i) / 40.0));
    addRoom(t.pcm, rate, 0.25, 0.2, 1.2);
    fadeEnds(t.pcm, 2, int(0.1 * rate));
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthFlute(int root) {
    Tone t = pitched(19, root);
    const double rate = rateOfStep(t.rateStep);
    double f = noteFrequency(root);
    const int loop = periodicLength(rate, 0.3, f);
    const int attack = int(0.1 * rate);
    t.pcm.assign(size_t(attack + loop), 0.0f);
    t.loopStart = uint32_t(attack);
    t.loopLength = uint32_t(loop);
    const double level[7] = {1.0, 0.42, 0.24, 0.13, 0.08, 0.05, 0.03};
    synth::Rng rng(uint32_t(300 + root));
    double breath = 0;
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        double v = 0;
        for (int h = 1; h <= 7; h++)
            if (h * f < 0.45 * rate)
                v += level[h - 1] * std::sin(kTwoPi * h * f * double(i) / rate);
        v *= ramp(time, 0.04);
        breath += 0.3 * (rng.uniform() - breath);
        // a chiff at the start, then a steady breath; noise needs no seam at the loop's join
        if (int(i) < attack)
            v += 0.35 * breath * std::exp(-time / 0.025) * (1.0 - double(i) / attack);
        v += 0.05 * breath * ramp(time, 0.03);
        t.pcm[i] = float(v);
    }
    normalize(t.pcm, 0.85f);
    return t;
}
