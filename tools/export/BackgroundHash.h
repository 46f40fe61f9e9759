#pragma once

// The SHA-256 of two streams of bytes, computed on a thread of its own while the caller goes on:
// the video being written, and the archives it is cut from as they are read. While both streams
// have bytes waiting they are hashed together (Sha256::addTogether), which costs little more
// than one stream alone, so checksumming everything an export reads and writes keeps up with it
// on one processor.

#include <cstdint>
#include <deque>
#include <string>
#include <thread>

#include "recording/Synchronisation.h"
#include "tools/export/Sha256.h"

namespace tavrin::exporter {

class BackgroundHash {
public:
    enum Stream { kWritten = 0, kRead = 1 };

    BackgroundHash();
    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;
    // Drops whatever is still queued.
    ~BackgroundHash();

    // Queues `count` bytes at `bytes` after what came before on `stream`. They stay the caller's
    // and must stay unchanged until waitUntilHashed(stream, ticket) with the ticket returned.
    std::uint64_t add(Stream stream, const std::uint8_t* bytes, std::size_t count);
    void waitUntilHashed(Stream stream, std::uint64_t ticket);
    // The digest of everything added to `stream` since it last started, once all of it is
    // hashed; the stream then starts again.
    std::string finishHex(Stream stream);
    // Waits until nothing of `stream` is being hashed any longer, and starts it again without a
    // digest (what was queued and not yet begun is dropped).
    void abandon(Stream stream) noexcept;

private:
    struct Piece {
        const std::uint8_t* bytes;
        std::size_t count;
    };
    struct Lane {
        std::deque<Piece> queued;
        std::size_t frontDone = 0;  // bytes of the front piece already hashed
        bool busy = false;          // the thread is hashing some of the front piece
        std::uint64_t added = 0;
        std::uint64_t hashed = 0;
        int waiters = 0;  // callers waiting for some of its bytes
        Sha256 hash;
    };

    static bool mayGoAlone(const Lane& lane);
    void run();

    Mutex mutex_;
    ConditionVariable work_;
    ConditionVariable done_;
    Lane lanes_[2];
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace tavrin::exporter
