#include "bench/BenchOutput.h"

#include <cstdio>

namespace tavrin::bench {

void printFigure(const std::string& name, double value, const char* unit) {
    std::printf("bench: %s%s = %.3f %s\n", name.c_str(), runSuffix().c_str(), value, unit);
    std::fflush(stdout);
}

}  // namespace tavrin::bench
