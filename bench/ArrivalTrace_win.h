#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bench/WatchedPlayer_win.h"

namespace tavrin::bench {

// When TAVRIN_PLAYBACK_TRACE names a folder (a Windows path: under Wine, Z:\tmp\trace for
// /tmp/trace), writes every picture arrival of one playback to <folder>/playback_<run>.csv, one
// line each with its time from `start` (timeGetTime at playFrom), for a look at where frames
// were lost. Nothing otherwise.
void traceArrivals(const std::vector<PictureArrival>& arrivals, DWORD start,
                   const std::string& run);

}  // namespace tavrin::bench
