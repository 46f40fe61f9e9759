#include "tools/export/ShownPicture.h"

#include "recording/VideoArchive.h"
#include "tools/export/JpegFrameSize.h"

namespace tavrin::exporter {

bool sharesPicture(const VideoArchive& archive, std::int32_t slot) {
    const FrameInfo* here = archive.slot(slot);
    const FrameInfo* before = archive.slot(slot - 1);
    return here != nullptr && before != nullptr &&
           here->blockPositions[0] == before->blockPositions[0];
}

bool ShownPicture::take(VideoArchive& archive, std::int32_t slot, ByteSource* from) {
    if (lastSlot_ == slot - 1 && sharesPicture(archive, slot)) {
        lastSlot_ = slot;
        return lastOwn_;
    }
    lastSlot_ = slot;
    int width = 0;
    int height = 0;
    const bool read = from != nullptr ? archive.readFramePicture(slot, reading_, *from)
                                      : archive.readFramePicture(slot, reading_);
    lastOwn_ = read && jpegFrameSize(reading_.data(), reading_.size(), width, height);
    if (lastOwn_) {
        bytes_.swap(reading_);
        width_ = width;
        height_ = height;
        shown_ = true;
    }
    return lastOwn_;
}

}  // namespace tavrin::exporter
