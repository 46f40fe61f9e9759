#pragma once

#include <windows.h>

namespace tavrin::bench {

// Milliseconds on the performance counter: the one clock every timestamp of a measurement is
// taken on, in every thread, so that they can be set against each other.
inline double performanceMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

}  // namespace tavrin::bench
