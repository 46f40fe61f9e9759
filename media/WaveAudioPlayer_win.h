#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <cstdint>
#include <vector>

#include "media/ISoundPlayer.h"
#include "media/PositionSmoother.h"
#include "media/SoundOutputProfile.h"
#include "media/StartLeadCorrection.h"
#include "media/WaveFile.h"
#include "media/WaveOutDevice_win.h"
#include "media/WaveResampling.h"
#include "ui/Window_win.h"

namespace tavrin {

// Plays the open recording's sound track through the waveform output in two alternating buffers
// of a fifth of a second, and reports the output position that paces the pictures. Its window is
// message-only: the device's completion callback (a system thread) does nothing but post
// WM_BUFFER_DONE to it, so every field is touched on the user-interface thread alone.
//
// Create with new; the window owns the object (destroying the window closes the device).
class WaveAudioPlayer : public Window, public ISoundPlayer {
public:
    static constexpr UINT WM_BUFFER_DONE = WM_USER + 1;

    // Creates the message-only window. `notifyWindow` receives WM_SOUND_DONE.
    explicit WaveAudioPlayer(HWND notifyWindow);
    ~WaveAudioPlayer() override;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Output ran to the end of the data (as opposed to being stopped).
    virtual bool isFinished();

    void open(const Path& path) override;
    void close() override;
    void play(std::int32_t ms) override;
    void stop() override;
    void pause() override;
    void resume() override;
    std::int32_t getState() override { return state_; }
    std::uint32_t getDataRate() override { return dataRate_; }
    std::int32_t getPosition() override;
    std::int32_t getVolume() override { return volume_; }
    void setVolume(std::int32_t volume) override;

    // The wall clock the video player runs on when no sound is open: timeGetTime at the last
    // play request and the position that request asked for.
    DWORD playStartTime() const { return playStartTime_; }
    std::int32_t startOffsetMs() const { return startOffsetMs_; }
    // The open output device, or null; for diagnostics, the player alone controls it.
    HWAVEOUT deviceHandle() const { return device_.get(); }

private:
    struct FeedResult {
        std::int32_t count = 0;  // bytes the chunk covered; 0 or less at the end of the data
        bool queued = false;     // the device accepted the buffer
    };

    static void CALLBACK deviceCallback(HWAVEOUT device, UINT message, DWORD_PTR instance,
                                        DWORD_PTR param1, DWORD_PTR param2);

    FeedResult feed(std::int64_t position);
    void bufferDone(DWORD_PTR generation, const WAVEHDR* header);
    // Discards everything queued. The device's byte counter starts again from 0.
    void resetDevice();
    // Stop and pause alike: hold the position, return the buffers, set the state.
    void haltOutput(bool paused, std::int32_t state);
    // The end of output: stopped state and WM_SOUND_DONE to the notify window.
    void endOutput(bool finished);
    void requireOpen() const;
    void releaseHeaders();

    HWND notifyWindow_ = nullptr;
    WaveOutDevice device_;
    std::array<WAVEHDR, 2> headers_{};
    std::array<bool, 2> prepared_{};
    // Which headers this output handed to the device and has not yet had back.
    std::array<bool, 2> queued_{};
    int nextHeader_ = 0;
    std::int32_t buffersQueued_ = 0;
    std::int32_t state_ = kSoundClosed;
    std::uint32_t dataRate_ = 0;
    std::int32_t startOffsetMs_ = 0;
    std::int32_t volume_ = 16;
    std::int32_t chunkStart_ = 0;
    // Byte after the chunk last queued; 0 means no further buffer is to be filled.
    std::int32_t chunkEnd_ = 0;
    WaveFormat format_{};
    std::vector<std::uint8_t> data_;
    std::int32_t dataLength_ = 0;
    std::int32_t chunkSize_ = 0;
    // The track's rate and the output's (see WaveResampling.h), and the track sample the
    // current output began at.
    RateConversion rates_{};
    SoundOutputProfile profile_{};
    std::int64_t origin_ = 0;
    std::vector<std::uint8_t> mixBuffer_;
    // A chunk of the track's samples at the output's rate, before they are widened.
    std::vector<std::uint8_t> trackChunk_;
    DWORD playStartTime_ = 0;
    // Takes off what a device claims to have played before it can have (see the class).
    StartLeadCorrection startLead_;
    // Evens out devices whose byte counter moves in coarse steps.
    PositionSmoother smoother_;
    bool finished_ = false;
    // Set by pause so that resume continues from the held position.
    bool paused_ = false;
    // Each output (play, and close) gets a new number, written into every header it queues.
    // A completion carrying an older number comes from buffers a reset took back and is ignored.
    DWORD_PTR generation_ = 0;
};

}  // namespace tavrin
