#pragma once

// The viewer's own sound track cut to slots: slot s plays samples s * 13183 / 28 up to (s + 1)
// * 13183 / 28 of the recording's track, so picture and sound keep the viewer's alignment in any
// clip. Where the track ends early the slots get silence.

#include <cstdint>
#include <vector>

namespace tavrin {
class VideoArchive;
}

namespace tavrin::exporter {

// The first sample of slot `slot`.
std::int64_t slotStartSample(std::int64_t slot);

class SoundSlots {
public:
    // Reads the samples of slots [firstSlot, endSlot) from the archive's temporary wave file.
    SoundSlots(const VideoArchive& archive, std::int32_t firstSlot, std::int32_t endSlot);

    struct Span {
        const std::uint8_t* samples;
        std::size_t count;
    };
    Span slot(std::int32_t slot) const;

private:
    std::int64_t firstSample_;
    std::vector<std::uint8_t> samples_;
};

}  // namespace tavrin::exporter
