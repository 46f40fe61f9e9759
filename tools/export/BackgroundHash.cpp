#include "tools/export/BackgroundHash.h"

namespace tavrin::exporter {

namespace {

constexpr std::size_t kMostQueued = 16;

}  // namespace

BackgroundHash::BackgroundHash() : thread_([this] { run(); }) {}

BackgroundHash::~BackgroundHash() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        queued_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundHash::add(std::vector<std::uint8_t>& buffer) {
    const std::size_t capacity = buffer.capacity();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queued_.size() < kMostQueued; });
    queued_.push_back(std::move(buffer));
    if (spare_.empty()) {
        buffer = std::vector<std::uint8_t>();
        lock.unlock();
        changed_.notify_all();
        buffer.reserve(capacity);
        return;
    }
    buffer = std::move(spare_.back());
    spare_.pop_back();
    buffer.clear();
    lock.unlock();
    changed_.notify_all();
}

std::string BackgroundHash::finishHex() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queued_.empty() && !hashing_; });
    return hash_.finishHex();
}

void BackgroundHash::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (stopping_) return;
        std::vector<std::uint8_t> buffer = std::move(queued_.front());
        queued_.pop_front();
        hashing_ = true;
        lock.unlock();
        hash_.add(buffer.data(), buffer.size());
        lock.lock();
        hashing_ = false;
        spare_.push_back(std::move(buffer));
        changed_.notify_all();
    }
}

}  // namespace tavrin::exporter
