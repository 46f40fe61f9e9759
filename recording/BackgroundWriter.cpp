#include "recording/BackgroundWriter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "recording/PageAlignment.h"

namespace tavrin {

namespace {

constexpr std::int64_t kRunPiece = 1 << 20;

}  // namespace

BackgroundWriter::~BackgroundWriter() {
    {
        std::lock_guard<Mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BackgroundWriter::write(BinaryFile& file, std::vector<std::uint8_t>& buffer,
                             std::size_t from) {
    const std::size_t first = std::min(from, buffer.size());
    Job job{&file, std::move(buffer), first, 0, 0, {}};
    buffer.clear();
    {
        std::lock_guard<Mutex> hold(lock_);
        if (!spare_.empty()) {
            buffer = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    queue(std::move(job));
}

void BackgroundWriter::writeRun(BinaryFile& file, std::uint8_t value, std::int64_t count) {
    if (count > 0) queue(Job{&file, {}, 0, value, count, {}});
}

void BackgroundWriter::deleteLater(const Path& path) {
    if (!path.empty()) queue(Job{nullptr, {}, 0, 0, 0, path});
}

void BackgroundWriter::queue(Job job) {
    if (job.file != nullptr && writes_ == Writes::onCallersThread) {
        perform(job, callersScratch_);
        std::lock_guard<Mutex> hold(lock_);
        keepBuffer(job);
        return;
    }
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // Without a thread the bytes are written at once.
            Scratch scratch;
            perform(job, scratch);
            return;
        }
    }
    {
        std::lock_guard<Mutex> hold(lock_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void BackgroundWriter::drain() {
    std::unique_lock<Mutex> lock(lock_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
}

void BackgroundWriter::perform(Job& job, Scratch& scratch) {
    try {
        performOrThrow(job, scratch);
    } catch (const std::bad_alloc&) {
    }
    job.bytes.clear();
}

void BackgroundWriter::keepBuffer(Job& job) {
    if (job.file == nullptr || job.runLength != 0) return;
    try {
        spare_.push_back(std::move(job.bytes));
    } catch (const std::bad_alloc&) {
    }
}

void BackgroundWriter::performOrThrow(Job& job, Scratch& scratch) {
    if (job.file == nullptr) {
        deleteFile(job.doomed);
        return;
    }
    const std::int64_t position = job.file->position();
    const auto inPage = static_cast<std::size_t>(position % static_cast<std::int64_t>(kPageSize));
    if (job.runLength == 0) {
        const std::uint8_t* bytes = job.bytes.data() + job.from;
        const std::size_t size = job.bytes.size() - job.from;
        if (copiesSlowlyTo(bytes, position)) {
            // Copied here once, where the system's copy into the file goes several times faster
            // (without the memory for it, the bytes are written from where they are).
            try {
                std::uint8_t* placed = pagePlaced(scratch.staging, size, inPage);
                std::memcpy(placed, bytes, size);
                bytes = placed;
            } catch (const std::bad_alloc&) {
            }
        }
        job.file->write(bytes, size);
        return;
    }
    // The run's pieces start where the file stands within a page; whole pieces keep it so.
    const auto pieceSize =
        static_cast<std::size_t>(std::min<std::int64_t>(job.runLength, kRunPiece));
    std::uint8_t* piece = pagePlaced(scratch.run, pieceSize, inPage);
    std::memset(piece, job.value, pieceSize);
    for (std::int64_t left = job.runLength; left > 0;) {
        const auto size = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(pieceSize)));
        job.file->write(piece, size);
        left -= static_cast<std::int64_t>(size);
    }
}

void BackgroundWriter::run() {
    Scratch scratch;
    std::unique_lock<Mutex> lock(lock_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping, with everything written
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
        lock.unlock();
        perform(job, scratch);
        lock.lock();
        busy_ = false;
        keepBuffer(job);
        if (jobs_.empty()) idle_.notify_all();
    }
}

}  // namespace tavrin
