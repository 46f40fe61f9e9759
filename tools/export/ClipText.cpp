#include "tools/export/ClipText.h"

#include <algorithm>
#include <cstdio>

#include "tools/export/AviWriter.h"
#include "tools/export/TimeText.h"

namespace tavrin::exporter {

namespace {

std::string subtitleClock(std::int64_t milliseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld",
                  static_cast<long long>(milliseconds / 3600000),
                  static_cast<long long>(milliseconds / 60000 % 60),
                  static_cast<long long>(milliseconds / 1000 % 60),
                  static_cast<long long>(milliseconds % 1000));
    return text;
}

std::string decimal(double value, const char* pattern) {
    char text[40];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::string subtitleText(const std::vector<ClipFrame>& frames) {
    std::string out;
    const std::size_t count = frames.size();
    const std::int64_t clipMilliseconds =
        static_cast<std::int64_t>(count) * 1000 / kFramesPerSecond;
    int entry = 0;
    for (std::size_t first = 0; first < count; first += kFramesPerSecond) {
        const std::size_t end = std::min(count, first + kFramesPerSecond);
        double peak = 0;
        bool marked = false;
        for (std::size_t i = first; i < end; ++i) {
            peak = std::max(peak, frames[i].magnitude);
            marked = marked || frames[i].marked;
        }
        const std::int64_t from = static_cast<std::int64_t>(first / kFramesPerSecond) * 1000;
        const std::int64_t to = std::min(from + 1000, clipMilliseconds);
        const ClipFrame& frame = frames[first];
        out += std::to_string(++entry) + "\r\n";
        out += subtitleClock(from) + " --> " + subtitleClock(to) + "\r\n";
        out += formatDateTime(frame.time) + "\r\n";
        out += std::to_string(frame.speed) + " km/h  " + decimal(peak, "%.2f") + " G\r\n";
        if (marked) out += "EVENT\r\n";
        out += "\r\n";
    }
    return out;
}

std::string telemetryCsv(const std::vector<ClipFrame>& frames) {
    std::string out = "slot,time,accel_x,accel_y,accel_z,magnitude,speed,mark,picture\r\n";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const ClipFrame& f = frames[i];
        out += std::to_string(i) + "," + formatDateTime(f.time);
        for (double a : f.acceleration) out += "," + decimal(a, "%.8g");
        out += "," + decimal(f.magnitude, "%.8g") + "," + std::to_string(f.speed) + "," +
               (f.marked ? "1" : "0") + "," + (f.newPicture ? "1" : "0") + "\r\n";
    }
    return out;
}

}  // namespace tavrin::exporter
