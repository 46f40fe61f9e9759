#pragma once

#include <windows.h>

namespace tavrin {

// Records the system's version in osVersionInfo and warns (without stopping) on a system older
// than the viewer supports or one whose version cannot be told. Always true.
bool checkOperatingSystem();

// Prepares the process: no system error boxes for an empty card drive, "C:\" as the working
// folder, run-time argument checks that return instead of ending the process, COM and the
// common controls. Throws SystemException (5054, 5055).
void prepareProcess();

// Creates the main window, shows it with the start-up picture and runs the message loop until
// the window is gone. The exit code.
int runViewer(HINSTANCE instance, int showCommand);

}  // namespace tavrin
