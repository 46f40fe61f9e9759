#include <algorithm>
#include <cstring>

#include "recording/SoundSink.h"
#include "recording/SoundTrack.h"

namespace tavrin {

MemorySoundSink::MemorySoundSink() { restart(); }

void MemorySoundSink::append(std::vector<std::uint8_t>& buffer, std::size_t from) {
    if (buffer.size() <= from) {
        buffer.clear();
        return;
    }
    const std::size_t at = samples_.size();
    const std::size_t size = buffer.size() - from;
    // Copied with memcpy, which stays fast where the sanitizers check memory (memmove does not).
    samples_.resize(at + size);
    std::memcpy(samples_.data() + at, buffer.data() + from, size);
    const auto count = static_cast<std::int64_t>(size);
    pieces_.push_back({count, static_cast<std::int64_t>(at), 0});
    sampleCount_ += count;
    buffer.clear();
}

void MemorySoundSink::appendRun(std::uint8_t value, std::int64_t count) {
    if (count <= 0) return;
    pieces_.push_back({count, -1, value});
    sampleCount_ += count;
}

void MemorySoundSink::restart() {
    buildWaveHeader(header_);
    samples_.clear();
    pieces_.clear();
    sampleCount_ = 0;
}

void MemorySoundSink::finish(std::uint32_t dataSize) { setWaveDataSize(header_, dataSize); }

std::vector<std::uint8_t> MemorySoundSink::bytes() const {
    std::vector<std::uint8_t> all(header_, header_ + kWaveHeaderSize);
    for (const Piece& piece : pieces_) {
        if (piece.at < 0) {
            all.insert(all.end(), static_cast<std::size_t>(piece.count), piece.value);
        } else {
            const auto from = samples_.begin() + piece.at;
            all.insert(all.end(), from, from + piece.count);
        }
    }
    return all;
}

namespace {

// Whether `count` bytes at `bytes` all equal `value`, compared a block at a time.
bool allEqual(const std::uint8_t* bytes, std::size_t count, std::uint8_t value) {
    std::uint8_t block[4096];
    std::memset(block, value, sizeof block);
    for (std::size_t done = 0; done < count; done += sizeof block) {
        if (std::memcmp(bytes + done, block, std::min(sizeof block, count - done)) != 0)
            return false;
    }
    return true;
}

}  // namespace

bool MemorySoundSink::sameBytesAs(const MemorySoundSink& other) const {
    if (std::memcmp(header_, other.header_, kWaveHeaderSize) != 0) return false;
    if (sampleCount_ != other.sampleCount_) return false;
    // Both walked piece by piece; each step compares as much as both current pieces still hold.
    std::size_t i = 0, j = 0;
    std::int64_t inA = 0, inB = 0;  // bytes of the current pieces already compared
    while (i < pieces_.size() && j < other.pieces_.size()) {
        const Piece& a = pieces_[i];
        const Piece& b = other.pieces_[j];
        const std::int64_t n = std::min(a.count - inA, b.count - inB);
        const std::uint8_t* aBytes = a.at < 0 ? nullptr : samples_.data() + a.at + inA;
        const std::uint8_t* bBytes = b.at < 0 ? nullptr : other.samples_.data() + b.at + inB;
        const auto size = static_cast<std::size_t>(n);
        bool same = aBytes == nullptr
                        ? (bBytes == nullptr ? a.value == b.value : allEqual(bBytes, size, a.value))
                    : bBytes == nullptr ? allEqual(aBytes, size, b.value)
                                        : std::memcmp(aBytes, bBytes, size) == 0;
        if (!same) return false;
        inA += n;
        inB += n;
        if (inA == a.count) i++, inA = 0;
        if (inB == b.count) j++, inB = 0;
    }
    return true;
}

}  // namespace tavrin
