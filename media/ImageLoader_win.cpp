#include "media/ImageLoader_win.h"

#include <mmsystem.h>

#include <cstdio>

#include "media/Image.h"
#include "recording/LocalTime.h"
#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {

namespace {

constexpr DWORD kOpenLockTimeoutMs = 3000;
constexpr DWORD kWorkerWaitMs = 1;
constexpr std::uint64_t kTimerArmed = std::uint64_t{1} << 32;
constexpr int kTimerGenerationShift = 33;

// An abandoned lock is ours all the same; what it guards is left consistent at every step.
bool takeLock(HANDLE lock, DWORD timeoutMs) {
    DWORD result = WaitForSingleObject(lock, timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

// Releases a lock taken by takeLock when the scope ends, however it ends.
class HeldLock {
public:
    explicit HeldLock(HANDLE lock) : lock_(lock) {}
    ~HeldLock() { ReleaseMutex(lock_); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    HANDLE lock_;
};

// The low 32 bits of the local time as seconds since 1970, as the names have always carried it.
long localSeconds() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::int64_t seconds =
        makeLocalTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    return static_cast<long>(static_cast<std::int32_t>(seconds & 0xFFFFFFFF));
}

// Address, process id and time: the address alone repeats in another copy of the program, and
// two copies started in the same second must not share a loader's objects.
std::wstring kernelName(const wchar_t* prefix, const void* loader, long seconds) {
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls%016llX_%lu_%ld", prefix,
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(loader)),
                  static_cast<unsigned long>(GetCurrentProcessId()), seconds);
    return name;
}

[[noreturn]] void throwLastError() { throw describeError(GetLastError()); }

// A freshly created named object; another one of that name already existing would mean sharing
// requests with a stranger, so that is a failure too.
HANDLE checkedCreate(HANDLE handle) {
    if (handle == nullptr) throwLastError();
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        throw describeError(ERROR_ALREADY_EXISTS);
    }
    return handle;
}

}  // namespace

ImageLoader::ImageLoader(HWND notifyWindow) : notifyWindow_(notifyWindow) {
    const long seconds = localSeconds();
    eventName_ = kernelName(L"event", this, seconds);
    lockName_ = kernelName(L"mutex", this, seconds);

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = nullptr;
    attributes.bInheritHandle = TRUE;

    SetLastError(0);
    requestEvent_.reset(checkedCreate(CreateEventW(&attributes, FALSE, FALSE, eventName_.c_str())));
    SetLastError(0);
    requestLock_.reset(checkedCreate(CreateMutexW(&attributes, FALSE, lockName_.c_str())));
    // Opened here rather than on the worker, so a failure is reported to the constructing caller
    // instead of leaving a worker that can never see a request.
    workerEvent_.reset(OpenEventW(EVENT_ALL_ACCESS, FALSE, eventName_.c_str()));
    if (!workerEvent_) throwLastError();
    workerLock_.reset(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, lockName_.c_str()));
    if (!workerLock_) throwLastError();
    wakeEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!wakeEvent_) throwLastError();

    thread_.reset(CreateThread(&attributes, 0, &ImageLoader::threadEntry, this, CREATE_SUSPENDED,
                               &threadId_));
    if (!thread_) throwLastError();
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_NORMAL);
    if (ResumeThread(thread_.get()) == static_cast<DWORD>(-1)) {
        DWORD error = GetLastError();
        // It never ran a line, so nothing is left half done.
        TerminateThread(thread_.get(), 0);
        WaitForSingleObject(thread_.get(), INFINITE);
        throw describeError(error);
    }
}

