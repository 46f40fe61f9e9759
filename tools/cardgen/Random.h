#pragma once

// The generator's only source of randomness: a small fixed algorithm (SplitMix64) rather than
// the standard library's distributions, so one seed gives the same card with any library.

#include <cstdint>

namespace tavrin::cardgen {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high], both included.
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double between(double low, double high) { return low + (high - low) * unit(); }
    // An independent stream for a sub-task, so adding draws in one place leaves the others be.
    Random fork(std::uint64_t salt) { return Random(next() ^ (salt * 0xD1B54A32D192ED03ull)); }

private:
    std::uint64_t state_;
};

}  // namespace tavrin::cardgen
