#include "bench/WatchedPlayer_win.h"

#include <mmsystem.h>

#include "bench/PerformanceClock_win.h"
#include "media/ISoundPlayer.h"

namespace tavrin::bench {

WatchedPlayer::WatchedPlayer(IVideoPlayerOwner& owner, std::vector<PictureArrival>& arrivals)
    : VideoPlayer(owner), arrivals_(arrivals) {
    // A 60-second recording at 28 frames per second, with room for repeats: no reallocation
    // while the clock is being read.
    arrivals_.reserve(4096);
}

LRESULT WatchedPlayer::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PICTURE_READY) {
        PictureArrival arrival;
        // Read the clock first, so the bookkeeping below does not count as delay.
        arrival.time = timeGetTime();
        arrival.counterMs = performanceMs();
        ISoundPlayer& sound = soundPlayer();
        arrival.soundPositionMs = sound.getPosition();
        arrival.soundState = sound.getState();
        arrival.frame = static_cast<std::int32_t>(static_cast<LONG_PTR>(wParam));
        arrival.hasPicture = lParam != 0;
        arrival.playerState = state();
        arrivals_.push_back(arrival);
    }
    return VideoPlayer::handleMessage(message, wParam, lParam);
}

}  // namespace tavrin::bench
