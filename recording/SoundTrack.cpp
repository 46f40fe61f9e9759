#include "recording/SoundTrack.h"

#include <cstring>

namespace tavrin {

namespace {

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
    if (path_.empty()) {
        dropRetired();
        return false;
    }
    if (!retired_.empty()) {
        // The retired file takes the new name in place of the empty file the service made.
        const bool freed = deleteFile(path_);
        if (freed && renameToFreeName(retired_, path_)) {
            retired_.clear();
        } else {
            dropRetired();
            // A name given up may be another file's by now.
            if (freed) path_ = createUniqueFile(folder, L"obv");
            if (path_.empty()) return false;
        }
    }
    // Written from its start, not emptied first: emptying a file to nothing makes ext4 (and
    // Wine's replacing open does so) write it to the disk when it closes. finish() cuts off
    // what a longer track left.
    file_ = BinaryFile::openForWriting(path_);
    if (!file_.isOpen()) return false;
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    file_.write(header, sizeof header);
    return true;
}

void SoundTrack::append(std::vector<std::uint8_t>& buffer, std::size_t from) {
    writer_.write(file_, buffer, from);
}

void SoundTrack::appendRun(std::uint8_t value, std::int64_t count) {
    writer_.writeRun(file_, value, count);
}

void SoundTrack::restart() {
    writer_.drain();
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    if (file_.seek(0)) file_.write(header, sizeof header);
    file_.truncate(static_cast<std::int64_t>(kWaveHeaderSize));
}

void SoundTrack::finish(std::uint32_t dataSize) {
    writer_.drain();
    std::uint8_t header[kWaveHeaderSize];
    buildWaveHeader(header);
    setWaveDataSize(header, dataSize);
    // A file written over holds the end of a longer track behind this one.
    const std::int64_t end = static_cast<std::int64_t>(kWaveHeaderSize) + dataSize;
    if (file_.length() > end) file_.truncate(end);
    if (file_.seek(0)) file_.write(header, sizeof header);
    file_.close();
}

void SoundTrack::retire() {
    writer_.drain();
    file_.close();
    dropRetired();
    retired_ = path_;
    path_.clear();
}

void SoundTrack::dropRetired() {
    writer_.deleteLater(retired_);
    retired_.clear();
}

void SoundTrack::settle() { writer_.drain(); }

void SoundTrack::remove() {
    writer_.drain();
    file_.close();
    if (!path_.empty()) deleteFile(path_);
    path_.clear();
    if (!retired_.empty()) deleteFile(retired_);
    retired_.clear();
}

}  // namespace tavrin
