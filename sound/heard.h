// The clock's last step, shared by the layer's players: milliseconds of music heard made whole, never
// below the answer given before.
#pragma once

#include <cstdint>

inline int reportHeard(double ms, int& lastReportedMs) {
    int whole = ms < double(INT32_MAX) ? static_cast<int>(ms) : INT32_MAX;
    if (whole > lastReportedMs)
        lastReportedMs = whole;
    return lastReportedMs;
}
