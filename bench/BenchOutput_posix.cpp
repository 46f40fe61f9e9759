#include "bench/BenchOutput.h"

namespace tavrin::bench {

std::string runSuffix() { return {}; }

}  // namespace tavrin::bench
