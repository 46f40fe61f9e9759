#pragma once

// Commands run on the host beside Wine: Wine starts a Unix program given to CreateProcess, so a
// test can reach what Windows has no word for (the sound server, pulling a card out at once).

#include <windows.h>

#include <string>

#include "tests/support/HostShell_win.h"

namespace tavrin::e2e {

using test::hostPath;

// Whether commands can run on the host here (under Wine).
bool hostCommandsAvailable();

// Runs `script` with the host's shell and waits until it has ended. Throws std::runtime_error
// when it cannot be started or does not end within `timeoutMs`.
void runHostCommand(const std::string& script, DWORD timeoutMs);

}  // namespace tavrin::e2e
