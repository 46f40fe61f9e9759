#include <windows.h>

#include "recording/ProcessorPlacement.h"

namespace tavrin {

ProcessorMask processorsOfCallingThread() {
    // Windows tells a thread's processors only when they are set: they are set to the process's,
    // within which every thread's lie, and those returned are put back.
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 0;
    const DWORD_PTR before = SetThreadAffinityMask(GetCurrentThread(), process);
    if (before != 0 && before != process) SetThreadAffinityMask(GetCurrentThread(), before);
    return before;
}

int currentProcessor() { return static_cast<int>(GetCurrentProcessorNumber()); }

ProcessorMask keepCallingThreadOn(ProcessorMask mask) {
    if (mask == 0) return 0;
    return SetThreadAffinityMask(GetCurrentThread(), static_cast<DWORD_PTR>(mask));
}

}  // namespace tavrin
