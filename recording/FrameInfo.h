#pragma once

#include <array>
#include <cstdint>

#include "recording/ArchiveFormat.h"

namespace tavrin {

// What the scan learns of one picture (or, briefly, of one sound block): where its blocks lie
// in the archive and the unit's measurements for that moment.
struct FrameInfo {
    std::int32_t fileGroupNumber = 0;
    std::int32_t fileNumber = 0;
    std::int64_t frameTime = 0;  // seconds since 1970-01-01 UTC
    double accelerationX = 0.0;  // in G
    double accelerationY = 0.0;
    double accelerationZ = 0.0;
    double accelerationMagnitude = 0.0;  // at most 2.0
    std::int32_t speed = 0;              // at most 180
    std::int32_t markByte = 0;           // kMarkedFrame flags an event
    std::int32_t blockLength = 0;
    std::int32_t payloadSize = 0;
    std::int64_t tick = 0;  // milliseconds, wrap corrected
    std::array<std::int32_t, kMaxBlocksPerPicture> blockPositions{};
    std::int32_t blockCount = 0;
    std::uint8_t blockType = 0;
    std::int32_t sequenceNumber = 0;
    std::uint32_t recordingId = 0;
    bool complete = false;

    bool isMarked() const { return markByte == kMarkedFrame; }
};

// Raw acceleration units to G.
constexpr double kAccelerationScale = 0.00024414;
constexpr double kMaxMagnitude = 2.0;
constexpr int kMaxSpeed = 180;

// Fills the measurements of `info` from bytes 32..55 of a picture's first block header: mark,
// file group, acceleration, speed and file number. Returns the frame time the date bytes name,
// or 0 when they are not a valid date; the caller decides what an invalid date becomes.
std::int64_t decodeFrameInformation(const std::uint8_t* blockHeader, FrameInfo& info);
// The same without the frame time.
void decodeMeasurements(const std::uint8_t* blockHeader, FrameInfo& info);

// The frame time of six BCD date bytes. 28 pictures in a row share a second and 1,680 a minute,
// and the system's local-time conversion is slow enough (it looks at the time zone each call) to
// dominate a scan otherwise: it is made once a minute, and a second of a minute already converted
// is that minute's time and the seconds. Time zones and daylight saving move by whole minutes, so
// this is exactly what converting each second would give.
class FrameTimeCache {
public:
    std::int64_t timeOf(const std::uint8_t* bcd);

private:
    std::array<std::uint8_t, 5> minute_{};  // year to minute, as stored
    std::int64_t minuteTime_ = 0;           // the time of its second 0, or 0 when not valid
    bool valid_ = false;
};

}  // namespace tavrin
