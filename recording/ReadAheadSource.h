#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "recording/ByteSource.h"
#include "recording/Platform.h"
#include "recording/ProcessorPlacement.h"
#include "recording/Synchronisation.h"

namespace tavrin {

// Reads a file from front to back a few chunks ahead of the one being looked at, so that the
// scan's work hides behind the reading and a card that is not in the system's cache is read at
// the device's speed. Two processors copy a file from the system's cache nearly twice as fast as
// one, so the chunks are read by a thread of its own, through a handle of its own, and by the
// scan itself whenever it would otherwise wait: each takes the next chunk nobody has begun, but
// the file's last megabyte is the scan's. Views behind the chunk in use, and copies it does not
// hold, are read directly. The thread stays from one file to the next.
//
// The thread keeps to the processor it read its first chunk on, where the system wakes it when
// the device has delivered, and while a file is read the scan keeps off that processor; when the
// file ends the scan's thread, the caller's own, may run wherever it could before. Left to
// themselves, on a virtual machine of two processors, both were woken on the processor that takes
// the device's interrupts and waited there for each other, for milliseconds, while the second
// processor stood idle: in a cold opening the two took turns on one processor, and the device
// waited for them.
class ReadAheadSource : public ByteSource {
public:
    // Reads of a megabyte reach the device's speed. Larger chunks would mean fewer hand-overs, but
    // each costs tens of microseconds at most. A view never spans more than two chunks. A chunk
    // is read in one read, as a plain sequential read of the file reads it: in smaller reads the
    // system's read-ahead began with a smaller window and grew it more slowly, and a cold opening
    // of the largest archive took 7 to 9 % longer with reads of a quarter or half a megabyte.
    static constexpr std::size_t kChunkSize = 1 << 20;
    // From the disk the system delivers the file in bursts of several megabytes, and asks for the
    // next burst only when a reader reaches the end of the last: the sooner the readers take a
    // burst in, the sooner the next one comes. With room for 16 chunks the thread takes a burst
    // in while the scan is still busy with the one before, and a cold opening of the largest
    // archive came closer to a plain read of it (typically 4 to 7 % over, against 9 % with 4
    // chunks); from the cache it was no slower. Chunks take memory only once used.
    static constexpr int kChunks = 16;
    // The scan goes faster than the reading, so it would fall asleep before every chunk, and
    // waking a sleeping processor costs the reading thread tens of microseconds each time on a
    // virtual machine: milliseconds over a large archive, on the opening's critical path. The
    // scan watches for the chunk this long before it sleeps, longer than a chunk takes from the
    // system's cache.
    static constexpr std::chrono::microseconds kWatchBeforeSleeping{300};
    // The thread leaves the chunks that reach into the file's last megabyte to the scan. When the
    // thread read them, the file's last bytes woke the thread, which then had to wake the scan,
    // and on a virtual machine a sleeping processor is often woken a whole millisecond late. Now
    // the scan waits for the last bytes in its own read, and one wake-up ends the opening.
    static constexpr std::int64_t kLeftToScan = 1 << 20;

    ReadAheadSource() = default;
    ReadAheadSource(const ReadAheadSource&) = delete;
    ReadAheadSource& operator=(const ReadAheadSource&) = delete;
    ~ReadAheadSource() override;

    // Starts reading `file`, opened from `path`, at `offset`; it must stay open until end(). The
    // thread reads through another handle to the file (BinaryFile::openAnotherReader); when it
    // cannot have one, the scan reads every chunk.
    void begin(BinaryFile& file, const Path& path, std::int64_t offset);
    // Stops reading ahead; returns once the thread has let go of the file.
    void end();

