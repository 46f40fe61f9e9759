#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <string>

#include "media/KernelHandle_win.h"
#include "recording/Platform.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"

namespace tavrin {

class ScanObserver;

// Posted to the owner when an armed due time has passed; lParam 0.
constexpr UINT WM_TICK = WM_USER + 1;
// Posted to the owner when a requested picture is done: lParam the new Image or 0 when it could
// not be read or decoded. The receiver owns the Image and must delete it, stale or not.
constexpr UINT WM_PICTURE_READY = WM_USER + 100;

// wParam of both messages: the low 32 bits the frame index (0 for a tick), the high 32 bits the
// loader's generation when the request was made or the tick armed. A message still queued when
// the owner cancelled (closed its recording) carries an older generation than the loader's, so
// the owner can tell it from one of the recording opened since (ImageLoader::isCurrent).
static_assert(sizeof(WPARAM) == 8, "the generation travels in the high half of wParam");
constexpr WPARAM loaderMessageParam(std::int32_t index, std::uint32_t generation) {
    return static_cast<WPARAM>(generation) << 32 | static_cast<std::uint32_t>(index);
}
constexpr std::int32_t frameIndexOf(WPARAM wParam) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu));
}
constexpr std::uint32_t generationOf(WPARAM wParam) {
    return static_cast<std::uint32_t>(wParam >> 32);
}

// Decodes pictures of its archive on a worker thread, one at a time, and doubles as the owner's
// one-shot millisecond tick. A request made while a decode runs is refused, not queued, so the
// owner always gets a recent frame and slow decoding skips frames.
class ImageLoader {
public:
    // Starts the worker. `notifyWindow` receives the messages above; nothing is posted while it
    // is null. Throws WindowException when a kernel object or the thread cannot be created.
    explicit ImageLoader(HWND notifyWindow);
    ImageLoader(const ImageLoader&) = delete;
    ImageLoader& operator=(const ImageLoader&) = delete;
    // Stops the worker and waits for it: a decode still running finishes first and its picture
    // is thrown away. Then the archive is closed.
    virtual ~ImageLoader();

    // Opens `path` in the archive under the request lock, waiting at most 3000 ms for it.
    // Throws ImageException (5511) when the lock cannot be had, and passes on the archive's
    // VideoArchiveException. `observer` (may be null) follows the scan.
    void openArchive(const Path& path, ScanObserver* observer);

    // A frame information view over the archive, owned by the caller.
    std::unique_ptr<VideoInfo07> createFrameInfo() const;

    // Asks for the picture of `index` without waiting: false when a decode holds the lock (the
    // request is dropped and the owner asks again at its next tick).
    bool tryRequest(std::int32_t index);

    // One WM_TICK once `intervalMs` milliseconds of timeGetTime have passed; arming again
    // replaces the due time.
    void armTimer(DWORD intervalMs);

    // Disarms the tick and throws away the picture of every request made before this call that
    // has not been posted yet. Never waits. What was posted already is left to isCurrent.
    void cancel();

    // The generation of requests and ticks since the last cancel: 31 bits, as it is kept beside
    // the tick's due time in one word.
    static constexpr std::uint32_t kGenerationMask = 0x7FFFFFFF;
    std::uint32_t generation() const { return generation_.load() & kGenerationMask; }
    // Whether a WM_TICK or WM_PICTURE_READY with this wParam was made since the last cancel; one
    // made before it belongs to a recording closed since and is to be ignored.
    bool isCurrent(WPARAM wParam) const { return generationOf(wParam) == generation(); }

    // The request lock held by the owner for direct use of the archive (reading its slots,
    // closing or reopening it). Same-thread use nests.
    class ArchiveLock {
    public:
        ArchiveLock(ImageLoader& loader, DWORD timeoutMs);
        ~ArchiveLock();
        ArchiveLock(const ArchiveLock&) = delete;
        ArchiveLock& operator=(const ArchiveLock&) = delete;

        bool acquired() const { return acquired_; }
        // Only while acquired.
        VideoArchive& archive() { return loader_.archive_; }

    private:
        ImageLoader& loader_;
        bool acquired_;
    };

    // The archive, for reads by the owner on its own thread between its locked operations.
    const VideoArchive& archive() const { return archive_; }

    // Called on the worker, holding the request lock, just before each decode: lets a test hold a
    // decode "running" for as long as it needs instead of racing the worker. Set it before the
    // first request.
    void setBeforeDecodeForTesting(std::function<void(std::int32_t index)> hook) {
        beforeDecode_ = std::move(hook);
    }

    // The names of the request event and lock, unique to this loader.
    const std::wstring& eventName() const { return eventName_; }
    const std::wstring& lockName() const { return lockName_; }

private:
    static DWORD WINAPI threadEntry(LPVOID parameter);
    void run();
    // Milliseconds until the armed tick is due (0 when overdue), INFINITE when none is armed.
    DWORD timeUntilTick() const;
    void checkTimer();

    // Declared first so that it is destroyed last, after the worker has ended.
    VideoArchive archive_;
    const HWND notifyWindow_;
    std::wstring eventName_;
    std::wstring lockName_;
    KernelHandle requestEvent_;
    KernelHandle requestLock_;
    // The worker's own handles to the same two objects, opened by name.
    KernelHandle workerEvent_;
    KernelHandle workerLock_;
    // Wakes the worker when the tick is armed or the loader goes, so between requests it sleeps
    // until the tick is due instead of polling every millisecond.
    KernelHandle wakeEvent_;
    KernelHandle thread_;
    DWORD threadId_ = 0;

    std::function<void(std::int32_t)> beforeDecode_;
    // Guarded by the request lock.
    std::int32_t requestedIndex_ = 0;
    std::uint32_t requestGeneration_ = 0;

    // Bumped by cancel; a decode whose request carries an older value is thrown away. A counter
    // instead of a flag, so a cancel that races with the end of a decode cannot discard the next.
    std::atomic<std::uint32_t> generation_{0};
    std::atomic<bool> quit_{false};
    // Bits 0-31 the due time, bit 32 armed, bits 33-63 the generation it was armed in: one word,
    // so the worker never pairs the flag with another arming's due time or generation, and a
    // re-arm racing with a tick is never lost.
    std::atomic<std::uint64_t> timer_{0};
};

}  // namespace tavrin
