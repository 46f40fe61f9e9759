#pragma once

#include <cstdint>

// Which processors a thread runs on, for threads that hand work to each other and must not be
// left by the system to take turns on one processor. One implementation per platform.

namespace tavrin {

// Which processors a thread may run on: bit n stands for processor n, the first 64 only.
using ProcessorMask = std::uint64_t;

// The processors the calling thread may run on; 0 when the platform cannot tell.
ProcessorMask processorsOfCallingThread();
// The processor the calling thread runs on now; -1 when the platform cannot tell.
int currentProcessor();
// Lets the calling thread run only on the processors in `mask` and returns those it could run
// on before; 0, and nothing changed, when `mask` is 0 or the platform refuses.
ProcessorMask keepCallingThreadOn(ProcessorMask mask);

}  // namespace tavrin
