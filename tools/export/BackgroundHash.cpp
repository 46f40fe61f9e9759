#include "tools/export/BackgroundHash.h"

#include <algorithm>

namespace tavrin::exporter {

namespace {

// Bytes of each stream hashed between two looks at the queues: small enough that a stream
// whose bytes arrive meanwhile is soon hashed along, large enough that the lock is rarely taken.
constexpr std::size_t kStep = 256 * 1024;

}  // namespace

BackgroundHash::BackgroundHash() : thread_([this] { run(); }) {}

BackgroundHash::~BackgroundHash() {
    {
        std::lock_guard<Mutex> lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    thread_.join();
}

std::uint64_t BackgroundHash::add(Stream stream, const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t ticket = 0;
    {
        std::lock_guard<Mutex> lock(mutex_);
        Lane& lane = lanes_[stream];
        lane.queued.push_back({bytes, count});
        ticket = ++lane.added;
    }
    work_.notify_one();
    return ticket;
}

void BackgroundHash::waitUntilHashed(Stream stream, std::uint64_t ticket) {
    std::unique_lock<Mutex> lock(mutex_);
    Lane& lane = lanes_[stream];
    ++lane.waiters;
    work_.notify_one();
    done_.wait(lock, [&] { return lane.hashed >= ticket; });
    --lane.waiters;
}

std::string BackgroundHash::finishHex(Stream stream) {
    std::unique_lock<Mutex> lock(mutex_);
    Lane& lane = lanes_[stream];
    ++lane.waiters;
    work_.notify_one();
    done_.wait(lock, [&] { return lane.hashed == lane.added; });
    --lane.waiters;
    std::string digest = lane.hash.finishHex();
    lane.hash = Sha256();
    return digest;
}

void BackgroundHash::abandon(Stream stream) noexcept {
    std::unique_lock<Mutex> lock(mutex_);
    Lane& lane = lanes_[stream];
    done_.wait(lock, [&] { return !lane.busy; });
    lane.queued.clear();
    lane.frontDone = 0;
    lane.hashed = lane.added;
    lane.hash = Sha256();
    lock.unlock();
    done_.notify_all();
}

bool BackgroundHash::mayGoAlone(const Lane& lane) {
    // One stream alone costs almost as much as two together: its bytes wait for the other's
    // while it has room for more and nobody waits for them.
    return !lane.queued.empty() && (lane.queued.size() >= 2 || lane.waiters > 0);
}

void BackgroundHash::run() {
    std::unique_lock<Mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] {
            return stopping_ || (!lanes_[0].queued.empty() && !lanes_[1].queued.empty()) ||
                   mayGoAlone(lanes_[0]) || mayGoAlone(lanes_[1]);
        });
        if (stopping_) return;
        // A step of each stream with bytes waiting; of equal length while both have some.
        bool taken[2] = {false, false};
        const std::uint8_t* from[2] = {nullptr, nullptr};
        std::size_t step[2] = {0, 0};
        for (int l = 0; l < 2; ++l) {
            Lane& lane = lanes_[l];
            if (lane.queued.empty()) continue;
            const Piece& piece = lane.queued.front();
            taken[l] = true;
            from[l] = piece.bytes + lane.frontDone;
            step[l] = std::min(kStep, piece.count - lane.frontDone);
            lane.busy = true;
        }
        if (taken[0] && taken[1]) step[0] = step[1] = std::min(step[0], step[1]);
        lock.unlock();
        if (taken[0] && taken[1]) {
            Sha256::addTogether(lanes_[0].hash, from[0], step[0], lanes_[1].hash, from[1], step[1]);
        } else {
            const int l = taken[0] ? 0 : 1;
            lanes_[l].hash.add(from[l], step[l]);
        }
        lock.lock();
        for (int l = 0; l < 2; ++l) {
            if (!taken[l]) continue;
            Lane& lane = lanes_[l];
            lane.busy = false;
            lane.frontDone += step[l];
            if (lane.frontDone < lane.queued.front().count) continue;
            lane.queued.pop_front();
            lane.frontDone = 0;
            ++lane.hashed;
        }
        // Whole pieces are waited for, and by abandon() the end of any step.
        done_.notify_all();
    }
}

}  // namespace tavrin::exporter
