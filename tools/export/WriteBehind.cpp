#include "tools/export/WriteBehind.h"

#include <chrono>
#include <cstdint>
#include <utility>

#include "tools/export/ExportPlatform.h"

namespace tavrin::exporter {

namespace {

// A disk slower than this past the cache (a memory card, a USB stick) is left to the cache, which
// takes a clip faster and writes it out meanwhile; judged once this much has gone.
constexpr double kSlowestUncachedBytesPerSecond = 256e6;
constexpr std::int64_t kUncachedBytesJudged = 16 << 20;

bool isWholePages(const std::uint8_t* bytes, std::size_t count, std::int64_t offset) {
    constexpr std::size_t block = UncachedFile::kBlockBytes;
    return reinterpret_cast<std::uintptr_t>(bytes) % block == 0 && count % block == 0 &&
           static_cast<std::uint64_t>(offset) % block == 0;
}

}  // namespace

WriteBehind::WriteBehind(BinaryFile& file, UncachedFile uncached)
    : file_(file), uncached_(std::move(uncached)), thread_([this] { run(); }) {}

WriteBehind::~WriteBehind() {
    {
        std::lock_guard<Mutex> lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    thread_.join();
}

std::uint64_t WriteBehind::add(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t ticket = 0;
    {
        std::lock_guard<Mutex> lock(mutex_);
        queued_.push_back({bytes, count, end_});
        end_ += static_cast<std::int64_t>(count);
        ticket = ++added_;
    }
    work_.notify_one();
    return ticket;
}

bool WriteBehind::waitUntilWritten(std::uint64_t ticket) {
    std::unique_lock<Mutex> lock(mutex_);
    done_.wait(lock, [&] { return failed_ || written_ >= ticket; });
    return !failed_;
}

bool WriteBehind::drain() {
    std::unique_lock<Mutex> lock(mutex_);
    done_.wait(lock, [&] { return failed_ || written_ == added_; });
    return !failed_;
}

std::string WriteBehind::failure() {
    std::lock_guard<Mutex> lock(mutex_);
    return failure_;
}

bool WriteBehind::write(const Piece& piece, std::string& reason) {
    if (uncached_.isOpen() && isWholePages(piece.bytes, piece.count, piece.offset)) {
        const auto start = std::chrono::steady_clock::now();
        if (uncached_.writeAt(piece.offset, piece.bytes, piece.count)) {
            uncachedBytes_ += static_cast<std::int64_t>(piece.count);
            uncachedSeconds_ +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (uncachedBytes_ >= kUncachedBytesJudged &&
                static_cast<double>(uncachedBytes_) <
                    kSlowestUncachedBytesPerSecond * uncachedSeconds_) {
                uncached_.close();
            }
            return true;
        }
        // Refused for its alignment by some file systems, or for good (a full disk): from now
        // on through the cache, which says which.
        uncached_.close();
    }
    if ((file_.position() == piece.offset || file_.seek(piece.offset)) &&
        file_.write(piece.bytes, piece.count)) {
        return true;
    }
    // The reason is this thread's.
    reason = lastSystemError();
    return false;
}

void WriteBehind::run() {
    std::unique_lock<Mutex> lock(mutex_);
    for (;;) {
        work_.wait(lock, [this] { return stopping_ || (!failed_ && !queued_.empty()); });
        if (stopping_) return;
        // The piece stays queued, and so the caller's, until it is written.
        const Piece piece = queued_.front();
        lock.unlock();
        std::string reason;
        const bool written = write(piece, reason);
        lock.lock();
        queued_.pop_front();
        if (written) {
            ++written_;
        } else {
            failed_ = true;
            failure_ = reason;
            queued_.clear();
        }
        done_.notify_all();
    }
}

}  // namespace tavrin::exporter
