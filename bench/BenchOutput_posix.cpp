#include "bench/BenchOutput.h"

namespace tavrin::bench {

std::string runSuffix() { return {}; }

void pumpMessages() {}

}  // namespace tavrin::bench