    std::int64_t length() const override;
    const std::uint8_t* view(std::int64_t offset, std::size_t wanted,
                             std::size_t& available) override;
    std::size_t readAt(std::int64_t offset, void* out, std::size_t size) override;

private:
    struct Chunk {
        // The chunk's bytes start at a page boundary inside `storage`: the system copies the
        // file's cached pages, which lie on page boundaries, several times slower into a buffer
        // that starts a little past one, as a large allocation does behind its header (the
        // copy's loads wait on its stores to addresses 4 KiB apart).
        std::vector<std::uint8_t> storage;
        std::uint8_t* bytes = nullptr;
        std::int64_t index = -1;  // counted from the start offset; -1 when it holds nothing
        // The bytes read, from the chunk's start, once `done`: fewer than kChunkSize only at the
        // end of the file. Set under the lock, looked at without it by the scan.
        std::atomic<std::size_t> filled{0};
        std::atomic<bool> done{false};  // read as far as it goes
        bool filling = false;           // a thread reads into it; not to be taken meanwhile
    };

    void run();
    // Opens the thread's own handle to the file; the lock is held on entry and on return.
    void openOwnFile(std::unique_lock<Mutex>& lock);
    // Takes the next chunk nobody has begun, when the scan is not too far behind for it and a
    // slot is free, and, for the thread, when the chunk is not left to the scan; null otherwise.
    // The lock is held.
    enum class Claimant { thread, scan };
    Chunk* claimNext(Claimant claimant);
    // Reads chunk `slot` (claimed) from `file`; the lock is held on entry and on return, but not
    // while reading.
    void fill(Chunk& slot, BinaryFile& file, std::unique_lock<Mutex>& lock);
    // Waits until chunk `index` is read, releasing those before `keepFrom`; null at the end of
    // the file.
    const Chunk* acquire(std::int64_t index, std::int64_t keepFrom);
    // Watches, without the lock, for chunk `index` to be read or to be begun, for up to
    // kWatchBeforeSleeping; false when nothing came. The lock is held on entry and on return.
    bool watchBriefly(std::int64_t index, std::unique_lock<Mutex>& lock);
    // The thread keeps from now on to the processor it has just read on, where the system wakes
    // it when the device has delivered; the thread only.
    void keepThreadWhereItReads();
    // While a file is read, keeps the scan off the processor the thread keeps to, once that is
    // known; the scan only.
    void keepScanOffThreadsProcessor();
    // A view read directly, for what lies behind the chunk in use.
    const std::uint8_t* readDirectly(std::int64_t offset, std::size_t wanted,
                                     std::size_t& available);

    BinaryFile* file_ = nullptr;  // read through by the scan's thread only
    std::int64_t start_ = 0;

    Mutex lock_;
    ConditionVariable readerWakes_;
    ConditionVariable chunkReady_;
    std::array<Chunk, kChunks> chunks_;
    std::int64_t nextIndex_ = 0;           // the next chunk nobody has begun
    std::atomic<std::int64_t> begun_{-1};  // the chunk last begun; watched by the scan
    Path ownPath_;                         // for the thread to open, when not empty
    BinaryFile own_;                       // the thread's handle to the file
    std::int64_t keepFrom_ = 0;            // chunks before it may be reused
    std::int64_t endIndex_ = -1;           // the first chunk past the end of the file, once known
    bool active_ = false;
    bool reading_ = false;  // the thread is inside an open or a read of the file
    bool stopping_ = false;
    std::int64_t length_ = -1;  // the file's, when begun
    // The processor the thread keeps to; -1 when it keeps to none.
    std::atomic<int> threadProcessor_{-1};
    std::thread thread_;
    bool threadPlaced_ = false;  // used by the thread only: it has kept to one, or tried

    // Used by the scan's thread only.
    ProcessorMask scanProcessorsBefore_ = 0;  // to go back to at end(); 0 when not placed
    int scanKeptOff_ = -1;                    // the processor the scan keeps off; -1 for none
    const Chunk* current_ = nullptr;
    std::vector<std::uint8_t> joined_;  // a view across two chunks
    std::vector<std::uint8_t> direct_;
};

}  // namespace tavrin
