#pragma once

// The buffers of a large file go to the disk on a thread of their own, so that the caller fills
// the next while the disk takes the last. Whole pages go past the system's cache (UncachedFile)
// while the disk takes them fast; the rest, and everything once the disk is found slow, through
// the caller's file. The first failed write stops the writing; its reason is kept for the caller.

#include <cstdint>
#include <deque>
#include <string>
#include <thread>

#include "recording/Platform.h"
#include "recording/Synchronisation.h"
#include "tools/export/UncachedFile.h"

namespace tavrin::exporter {

class WriteBehind {
public:
    // Writes into `file` from its start, whole pages through `uncached`, another way into the
    // same file; `file` must outlive this and stay untouched by the caller while anything is
    // queued.
    WriteBehind(BinaryFile& file, UncachedFile uncached);
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;
    // Waits for the write in progress; what is still queued is dropped.
    ~WriteBehind();

    // Queues `count` bytes at `bytes` to follow what was queued before. They stay the caller's
    // and must stay unchanged until waitUntilWritten() with the ticket returned.
    std::uint64_t add(const std::uint8_t* bytes, std::size_t count);
    // False when a write failed, this one or one before it.
    bool waitUntilWritten(std::uint64_t ticket);
    // Everything queued written; false when a write failed.
    bool drain();
    // Why the first failed write failed, in lastSystemError()'s words.
    std::string failure();

private:
    struct Piece {
        const std::uint8_t* bytes;
        std::size_t count;
        std::int64_t offset;
    };

    void run();
    // On the writing thread; false, with the system's reason, when it refuses.
    bool write(const Piece& piece, std::string& reason);

    BinaryFile& file_;
    UncachedFile uncached_;
    // How fast the disk has taken what went past the cache.
    std::int64_t uncachedBytes_ = 0;
    double uncachedSeconds_ = 0.0;
    Mutex mutex_;
    ConditionVariable work_;
    ConditionVariable done_;
    std::deque<Piece> queued_;
    std::int64_t end_ = 0;  // where the next piece queued goes
    std::uint64_t added_ = 0;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    std::string failure_;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace tavrin::exporter
