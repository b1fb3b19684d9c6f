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
