#include "tools/export/tests/ViewerReference.h"

#include <stdexcept>

#include "media/Image.h"
#include "recording/SoundTrack.h"
#include "recording/VideoArchive.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/FrameStrip.h"

namespace tavrin::exporttest {

namespace {

std::int64_t startSample(std::int64_t slot) { return slot * 13183 / 28; }

}  // namespace

ViewerClip viewerClip(const std::vector<SourceRange>& sources) {
    ViewerClip clip;
    std::size_t firstWithoutPicture = 0;  // slots at the start still waiting for a picture
    ViewerSlot shown;
    bool anyShown = false;
    for (const SourceRange& source : sources) {
        VideoArchive archive;
        archive.open(source.archive, nullptr);
        const test::Bytes wave = test::readBytes(archive.soundFilePath());
        for (int s = source.firstSlot; s < source.endSlot; ++s) {
            std::unique_ptr<Image> image = archive.readFrameImage(s);
            if (image) {
                archive.readFramePicture(s, shown.picture);
                shown.frameIndex =
                    cardgen::readFrameStrip(image->pixels(), image->width(), image->height(),
                                            static_cast<int>(image->stride()), true);
                clip.width = image->width();
                clip.height = image->height();
                anyShown = true;
            }
            ViewerSlot slot = shown;
            slot.marked = archive.slot(s)->isMarked();
            slot.time = archive.slot(s)->frameTime;
            clip.slots.push_back(slot);
            if (!anyShown) firstWithoutPicture = clip.slots.size();
            for (std::int64_t k = startSample(s); k < startSample(s + 1); ++k) {
                const std::size_t at = kWaveHeaderSize + static_cast<std::size_t>(k);
                clip.sound.push_back(k < archive.soundDataBytes() && at < wave.size() ? wave[at]
                                                                                      : kSilence);
            }
        }
    }
    if (!anyShown) throw std::runtime_error("the viewer shows no picture of the clip");
    for (std::size_t i = 0; i < firstWithoutPicture; ++i) {
        clip.slots[i].picture = clip.slots[firstWithoutPicture].picture;
        clip.slots[i].frameIndex = clip.slots[firstWithoutPicture].frameIndex;
    }
    return clip;
}

}  // namespace tavrin::exporttest
