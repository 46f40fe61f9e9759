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
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    readerWakes_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ReadAheadSource::begin(BinaryFile& file, std::int64_t offset) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        file_ = &file;
        start_ = offset;
        nextIndex_ = 0;
        keepFrom_ = 0;
        endIndex_ = -1;
        for (Chunk& chunk : chunks_) {
            chunk.index = -1;
            chunk.full = false;
        }
        active_ = true;
    }
    current_ = nullptr;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // Without a thread every chunk is read when it is wanted (see acquire).
        }
    }
    readerWakes_.notify_one();
}

void ReadAheadSource::end() {
    std::unique_lock<std::mutex> lock(lock_);
    active_ = false;
    // The file may close once this returns, so a read in progress has to finish first.
    chunkReady_.wait(lock, [this] { return !reading_; });
    file_ = nullptr;
    for (Chunk& chunk : chunks_) {
        chunk.index = -1;
        chunk.full = false;
    }
    current_ = nullptr;
}

void ReadAheadSource::run() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        Chunk* slot = nullptr;
        std::int64_t index = 0;
        // A chunk is read when the scan has let go of one and there is more of the file.
        readerWakes_.wait(lock, [&] {
            if (stopping_) return true;
            if (!active_) return false;
            index = std::max(nextIndex_, keepFrom_);
            if (index >= keepFrom_ + kChunks || (endIndex_ >= 0 && index >= endIndex_))
                return false;
            for (Chunk& chunk : chunks_) {
                if (chunk.index < keepFrom_) {
                    slot = &chunk;
                    return true;
                }
            }
            return false;
        });
        if (stopping_) return;
        slot->index = index;
        slot->full = false;
        reading_ = true;
        BinaryFile* file = file_;
        const std::int64_t offset = start_ + index * static_cast<std::int64_t>(kChunkSize);
        lock.unlock();
        std::size_t got = 0;
        try {
            if (slot->bytes == nullptr) slot->bytes = pagePlaced(slot->storage, kChunkSize);
            std::lock_guard<std::mutex> reading(fileLock_);
            got = file->readAt(offset, slot->bytes, kChunkSize);
        } catch (const std::bad_alloc&) {
            got = 0;  // as a read error: the scan ends there
        }
        lock.lock();
        reading_ = false;
        slot->length = got;
        slot->full = true;
        nextIndex_ = index + 1;
        // Nothing is read past a short read: the end of the file, or a read error.
        if (got < kChunkSize) endIndex_ = index + 1;
        chunkReady_.notify_all();
    }
}

const ReadAheadSource::Chunk* ReadAheadSource::acquire(std::int64_t index, std::int64_t keepFrom) {
    std::unique_lock<std::mutex> lock(lock_);
    if (keepFrom > keepFrom_) {
        keepFrom_ = keepFrom;
        readerWakes_.notify_one();
    }
    for (;;) {
        if (endIndex_ >= 0 && index >= endIndex_) return nullptr;
        for (Chunk& chunk : chunks_) {
            if (chunk.index == index && chunk.full) return &chunk;
        }
        if (!thread_.joinable()) {
            // No thread to read ahead: the wanted chunk is read here, into any free slot.
            for (Chunk& chunk : chunks_) {
                if (chunk.index >= keepFrom_) continue;
                if (chunk.bytes == nullptr) chunk.bytes = pagePlaced(chunk.storage, kChunkSize);
                chunk.index = index;
                std::lock_guard<std::mutex> reading(fileLock_);
                chunk.length = file_->readAt(start_ + index * static_cast<std::int64_t>(kChunkSize),
                                             chunk.bytes, kChunkSize);
                chunk.full = true;
                if (chunk.length < kChunkSize) endIndex_ = index + 1;
                return &chunk;
            }
            return nullptr;
        }
        chunkReady_.wait(lock);
    }
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
    if (within >= current_->length) return nullptr;
    const std::size_t inChunk = current_->length - within;
    if (inChunk >= wanted || current_->length < kChunkSize) {
        available = std::min(wanted, inChunk);
        return current_->bytes + within;
    }
    // Across into the next chunk: both parts are copied together, the chunk in use kept.
    joined_.resize(wanted);
    std::memcpy(joined_.data(), current_->bytes + within, inChunk);
    available = inChunk;
    if (const Chunk* next = acquire(index + 1, index)) {
        const std::size_t more = std::min(wanted - inChunk, next->length);
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
    std::lock_guard<std::mutex> reading(fileLock_);
    available = file_->readAt(offset, direct_.data(), wanted);
    return available == 0 ? nullptr : direct_.data();
}

std::size_t ReadAheadSource::readAt(std::int64_t offset, void* out, std::size_t size) {
    if (file_ == nullptr) return 0;
    if (current_ != nullptr) {
        const std::int64_t from = start_ + current_->index * static_cast<std::int64_t>(kChunkSize);
        if (offset >= from && offset + static_cast<std::int64_t>(size) <=
                                  from + static_cast<std::int64_t>(current_->length)) {
            std::memcpy(out, current_->bytes + (offset - from), size);
            return size;
        }
    }
    std::lock_guard<std::mutex> reading(fileLock_);
    return file_->readAt(offset, out, size);
}

}  // namespace tavrin
