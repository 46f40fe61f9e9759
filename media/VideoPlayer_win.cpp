#include "media/VideoPlayer_win.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdio>

#include "media/BitmapHeader_win.h"
#include "media/DateNavigation.h"
#include "media/Image.h"
#include "media/PlaybackPacing.h"
#include "media/WaveAudioPlayer_win.h"
#include "ui/DrawingContext_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

constexpr unsigned kFolderGoneText = 5078;
constexpr unsigned kWarningCaption = 5005;
constexpr unsigned kNoNextDateText = 5065;
constexpr unsigned kNoPreviousDateText = 5066;
constexpr unsigned kSoundUnavailableText = 5501;
constexpr unsigned kUnreadableText = 5510;
// Entries beyond this index are never reached, as the list's users count in 16 bits.
constexpr std::int32_t kEntryLimit = 65536;
constexpr DWORD kCloseLockTimeoutMs = 3000;
constexpr int kOpeningTickMs = 35;

HBRUSH whiteBrush() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

}  // namespace

VideoPlayer::VideoPlayer(IVideoPlayerOwner& owner) : owner_(owner) {
    brightness_.setGamma(1.2);
    create(sharedChildParams(owner.ownerWindow(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, 640, 480));

    drawDib_ = DrawDibOpen();
    TIMECAPS caps = {};
    if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) {
        const UINT period = std::min(std::max<UINT>(caps.wPeriodMin, 1), caps.wPeriodMax);
        if (timeBeginPeriod(period) == TIMERR_NOERROR) timerPeriod_ = period;
    }
    try {
        soundPlayer_ = new WaveAudioPlayer(hwnd);
        loader_ = std::make_unique<ImageLoader>(hwnd);
    } catch (...) {
        // The window stays with its parent but no longer reaches this object; what was taken
        // from the system so far goes back.
        if (soundPlayer_) DestroyWindow(soundPlayer_->hwnd);
        if (drawDib_) DrawDibClose(drawDib_);
        if (timerPeriod_ != 0) timeEndPeriod(timerPeriod_);
        throw;
    }
}

VideoPlayer::~VideoPlayer() {
    try {
        close();
    } catch (...) {
        // Destruction goes on: the loader's own destructor still closes the archive.
    }
    loader_.reset();
    if (drawDib_) DrawDibClose(drawDib_);
    if (timerPeriod_ != 0) timeEndPeriod(timerPeriod_);
    if (soundPlayer_) DestroyWindow(soundPlayer_->hwnd);
}

LRESULT VideoPlayer::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        fillClient(hwnd, reinterpret_cast<HDC>(wParam), whiteBrush());
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_TIMER:
        KillTimer(hwnd, 0);
        tick();
        return 0;
    case WM_TICK:
        // A tick armed for a recording closed since may still be queued, and be handled while
        // the scan of the next one lets messages through: it belongs to nothing now.
        if (loader_->isCurrent(wParam)) tick();
        return 0;
    case WM_SOUND_DONE:
        soundEnded();
        return 0;
    case WM_PICTURE_READY: {
        std::unique_ptr<Image> picture(reinterpret_cast<Image*>(lParam));
        // A picture posted just before the loader was cancelled shows a recording closed since.
        if (loader_->isCurrent(wParam)) pictureArrived(frameIndexOf(wParam), picture.release());
        return 0;
    }
    default:
        return Window::handleMessage(message, wParam, lParam);
    }
}

ISoundPlayer& VideoPlayer::soundPlayer() { return *soundPlayer_; }

std::int32_t VideoPlayer::frameCount() const { return frameInfo_ ? frameInfo_->frameCount() : 0; }

std::int32_t VideoPlayer::clampFrame(std::int32_t frame) const {
    return tavrin::clampFrame(frame, frameCount());
}

// --- The recording list -------------------------------------------------------------------

std::int32_t VideoPlayer::loadFolderList(const Path& path) {
    return listArchives(path, recordings_, recordingCount_);
}

void VideoPlayer::forgetRecordings() {
    recordings_.clear();
    recordingCount_ = 0;
    recordingIndex_ = 0;
}

