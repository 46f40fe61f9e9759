#pragma once

#include <vector>

#include "recording/IVideoInfo.h"

namespace tavrin {

class VideoArchive;

// The view over this archive format. It refers to the archive, which must stay open and
// unchanged while the view is used, and owns only its list of marked slots.
class VideoInfo07 : public IVideoInfo {
public:
    explicit VideoInfo07(const VideoArchive& archive) : archive_(archive) {}

    std::wstring idText4() const override { return L"0000"; }
    std::wstring idText8() const override { return L"00000000"; }
    std::int32_t reservedValue() const override;
    std::int32_t currentPosition() const override;
    const FrameInfo* frameAtPosition() const override;
    double reservedReal1() const override;
    double reservedReal2() const override;
    std::int32_t frameCount() const override;
    const FrameInfo* frameAt(std::int32_t index) const override;
    std::int32_t picturesPerFrame() const override { return 1; }
    bool isInfoMissing() const override { return false; }
    std::int64_t firstFrameTime() const override;
    std::int64_t lastFrameTime() const override;
    std::int64_t startTime() const override;
    std::int32_t nextMarkedFrame(std::int32_t from) const override;
    void copyMarkedFrames(std::vector<std::int32_t>& list) const override { list = marked_; }
    void collectMarkedFrames() override;

private:
    const VideoArchive& archive_;
    std::vector<std::int32_t> marked_;
};

}  // namespace tavrin
