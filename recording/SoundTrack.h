#pragma once

#include <cstdint>
#include <vector>

#include "recording/BackgroundWriter.h"
#include "recording/FrameInfo.h"
#include "recording/Platform.h"
#include "recording/SoundSink.h"

namespace tavrin {

// The recording's sound: 8-bit unsigned mono PCM at 13,183 samples a second.
constexpr int kSampleRate = 13183;
constexpr std::size_t kWaveHeaderSize = 44;
constexpr std::uint8_t kSilence = 0x80;
// Sound blocks closer than this many bytes' worth of time to their successor are dropped.
constexpr std::int64_t kShortestGap = 16;
// The sound leads the pictures by this many milliseconds in the unit's ticks.
constexpr double kSoundLeadMilliseconds = 38.0;
// The track never outlasts the slot grid (30,000 slots of 1000/28 ms), so damaged ticks can
// neither fill the temporary folder nor overflow the header's 32-bit sizes.
constexpr std::int64_t kMaxSoundBytes =
    static_cast<std::int64_t>(kSlotCount * kSlotMilliseconds * kSampleRate / 1000.0);

// The 44-byte wave header with both size fields 0.
void buildWaveHeader(std::uint8_t* header);
// Sets the header's sizes for `dataSize` bytes of samples: data size, and RIFF size + 36.
void setWaveDataSize(std::uint8_t* header, std::uint32_t dataSize);

// The temporary wave file of one open recording, prefix "obv" in the temporary folder.
class SoundTrack : public SoundSink {
public:
    // Creates the file and writes the placeholder header; false when it cannot, and then the
    // recording goes without sound.
    bool create();
    bool isOpen() const { return file_.isOpen(); }
    const Path& path() const { return path_; }

    // The bytes are written at once, by the scan's thread: the scan and the reading thread keep
    // both processors of a two-processor machine busy reading the archive, and a third busy
    // thread would take time from the reading, which sets the opening's pace. Write errors are
    // ignored: the track is as good as the disk lets it be.
    void append(std::vector<std::uint8_t>& buffer, std::size_t from) override;
    void appendRun(std::uint8_t value, std::int64_t count) override;
    void restart() override;
    // Closes the file once its header is final.
    void finish(std::uint32_t dataSize) override;

    // Deletes the file (closing it first); a failing delete is ignored.
    void remove();
    // Closes the file and keeps it for the next create(), which writes the next track over it
    // under a new name: the system's pages of this one serve again, where a new file would need
    // new ones (taking them costs several times what writing into them does).
    void retire();
    // Deletes a retired file that no create() took, on the writer's thread: it is gone once
    // settle() has returned.
    void dropRetired();
    // Returns once everything queued, deletions included, is done.
    void settle();

private:
    BinaryFile file_;
    Path path_;
    Path retired_;
    // Declared after the file, so that it has finished with it before the file closes.
    BackgroundWriter writer_{BackgroundWriter::Writes::onCallersThread};
};

}  // namespace tavrin
