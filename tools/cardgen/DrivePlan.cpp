#include "tools/cardgen/DrivePlan.h"

#include <algorithm>
#include <cmath>

#include "tools/cardgen/UnitCalendar.h"

namespace tavrin::cardgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFrameSeconds = kFrameMs / 1000.0;
constexpr double kGPerKmhPerSecond = 1.0 / 3.6 / 9.81;
// Shape of an impact over the frames from its first mark.
constexpr double kImpact[] = {0.4, 1.0, 0.7, 0.4, 0.2, 0.1};
constexpr int kImpactFrames = 6;

std::int16_t rawAccel(double g) {
    return static_cast<std::int16_t>(std::clamp(std::lround(g * 4096.0), -32768L, 32767L));
}

std::vector<int> chooseEvents(int frames, int events, Random& random) {
    std::vector<int> starts;
    if (frames < 3 * kImpactFrames) return starts;
    const int segment = frames / std::max(events, 1);
    for (int k = 0; k < events; ++k) {
        const int low = k * segment + segment / 3;
        const int high = std::min(k * segment + 2 * segment / 3, frames - kImpactFrames - 1);
        if (high >= low) starts.push_back(random.between(low, high));
    }
    return starts;
}

bool nearEvent(int frame, const std::vector<int>& events) {
    for (int e : events) {
        if (frame >= e - 1 && frame <= e + kImpactFrames) return true;
    }
    return false;
}

}  // namespace

DrivePlan planDrive(const DriveInput& input, Random& random) {
    DrivePlan plan;
    plan.header.start = input.start;
    plan.header.startTick = input.firstTick - static_cast<std::uint32_t>(random.between(5, 30));
    plan.header.recordingId = input.recordingId;
    plan.events = chooseEvents(input.frames, input.events, random);
    plan.soundLeadMs = random.between(0, 80);

    plan.frames.resize(static_cast<std::size_t>(input.frames));
    for (int placed = 0, tries = 0; placed < input.drops && input.frames > 12 && tries < 100;
         ++tries) {
        PlannedFrame& frame =
            plan.frames[static_cast<std::size_t>(random.between(5, input.frames - 6))];
        if (!frame.dropped &&
            !nearEvent(static_cast<int>(&frame - plan.frames.data()), plan.events)) {
            frame.dropped = true;
            ++placed;
        }
    }

    double speed = random.between(0.0, 60.0);
    double target = random.between(20.0, 75.0);
    int nextTargetChange = random.between(40, 90);
    double distance = 0;
    int bumpLeft = 0;
    double bumpHeight = 0;
    int brakingLeft = 0;
    const double swayPhase = random.between(0.0, 2 * kPi);
    const double curvePhase = random.between(0.0, 2 * kPi);
    const double qualityPhase = random.between(0.0, 2 * kPi);
    const double baseQuality = random.between(22.0, 40.0);

    for (int i = 0; i < input.frames; ++i) {
        PlannedFrame& f = plan.frames[static_cast<std::size_t>(i)];
        const double seconds = i * kFrameSeconds;
        f.index = i;
        f.tick = input.firstTick + static_cast<std::uint32_t>(std::lround(i * kFrameMs)) +
                 static_cast<std::uint32_t>(random.between(-3, 3));
        f.time = addSeconds(input.start, i / 28);

        if (--nextTargetChange <= 0) {
            target = random.between(0.0, 80.0);
            nextTargetChange = random.between(40, 90);
        }
        // Speed change in km/h per second: gentle driving, or braking after an impact.
        double change = std::clamp(target - speed, -6.0, 6.0);
        if (brakingLeft > 0) {
            change = -15.0;
            --brakingLeft;
        }
        const double before = speed;
        speed = std::clamp(speed + change * kFrameSeconds, 0.0, 80.0);
        const double dvdt = (speed - before) / kFrameSeconds;
        distance += speed / 3.6 * kFrameSeconds;
        f.speed = static_cast<int>(std::lround(speed));
        f.distance = distance;
        f.lateral = 0.25 * std::sin(seconds * 0.45 + swayPhase);

        double x =
            0.08 * std::sin(2 * kPi * seconds / 7.0 + curvePhase) + random.between(-0.01, 0.01);
        double y = dvdt * kGPerKmhPerSecond + random.between(-0.015, 0.015);
        double z = random.between(-0.02, 0.02);
        if (bumpLeft == 0 && random.unit() < 1.0 / 45.0) {
            bumpLeft = 4;
            bumpHeight = random.between(0.12, 0.35);
        }
        if (bumpLeft > 0) {
            z += bumpHeight * std::sin(kPi * (4 - bumpLeft + 0.5) / 4.0);
            --bumpLeft;
        }
        for (int e : plan.events) {
            const int k = i - e;
            if (k >= 0 && k < kEventFrames) f.marked = true;
            if (k == kImpactFrames) brakingLeft = 28;  // the driver brakes after the knock
            if (k >= 0 && k < kImpactFrames) {
                const double peak = 1.6 + 0.2 * ((e * 7919) % 100) / 100.0;
                y -= peak * kImpact[k];
                x += 0.3 * kImpact[k] * ((e & 1) ? 1 : -1);
                z += 0.2 * kImpact[k];
            }
        }
        f.accel[0] = rawAccel(x);
        f.accel[1] = rawAccel(y);
        f.accel[2] = rawAccel(z);
        // The unit's rate control lets the quality swing; at 640 x 480 that gives pictures of one
        // to four blocks.
        f.quality = std::clamp(static_cast<int>(std::lround(
                                   baseQuality + 30 * std::sin(2 * kPi * i / 75.0 + qualityPhase))),
                               5, 95);
    }
    return plan;
}

}  // namespace tavrin::cardgen
