#include "recording/ReadAheadSource.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

#include "recording/PageAlignment.h"
#include "recording/Platform.h"

namespace tavrin {

ReadAheadSource::~ReadAheadSource() {
    {
        std::lock_guard<Mutex> hold(lock_);
        stopping_ = true;
    }
    readerWakes_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ReadAheadSource::begin(BinaryFile& file, const Path& path, std::int64_t offset) {
    {
        std::lock_guard<Mutex> hold(lock_);
        file_ = &file;
        start_ = offset;
        length_ = file.length();
        nextIndex_ = 0;
        begun_ = -1;
        keepFrom_ = 0;
        endIndex_ = -1;
        for (Chunk& chunk : chunks_) {
            chunk.index = -1;
            chunk.done = false;
        }
        ownPath_ = path;
        active_ = true;
    }
    current_ = nullptr;
    keepScanOffThreadsProcessor();
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // Without a thread the scan reads every chunk (see acquire).
        }
    }
    readerWakes_.notify_one();
}

void ReadAheadSource::end() {
    if (scanProcessorsBefore_ != 0) keepCallingThreadOn(scanProcessorsBefore_);
    scanProcessorsBefore_ = 0;
    scanKeptOff_ = -1;
    std::unique_lock<Mutex> lock(lock_);
    active_ = false;
    ownPath_.clear();
    // The file may go once this returns, so an open or a read in progress has to finish first.
    chunkReady_.wait(lock, [this] { return !reading_; });
    own_.close();
    file_ = nullptr;
    for (Chunk& chunk : chunks_) {
        chunk.index = -1;
        chunk.done = false;
    }
    current_ = nullptr;
}

void ReadAheadSource::run() {
    std::unique_lock<Mutex> lock(lock_);
    for (;;) {
        Chunk* slot = nullptr;
        readerWakes_.wait(lock, [&] {
            if (stopping_) return true;
            if (!active_) return false;
            if (!ownPath_.empty()) return true;
            // A chunk is read when the scan has let go of one and there is more of the file.
            slot = own_.isOpen() ? claimNext(Claimant::thread) : nullptr;
            return slot != nullptr;
        });
        if (stopping_) return;
        if (!ownPath_.empty()) {
            openOwnFile(lock);
            continue;
        }
        reading_ = true;
        fill(*slot, own_, lock);
        reading_ = false;
        chunkReady_.notify_all();
        if (!threadPlaced_) {
            lock.unlock();
            keepThreadWhereItReads();
            lock.lock();
        }
    }
}

void ReadAheadSource::keepThreadWhereItReads() {
    const int here = currentProcessor();
    if (here >= 0 && here < 64 && keepCallingThreadOn(ProcessorMask{1} << here) != 0) {
        threadProcessor_.store(here, std::memory_order_relaxed);
    }
    threadPlaced_ = true;
}

void ReadAheadSource::keepScanOffThreadsProcessor() {
    const int threads = threadProcessor_.load(std::memory_order_relaxed);
    if (threads == scanKeptOff_ || threads < 0) return;
    scanKeptOff_ = threads;
    const ProcessorMask allowed =
        scanProcessorsBefore_ != 0 ? scanProcessorsBefore_ : processorsOfCallingThread();
    const ProcessorMask others = allowed & ~(ProcessorMask{1} << threads);
    if (others == 0) return;  // a single processor: nothing to keep apart
    const ProcessorMask before = keepCallingThreadOn(others);
    if (scanProcessorsBefore_ == 0) scanProcessorsBefore_ = before;
}

void ReadAheadSource::openOwnFile(std::unique_lock<Mutex>& lock) {
    const Path path = std::move(ownPath_);
    ownPath_.clear();
    const std::int64_t expected = length_;
    // end() waits for this open before the scan's file may close.
    const BinaryFile& scanned = *file_;
    reading_ = true;
    lock.unlock();
    BinaryFile file = BinaryFile::openAnotherReader(scanned, path);
    // Another file put in its place meanwhile is not read.
    const bool same = file.isOpen() && file.length() == expected;
    lock.lock();
    reading_ = false;
    if (same && active_) own_ = std::move(file);
    chunkReady_.notify_all();
}

ReadAheadSource::Chunk* ReadAheadSource::claimNext(Claimant claimant) {
    const std::int64_t index = std::max(nextIndex_, keepFrom_);
    if (index >= keepFrom_ + kChunks || (endIndex_ >= 0 && index >= endIndex_)) return nullptr;
    const std::int64_t chunkEnd = start_ + (index + 1) * static_cast<std::int64_t>(kChunkSize);
    if (claimant == Claimant::thread && length_ >= 0 && chunkEnd > length_ - kLeftToScan) {
        return nullptr;
    }
    for (Chunk& chunk : chunks_) {
        // A chunk the scan skipped may still be being read into.
        if (chunk.index < keepFrom_ && !chunk.filling) {
            chunk.index = index;
            chunk.filled = 0;
            chunk.done = false;
            chunk.filling = true;
            nextIndex_ = index + 1;
            begun_.store(index, std::memory_order_release);
            return &chunk;
        }
    }
    return nullptr;
}

