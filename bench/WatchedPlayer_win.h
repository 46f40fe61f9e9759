#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "media/VideoPlayer_win.h"

namespace tavrin::bench {

// One picture that reached the player, with the sound clock at that moment.
struct PictureArrival {
    std::int32_t frame = 0;        // the frame the picture belongs to
    bool hasPicture = false;       // false: the decode failed and the old picture stays
    std::int32_t playerState = 0;  // VideoPlayer::State
    std::int32_t soundState = 0;   // SoundState
    std::int32_t soundPositionMs = 0;
    DWORD time = 0;        // timeGetTime
    double counterMs = 0;  // the performance counter, for setting against outside clocks
};

// The real player, watched: every picture arrival is noted before the player handles it.
// Create with new; the window owns it. `arrivals` must outlive the window.
class WatchedPlayer : public VideoPlayer {
public:
    WatchedPlayer(IVideoPlayerOwner& owner, std::vector<PictureArrival>& arrivals);

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    std::vector<PictureArrival>& arrivals_;
};

}  // namespace tavrin::bench
