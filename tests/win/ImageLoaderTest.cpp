#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "media/Image.h"
#include "media/ImageLoader_win.h"
#include "tests/e2e/ProcessFigures.h"
#include "tests/win/MessagePump.h"
#include "tests/recording/ArchiveFixtures.h"
#include "ui/AppInstance_win.h"
#include "ui/Exception.h"
#include "ui/Messages.h"
#include "ui/Window_win.h"

namespace tavrin {
namespace {

using test::pumpFor;
using test::pumpUntil;

using test::ArchiveBuilder;
using test::TestFolder;

// What the owner window received, kept outside the window object, which its routing deletes.
struct Inbox {
    struct Picture {
        std::int32_t index;
        std::unique_ptr<Image> image;
        DWORD at;
    };
    std::vector<Picture> pictures;
    std::vector<DWORD> ticks;
};

class Owner : public test::MessageOnlyWindow {
public:
    explicit Owner(Inbox& inbox) : inbox_(inbox) {}
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PICTURE_READY) {
            inbox_.pictures.push_back({static_cast<std::int32_t>(static_cast<LONG_PTR>(wParam)),
                                       std::unique_ptr<Image>(reinterpret_cast<Image*>(lParam)),
                                       timeGetTime()});
            return 0;
        }
        if (message == WM_TICK) {
            inbox_.ticks.push_back(timeGetTime());
            return 0;
        }
        return MessageOnlyWindow::handleMessage(message, wParam, lParam);
    }

private:
    Inbox& inbox_;
};


// Whether a thread other than the test's could take the loader's lock right now. Another
// thread, because the lock nests for a thread that already holds it.
bool lockIsFree(const std::wstring& name) {
    bool free = false;
    std::thread probe([&] {
        HANDLE lock = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
        if (lock == nullptr) return;
        DWORD result = WaitForSingleObject(lock, 0);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            free = true;
            ReleaseMutex(lock);
        }
        CloseHandle(lock);
    });
    probe.join();
    return free;
}

// Holds the worker inside a decode until released, so a test knows a decode is running without
// racing the worker for its lock.
class DecodeGate {
public:
    explicit DecodeGate(ImageLoader& loader)
        : entered_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        loader.setBeforeDecodeForTesting([this](std::int32_t) {
            SetEvent(entered_);
            WaitForSingleObject(release_, 10000);
        });
    }
    ~DecodeGate() {
        release();
        CloseHandle(entered_);
        CloseHandle(release_);
    }
    DecodeGate(const DecodeGate&) = delete;
    DecodeGate& operator=(const DecodeGate&) = delete;

    // Asks for `index` until its decode has started and is held, asking again when the worker
    // dropped the request (see requestAndWait).
    template <typename Loader>
    bool requestAndHold(Loader& loader, std::int32_t index) {
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (loader.tryRequest(index) && WaitForSingleObject(entered_, 500) == WAIT_OBJECT_0) {
                return true;
            }
        }
        return false;
    }
    void release() { SetEvent(release_); }

private:
    HANDLE entered_;
    HANDLE release_;
};

// The kernel handles and threads of this process, counted as the end-to-end tests count the
// viewer's.
long handleCount() { return e2e::readProcessFigures(GetCurrentProcessId()).handles; }
long threadCount() { return e2e::readProcessFigures(GetCurrentProcessId()).threads; }

// Holds a loader's lock on a thread of its own until released.
class LockHolder {
public:
    explicit LockHolder(const std::wstring& name)
        : held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, name] {
            HANDLE lock = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
            WaitForSingleObject(lock, INFINITE);
            SetEvent(held_);
            WaitForSingleObject(release_, INFINITE);
            ReleaseMutex(lock);
            CloseHandle(lock);
        });
        WaitForSingleObject(held_, 5000);
    }
    ~LockHolder() {
        release();
        CloseHandle(held_);
        CloseHandle(release_);
    }
    void release() {
        SetEvent(release_);
        if (thread_.joinable()) thread_.join();
    }

private:
    HANDLE held_;
    HANDLE release_;
    std::thread thread_;
};

constexpr int kSmallSlots = 3;  // slots 0-2: small pictures told apart by their red
constexpr int kSlowSlot = 3;    // a picture large enough that its decode takes a while
constexpr std::uint8_t kShades[kSmallSlots] = {10, 120, 230};

