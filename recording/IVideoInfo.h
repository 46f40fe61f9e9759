#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

struct FrameInfo;

// Read-only view of an opened recording: its slots, their frame records, its times and its
// event marks. The player and the panels read the recording only through this.
class IVideoInfo {
public:
    virtual std::wstring idText4() const = 0;
    virtual std::wstring idText8() const = 0;
    virtual std::int32_t reservedValue() const = 0;
    virtual std::int32_t currentPosition() const = 0;
    virtual const FrameInfo* frameAtPosition() const = 0;
    virtual double reservedReal1() const = 0;
    virtual double reservedReal2() const = 0;
    virtual std::int32_t frameCount() const = 0;
    // The record of slot `index`, or null outside 0..frameCount-1 or for an empty slot.
    virtual const FrameInfo* frameAt(std::int32_t index) const = 0;
    virtual std::int32_t picturesPerFrame() const = 0;
    virtual bool isInfoMissing() const = 0;
    virtual std::int64_t firstFrameTime() const = 0;
    virtual std::int64_t lastFrameTime() const = 0;
    virtual std::int64_t startTime() const = 0;
    // The lowest marked slot at or after `from`, or -1.
    virtual std::int32_t nextMarkedFrame(std::int32_t from) const = 0;
    // Replaces `list` with the marks found by the last collectMarkedFrames.
    virtual void copyMarkedFrames(std::vector<std::int32_t>& list) const = 0;
    virtual void collectMarkedFrames() = 0;
    virtual ~IVideoInfo() = default;
};

}  // namespace tavrin
