#include "recording/SoundTrack.h"

#include <algorithm>
#include <cstring>

#include "recording/ByteSource.h"

namespace tavrin {

namespace {

constexpr std::size_t kPiece = 4096;
constexpr std::size_t kWriteChunk = 1 << 20;
constexpr std::int64_t kLargestDroppedRemainder = 2048;

void put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

// Milliseconds to sample bytes, truncated.
std::int64_t bytesFor(double milliseconds) {
    return static_cast<std::int64_t>(milliseconds * kSampleRate / 1000.0);
}

}  // namespace

void CapturedSamples::add(const std::uint8_t* samples, std::size_t count) {
    if (bytes.size() + count > kMostBytes) {
        addMissing();
        return;
    }
    entries.push_back({static_cast<std::int64_t>(bytes.size()), count});
    bytes.insert(bytes.end(), samples, samples + count);
}

namespace {

// Up to `count` samples of sound `index` into `out`: from what the scan captured, else from the
// archive. What cannot be had keeps the fill already in `out`.
void fetchSamples(const CapturedSamples& captured, std::size_t index, const FrameInfo& sound,
                  ByteSource& archive, std::uint8_t* out, std::size_t count) {
    if (index < captured.entries.size() && captured.entries[index].offset >= 0) {
        const CapturedSamples::Entry& entry = captured.entries[index];
        std::memcpy(out, captured.bytes.data() + entry.offset, std::min(count, entry.count));
        return;
    }
    archive.readAt(sound.blockPositions[0], out, count);
}

}  // namespace

void buildWaveHeader(std::uint8_t* h) {
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 0);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);  // PCM
    put16(h + 22, 1);  // one channel
    put32(h + 24, kSampleRate);
    put32(h + 28, kSampleRate);  // one byte a sample
    put16(h + 32, 1);
    put16(h + 34, 8);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, 0);
}

void setWaveDataSize(std::uint8_t* h, std::uint32_t dataSize) {
    put32(h + 4, dataSize + 36);
    put32(h + 40, dataSize);
}

bool SoundTrack::create() {
    Path folder = temporaryFolder();
    path_ = folder.empty() ? Path() : createUniqueFile(folder, L"obv");
    if (path_.empty()) return false;
    file_ = BinaryFile::createForWriting(path_);
    if (!file_.isOpen()) return false;
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    file_.write(header, sizeof header);
    return true;
}

void SoundTrack::append(std::vector<std::uint8_t>& samples) {
    file_.write(samples.data(), samples.size());
    samples.clear();
}

void SoundTrack::finish(std::uint32_t dataSize) {
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    setWaveDataSize(header, dataSize);
    if (file_.seek(0)) file_.write(header, sizeof header);
    file_.close();
}

MemorySoundSink::MemorySoundSink() : bytes_(kWaveHeaderSize) { buildWaveHeader(bytes_.data()); }

void MemorySoundSink::append(std::vector<std::uint8_t>& samples) {
    bytes_.insert(bytes_.end(), samples.begin(), samples.end());
    samples.clear();
}

void MemorySoundSink::finish(std::uint32_t dataSize) { setWaveDataSize(bytes_.data(), dataSize); }

namespace {

// Gathers the track and hands it on a megabyte at a time: a track is thousands of small pieces,
// and a system call for each would cost more than the rest of the scan.
class TrackWriter {
public:
    explicit TrackWriter(SoundSink& sink) : sink_(sink) {}

    void put(const std::uint8_t* bytes, std::size_t count) {
        pending_.insert(pending_.end(), bytes, bytes + count);
        if (pending_.size() >= kWriteChunk) sink_.append(pending_);
    }
    // `count` bytes of `value`, within what the track may hold.
    void fill(std::uint8_t value, std::int64_t count, std::int64_t& written) {
        count = std::min(count, kMaxSoundBytes - written);
        while (count > 0) {
            std::size_t k = static_cast<std::size_t>(std::min<std::int64_t>(count, kWriteChunk));
            pending_.insert(pending_.end(), k, value);
            written += static_cast<std::int64_t>(k);
            count -= static_cast<std::int64_t>(k);
            if (pending_.size() >= kWriteChunk) sink_.append(pending_);
        }
    }
    void finish(std::int64_t written) {
        if (!pending_.empty()) sink_.append(pending_);
        sink_.finish(static_cast<std::uint32_t>(written));
    }

private:
    SoundSink& sink_;
    std::vector<std::uint8_t> pending_;
};

}  // namespace

std::int64_t writeSoundTrack(std::vector<FrameInfo>& sounds, const CapturedSamples& captured,
                             double earliestPictureTick, std::size_t pictureCount,
                             bool sawValidPicture, ByteSource& archive, SoundSink& sink) {
    // Tick order, equal ticks keeping file order; the captured samples stay where they are.
    std::vector<std::size_t> order(sounds.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&sounds](std::size_t a, std::size_t b) {
        return sounds[a].tick < sounds[b].tick;
    });
    TrackWriter out(sink);
    std::int64_t written = 0;
    std::uint8_t hold = sawValidPicture ? 1 : 0;

    if (pictureCount > 0 && !sounds.empty()) {
        auto lead = static_cast<std::int64_t>(sounds[order.front()].tick - earliestPictureTick -
                                              kSoundLeadMilliseconds);
        if (lead > 0) out.fill(kSilence, bytesFor(static_cast<double>(lead)), written);
    }

    std::uint8_t samples[kPiece];
    for (std::size_t i = 0; i + 1 < order.size() && written < kMaxSoundBytes; ++i) {
        const FrameInfo& sound = sounds[order[i]];
        std::int64_t gap = bytesFor(static_cast<double>(sounds[order[i + 1]].tick - sound.tick));
        if (gap <= kShortestGap) continue;
        std::size_t m = sound.payloadSize <= 0
                            ? 0
                            : std::min<std::size_t>(static_cast<std::size_t>(sound.payloadSize), kPiece);
        m = std::min<std::size_t>(m, static_cast<std::size_t>(kMaxSoundBytes - written));
        if (m > 0) {
            std::memset(samples, hold, m);
            fetchSamples(captured, order[i], sound, archive, samples, m);
            hold = samples[m - 1];
            out.put(samples, m);
            written += static_cast<std::int64_t>(m);
        }
        // The gap is held at the last sample, in whole 4096-byte pieces; a remainder up to 2048 is
        // lost.
        std::int64_t remaining = gap - static_cast<std::int64_t>(m);
        std::int64_t fill = 0;
        while (remaining > kLargestDroppedRemainder) {
            std::int64_t k = std::min<std::int64_t>(remaining, kPiece);
            fill += k;
            remaining -= k;
        }
        out.fill(hold, fill, written);
    }

    if (!order.empty() && written < kMaxSoundBytes && sounds[order.back()].payloadSize > 0) {
        const FrameInfo& last = sounds[order.back()];
        std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(last.payloadSize), kPiece);
        k = std::min<std::size_t>(k, static_cast<std::size_t>(kMaxSoundBytes - written));
        std::memset(samples, kSilence, k);
        fetchSamples(captured, order.back(), last, archive, samples, k);
        out.put(samples, k);
        written += static_cast<std::int64_t>(k);
    }
    sounds.clear();
    out.finish(written);
    return written;
}

void SoundTrack::remove() {
    file_.close();
    if (!path_.empty()) deleteFile(path_);
    path_.clear();
}

}  // namespace tavrin
