#include "recording/ProcessorPlacement.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace tavrin {

#if defined(__linux__)

ProcessorMask processorsOfCallingThread() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
    ProcessorMask mask = 0;
    for (int cpu = 0; cpu < 64; ++cpu) {
        if (CPU_ISSET(cpu, &set)) mask |= ProcessorMask{1} << cpu;
    }
    return mask;
}

int currentProcessor() { return sched_getcpu(); }

ProcessorMask keepCallingThreadOn(ProcessorMask mask) {
    const ProcessorMask before = processorsOfCallingThread();
    if (mask == 0 || before == 0) return 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0; cpu < 64; ++cpu) {
        if ((mask >> cpu) & 1) CPU_SET(cpu, &set);
    }
    return sched_setaffinity(0, sizeof set, &set) == 0 ? before : 0;
}

#else

ProcessorMask processorsOfCallingThread() { return 0; }

int currentProcessor() { return -1; }

ProcessorMask keepCallingThreadOn(ProcessorMask) { return 0; }

#endif

}  // namespace tavrin
