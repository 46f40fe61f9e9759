#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavrin::bench {

// Under Wine, every window message, wait, timer and lock of this program is a request to the
// wineserver, a separate Linux process; the CPU it spends on our behalf is part of what playback
// costs, and GetProcessTimes does not see it.
class WineServerCpu {
public:
    // Finds the wineserver of this program's prefix (the WINEPREFIX Wine hands on to us, matched
    // against each server's environment). When no server names that prefix, every wineserver
    // seen is taken and their times are summed: an over-estimate rather than a missing figure.
    // Finds nothing when not under Wine.
    static WineServerCpu locate();

    bool found() const { return !processIds_.empty(); }
    // True when the servers could not be told apart by prefix and several are summed.
    bool summedUnmatched() const { return summedUnmatched_; }
    const std::vector<int>& processIds() const { return processIds_; }

    // CPU seconds (user + system) the located servers have used so far.
    double seconds() const;

private:
    std::vector<int> processIds_;
    bool summedUnmatched_ = false;
    double ticksPerSecond_ = 100.0;
};

// CPU ticks of every other Linux process of our prefix (Wine's services, other programs) by
// "pid name", for telling afterwards whether someone else kept the shared wineserver busy.
std::map<std::string, std::uint64_t> neighbourCpuTicks();

}  // namespace tavrin::bench
