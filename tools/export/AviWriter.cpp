#include "tools/export/AviWriter.h"

#include <algorithm>

#include "tools/export/ExportError.h"

namespace tavrin::exporter {

namespace {

constexpr std::uint32_t kAviHasIndex = 0x10;
constexpr std::uint32_t kAviIsInterleaved = 0x100;
constexpr std::uint32_t kAviTrustChunkType = 0x800;
constexpr std::uint32_t kIndexKeyFrame = 0x10;
constexpr std::uint32_t kStandardIndexDeltaFrame = 0x80000000u;
constexpr std::size_t kMainHeaderBytes = 56;
constexpr std::size_t kStreamHeaderBytes = 56;
constexpr std::size_t kSuperIndexHeaderBytes = 24;
constexpr std::size_t kSuperIndexEntryBytes = 16;
constexpr std::size_t kStandardIndexHeaderBytes = 24;
constexpr std::size_t kStandardIndexEntryBytes = 8;
constexpr std::size_t kLegacyIndexEntryBytes = 16;
constexpr std::size_t kExtendedHeaderBytes = 248;  // dmlh: total frames and reserved space
constexpr std::uint32_t kMicrosecondsPerFrame = 1000000 / kFramesPerSecond;

std::uint32_t padded(std::size_t bytes) { return static_cast<std::uint32_t>(bytes + (bytes & 1)); }

}  // namespace

AviWriter::AviWriter(RiffSink& out, int width, int height, std::int64_t expectedBytes,
                     std::int64_t riffLimit)
    : out_(out), width_(width), height_(height), riffLimit_(riffLimit) {
    // Each part holds at least half the limit before the next starts; a few spare entries
    // cover the overhead of headers and indexes.
    superIndexCapacity_ =
        static_cast<int>(std::max<std::int64_t>(expectedBytes / (riffLimit / 2), 0)) + 4;
    writeHeader();
    startPart();
}

void AviWriter::writeHeader() {
    RiffBytes h;
    h.putFourCc("RIFF");
    h.put32(0);
    h.putFourCc("AVI ");
    h.putFourCc("LIST");
    const std::size_t hdrlSize = h.size();
    h.put32(0);
    h.putFourCc("hdrl");

    h.putFourCc("avih");
    h.put32(kMainHeaderBytes);
    h.put32(kMicrosecondsPerFrame);
    places_.avihMaxBytesPerSecond = h.size();
    h.put32(0);
    h.put32(0);  // padding granularity
    h.put32(kAviHasIndex | kAviIsInterleaved | kAviTrustChunkType);
    places_.avihTotalFrames = h.size();
    h.put32(0);
    h.put32(0);  // initial frames
    h.put32(2);  // streams
    places_.avihBufferSize = h.size();
    h.put32(0);
    h.put32(static_cast<std::uint32_t>(width_));
    h.put32(static_cast<std::uint32_t>(height_));
    h.putZeros(16);

    const std::size_t superIndexBytes =
        kSuperIndexHeaderBytes +
        kSuperIndexEntryBytes * static_cast<std::size_t>(superIndexCapacity_);
    for (const bool video : {true, false}) {
        h.putFourCc("LIST");
        const std::size_t strlSize = h.size();
        h.put32(0);
        h.putFourCc("strl");
        h.putFourCc("strh");
        h.put32(kStreamHeaderBytes);
        h.putFourCc(video ? "vids" : "auds");
        if (video) {
            h.putFourCc("MJPG");
        } else {
            h.put32(0);
        }
        h.put32(0);  // flags
        h.put32(0);  // priority and language
        h.put32(0);  // initial frames
        h.put32(1);  // scale
        h.put32(video ? kFramesPerSecond : kSamplesPerSecond);
        h.put32(0);  // start
        (video ? places_.videoLength : places_.audioLength) = h.size();
        h.put32(0);
        (video ? places_.videoBufferSize : places_.audioBufferSize) = h.size();
        h.put32(0);
        h.put32(0xFFFFFFFFu);    // quality: the default
        h.put32(video ? 0 : 1);  // sample size: one byte per sample
        h.put16(0);              // frame rectangle
        h.put16(0);
        h.put16(video ? static_cast<std::uint32_t>(width_) : 0);
        h.put16(video ? static_cast<std::uint32_t>(height_) : 0);

        h.putFourCc("strf");
        if (video) {
            h.put32(40);  // BITMAPINFOHEADER
            h.put32(40);
            h.put32(static_cast<std::uint32_t>(width_));
            h.put32(static_cast<std::uint32_t>(height_));
            h.put16(1);   // planes
            h.put16(24);  // bits per pixel once decoded
            h.putFourCc("MJPG");
            h.put32(static_cast<std::uint32_t>(width_ * height_ * 3));
            h.putZeros(16);
        } else {
            h.put32(16);  // PCMWAVEFORMAT
            h.put16(1);   // PCM
            h.put16(1);   // mono
            h.put32(kSamplesPerSecond);
            h.put32(kSamplesPerSecond);  // bytes per second
            h.put16(1);                  // block alignment
            h.put16(8);                  // bits per sample
        }
        // Room for the OpenDML index of indexes; a filler chunk until a second part needs it.
        (video ? places_.videoSuperIndex : places_.audioSuperIndex) = h.size();
        h.putFourCc("JUNK");
        h.put32(static_cast<std::uint32_t>(superIndexBytes));
        h.putZeros(superIndexBytes);
        h.set32(strlSize, static_cast<std::uint32_t>(h.size() - strlSize - 4));
    }
    // Room for the OpenDML header list with the total frame count.
    places_.odml = h.size();
    h.putFourCc("JUNK");
    h.put32(4 + 8 + kExtendedHeaderBytes);
    h.putZeros(4 + 8 + kExtendedHeaderBytes);
    h.set32(hdrlSize, static_cast<std::uint32_t>(h.size() - hdrlSize - 4));
    places_.headerBytes = h.size();
    out_.write(h.data(), h.size());
}

void AviWriter::startPart() {
    Part part;
    part.riffOffset = out_.size();
    RiffBytes h;
    if (!parts_.empty()) {
        h.putFourCc("RIFF");
        h.put32(0);
        h.putFourCc("AVIX");
    }
    h.putFourCc("LIST");
    h.put32(0);
    part.moviFourCcOffset = out_.size() + static_cast<std::int64_t>(h.size());
    h.putFourCc("movi");
    if (parts_.empty()) part.riffOffset = 0;
    out_.write(h.data(), h.size());
    parts_.push_back(part);
    entries_.clear();
}

std::int64_t AviWriter::pendingIndexBytes(std::size_t extraEntries) const {
    const std::size_t entries = entries_.size() + extraEntries;
    std::int64_t bytes = 2 * static_cast<std::int64_t>(8 + kStandardIndexHeaderBytes) +
                         static_cast<std::int64_t>(entries * kStandardIndexEntryBytes);
    if (parts_.size() == 1)
        bytes += 8 + static_cast<std::int64_t>(entries * kLegacyIndexEntryBytes);
    return bytes;
}

void AviWriter::addFrame(const std::uint8_t* picture, std::size_t pictureBytes,
                         const std::uint8_t* samples, std::size_t sampleCount) {
    const std::int64_t frameBytes =
        8 + padded(pictureBytes) + (sampleCount > 0 ? 8 + padded(sampleCount) : 0);
    const Part& part = parts_.back();
    if (part.frames > 0 &&
        out_.size() + frameBytes + pendingIndexBytes(2) - part.riffOffset > riffLimit_) {
        closePart(true);
        startPart();
    }
    if (sampleCount > 0) writeChunk("01wb", samples, sampleCount, false);
    writeChunk("00dc", picture, pictureBytes, true);
    ++parts_.back().frames;
    parts_.back().samples += static_cast<std::int64_t>(sampleCount);
    ++totalFrames_;
    totalSamples_ += static_cast<std::int64_t>(sampleCount);
}

void AviWriter::writeChunk(const char* id, const std::uint8_t* bytes, std::size_t count,
                           bool video) {
    entries_.push_back({out_.size(), static_cast<std::uint32_t>(count), video});
    scratch_.clear();
    scratch_.putFourCc(id);
    scratch_.put32(static_cast<std::uint32_t>(count));
    out_.write(scratch_.data(), scratch_.size());
    out_.write(bytes, count);
    if (count & 1) out_.write("", 1);
    std::uint32_t& largest = video ? largestVideoChunk_ : largestAudioChunk_;
    largest = std::max(largest, static_cast<std::uint32_t>(count));
}

std::int64_t AviWriter::writeStandardIndex(const char* id, const char* chunkId, bool video,
                                           std::uint32_t& bytes) {
    const std::int64_t at = out_.size();
    const Part& part = parts_.back();
    std::uint32_t count = 0;
    for (const IndexEntry& e : entries_) count += e.video == video ? 1 : 0;
    scratch_.clear();
    scratch_.putFourCc(id);
    scratch_.put32(
        static_cast<std::uint32_t>(kStandardIndexHeaderBytes + count * kStandardIndexEntryBytes));
    scratch_.put16(2);       // longs per entry
    scratch_.put16(0x0100);  // sub-type 0, type: index of chunks
    scratch_.put32(count);
    scratch_.putFourCc(chunkId);
    scratch_.put64(static_cast<std::uint64_t>(part.riffOffset));
    scratch_.put32(0);
    for (const IndexEntry& e : entries_) {
        if (e.video != video) continue;
        // Offsets point at the chunk's data; every picture is a key frame.
        scratch_.put32(static_cast<std::uint32_t>(e.chunkOffset + 8 - part.riffOffset));
        scratch_.put32(e.size & ~kStandardIndexDeltaFrame);
    }
    bytes = static_cast<std::uint32_t>(scratch_.size());
    out_.write(scratch_.data(), scratch_.size());
    return at;
}

void AviWriter::writeLegacyIndex() {
    const Part& part = parts_.front();
    scratch_.clear();
    scratch_.putFourCc("idx1");
    scratch_.put32(static_cast<std::uint32_t>(entries_.size() * kLegacyIndexEntryBytes));
    for (const IndexEntry& e : entries_) {
        scratch_.putFourCc(e.video ? "00dc" : "01wb");
        scratch_.put32(kIndexKeyFrame);
        scratch_.put32(static_cast<std::uint32_t>(e.chunkOffset - part.moviFourCcOffset));
        scratch_.put32(e.size);
    }
    out_.write(scratch_.data(), scratch_.size());
}

void AviWriter::closePart(bool withOpenDmlIndexes) {
    Part& part = parts_.back();
    if (withOpenDmlIndexes) {
        if (static_cast<int>(parts_.size()) > superIndexCapacity_) {
            throw ExportError("the video is larger than its index was planned for");
        }
        part.videoIndexOffset = writeStandardIndex("ix00", "00dc", true, part.videoIndexBytes);
        part.audioIndexOffset = writeStandardIndex("ix01", "01wb", false, part.audioIndexBytes);
    }
    const std::int64_t moviEnd = out_.size();
    scratch_.clear();
    scratch_.put32(static_cast<std::uint32_t>(moviEnd - part.moviFourCcOffset));
    out_.overwrite(part.moviFourCcOffset - 4, scratch_.data(), 4);
    if (parts_.size() == 1) writeLegacyIndex();
    scratch_.clear();
    scratch_.put32(static_cast<std::uint32_t>(out_.size() - part.riffOffset - 8));
    out_.overwrite(part.riffOffset + 4, scratch_.data(), 4);
}

void AviWriter::finish() {
    closePart(parts_.size() > 1);
    patchHeader();
}

void AviWriter::patchHeader() {
    const bool openDml = parts_.size() > 1;
    auto patch32 = [this](std::size_t offset, std::uint32_t value) {
        RiffBytes b;
        b.put32(value);
        out_.overwrite(static_cast<std::int64_t>(offset), b.data(), 4);
    };
    // A reader that knows only the classic format sees the first part's frames.
    patch32(places_.avihTotalFrames,
            static_cast<std::uint32_t>(openDml ? parts_.front().frames : totalFrames_));
    patch32(places_.avihBufferSize, std::max(largestVideoChunk_, largestAudioChunk_) + 8);
    patch32(places_.avihMaxBytesPerSecond,
            (largestVideoChunk_ + 8) * kFramesPerSecond + kSamplesPerSecond);
    patch32(places_.videoLength, static_cast<std::uint32_t>(totalFrames_));
    patch32(places_.videoBufferSize, largestVideoChunk_);
    patch32(places_.audioLength, static_cast<std::uint32_t>(totalSamples_));
    patch32(places_.audioBufferSize, largestAudioChunk_);
    if (!openDml) return;

    for (const bool video : {true, false}) {
        RiffBytes index;
        index.putFourCc("indx");
        index.put32(static_cast<std::uint32_t>(kSuperIndexHeaderBytes +
                                               kSuperIndexEntryBytes * superIndexCapacity_));
        index.put16(4);  // longs per entry
        index.put16(0);  // sub-type 0, type: index of indexes
        index.put32(static_cast<std::uint32_t>(parts_.size()));
        index.putFourCc(video ? "00dc" : "01wb");
        index.putZeros(12);
        for (const Part& part : parts_) {
            index.put64(
                static_cast<std::uint64_t>(video ? part.videoIndexOffset : part.audioIndexOffset));
            index.put32(video ? part.videoIndexBytes : part.audioIndexBytes);
            index.put32(video ? static_cast<std::uint32_t>(part.frames)
                              : static_cast<std::uint32_t>(part.samples));
        }
        out_.overwrite(
            static_cast<std::int64_t>(video ? places_.videoSuperIndex : places_.audioSuperIndex),
            index.data(), index.size());
    }
    RiffBytes odml;
    odml.putFourCc("LIST");
    odml.put32(4 + 8 + kExtendedHeaderBytes);
    odml.putFourCc("odml");
    odml.putFourCc("dmlh");
    odml.put32(kExtendedHeaderBytes);
    odml.put32(static_cast<std::uint32_t>(totalFrames_));
    out_.overwrite(static_cast<std::int64_t>(places_.odml), odml.data(), odml.size());
}

}  // namespace tavrin::exporter
