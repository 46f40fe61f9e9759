#pragma once

namespace tavrin {

// What a scan of a recording needs of whoever asked for it: the video player shows the progress
// and keeps its window alive, and the user is warned when the sound cannot be restored. The core
// shows no window itself.
class ScanObserver {
public:
    virtual ~ScanObserver() = default;
    // The scan has reached `percent` (10, 20, ... 100).
    virtual void showLoadingProgress(int percent) = 0;
    // Translate and dispatch the owner window's pending messages.
    virtual void dispatchPendingMessages() = 0;
    // The temporary sound file could not be created; the recording will play without sound.
    virtual void warnSoundUnavailable() = 0;
};

}  // namespace tavrin
