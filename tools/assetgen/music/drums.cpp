// The drum kit: kick, snare, hats, crash, tom and sleigh bells, each synthesised from sines and noise.
#include "tools/assetgen/music/synth_common.h"

#include <cmath>

namespace {

struct OnePole {
    double k, y = 0;
    OnePole(double cutoff, double rate) : k(1.0 - std::exp(-kTwoPi * cutoff / rate)) {}
    double low(double x) { return y += k * (x - y); }
    double high(double x) { return x - low(x); }
};

Tone drum(int rateStep, int homeNote, double seconds) {
    Tone t;
    t.rateStep = rateStep;
    t.homeNote = homeNote;
    t.pcm.assign(size_t(seconds * rateOfStep(rateStep)), 0.0f);
    return t;
}

// Six detuned square waves, the classic metallic cymbal source, high-passed.
double metal(double time, double base) {
    static const double ratios[6] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};
    double sum = 0;
    for (double r : ratios)
        sum += std::sin(kTwoPi * base * r * time) >= 0 ? 1.0 : -1.0;
    return sum / 6.0;
}

} // namespace

Tone synthKick(int homeNote) {
    Tone t = drum(12, homeNote, 0.45);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(11);
    double phase = 0;
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        phase += kTwoPi * (46.0 + 120.0 * std::exp(-time / 0.03)) / rate;
        const double body = std::sin(phase) * std::exp(-time / 0.1);
        const double click = rng.uniform() * std::exp(-time / 0.003) * 0.5;
        t.pcm[i] = float(std::tanh(1.6 * (body + click)));
    }
    fadeEnds(t.pcm, 0, 400);
    normalize(t.pcm, 0.88f);
    return t;
}

Tone synthSnare(int homeNote) {
    Tone t = drum(24, homeNote, 0.32);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(12);
    OnePole hp(900, rate), lp(9000, rate);
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        const double tone = 0.55 * std::sin(kTwoPi * 190.0 * time * (1.0 + 0.25 * std::exp(-time / 0.01))) *
                                std::exp(-time / 0.045) +
                            0.25 * std::sin(kTwoPi * 330.0 * time) * std::exp(-time / 0.03);
        const double noise = lp.low(hp.high(rng.uniform())) * std::exp(-time / 0.085);
        t.pcm[i] = float(tone + 0.9 * noise);
    }
    addRoom(t.pcm, rate, 0.2, 0.15, 0.6);
    fadeEnds(t.pcm, 8, 600);
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthHat(int homeNote, bool open) {
    Tone t = drum(24, homeNote, open ? 0.5 : 0.12);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(open ? 14 : 13);
    OnePole hp1(6000, rate), hp2(6000, rate);
    const double decay = open ? 0.2 : 0.022;
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        const double source = 0.7 * metal(time, 410.0) + 0.5 * rng.uniform();
        t.pcm[i] = float(hp2.high(hp1.high(source)) * std::exp(-time / decay));
    }
    fadeEnds(t.pcm, 6, open ? 2000 : 300);
    normalize(t.pcm, 0.8f);
    return t;
}

Tone synthCrash(int homeNote) {
    Tone t = drum(24, homeNote, 1.5);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(15);
    OnePole hp1(3000, rate), hp2(3000, rate), lp(15000, rate);
    double f[12];
    for (double& v : f)
        v = 500.0 + 700.0 * (0.5 + 0.5 * rng.uniform());
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        double m = 0;
        for (double v : f)
            m += std::sin(kTwoPi * v * time) >= 0 ? 1.0 : -1.0;
        const double source = 0.5 * m / 12.0 + 0.8 * rng.uniform();
        const double env = 0.7 * std::exp(-time / 0.45) + 0.6 * std::exp(-time / 0.04);
        t.pcm[i] = float(lp.low(hp2.high(hp1.high(source))) * env);
    }
    fadeEnds(t.pcm, 10, 6000);
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthTom(int homeNote) {
    Tone t = drum(12, homeNote, 0.5);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(16);
    OnePole lp(2500, rate);
    double phase = 0;
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        phase += kTwoPi * 98.0 * (1.0 + 0.5 * std::exp(-time / 0.045)) / rate;
        const double body = std::sin(phase) * std::exp(-time / 0.2);
        const double skin = lp.low(rng.uniform()) * std::exp(-time / 0.02) * 0.6;
        t.pcm[i] = float(body + skin);
    }
    fadeEnds(t.pcm, 0, 800);
    normalize(t.pcm, 0.85f);
    return t;
}

Tone synthSleigh(int homeNote) {
    Tone t = drum(24, homeNote, 0.35);
    const double rate = rateOfStep(t.rateStep);
    synth::Rng rng(17);
    OnePole hp(5000, rate);
    struct Jingle {
        double onset, f[3];
    } jingles[8];
    for (Jingle& j : jingles) {
        j.onset = 0.03 * (0.5 + 0.5 * rng.uniform());
        for (double& f : j.f)
            f = 5200.0 + 3000.0 * (0.5 + 0.5 * rng.uniform());
    }
    for (size_t i = 0; i < t.pcm.size(); i++) {
        const double time = i / rate;
        double sum = 0;
        for (const Jingle& j : jingles) {
            if (time < j.onset)
                continue;
            const double d = time - j.onset;
            for (double f : j.f)
                sum += std::sin(kTwoPi * f * d) * std::exp(-d / 0.055);
        }
        sum += 2.0 * hp.high(rng.uniform()) * std::exp(-time / 0.03);
        t.pcm[i] = float(sum);
    }
    addRoom(t.pcm, rate, 0.25, 0.1, 0.6);
    fadeEnds(t.pcm, 4, 1500);
    normalize(t.pcm, 0.8f);
    return t;
}
