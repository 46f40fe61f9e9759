#pragma once

#include <string>

namespace tavrin::bench {

// "_wine" when the Windows build runs under Wine, so its figures never mix with native ones.
std::string runSuffix();

// Prints one figure in the form tools read: "bench: NAME = VALUE UNIT".
void printFigure(const std::string& name, double value, const char* unit);

}  // namespace tavrin::bench