std::int32_t VideoPlayer::setSingleRecording(const Path& path) {
    recordings_.clear();
    auto entry = std::make_unique<ArchiveEntry>();
    entry->path = path.substr(0, MAX_PATH - 1);
    recordings_.push_back(std::move(entry));
    recordingCount_ = 0;
    return 0;
}

const ArchiveEntry* VideoPlayer::entryAt(std::int32_t index) const {
    if (index < 0 || index >= kEntryLimit || recordings_.empty()) return nullptr;
    if (static_cast<std::size_t>(index) >= recordings_.size()) return nullptr;
    return recordings_[static_cast<std::size_t>(index)].get();
}

Path VideoPlayer::recordingPathAt(std::int32_t index) const {
    const ArchiveEntry* entry = entryAt(index);
    return entry ? entry->path : Path();
}

std::int64_t VideoPlayer::entryTime(std::int32_t index) const {
    const ArchiveEntry* entry = entryAt(index);
    return entry ? entry->startTime : 0;
}

bool VideoPlayer::isDifferentDate(std::int32_t a, std::int32_t b) const {
    return !isSameDay(calendarDayOf(entryTime(a)), calendarDayOf(entryTime(b)));
}

// --- Opening and closing ------------------------------------------------------------------

bool VideoPlayer::openRecording(std::int32_t index) {
    const Path path = recordingPathAt(index);
    if (path.empty()) return false;
    recordingPath_ = path;
    close();
    repaint(true);
    owner_.refreshControls();
    frameShown_ = false;
    repaint(true);
    frameDuration_ = kFrameDurationMs;
    tickInterval_ = kOpeningTickMs;
    folderPath_ = parentFolderOf(path);
    showLoadingProgress(10);
    owner_.discardPlot();
    owner_.repaintInformation();
    recordingIndex_ = index;

    owner_.enterBusy();
    try {
        loader_->openArchive(path, this);
    } catch (const VideoArchiveException&) {
        owner_.leaveBusy();
        return false;
    } catch (const Exception& failure) {
        owner_.leaveBusy();
        repaint(true);
        throw Exception(failure.message());
    }
    owner_.leaveBusy();

    frameInfo_ = loader_->createFrameInfo();
    frameInfo_->collectMarkedFrames();
    repaint(true);
    owner_.discardPlot();
    owner_.repaintInformation();
    try {
        requestPicture();
    } catch (const DataMissingException&) {
        return true;
    }
    try {
        soundPlayer_->open(loader_->archive().soundFilePath());
    } catch (...) {
        // Without its sound the recording still plays, timed by the wall clock.
    }
    state_ = kStopped;
    owner_.refreshControls();
    return true;
}

void VideoPlayer::close() {
    loader_->cancel();
    soundPlayer_->close();
    state_ = kNone;
    currentFrame_ = 0;
    // The view refers to the archive, so it goes before the archive closes.
    frameInfo_.reset();
    folderPath_.clear();
    shownImage_.reset();
    pictureOwed_ = false;
    ImageLoader::ArchiveLock lock(*loader_, kCloseLockTimeoutMs);
    if (lock.acquired()) lock.archive().close();
}

// --- Playback control ---------------------------------------------------------------------

void VideoPlayer::playFrom(std::int32_t frame) {
    // A closed player is never started again: a caller that decided to play before the recording
    // went (a slider drag that began while it played) would find the folder gone a second time.
    if (!frameInfo_) return;
    state_ = kPlaying;
    owner_.refreshControls();
    currentFrame_ = clampFrame(frame);
    try {
        soundPlayer_->play(msAtFrame(currentFrame_, frameDuration_));
    } catch (const Exception&) {
        // No sound open: the play request still set the wall clock the ticks then run on.
    }
    advanceTick();
}

void VideoPlayer::resume() {
    if (!frameInfo_) return;
    state_ = kPlaying;
    owner_.refreshControls();
    try {
        playFrom(currentFrame_);
    } catch (const Exception&) {
    }
    advanceTick();
}

