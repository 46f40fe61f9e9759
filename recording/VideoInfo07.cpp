#include "recording/VideoInfo07.h"

#include "recording/VideoArchive.h"

namespace tavrin {

std::int32_t VideoInfo07::reservedValue() const { return archive_.reservedValue(); }
std::int32_t VideoInfo07::currentPosition() const { return archive_.currentPosition(); }
double VideoInfo07::reservedReal1() const { return archive_.reservedReal1(); }
double VideoInfo07::reservedReal2() const { return archive_.reservedReal2(); }
std::int32_t VideoInfo07::frameCount() const { return archive_.slotCount(); }
std::int64_t VideoInfo07::firstFrameTime() const { return archive_.firstFrameTime(); }
std::int64_t VideoInfo07::lastFrameTime() const { return archive_.lastFrameTime(); }
std::int64_t VideoInfo07::startTime() const { return archive_.startTime(); }

const FrameInfo* VideoInfo07::frameAtPosition() const { return frameAt(currentPosition()); }

const FrameInfo* VideoInfo07::frameAt(std::int32_t index) const {
    if (index < 0 || index >= frameCount()) return nullptr;
    return archive_.slot(index);
}

std::int32_t VideoInfo07::nextMarkedFrame(std::int32_t from) const {
    const std::int32_t count = frameCount();
    if (from >= count) return -1;
    for (std::int32_t i = from < 0 ? 0 : from; i < count; ++i) {
        const FrameInfo* frame = frameAt(i);
        if (frame != nullptr && frame->isMarked()) return i;
    }
    return -1;
}

void VideoInfo07::collectMarkedFrames() {
    marked_.clear();
    for (std::int32_t i = nextMarkedFrame(0); i != -1; i = nextMarkedFrame(i + 1)) {
        marked_.push_back(i);
    }
}

}  // namespace tavrin
