// Replays the C library's default random sequence, so tests can say which draw went where.
#pragma once

#include <cstdlib>
#include <vector>

// The first n values of the default sequence as unit values in [0, 1), and the generator put back to
// the start of that sequence (srand(1) is the sequence an unseeded program runs on).
inline std::vector<double> replayUnitRandom(int n) {
    std::srand(1);
    std::vector<double> values(n);
    for (double& v : values)
        v = std::rand() / 2147483648.0;
    std::srand(1);
    return values;
}

// The raw value the generator would give after the first n draws of the default sequence.
inline int defaultRandAt(int n) {
    std::srand(1);
    for (int k = 0; k < n; k++)
        std::rand();
    const int value = std::rand();
    return value;
}
