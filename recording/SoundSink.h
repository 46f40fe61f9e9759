#pragma once

#include <cstdint>
#include <vector>

namespace tavrin {

// Where a recording's sound track goes: the temporary wave file the player reads, or memory
// (the fuzzer and tests). Both start with the 44-byte placeholder header.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Appends `samples` behind what was written so far. Takes the bytes and leaves the buffer
    // empty, with memory the caller may reuse.
    virtual void append(std::vector<std::uint8_t>& samples) = 0;
    // Writes the header again with the sizes for `dataSize` bytes of samples, and ends the track.
    virtual void finish(std::uint32_t dataSize) = 0;
};

// A wave file in memory.
class MemorySoundSink : public SoundSink {
public:
    MemorySoundSink();
    void append(std::vector<std::uint8_t>& samples) override;
    void finish(std::uint32_t dataSize) override;
    // The header and the samples, as the file would hold them.
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace tavrin
