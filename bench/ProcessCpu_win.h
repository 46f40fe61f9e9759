#pragma once

namespace tavrin::bench {

// CPU seconds (user + kernel, every thread) this process has used so far.
double ownProcessCpuSeconds();

}  // namespace tavrin::bench