void VideoPlayer::pause() {
    if (state_ != kNone) {
        state_ = kPaused;
        owner_.refreshControls();
    }
    try {
        soundPlayer_->pause();
    } catch (const Exception&) {
    }
}

void VideoPlayer::stop() {
    if (state_ != kNone) {
        state_ = kStopped;
        owner_.refreshControls();
    }
    try {
        soundPlayer_->stop();
    } catch (const Exception&) {
    }
}

void VideoPlayer::seek(std::int32_t frame) {
    if (state_ == kNone) return;
    if (state_ == kPlaying || state_ == kPaused) stop();
    const std::int32_t target = clampFrame(frame);
    if (target == currentFrame_) return;
    currentFrame_ = target;
    try {
        requestPicture();
        syncTick();
        UpdateWindow(hwnd);
    } catch (const DataMissingException&) {
    }
}

// --- Ticks ----------------------------------------------------------------------------------

void VideoPlayer::tick() {
    // Nothing open, or a recording still being read: nothing to pace, no timer to re-arm and no
    // picture to ask for (the folder looked for would be unset, or a half-read archive's).
    if (!frameInfo_) return;
    if (!frameShown_) {
        advanceTick();
        return;
    }
    syncTick();
    // Stopped or paused, no tick asks for a picture any more: a seek's request that the busy
    // loader dropped is asked again here, or the screen would keep showing another frame.
    if (pictureOwed_ && state_ != kPlaying) {
        try {
            requestPicture();
        } catch (const DataMissingException&) {
        }
    }
}

void VideoPlayer::advanceTick() {
    endReached_ = false;
    currentFrame_ = clampFrame(frameShown_ ? currentFrame_ + 1 : currentFrame_);
    // While a clock runs, the next tick aims at the middle of the next frame; otherwise the
    // plain period.
    loader_->armTimer(static_cast<DWORD>(nextTickMs_ > 0 ? nextTickMs_ : tickInterval_));
    nextTickMs_ = 0;
    try {
        requestPicture();
    } catch (const DataMissingException&) {
        // Already reported; the armed timer stays, and the next tick finds nothing open.
    }
}

void VideoPlayer::syncTick() {
    owner_.refreshControls();
    switch (soundPlayer_->getState()) {
    case kSoundPlaying: {
        const std::int32_t position = soundPlayer_->getPosition();
        currentFrame_ = clampFrame(frameAtMs(position, frameDuration_));
        nextTickMs_ = msToNextMidFrame(position, frameDuration_);
        break;
    }
    case kSoundClosed: {
        if (state_ != kPlaying) return;
        // The wall clock since the last play request stands in for the sound clock. Clamped
        // like the sound position, so the panels never see a frame past the end.
        const DWORD elapsed = timeGetTime() +
                              static_cast<DWORD>(soundPlayer_->startOffsetMs()) -
                              soundPlayer_->playStartTime();
        currentFrame_ = clampFrame(frameAtMs(static_cast<double>(elapsed), frameDuration_));
        nextTickMs_ = msToNextMidFrame(static_cast<double>(elapsed), frameDuration_);
        break;
    }
    default:
        break;
    }
    if (state_ != kPlaying) return;
    if (currentFrame_ < frameCount() - 1) {
        advanceTick();
        return;
    }
    endReached_ = true;
    // The picture is at its end; the sound finishing completes the recording.
    if (soundPlayer_->getState() == kSoundPlaying) return;
    finishRecording();
}

void VideoPlayer::soundEnded() {
    if (endReached_ && soundPlayer_->isFinished()) finishRecording();
}

void VideoPlayer::finishRecording() {
    state_ = kStopped;
    owner_.refreshControls();
    if (recordingIndex_ < recordingCount_ - 1) owner_.stepRecording(true);
}

// --- Pictures -------------------------------------------------------------------------------

