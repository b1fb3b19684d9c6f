// Replays glibc's rand() from the start of the sequence an unseeded program runs on (srand(1)): the
// values the show's own generator must give, so tests can say which draw went where.
#pragma once

#include "show/particles.h"

#include <cstdlib>
#include <vector>

// The first n values of the sequence as unit values in [0, 1), and the show's generator put back to
// the start of that sequence.
inline std::vector<double> replayUnitRandom(int n) {
    std::srand(1);
    std::vector<double> values(n);
    for (double& v : values)
        v = std::rand() / 2147483648.0;
    restartShowRandom();
    return values;
}

// The raw value the sequence gives after its first n values.
inline int defaultRandAt(int n) {
    std::srand(1);
    for (int k = 0; k < n; k++)
        std::rand();
    const int value = std::rand();
    return value;
}