// The largest solid picture that still fits the ten blocks a picture may take.
test::Bytes slowJpeg(int& side) {
    for (side = 2400;; side -= 80) {
        test::Bytes jpeg = test::encodeJpeg(test::solidPicture(side, side, 3, {90, 90, 90}),
                                      test::JpegKind::Colour, 75);
        if (test::blocksFor(jpeg.size()) <= 10) return jpeg;
    }
}

class ImageLoaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new TestFolder;
        ArchiveBuilder builder(test::headerAt());
        for (int i = 0; i < kSmallSlots; ++i) {
            builder.addPicture(test::smallJpeg(kShades[i]), test::tickOfSlot(i), test::fieldsAt(0));
        }
        builder.addPicture(slowJpeg(slowSide_), test::tickOfSlot(kSlowSlot), test::fieldsAt(0));
        archivePath_ = new Path(test::writeArchive(*folder_, builder));
    }
    static void TearDownTestSuite() {
        delete archivePath_;
        delete folder_;
    }

    void SetUp() override { owner_ = (new Owner(inbox_))->hwnd; }
    void TearDown() override {
        loader_.reset();
        DestroyWindow(owner_);
    }

    ImageLoader& openLoader() {
        loader_ = std::make_unique<ImageLoader>(owner_);
        loader_->openArchive(*archivePath_, &observer_);
        return *loader_;
    }
    // Requests `index` and waits for its picture; the number of pictures now in the inbox. A
    // worker that cannot take the lock within its poll drops the request by design (under Wine
    // a loaded machine makes even a free lock take longer), and a player asks again at its next
    // tick; so does this.
    std::size_t requestAndWait(std::int32_t index) {
        const std::size_t before = inbox_.pictures.size();
        bool arrived = false;
        for (int attempt = 0; attempt < 10 && !arrived; ++attempt) {
            if (!loader_->tryRequest(index)) continue;
            arrived = pumpUntil([&] { return inbox_.pictures.size() > before; }, 500);
        }
        EXPECT_TRUE(arrived) << index;
        return inbox_.pictures.size();
    }

    static TestFolder* folder_;
    static Path* archivePath_;
    static int slowSide_;
    Inbox inbox_;
    HWND owner_ = nullptr;
    test::RecordingObserver observer_;
    std::unique_ptr<ImageLoader> loader_;
};

TestFolder* ImageLoaderTest::folder_ = nullptr;
Path* ImageLoaderTest::archivePath_ = nullptr;
int ImageLoaderTest::slowSide_ = 0;

TEST_F(ImageLoaderTest, DeliversTheRequestedPictureWithItsIndexToTheOwner) {
    ImageLoader& loader = openLoader();
    EXPECT_FALSE(observer_.progress.empty());  // the caller's observer followed the scan
    EXPECT_EQ(loader.archive().slotCount(), kSlowSlot + 1);
    EXPECT_EQ(loader.createFrameInfo()->frameCount(), kSlowSlot + 1);

    for (int index : {2, 0, 1}) {
        requestAndWait(index);
        const Inbox::Picture& arrived = inbox_.pictures.back();
        EXPECT_EQ(arrived.index, index);
        ASSERT_NE(arrived.image, nullptr);
        EXPECT_EQ(arrived.image->width(), 32);
        EXPECT_EQ(arrived.image->height(), 24);
        // B, G, R: the red of the picture of that slot, give or take the compression.
        EXPECT_NEAR(arrived.image->row(0)[2], kShades[index], 12) << index;
    }
    EXPECT_EQ(inbox_.pictures.size(), 3u);

    // Outside the archive, or nothing open: the index comes back without a picture.
    for (int index : {-1, kSlowSlot + 1, 29999}) {
        requestAndWait(index);
        EXPECT_EQ(inbox_.pictures.back().index, index);
        EXPECT_EQ(inbox_.pictures.back().image, nullptr);
    }
    {
        ImageLoader::ArchiveLock lock(loader, 3000);
        ASSERT_TRUE(lock.acquired());
        lock.archive().close();
    }
    requestAndWait(0);
    EXPECT_EQ(inbox_.pictures.back().image, nullptr);
    pumpFor(100);
    EXPECT_EQ(inbox_.pictures.size(), 7u);  // one picture a request, nothing twice
}