void VideoPlayer::requestPicture() {
    if (!isDirectory(folderPath_)) {
        // Checked on every request, so taking the card out stops playback at the next tick.
        owner_.onFolderGone();
        warn(owner_.ownerWindow(), kFolderGoneText);
        throw DataMissingException{};
    }
    const bool accepted = loader_->tryRequest(clampFrame(currentFrame_));
    pictureOwed_ = !accepted && state_ != kPlaying;
    if (pictureOwed_) loader_->armTimer(static_cast<DWORD>(tickInterval_));
}

void VideoPlayer::pictureArrived(std::int32_t, Image* image) {
    frameShown_ = true;
    // A picture that could not be decoded leaves the previous one on screen.
    if (image) shownImage_.reset(image);
    repaint(false);
}

void VideoPlayer::repaint(bool erase) {
    InvalidateRect(hwnd, nullptr, erase ? TRUE : FALSE);
    UpdateWindow(hwnd);
}

void VideoPlayer::paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (!shownImage_) {
        FillRect(dc, &client, whiteBrush());
        return;
    }
    std::unique_ptr<Image> corrected = shownImage_->clone();
    if (!corrected) return;
    brightness_.apply(*corrected);
    const PictureBox box = fitPictureBox(client.right - client.left, client.bottom - client.top);
    BITMAPINFO info = {};
    info.bmiHeader = bitmapHeaderFor(*corrected);
    if (drawDib_) {
        DrawDibDraw(drawDib_, dc, box.x, box.y, box.width, box.height, &info.bmiHeader,
                    corrected->pixels(), 0, 0, corrected->width(), corrected->height(), 0);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        StretchDIBits(dc, box.x, box.y, box.width, box.height, 0, 0, corrected->width(),
                      corrected->height(), corrected->pixels(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
}

// --- Scan observer --------------------------------------------------------------------------

void VideoPlayer::showLoadingProgress(int percent) {
    wchar_t text[256];
    std::swprintf(text, 256, L"Now Loading...%d%%", percent);
    WindowDc dc(hwnd);
    if (!dc.get()) return;
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc.get(), &client, whiteBrush());
    const int length = static_cast<int>(wcslen(text));
    SIZE extent = {};
    GetTextExtentPoint32W(dc.get(), text, length, &extent);
    TextOutW(dc.get(), (client.right - client.left - extent.cx) / 2,
             (client.bottom - client.top - extent.cy) / 2, text, length);
}

void VideoPlayer::dispatchPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, owner_.ownerWindow(), 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void VideoPlayer::warnSoundUnavailable() { warn(nullptr, kSoundUnavailableText); }

void VideoPlayer::warn(HWND owner, int textId) {
    MessageBoxW(owner, loadMessage(static_cast<unsigned>(textId)).c_str(),
                loadMessage(kWarningCaption).c_str(), MB_ICONWARNING);
}

// --- Date navigation ------------------------------------------------------------------------

bool VideoPlayer::openRecordingAndTick(std::int32_t index) {
    recordingIndex_ = index;
    if (!openRecording(index)) return false;
    tick();
    return true;
}

void VideoPlayer::openAdjacentDate(bool previous) {
    const std::int64_t currentTime = entryTime(recordingIndex_);
    const CalendarDay currentDay = calendarDayOf(currentTime);
    if (state_ == kPlaying) pause();
    if (currentTime == 0) return;

    if (!previous) {
        for (std::int32_t i = recordingIndex_ + 1; i < recordingCount_; ++i) {
            if (!isEarlierDay(currentDay, calendarDayOf(entryTime(i)))) continue;
            if (openRecordingAndTick(i)) return;
            if (i == recordingCount_ - 1)
                throw VideoArchiveException(loadMessage(kUnreadableText));
        }
        warn(hwnd, kNoNextDateText);
        throw Exception();
    }

    const std::int32_t target = previousDateIndex(
        recordingIndex_, [this](std::int32_t i) { return calendarDayOf(entryTime(i)); });
    if (target < 0) {
        warn(hwnd, kNoPreviousDateText);
        throw Exception();
    }
    if (!openRecordingAndTick(target)) throw VideoArchiveException(loadMessage(kUnreadableText));
}

}  // namespace tavrin
