// Shared helpers of the synthesis: rates, note frequencies, normalising and loop lengths.
#include "tools/assetgen/music/synth_common.h"

#include <algorithm>
#include <cmath>

double rateOfStep(int rateStep) {
    return 8363.0 * std::pow(2.0, rateStep / 12.0);
}

double noteFrequency(int note) {
    return 261.6255653 * std::pow(2.0, (note - 49) / 12.0);
}

void normalize(std::vector<float>& pcm, float peak) {
    float max = 0;
    for (float v : pcm)
        max = std::max(max, std::fabs(v));
    if (max <= 0)
        return;
    for (float& v : pcm)
        v *= peak / max;
}

void fadeEnds(std::vector<float>& pcm, int in, int out) {
    const int n = int(pcm.size());
    for (int i = 0; i < in && i < n; i++)
        pcm[i] *= float(i) / float(in);
    for (int i = 0; i < out && i < n; i++)
        pcm[n - 1 - i] *= float(i) / float(out);
}

int periodicLength(double rate, double seconds, double& frequency) {
    const double cycles = std::max(1.0, std::round(frequency * seconds));
    const int length = int(std::lround(cycles * rate / frequency));
    frequency = cycles * rate / length;
    return length;
}

void addRoom(std::vector<float>& pcm, double rate, double wet, double tail, double decaySeconds) {
    const size_t dryLength = pcm.size();
    pcm.resize(dryLength + size_t(tail * rate), 0.0f);
    const double combMs[4] = {29.7, 37.1, 41.1, 43.7};
    std::vector<double> out(pcm.size(), 0.0);
    for (double ms : combMs) {
        const size_t delay = size_t(ms * 0.001 * rate);
        const double feedback = std::pow(10.0, -3.0 * ms * 0.001 / decaySeconds);
        std::vector<double> line(pcm.size(), 0.0);
        for (size_t i = 0; i < pcm.size(); i++) {
            line[i] = pcm[i] + (i >= delay ? feedback * line[i - delay] : 0.0);
            out[i] += 0.25 * line[i];
        }
    }
    const double allpassMs[2] = {5.0, 1.7};
    for (double ms : allpassMs) {
        const size_t delay = size_t(ms * 0.001 * rate);
        std::vector<double> in = out;
        for (size_t i = 0; i < out.size(); i++)
            out[i] = -0.7 * in[i] + (i >= delay ? in[i - delay] + 0.7 * out[i - delay] : 0.0);
    }
    for (size_t i = 0; i < pcm.size(); i++)
        pcm[i] = float((1.0 - wet) * pcm[i] + wet * out[i]);
}