TEST_F(ImageLoaderTest, OpenFailuresReleaseTheLockAndAHeldLockRefusesRequestsAtOnce) {
    loader_ = std::make_unique<ImageLoader>(owner_);
    try {
        loader_->openArchive(folder_->file(L"9999_999.DAT"), &observer_);
        ADD_FAILURE() << "a missing archive opened";
    } catch (const VideoArchiveException& failure) {
        EXPECT_EQ(failure.message(), loadMessage(5510));
    }
    EXPECT_TRUE(lockIsFree(loader_->lockName()));
    loader_->openArchive(*archivePath_, nullptr);

    {
        LockHolder holder(loader_->lockName());
        DWORD start = timeGetTime();
        EXPECT_FALSE(loader_->tryRequest(0));
        EXPECT_LT(timeGetTime() - start, 1000u);  // no waiting for the lock

        start = timeGetTime();
        try {
            loader_->openArchive(*archivePath_, nullptr);
            ADD_FAILURE() << "opened without the lock";
        } catch (const ImageException& failure) {
            EXPECT_EQ(failure.message(), loadMessage(5511));
        }
        const DWORD waited = timeGetTime() - start;
        EXPECT_GE(waited, 2900u);
        EXPECT_LT(waited, 10000u);
        pumpFor(100);
        EXPECT_TRUE(inbox_.pictures.empty());  // the refused request was not queued
    }
    // The archive the failed open never reached is still the open one.
    requestAndWait(1);
    ASSERT_NE(inbox_.pictures.back().image, nullptr);
    EXPECT_EQ(inbox_.pictures.back().index, 1);
}

TEST_F(ImageLoaderTest, RequestsWhileADecodeRunsAreDropped) {
    ImageLoader& loader = openLoader();
    {
        DecodeGate gate(loader);
        ASSERT_TRUE(gate.requestAndHold(loader, kSlowSlot));
        EXPECT_FALSE(loader.tryRequest(0));
        EXPECT_FALSE(loader.tryRequest(1));
        gate.release();
        ASSERT_TRUE(pumpUntil([&] { return !inbox_.pictures.empty(); }, 10000));
        loader.setBeforeDecodeForTesting(nullptr);  // the gate goes; the worker is idle now
    }
    pumpFor(300);
    ASSERT_EQ(inbox_.pictures.size(), 1u);
    EXPECT_EQ(inbox_.pictures[0].index, kSlowSlot);
    ASSERT_NE(inbox_.pictures[0].image, nullptr);
    EXPECT_EQ(inbox_.pictures[0].image->width(), slowSide_);

    // Asking every millisecond, as a fast player would: most asks meet a running decode.
    int accepted = 0;
    int refused = 0;
    const DWORD start = timeGetTime();
    while (timeGetTime() - start < 500) {
        (loader.tryRequest(kSlowSlot) ? accepted : refused) += 1;
        pumpFor(1);
    }
    pumpUntil([&] { return lockIsFree(loader.lockName()); }, 5000);
    pumpFor(200);
    const int arrived = static_cast<int>(inbox_.pictures.size()) - 1;
    EXPECT_GT(refused, 0);
    EXPECT_GT(arrived, 0);
    EXPECT_LE(arrived, accepted);  // asks made before the worker woke merge into one
}

TEST_F(ImageLoaderTest, CancelDiscardsOnlyTheDecodeThatIsRunning) {
    ImageLoader& loader = openLoader();
    {
        DecodeGate gate(loader);
        ASSERT_TRUE(gate.requestAndHold(loader, kSlowSlot));
        loader.cancel();
        gate.release();
        ASSERT_TRUE(pumpUntil([&] { return lockIsFree(loader.lockName()); }, 10000));
        loader.setBeforeDecodeForTesting(nullptr);
    }
    pumpFor(200);
    EXPECT_TRUE(inbox_.pictures.empty());

    // The next decode, and one after a cancel with nothing running, are delivered.
    requestAndWait(1);
    EXPECT_EQ(inbox_.pictures.back().index, 1);
    EXPECT_NE(inbox_.pictures.back().image, nullptr);
    loader.cancel();
    pumpFor(50);
    requestAndWait(2);
    EXPECT_EQ(inbox_.pictures.back().index, 2);
    EXPECT_NE(inbox_.pictures.back().image, nullptr);
    EXPECT_EQ(inbox_.pictures.size(), 2u);
}