void ReadAheadSource::fill(Chunk& slot, BinaryFile& file, std::unique_lock<Mutex>& lock) {
    const std::int64_t offset = start_ + slot.index * static_cast<std::int64_t>(kChunkSize);
    std::size_t got = 0;
    lock.unlock();
    try {
        if (slot.bytes == nullptr) slot.bytes = pagePlaced(slot.storage, kChunkSize);
        got = file.readAt(offset, slot.bytes, kChunkSize);
    } catch (const std::bad_alloc&) {
        got = 0;  // as a read error: the scan ends there
    }
    lock.lock();
    slot.filled.store(got, std::memory_order_release);
    slot.filling = false;
    slot.done.store(true, std::memory_order_release);
    // Nothing is read past a short read: the end of the file, or a read error. The other reader
    // may have begun a chunk past it already.
    if (got < kChunkSize)
        endIndex_ = endIndex_ < 0 ? slot.index + 1 : std::min(endIndex_, slot.index + 1);
}

const ReadAheadSource::Chunk* ReadAheadSource::acquire(std::int64_t index, std::int64_t keepFrom) {
    keepScanOffThreadsProcessor();
    std::unique_lock<Mutex> lock(lock_);
    if (keepFrom > keepFrom_) {
        keepFrom_ = keepFrom;
        readerWakes_.notify_one();
    }
    bool watchedInVain = false;
    for (;;) {
        if (endIndex_ >= 0 && index >= endIndex_) return nullptr;
        for (Chunk& chunk : chunks_) {
            if (chunk.index == index && chunk.done) return &chunk;
        }
        // Rather than wait, the scan reads the next chunk nobody has begun: the one it wants when
        // the thread has not come to it, else one further on, which the thread then need not read.
        if (Chunk* claimed = claimNext(Claimant::scan)) {
            fill(*claimed, *file_, lock);
            continue;
        }
        // Nothing to take: the chunk wanted is the thread's, being read (with no thread, the
        // scan has read every chunk begun).
        if (!thread_.joinable()) return nullptr;
        // Whatever the watch saw is looked at again under the lock, so that a chunk finished
        // just as it gave up is not slept through.
        if (!watchedInVain) {
            watchedInVain = !watchBriefly(index, lock);
            continue;
        }
        chunkReady_.wait(lock);
    }
}

bool ReadAheadSource::watchBriefly(std::int64_t index, std::unique_lock<Mutex>& lock) {
    const Chunk* chunk = nullptr;
    for (const Chunk& candidate : chunks_) {
        if (candidate.index == index) chunk = &candidate;  // kept: it is not before keepFrom_
    }
    const std::int64_t begun = begun_.load(std::memory_order_acquire);
    lock.unlock();
    const auto arrived = [&] {
        return chunk != nullptr ? chunk->done.load(std::memory_order_acquire)
                                : begun_.load(std::memory_order_acquire) != begun;
    };
    const auto until = std::chrono::steady_clock::now() + kWatchBeforeSleeping;
    bool came = arrived();
    for (int look = 1; !came; ++look) {
        // The clock is read now and then: it costs more than a look.
        if (look % 64 == 0 && std::chrono::steady_clock::now() >= until) break;
        pauseWhileWatching();
        came = arrived();
    }
    lock.lock();
    return came;
}

std::int64_t ReadAheadSource::length() const { return file_ == nullptr ? -1 : file_->length(); }

const std::uint8_t* ReadAheadSource::view(std::int64_t offset, std::size_t wanted,
                                          std::size_t& available) {
    available = 0;
    if (file_ == nullptr || offset < start_) return readDirectly(offset, wanted, available);
    const std::int64_t index = (offset - start_) / static_cast<std::int64_t>(kChunkSize);
    const auto within =
        static_cast<std::size_t>((offset - start_) % static_cast<std::int64_t>(kChunkSize));
    if (current_ == nullptr || current_->index != index) {
        if (current_ != nullptr && index < current_->index) {
            return readDirectly(offset, wanted, available);
        }
        current_ = acquire(index, index);
        if (current_ == nullptr) return nullptr;
    }
    const std::size_t length = current_->filled.load(std::memory_order_acquire);
    if (within >= length) return nullptr;
    const std::size_t inChunk = length - within;
    if (inChunk >= wanted || length < kChunkSize) {
        available = std::min(wanted, inChunk);
        return current_->bytes + within;
    }
    // Across into the next chunk: both parts are copied together, the chunk in use kept.
    joined_.resize(wanted);
    std::memcpy(joined_.data(), current_->bytes + within, inChunk);
    available = inChunk;
    if (const Chunk* next = acquire(index + 1, index)) {
        const std::size_t more =
            std::min(wanted - inChunk, next->filled.load(std::memory_order_acquire));
        std::memcpy(joined_.data() + inChunk, next->bytes, more);
        available += more;
    }
    return joined_.data();
}

const std::uint8_t* ReadAheadSource::readDirectly(std::int64_t offset, std::size_t wanted,
                                                  std::size_t& available) {
    available = 0;
    if (file_ == nullptr || offset < 0) return nullptr;
    direct_.resize(wanted);
    available = file_->readAt(offset, direct_.data(), wanted);
    return available == 0 ? nullptr : direct_.data();
}

std::size_t ReadAheadSource::readAt(std::int64_t offset, void* out, std::size_t size) {
    if (file_ == nullptr) return 0;
    if (current_ != nullptr) {
        const std::int64_t from = start_ + current_->index * static_cast<std::int64_t>(kChunkSize);
        const auto length =
            static_cast<std::int64_t>(current_->filled.load(std::memory_order_acquire));
        if (offset >= from && offset + static_cast<std::int64_t>(size) <= from + length) {
            std::memcpy(out, current_->bytes + (offset - from), size);
            return size;
        }
    }
    return file_->readAt(offset, out, size);
}

}  // namespace tavrin
