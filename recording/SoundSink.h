#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrin {

// Where a recording's sound track goes: the temporary wave file the player reads, or memory
// (the fuzzer and tests). Both start with the 44-byte placeholder header.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Appends the bytes of `buffer` from `from` on behind what was written so far (those before
    // only place the samples in memory). Takes the bytes and leaves the buffer empty, with memory
    // the caller may reuse.
    virtual void append(std::vector<std::uint8_t>& buffer, std::size_t from) = 0;
    // Appends `count` bytes of `value` (silence, or a gap held at its last sample).
    virtual void appendRun(std::uint8_t value, std::int64_t count) = 0;
    // Drops every sample written so far: the placeholder header is all there is again.
    virtual void restart() = 0;
    // Writes the header again with the sizes for `dataSize` bytes of samples, and ends the track.
    virtual void finish(std::uint32_t dataSize) = 0;
};

// A wave file in memory. Runs are kept as runs, so a damaged recording's track of minutes of
// held samples costs next to nothing to hold and compare.
class MemorySoundSink : public SoundSink {
public:
    MemorySoundSink();
    void append(std::vector<std::uint8_t>& buffer, std::size_t from) override;
    void appendRun(std::uint8_t value, std::int64_t count) override;
    void restart() override;
    void finish(std::uint32_t dataSize) override;

    // The header and the samples, as the file would hold them.
    std::vector<std::uint8_t> bytes() const;
    const std::uint8_t* header() const { return header_; }
    std::int64_t sampleCount() const { return sampleCount_; }
    // Whether both hold the same header and samples.
    bool sameBytesAs(const MemorySoundSink& other) const;

private:
    struct Piece {
        std::int64_t count;
        std::int64_t at;  // where its bytes start in samples_, or -1 for a run
        std::uint8_t value;
    };

    std::uint8_t header_[44];
    std::vector<std::uint8_t> samples_;
    std::vector<Piece> pieces_;
    std::int64_t sampleCount_ = 0;
};

}  // namespace tavrin
