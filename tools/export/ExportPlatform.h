#pragma once

// The few system services the exporter needs beyond the core's: putting a finished file in place
// without replacing another, the reason a file operation failed, the console, and Ctrl+C. One
// implementation per platform.

#include <string>

#include "recording/Platform.h"

namespace tavrin::exporter {

// Renames `source` to `target` (same folder). Without `replace` it fails when `target` exists,
// checked by the system in the same step.
bool moveIntoPlace(const Path& source, const Path& target, bool replace);

// Why the last file operation of this thread failed, in English ("no space left on the disk").
std::string lastSystemError();

// Whether standard error is a terminal, where a progress bar can be drawn.
bool errorIsTerminal();

// UTF-8 output on a console that would otherwise show another code page.
void prepareConsole();

// From now on Ctrl+C (and a polite termination request) only sets a flag, so the export can
// stop between frames and remove its unfinished files.
void catchInterrupts();
bool interruptRequested();

}  // namespace tavrin::exporter
