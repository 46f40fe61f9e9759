#include "tools/export/SoundSlots.h"

#include <algorithm>

#include "recording/SoundTrack.h"
#include "recording/VideoArchive.h"
#include "tools/export/AviWriter.h"

namespace tavrin::exporter {

std::int64_t slotStartSample(std::int64_t slot) {
    return slot * kSamplesPerSecond / kFramesPerSecond;
}

SoundSlots::SoundSlots(const VideoArchive& archive, std::int32_t firstSlot, std::int32_t endSlot)
    : firstSample_(slotStartSample(firstSlot)) {
    const std::int64_t endSample = slotStartSample(endSlot);
    samples_.assign(static_cast<std::size_t>(endSample - firstSample_), kSilence);
    const std::int64_t available = std::min(endSample, archive.soundDataBytes()) - firstSample_;
    if (available <= 0 || archive.soundFilePath().empty()) return;
    BinaryFile track = BinaryFile::openForReading(archive.soundFilePath());
    // A track that cannot be read back plays as silence, as a recording without sound does.
    if (!track.seek(static_cast<std::int64_t>(kWaveHeaderSize) + firstSample_)) return;
    const std::size_t got = track.read(samples_.data(), static_cast<std::size_t>(available));
    std::fill(samples_.begin() + static_cast<std::ptrdiff_t>(got), samples_.end(), kSilence);
}

SoundSlots::Span SoundSlots::slot(std::int32_t slot) const {
    const std::int64_t from = slotStartSample(slot) - firstSample_;
    const std::int64_t to = slotStartSample(slot + 1) - firstSample_;
    return {samples_.data() + from, static_cast<std::size_t>(to - from)};
}

}  // namespace tavrin::exporter
