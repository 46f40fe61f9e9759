#pragma once

// The SHA-256 of a stream of buffers, computed on a thread of its own, so checksumming a
// gigabyte of video costs the writer no time where a second processor is free.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/export/Sha256.h"

namespace tavrin::exporter {

class BackgroundHash {
public:
    BackgroundHash();
    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;
    ~BackgroundHash();

    // Takes the content of `buffer` to hash after what came before; `buffer` comes back empty,
    // with room reserved. Waits while two buffers are still queued.
    void add(std::vector<std::uint8_t>& buffer);
    // The digest of everything added, once it is all hashed.
    std::string finishHex();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<std::uint8_t>> queued_;
    std::vector<std::vector<std::uint8_t>> spare_;
    bool hashing_ = false;  // the thread holds a buffer
    bool stopping_ = false;
    Sha256 hash_;
    std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace tavrin::exporter