TEST_F(ImageLoaderTest, ArmedTickArrivesOnceAfterItsDueTime) {
    loader_ = std::make_unique<ImageLoader>(owner_);
    DWORD armed = timeGetTime();
    loader_->armTimer(35);
    ASSERT_TRUE(pumpUntil([&] { return !inbox_.ticks.empty(); }, 3000));
    EXPECT_GE(inbox_.ticks[0] - armed, 35u);
    EXPECT_LT(inbox_.ticks[0] - armed, 1000u);  // about 35 ms; a busy shared machine may lag
    pumpFor(300);
    EXPECT_EQ(inbox_.ticks.size(), 1u);  // one-shot

    // Re-arming replaces the due time: one tick, at the later arming's time.
    loader_->armTimer(5000);
    armed = timeGetTime();
    loader_->armTimer(20);
    ASSERT_TRUE(pumpUntil([&] { return inbox_.ticks.size() > 1; }, 3000));
    EXPECT_GE(inbox_.ticks[1] - armed, 20u);
    EXPECT_LT(inbox_.ticks[1] - armed, 1000u);
    pumpFor(300);
    EXPECT_EQ(inbox_.ticks.size(), 2u);

    // Cancelled before it is due: none.
    loader_->armTimer(60);
    loader_->cancel();
    pumpFor(400);
    EXPECT_EQ(inbox_.ticks.size(), 2u);
}

// The first message `message` of `window`'s queue, taken out unhandled; waits up to `ms` for it.
bool takeQueued(HWND window, UINT message, MSG& taken, DWORD ms = 3000) {
    const DWORD start = timeGetTime();
    while (!PeekMessageW(&taken, window, message, message, PM_REMOVE)) {
        if (timeGetTime() - start > ms) return false;
        Sleep(1);
    }
    return true;
}

// Requests `index` until its picture is posted (see requestAndWait), and takes it out unhandled.
MSG requestQueued(ImageLoader& loader, HWND owner, std::int32_t index) {
    MSG taken = {};
    for (int attempt = 0; attempt < 10; ++attempt)
        if (loader.tryRequest(index) && takeQueued(owner, WM_PICTURE_READY, taken, 500))
            return taken;
    ADD_FAILURE() << "no picture of " << index;
    return taken;
}

TEST_F(ImageLoaderTest, MessagesPostedBeforeACancelAreToldFromLaterOnes) {
    openLoader();
    const std::uint32_t first = loader_->generation();
    const MSG picture = requestQueued(*loader_, owner_, 1);
    loader_->armTimer(10);
    MSG tick = {};
    ASSERT_TRUE(takeQueued(owner_, WM_TICK, tick));
    std::unique_ptr<Image> image(reinterpret_cast<Image*>(picture.lParam));
    EXPECT_EQ(frameIndexOf(picture.wParam), 1);
    EXPECT_EQ(frameIndexOf(tick.wParam), 0);
    EXPECT_TRUE(loader_->isCurrent(picture.wParam));
    EXPECT_TRUE(loader_->isCurrent(tick.wParam));

    // Still queued when the owner cancels: both belong to what it closed.
    loader_->cancel();
    EXPECT_NE(loader_->generation(), first);
    EXPECT_FALSE(loader_->isCurrent(picture.wParam));
    EXPECT_FALSE(loader_->isCurrent(tick.wParam));

    // Made after the cancel: current again, and a negative index survives the stamp.
    const MSG later = requestQueued(*loader_, owner_, -1);
    loader_->armTimer(10);
    MSG laterTick = {};
    ASSERT_TRUE(takeQueued(owner_, WM_TICK, laterTick));
    EXPECT_EQ(frameIndexOf(later.wParam), -1);
    EXPECT_EQ(later.lParam, 0);
    EXPECT_TRUE(loader_->isCurrent(later.wParam));
    EXPECT_TRUE(loader_->isCurrent(laterTick.wParam));
}

TEST_F(ImageLoaderTest, DestructionJoinsTheWorkerAndReleasesEveryHandle) {
    // One loader first: what the system starts for the first one (and keeps) is there already.
    openLoader();
    loader_.reset();
    pumpFor(100);
    const long before = handleCount();
    const long threadsBefore = threadCount();
    ASSERT_GT(before, 0);
    ASSERT_GT(threadsBefore, 0);
    std::wstring lockName;
    std::wstring eventName;
    for (int round = 0; round < 5; ++round) {
        openLoader();
        lockName = loader_->lockName();
        eventName = loader_->eventName();
        EXPECT_GE(handleCount(), before + 5);  // two objects, the worker's two, the thread
        EXPECT_EQ(threadCount(), threadsBefore + 1);
        if (round == 4) {
            // Destroyed mid-decode: it waits for the decode and posts nothing. The gate lets the
            // decode go only once the destruction has begun.
            DecodeGate gate(*loader_);
            ASSERT_TRUE(gate.requestAndHold(*loader_, kSlowSlot));
            std::thread releaser([&gate] {
                Sleep(300);
                gate.release();
            });
            loader_.reset();
            releaser.join();
        }
        loader_.reset();
        // Nothing holds the objects any more, so the names are gone.
        EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, lockName.c_str()), nullptr);
        EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str()), nullptr);
        EXPECT_EQ(threadCount(), threadsBefore);  // joined, not left running
    }
    pumpFor(300);
    EXPECT_TRUE(inbox_.pictures.empty());
    EXPECT_LE(handleCount(), before + 2);  // 5 rounds of 5 handles would show plainly
}

