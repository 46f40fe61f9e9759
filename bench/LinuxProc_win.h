#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::bench {

// Under Wine the Linux file system is reachable through the Z: drive, and with it /proc: the only
// window a Windows program has on the Linux processes Wine runs beside it, such as the wineserver.

// True when this program runs under Wine: Wine's ntdll exports its version, Windows' does not.
bool runningUnderWine();

// The numeric entries of /proc, i.e. the Linux processes we can see; empty without a Z: drive.
std::vector<int> linuxProcessIds();

// The whole of /proc/<process>/<file>, or nothing when it cannot be read (the process has gone,
// or this is not Wine). Wine resolves paths in the wineserver, so "self" names the server, not
// this program.
std::optional<std::string> readProcFile(const std::string& process, const char* file);

// The value of `name` in the NUL-separated variables of a /proc/<pid>/environ, or empty.
std::string environmentValue(const std::string& variables, const std::string& name);

// utime + stime of /proc/<process>/stat, in clock ticks.
std::optional<std::uint64_t> cpuTicks(const std::string& process);

// The unit of those ticks (USER_HZ). sysconf is out of reach of a Windows program, so it comes
// from the auxiliary vector of /proc/self (AT_CLKTCK; the kernel gives every process the same);
// 100, the value of every common Linux build, when that cannot be read.
double clockTicksPerSecond();

}  // namespace tavrin::bench
