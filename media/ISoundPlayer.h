#pragma once

#include <cstdint>

#include "recording/Platform.h"

namespace tavrin {

// Posted to the notify window (wParam and lParam 0) whenever sound output has come to an end.
constexpr unsigned int WM_SOUND_DONE = 953;

// The values getState reports.
enum SoundState : std::int32_t {
    kSoundClosed = 0,
    kSoundPlaying = 1,
    kSoundStopped = 2,
    kSoundPaused = 3,
};

// What the video player and the volume slider see of the sound output. The operations keep this
// order. Nobody deletes through this interface (the sound player's window owns the object), so
// the destructor is protected and not virtual.
class ISoundPlayer {
public:
    // Closes what is open, reads the sound file and opens the output device; stopped afterwards.
    virtual void open(const Path& path) = 0;
    // Stops output and releases the device and the data; never fails.
    virtual void close() = 0;
    // Starts output at `ms`. Throws WaveAudioException (5069) when nothing is open.
    virtual void play(std::int32_t ms) = 0;
    // Throw WaveAudioException (5069) when nothing is open.
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual std::int32_t getState() = 0;
    // Block align x samples per second x 1000 of the open file; 0 when closed.
    virtual std::uint32_t getDataRate() = 0;
    // The output position within the file in ms; 0 when the device cannot report.
    virtual std::int32_t getPosition() = 0;
    virtual std::int32_t getVolume() = 0;
    // Stores 0..16 (clamped); applies from the next buffer filled.
    virtual void setVolume(std::int32_t volume) = 0;

protected:
    ISoundPlayer() = default;
    ISoundPlayer(const ISoundPlayer&) = default;
    ISoundPlayer& operator=(const ISoundPlayer&) = default;
    ~ISoundPlayer() = default;
};

}  // namespace tavrin
