#include "recording/FrameInfo.h"

#include <algorithm>
#include <cmath>

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
    if (!valid_ || !std::equal(last_.begin(), last_.end(), bcd)) {
        std::copy(bcd, bcd + last_.size(), last_.begin());
        lastTime_ = bcdDateTimeOrZero(bcd);
        valid_ = true;
    }
    return lastTime_;
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
