#pragma once

#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/GammaCorrection.h"
#include "media/ImageLoader_win.h"
#include "media/IVideoPlayerOwner_win.h"
#include "recording/ArchiveListing.h"
#include "recording/ScanObserver.h"
#include "recording/VideoInfo07.h"
#include "ui/Window_win.h"

namespace tavrin {

class Image;
class WaveAudioPlayer;
class ISoundPlayer;

// The playback window: one picture of the open recording, fitted into a 4:3 box and
// brightness-corrected, paced by the sound clock. A tick every 35 ms reads the sound position,
// takes the frame under it, steps one ahead and asks the loader thread for that picture; a
// request made while the loader is busy is dropped, so slow decoding skips frames instead of
// slowing the sound.
//
// Create with new; the window owns the object (it is a child of the owner's window).
class VideoPlayer : public Window, public ScanObserver {
public:
    enum State : std::int32_t { kNone = 0, kPlaying = 1, kStopped = 2, kPaused = 3 };

    explicit VideoPlayer(IVideoPlayerOwner& owner);
    ~VideoPlayer() override;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Lists the archives of the folder of `path` in start-time order and returns the position
    // of `path` among them. Passes on the listing's VideoArchiveException (5510).
    std::int32_t loadFolderList(const Path& path);
    // An empty list, as before anything was chosen.
    void forgetRecordings();
    // A list of just `path`, with no neighbours and no dates to step through.
    std::int32_t setSingleRecording(const Path& path);
    // The path of entry `index`, empty when there is none.
    Path recordingPathAt(std::int32_t index) const;

    // Opens entry `index`, stopped on its first frame. False when the archive cannot be read;
    // other failures are thrown as Exception after the owner has left its busy state.
    bool openRecording(std::int32_t index);
    void close();

    // Both do nothing while no recording is open.
    void playFrom(std::int32_t frame);
    void resume();
    void pause();
    void stop();
    // Stops playback and shows `frame` (clamped); nothing when no recording is open.
    void seek(std::int32_t frame);

    // Opens the first recording of the next (or previous) calendar day, stopped. When there is
    // none, warns (5065 / 5066) and throws an Exception without a message; VideoArchiveException
    // (5510) when the chosen recording cannot be read.
    void openAdjacentDate(bool previous);
    bool isDifferentDate(std::int32_t a, std::int32_t b) const;

    std::int32_t clampFrame(std::int32_t frame) const;

    // ScanObserver: the archive reader reports its progress here while it scans.
    void showLoadingProgress(int percent) override;
    void dispatchPendingMessages() override;
    void warnSoundUnavailable() override;

    // Read access for the panels.
    std::int32_t state() const { return state_; }
    std::int32_t currentFrame() const { return currentFrame_; }
    std::int32_t frameCount() const;
    const VideoInfo07* frameInfo() const { return frameInfo_.get(); }
    std::int32_t recordingIndex() const { return recordingIndex_; }
    std::int32_t recordingCount() const { return recordingCount_; }
    const Path& recordingPath() const { return recordingPath_; }
    ISoundPlayer& soundPlayer();
    GammaCorrection& brightness() { return brightness_; }
    bool frameShown() const { return frameShown_; }
    bool endReached() const { return endReached_; }
    // The picture on screen, before brightness; null when none.
    const Image* shownImage() const { return shownImage_.get(); }
    // The multimedia timer resolution in force for the player's life, 0 when none was granted.
    UINT timerPeriod() const { return timerPeriod_; }
    bool usesDrawDib() const { return drawDib_ != nullptr; }

protected:
    // The picture arrival, the two tick forms and the end of the sound, for the message handler
    // and for code that watches the player (benchmarks).
    void pictureArrived(std::int32_t frame, Image* image);
    void advanceTick();
    void syncTick();
    void soundEnded();
    // The sound player's window, which owns it.
    WaveAudioPlayer& waveAudio() { return *soundPlayer_; }

private:
    void tick();
    // Throws DataMissingException after warning when the folder has gone.
    void requestPicture();
    void paint(HDC dc);
    void repaint(bool erase);
    void finishRecording();
    bool openRecordingAndTick(std::int32_t index);
    const ArchiveEntry* entryAt(std::int32_t index) const;
    std::int64_t entryTime(std::int32_t index) const;
    void warn(HWND owner, int textId);

    IVideoPlayerOwner& owner_;
    WaveAudioPlayer* soundPlayer_ = nullptr;  // owned by its window, destroyed with it
    std::int32_t state_ = kNone;
    std::int32_t currentFrame_ = 0;
    std::int32_t tickInterval_ = 100;
    // Set by a synchronising tick from its clock reading for the tick it arms next; 0 for none.
    std::int32_t nextTickMs_ = 0;
    double frameDuration_ = 35.7142;
    bool endReached_ = false;
    bool frameShown_ = false;
    // A request made while not playing was dropped by the busy loader; the next tick asks again.
    bool pictureOwed_ = false;
    std::int32_t recordingIndex_ = 0;
    std::vector<std::unique_ptr<ArchiveEntry>> recordings_;
    std::int32_t recordingCount_ = 0;
    UINT timerPeriod_ = 0;
    std::unique_ptr<VideoInfo07> frameInfo_;
    Path folderPath_;
    Path recordingPath_;
    std::unique_ptr<Image> shownImage_;
    GammaCorrection brightness_;
    HDRAWDIB drawDib_ = nullptr;
    std::unique_ptr<ImageLoader> loader_;
};

}  // namespace tavrin
