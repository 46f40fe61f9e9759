#pragma once

#include <string>

namespace tavrin::bench {

// The folder where benchmarks keep the inputs they generate, made once and reused: beside the
// benchmark program, or TAVRIN_BENCH_DATA when set.
std::string benchDataFolder(const char* programPath);

}  // namespace tavrin::bench
