#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "recording/MemorySource.h"
#include "recording/PageAlignment.h"
#include "recording/SoundTrack.h"
#include "recording/TrackAssembler.h"

namespace tavrin {
namespace {

// Notes where within a page each buffer handed over holds its samples, against where they go in
// the wave file (behind its header and everything before them).
class PlacementSink : public MemorySoundSink {
public:
    void append(std::vector<std::uint8_t>& buffer, std::size_t from) override {
        if (buffer.size() > from) {
            const auto filePosition = static_cast<std::int64_t>(kWaveHeaderSize) + sampleCount();
            distances.push_back(pageDistance(&buffer[from], filePosition));
        }
        MemorySoundSink::append(buffer, from);
    }
    std::vector<std::size_t> distances;
};

// Blocks of 4096 samples with gaps of every kind between them (none, held in the buffer, and one
// longer than a buffer, which goes as a run): each buffer's samples lie where the system copies
// them into the file fastest, and the track is the one written from the sorted blocks.
TEST(TrackAssembler, BuffersHoldTheirSamplesWhereTheyLieInTheFile) {
    constexpr int kBlocks = 700;
    constexpr std::size_t kBlock = TrackAssembler::kMostSamplesPerBlock;
    std::vector<std::uint8_t> archive(kBlocks * kBlock);
    for (std::size_t i = 0; i < archive.size(); ++i) {
        archive[i] = static_cast<std::uint8_t>(i * 13 + i / kBlock);
    }
    std::vector<FrameInfo> sounds(kBlocks);
    std::int64_t tick = 1000;
    for (int i = 0; i < kBlocks; ++i) {
        FrameInfo& sound = sounds[static_cast<std::size_t>(i)];
        sound.tick = tick;
        sound.payloadSize = static_cast<std::int32_t>(kBlock);
        sound.blockPositions[0] = static_cast<std::int32_t>(i * kBlock);
        sound.blockType = kSoundBlockType;
        tick += 311 + (i % 5) * 170 + (i == 400 ? 100000 : 0);
    }
    constexpr double kNoPicture = std::numeric_limits<double>::max();
    MemorySource source(archive);
    PlacementSink streamed;
    TrackAssembler assembler;
    assembler.start(streamed);
    for (const FrameInfo& sound : sounds) {
        assembler.add(sound, &archive[static_cast<std::size_t>(sound.blockPositions[0])], kBlock,
                      kNoPicture);
    }
    std::vector<FrameInfo> added = sounds;
    assembler.finish(added, kNoPicture, 0, false, source);

    MemorySoundSink sorted;
    TrackAssembler reference;
    reference.start(sorted);
    reference.writeSorted(sounds, kNoPicture, 0, false, source);
    EXPECT_TRUE(streamed.sameBytesAs(sorted));
    ASSERT_GE(streamed.distances.size(), 4u);
    for (std::size_t distance : streamed.distances) EXPECT_EQ(distance, 0u);
}

}  // namespace
}  // namespace tavrin
