#include "bench/ArrivalTrace_win.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace tavrin::bench {

void traceArrivals(const std::vector<PictureArrival>& arrivals, DWORD start,
                   const std::string& run) {
    const char* folder = std::getenv("TAVRIN_PLAYBACK_TRACE");
    if (folder == nullptr || *folder == '\0' || arrivals.empty()) return;
    const std::string path = std::string(folder) + "/playback_" + run + ".csv";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "w"),
                                                         &std::fclose);
    if (!file) {
        std::fprintf(stderr, "playback_bench: cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file.get(), "ms,frame,picture,player_state,sound_state,sound_ms\n");
    for (const PictureArrival& arrival : arrivals) {
        // Signed: the first picture may arrive before playFrom.
        std::fprintf(file.get(), "%ld,%d,%d,%d,%d,%d\n",
                     static_cast<long>(static_cast<std::int32_t>(arrival.time - start)), arrival.frame,
                     arrival.hasPicture ? 1 : 0, arrival.playerState, arrival.soundState,
                     arrival.soundPositionMs);
    }
}

}  // namespace tavrin::bench
