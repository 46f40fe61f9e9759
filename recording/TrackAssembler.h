#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "recording/FrameInfo.h"

namespace tavrin {

class ByteSource;
class SoundSink;

// Builds a recording's sound track: the sound blocks in tick order, each gap held at the last
// sample, led by silence or not so that it lines up with the earliest picture. A recording's sound
// blocks come in tick order, so while the scan goes on each block is written as soon as the next
// one tells how far apart they are, and full buffers go to the sink before the scan has ended.
// What breaks that (a block out of tick order, a picture earlier than those seen when the first
// buffer went out, ...) shows at the end, and the track is then written again from the sorted
// blocks, their samples read back from the archive: the result is the same either way.
class TrackAssembler {
public:
    // Buffers of this size go to the sink.
    static constexpr std::size_t kBufferSize = 1 << 20;
    // No block contributes more samples than this.
    static constexpr std::size_t kMostSamplesPerBlock = 4096;

    // Begins a track for `sink`, which holds its placeholder header only. The assembler keeps its
    // buffer from one track to the next.
    void start(SoundSink& sink);
    // The next sound block the scan accepted, in file order, with its samples as read at its
    // payload: fewer than min(payload size, 4096) only at the end of the data.
    // `earliestPictureTick` is the smallest tick of the pictures met so far (the largest double
    // when none).
    void add(const FrameInfo& sound, const std::uint8_t* samples, std::size_t count,
             double earliestPictureTick);
    // Completes the track once the scan has ended: `sounds` are the blocks added (released here),
    // `earliestPictureTick` the smallest tick of the pictures found, `pictureCount` how many there
    // are, `sawValidPicture` whether a picture passed the device check. Finishes the sink and
    // returns the number of sample bytes.
    std::int64_t finish(std::vector<FrameInfo>& sounds, double earliestPictureTick,
                        std::size_t pictureCount, bool sawValidPicture, ByteSource& archive);
    // The whole track from the blocks at once, in tick order (what finish falls back to).
    std::int64_t writeSorted(std::vector<FrameInfo>& sounds, double earliestPictureTick,
                             std::size_t pictureCount, bool sawValidPicture, ByteSource& archive);

private:
    // The block written last: its samples are the buffer's last bytes until the next block
    // decides whether they stay.
    struct Pending {
        bool present = false;
        std::int64_t tick = 0;
        std::size_t start = 0;  // in buffer_
        std::size_t count = 0;  // samples it contributes
        std::size_t read = 0;   // of them read from the archive; the rest padded
        std::uint8_t holdBefore = 0;
        bool holdFromSamplesBefore = false;
    };

    void reset(std::uint8_t initialHold);
    // Drops or keeps the pending block now that the next one's tick is known, and fills the gap.
    void settle(std::int64_t nextTick);
    void put(const FrameInfo& sound, const std::uint8_t* samples, std::size_t count);
    // The pending block as the track's last: its padding is silence.
    void closeLast();
    void fill(std::uint8_t value, std::int64_t count);
    // Hands the buffer to the sink, the leading silence first when it goes out first; false when
    // the track cannot be written while scanning after all.
    bool handOff();
    // Gives the samples held to the sink, and empties the buffer.
    void passBuffer();
    // Starts the (empty) buffer's samples where the system copies them into the file fastest.
    void placeNextSamples();
    std::size_t samplesHeld() const { return buffer_.size() - samplesFrom_; }
    void decideLead(std::int64_t lead);
    // Gives up writing while scanning; finish writes the track from the sorted blocks.
    void abandon();

    SoundSink* sink_ = nullptr;
    // The samples start at samplesFrom_; the bytes before it only place them in memory.
    std::vector<std::uint8_t> buffer_;
    std::size_t samplesFrom_ = 0;
    std::int64_t written_ = 0;  // sample bytes, the leading silence included once decided
    bool leadDecided_ = false;
    std::int64_t lead_ = 0;
    std::uint8_t hold_ = 0;
    bool holdFromSamples_ = false;
    bool initialHoldUsed_ = false;
    bool streaming_ = false;
    Pending pending_;
    std::int64_t firstTick_ = 0;
    std::size_t added_ = 0;
    double earliestPictureTick_ = 0.0;
};

}  // namespace tavrin