TEST_F(ImageLoaderTest, PicturesNobodyCanReceiveAreFreedByTheLoader) {
    // The owner is gone before the loader: every post fails.
    Inbox unused;
    HWND gone = (new Owner(unused))->hwnd;
    DestroyWindow(gone);
    ImageLoader loader(gone);
    loader.openArchive(*archivePath_, nullptr);

    PROCESS_MEMORY_COUNTERS_EX before = {};
    ASSERT_TRUE(K32GetProcessMemoryInfo(GetCurrentProcess(),
                                        reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before),
                                        sizeof(before)));
    constexpr int kPictures = 16;
    for (int i = 0; i < kPictures; ++i) {
        ASSERT_TRUE(pumpUntil([&] { return loader.tryRequest(kSlowSlot); }, 10000));
        // Into the decode and out of it again, so no two requests merge.
        pumpUntil([&] { return !lockIsFree(loader.lockName()); }, 2000);
        pumpUntil([&] { return lockIsFree(loader.lockName()); }, 10000);
    }
    pumpUntil([&] { return lockIsFree(loader.lockName()); }, 10000);
    pumpFor(100);
    PROCESS_MEMORY_COUNTERS_EX after = {};
    ASSERT_TRUE(K32GetProcessMemoryInfo(GetCurrentProcess(),
                                        reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after),
                                        sizeof(after)));
    const SIZE_T picture = static_cast<SIZE_T>(slowSide_) * slowSide_ * 4;
    // Leaked, the pictures would add kPictures of their size; the buffer pool keeps a few.
    EXPECT_LT(after.WorkingSetSize, before.WorkingSetSize + picture * (kPictures / 2))
        << before.WorkingSetSize << " " << after.WorkingSetSize << " " << picture;
    EXPECT_TRUE(unused.pictures.empty());
}

TEST_F(ImageLoaderTest, EachLoaderHasItsOwnKernelObjectsAndOwner) {
    Inbox otherInbox;
    HWND otherOwner = (new Owner(otherInbox))->hwnd;
    {
        ImageLoader& first = openLoader();
        ImageLoader second(otherOwner);
        second.openArchive(*archivePath_, nullptr);

        EXPECT_NE(first.eventName(), second.eventName());
        EXPECT_NE(first.lockName(), second.lockName());
        EXPECT_NE(first.eventName(), first.lockName());
        const std::wstring pid = std::to_wstring(GetCurrentProcessId());
        for (const ImageLoader* loader : {&first, &second}) {
            EXPECT_NE(loader->eventName().find(pid), std::wstring::npos);
            EXPECT_NE(loader->lockName().find(pid), std::wstring::npos);
            EXPECT_EQ(loader->eventName().rfind(L"event", 0), 0u);
            EXPECT_EQ(loader->lockName().rfind(L"mutex", 0), 0u);
        }

        // Holding one loader's lock leaves the other free to serve.
        LockHolder holder(first.lockName());
        EXPECT_FALSE(first.tryRequest(0));
        // Asked again if the worker dropped it (see requestAndWait).
        bool served = false;
        for (int attempt = 0; attempt < 10 && !served; ++attempt) {
            EXPECT_TRUE(second.tryRequest(2));
            served = pumpUntil([&] { return !otherInbox.pictures.empty(); }, 500);
        }
        ASSERT_TRUE(served);
        EXPECT_EQ(otherInbox.pictures[0].index, 2);
        pumpFor(100);
        EXPECT_TRUE(inbox_.pictures.empty());  // each posts to its own owner only
    }
    DestroyWindow(otherOwner);
}

}  // namespace
}  // namespace tavrin
