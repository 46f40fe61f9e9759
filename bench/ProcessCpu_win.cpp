#include "bench/ProcessCpu_win.h"

#include <windows.h>

namespace tavrin::bench {
namespace {

double seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
}

}  // namespace

double ownProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
    return seconds(kernel) + seconds(user);
}

}  // namespace tavrin::bench
