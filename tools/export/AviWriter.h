#pragma once

// An AVI file of one Motion-JPEG video stream at 28 frames a second and one PCM sound stream
// (8-bit unsigned, mono, 13,183 samples a second), frame by frame. Pictures go in as they are:
// each frame's JPEG stream is one chunk, bit for bit. Up to the size limit the file is a plain
// AVI with its classic index; a larger one continues in further RIFF parts with the OpenDML
// indexes (the classic format's offsets end at 1 GiB on many readers, and at 2 GiB in the
// format itself).

#include <cstdint>
#include <vector>

#include "tools/export/RiffBytes.h"
#include "tools/export/RiffSink.h"

namespace tavrin::exporter {

constexpr std::int64_t kRiffLimit = std::int64_t{1} << 30;
constexpr int kFramesPerSecond = 28;
constexpr int kSamplesPerSecond = 13183;

class AviWriter {
public:
    // `expectedBytes` is about how much picture and sound data will come (it sizes the reserve
    // for the OpenDML index of indexes); `riffLimit` is the largest a RIFF part may grow.
    AviWriter(RiffSink& out, int width, int height, std::int64_t expectedBytes,
              std::int64_t riffLimit = kRiffLimit);

    // One frame: its picture and the sound samples that play with it.
    void addFrame(const std::uint8_t* picture, std::size_t pictureBytes,
                  const std::uint8_t* samples, std::size_t sampleCount);
    // Writes the indexes and the final header counts.
    void finish();

    std::int32_t frames() const { return totalFrames_; }
    std::int64_t samples() const { return totalSamples_; }
    int riffParts() const { return static_cast<int>(parts_.size()); }

private:
    struct IndexEntry {
        std::int64_t chunkOffset;  // of the chunk's header
        std::uint32_t size;
        bool video;
    };
    struct Part {
        std::int64_t riffOffset;
        std::int64_t moviFourCcOffset;
        std::int32_t frames = 0;
        std::int64_t samples = 0;
        // Where its OpenDML indexes were written, once they are.
        std::int64_t videoIndexOffset = 0, audioIndexOffset = 0;
        std::uint32_t videoIndexBytes = 0, audioIndexBytes = 0;
    };

    void writeHeader();
    void startPart();
    void closePart(bool withOpenDmlIndexes);
    void writeChunk(const char* id, const std::uint8_t* bytes, std::size_t count, bool video);
    std::int64_t pendingIndexBytes(std::size_t extraEntries) const;
    std::int64_t writeStandardIndex(const char* id, const char* chunkId, bool video,
                                    std::uint32_t& bytes);
    void writeLegacyIndex();
    void patchHeader();

    RiffSink& out_;
    int width_;
    int height_;
    std::int64_t riffLimit_;
    int superIndexCapacity_;
    std::vector<Part> parts_;
    std::vector<IndexEntry> entries_;  // of the part being written
    std::int32_t totalFrames_ = 0;
    std::int64_t totalSamples_ = 0;
    std::uint32_t largestVideoChunk_ = 0;
    std::uint32_t largestAudioChunk_ = 0;
    RiffBytes scratch_;
    // Offsets of the header fields filled in at the end.
    struct HeaderPlaces {
        std::size_t avihTotalFrames, avihBufferSize, avihMaxBytesPerSecond;
        std::size_t videoLength, videoBufferSize, audioLength, audioBufferSize;
        std::size_t videoSuperIndex, audioSuperIndex, odml;
        std::size_t headerBytes;
    } places_{};
};

}  // namespace tavrin::exporter