ImageLoader::~ImageLoader() {
    if (thread_) {
        quit_.store(true);
        SetEvent(wakeEvent_.get());
        // No time limit: the worker may be inside a decode that reads the archive, and the
        // archive goes away below. Woken by the event, it sees the flag once the decode ends.
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    workerEvent_.reset();
    workerLock_.reset();
    requestEvent_.reset();
    requestLock_.reset();
    // archive_ closes itself as it is destroyed.
}

void ImageLoader::openArchive(const Path& path, ScanObserver* observer) {
    ArchiveLock lock(*this, kOpenLockTimeoutMs);
    if (!lock.acquired()) throw ImageException(loadMessage(5511));
    // A VideoArchiveException passes through; the lock is released on the way out.
    archive_.open(path, observer);
}

std::unique_ptr<VideoInfo07> ImageLoader::createFrameInfo() const {
    return std::make_unique<VideoInfo07>(archive_);
}

bool ImageLoader::tryRequest(std::int32_t index) {
    if (!takeLock(requestLock_.get(), 0)) return false;
    {
        HeldLock held(requestLock_.get());
        requestedIndex_ = index;
        requestGeneration_ = generation_.load();
    }
    // Signalled only once the lock is free again: a worker woken while this thread still held it
    // would give up after its short wait whenever this thread lost the processor in between, and
    // the request would be lost.
    SetEvent(requestEvent_.get());
    return true;
}

void ImageLoader::armTimer(DWORD intervalMs) {
    const DWORD due = timeGetTime() + intervalMs;
    timer_.store(std::uint64_t{generation()} << kTimerGenerationShift | kTimerArmed | due);
    // A worker asleep until an earlier due time, or with none armed, looks again.
    SetEvent(wakeEvent_.get());
}

void ImageLoader::cancel() {
    timer_.store(0);
    generation_.fetch_add(1);
}

ImageLoader::ArchiveLock::ArchiveLock(ImageLoader& loader, DWORD timeoutMs)
    : loader_(loader), acquired_(takeLock(loader.requestLock_.get(), timeoutMs)) {}

ImageLoader::ArchiveLock::~ArchiveLock() {
    if (acquired_) ReleaseMutex(loader_.requestLock_.get());
}

DWORD WINAPI ImageLoader::threadEntry(LPVOID parameter) {
    try {
        static_cast<ImageLoader*>(parameter)->run();
    } catch (...) {
        // Nothing may leave the thread; the loader simply stops serving.
    }
    return 0;
}

void ImageLoader::run() {
    const HANDLE lock = workerLock_.get();
    const HANDLE wakers[] = {workerEvent_.get(), wakeEvent_.get()};
    while (!quit_.load()) {
        // A request or the due time of the tick, whichever comes first: a waiting worker costs
        // nothing, where a poll every millisecond kept a core busy waking up under some systems.
        const DWORD wait = WaitForMultipleObjects(2, wakers, FALSE, timeUntilTick());
        if (quit_.load()) break;
        if (wait == WAIT_FAILED) Sleep(kWorkerWaitMs);
        // A request whose lock cannot be had within a millisecond is lost: the event has reset
        // itself, and the owner asks again at its next tick.
        if (wait == WAIT_OBJECT_0 && notifyWindow_ != nullptr && takeLock(lock, kWorkerWaitMs)) {
            HeldLock held(lock);
            const std::int32_t index = requestedIndex_;
            const std::uint32_t generation = requestGeneration_;
            if (beforeDecode_) beforeDecode_(index);
            std::unique_ptr<Image> image = archive_.readFrameImage(index);
            if (!quit_.load() && generation_.load() == generation) {
                Image* picture = image.release();
                if (!PostMessageW(notifyWindow_, WM_PICTURE_READY,
                                  loaderMessageParam(index, generation & kGenerationMask),
                                  reinterpret_cast<LPARAM>(picture))) {
                    // Nobody will receive it, so it is still ours to delete.
                    delete picture;
                }
            }
        }
        checkTimer();
    }
}

DWORD ImageLoader::timeUntilTick() const {
    const std::uint64_t state = timer_.load();
    if ((state & kTimerArmed) == 0) return INFINITE;
    const std::int32_t left = static_cast<std::int32_t>(static_cast<DWORD>(state) - timeGetTime());
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

void ImageLoader::checkTimer() {
    std::uint64_t state = timer_.load();
    if ((state & kTimerArmed) == 0) return;
    const DWORD due = static_cast<DWORD>(state);
    // Wrap-safe: a due time just past the 49.7-day wrap of the clock is not already reached.
    if (static_cast<std::int32_t>(timeGetTime() - due) < 0) return;
    // Fails when the owner re-armed or cancelled meanwhile; the new state is honoured next round.
    if (!timer_.compare_exchange_strong(state, 0)) return;
    if (notifyWindow_ != nullptr) {
        const auto armedIn = static_cast<std::uint32_t>(state >> kTimerGenerationShift);
        PostMessageW(notifyWindow_, WM_TICK, loaderMessageParam(0, armedIn), 0);
    }
}

}  // namespace tavrin
