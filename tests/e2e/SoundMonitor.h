#pragma once

// What a person would hear: the sound server's monitor of the output the viewer plays into,
// recorded for a while by the sound server's own recording tool. Wine runs Unix programs
// started with CreateProcess, so the test can call it; on Windows there is no such tool and
// `available` says so.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tavrin::e2e {

class SoundMonitor {
public:
    // Whether recording can work here: Wine with the recording tool installed.
    static bool available();

    // The output mixed down to one channel, 16 bits at 22,050 samples a second, for about
    // `ms` milliseconds (the tool takes a moment to start). Throws std::runtime_error when the
    // recording does not come.
    std::vector<std::int16_t> record(DWORD ms) const;

    // Root mean square of the samples after their own mean is removed: 0 for silence.
    static double loudness(const std::vector<std::int16_t>& samples);
    // Records for `ms` and gives the loudness.
    double listen(DWORD ms) const { return loudness(record(ms)); }
};

}  // namespace tavrin::e2e
