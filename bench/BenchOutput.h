#pragma once

#include <string>

namespace tavrin::bench {

// "_wine" when the Windows build runs under Wine, so its figures never mix with native ones.
std::string runSuffix();

// Lets the platform handle this thread's pending window messages, as the viewer does while it
// scans a recording (nothing where there are no windows).
void pumpMessages();

// Prints one figure in the form tools read: "bench: NAME = VALUE UNIT".
void printFigure(const std::string& name, double value, const char* unit);

}  // namespace tavrin::bench
