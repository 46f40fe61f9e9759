#include "recording/FrameInfo.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "recording/Bcd.h"
#include "recording/LocalTime.h"

namespace tavrin {

namespace {

int bcdNumber(const std::uint8_t* bytes, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) value = value * 100 + fromBcd(bytes[i]);
    return value;
}

double acceleration(const std::uint8_t* bytes) {
    return readBigEndian16(bytes) * kAccelerationScale;
}

}  // namespace

std::int64_t FrameTimeCache::timeOf(const std::uint8_t* bcd) {
    const int second = fromBcd(bcd[5]);
    // Nibbles are not range-checked: a second past 59 goes to the system, which rejects it.
    if (second > 59) return bcdDateTimeOrZero(bcd);
    if (!valid_ || std::memcmp(minute_.data(), bcd, minute_.size()) != 0) {
        std::memcpy(minute_.data(), bcd, minute_.size());
        std::uint8_t start[6] = {bcd[0], bcd[1], bcd[2], bcd[3], bcd[4], 0x00};
        minuteTime_ = bcdDateTimeOrZero(start);
        valid_ = true;
    }
    return minuteTime_ == 0 ? 0 : minuteTime_ + second;
}

void decodeMeasurements(const std::uint8_t* header, FrameInfo& info) {
    info.markByte = header[32];
    info.fileGroupNumber = header[33];
    info.accelerationX = acceleration(header + 40);
    info.accelerationY = acceleration(header + 42);
    info.accelerationZ = acceleration(header + 44);
    double magnitude = std::sqrt(info.accelerationX * info.accelerationX +
                                 info.accelerationY * info.accelerationY +
                                 info.accelerationZ * info.accelerationZ);
    info.accelerationMagnitude = kMaxMagnitude <= magnitude ? kMaxMagnitude : magnitude;
    int speed = bcdNumber(header + 46, 2);
    info.speed = speed >= kMaxSpeed ? kMaxSpeed : speed;
    info.fileNumber = bcdNumber(header + 48, 2);
}

std::int64_t decodeFrameInformation(const std::uint8_t* header, FrameInfo& info) {
    decodeMeasurements(header, info);
    return bcdDateTimeOrZero(header + 34);
}

}  // namespace tavrin
