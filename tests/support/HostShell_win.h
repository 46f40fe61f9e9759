#pragma once

// Under Wine the Linux host is a step away: Wine translates a Windows path into the host's and
// starts Unix programs given to CreateProcess, so tests and benchmarks can reach the host's own
// tools (the sound server's, a shell).

#include <string>

namespace tavrin::test {

// Whether this program runs under Wine, where host paths can be had.
bool wineHostReachable();

// The host's path for a Windows path, by Wine's own translation; "" outside Wine.
std::string hostPath(const std::wstring& windowsPath);

// Starts `script` with the host's shell and returns at once. Wine gives no handle to wait on
// for a Unix program, so a script marks its own end where the caller needs it. Throws
// std::runtime_error when the shell cannot be started.
void startHostScript(const std::string& script);

}  // namespace tavrin::test
