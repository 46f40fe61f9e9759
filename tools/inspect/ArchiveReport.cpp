#include "tools/inspect/ArchiveReport.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "recording/Platform.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"

namespace tavrin::tools {

namespace {

std::string number(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string number(long long value) { return std::to_string(value); }

std::string localDateTime(std::int64_t seconds) {
    std::tm local{};
    if (seconds == 0 || !secondsToLocalTime(seconds, local)) return "";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

std::string archiveJson(VideoArchive& archive) {
    VideoInfo07 info(archive);
    info.collectMarkedFrames();
    std::vector<std::int32_t> marked;
    info.copyMarkedFrames(marked);

    std::string out = "{\"startTime\": " + number(static_cast<long long>(info.startTime()));
    out += ", \"firstFrameTime\": " + number(static_cast<long long>(info.firstFrameTime()));
    out += ", \"lastFrameTime\": " + number(static_cast<long long>(info.lastFrameTime()));
    out += ", \"frameCount\": " + number(static_cast<long long>(info.frameCount()));
    out += ", \"markedFrames\": [";
    for (std::size_t i = 0; i < marked.size(); ++i) {
        out += (i == 0 ? "" : ", ") + number(static_cast<long long>(marked[i]));
    }
    out += "], \"frames\": [";
    for (std::int32_t slot = 0; slot < info.frameCount(); ++slot) {
        const FrameInfo* f = info.frameAt(slot);
        out += slot == 0 ? "\n" : ",\n";
        if (f == nullptr) {
            out += "  {\"slot\": " + number(static_cast<long long>(slot)) + "}";
            continue;
        }
        out += "  {\"slot\": " + number(static_cast<long long>(slot));
        out += ", \"offset\": " + number(static_cast<long long>(f->blockPositions[0]));
        out += ", \"blocks\": " + number(static_cast<long long>(f->blockCount));
        out += std::string(", \"complete\": ") + (f->complete ? "true" : "false");
        out += ", \"tick\": " + number(static_cast<long long>(f->tick));
        out += ", \"time\": " + number(static_cast<long long>(f->frameTime));
        out += ", \"mark\": " + number(static_cast<long long>(f->markByte));
        out += ", \"accel\": [" + number(f->accelerationX) + ", " + number(f->accelerationY) +
               ", " + number(f->accelerationZ) + "]";
        out += ", \"magnitude\": " + number(f->accelerationMagnitude);
        out += ", \"speed\": " + number(static_cast<long long>(f->speed));
        out += ", \"fileGroup\": " + number(static_cast<long long>(f->fileGroupNumber));
        out += ", \"fileNumber\": " + number(static_cast<long long>(f->fileNumber));
        out += ", \"payloadSize\": " + number(static_cast<long long>(f->payloadSize)) + "}";
    }
    out += "\n], \"sound\": {\"dataBytes\": " +
           number(static_cast<long long>(archive.soundDataBytes())) + "}}\n";
    return out;
}

std::string archiveCsv(const VideoArchive& archive) {
    std::string out = "slot,datetime,accel_x,accel_y,accel_z,magnitude,speed,mark\n";
    for (std::int32_t slot = 0; slot < archive.slotCount(); ++slot) {
        const FrameInfo* f = archive.slot(slot);
        if (f == nullptr) continue;
        out += number(static_cast<long long>(slot)) + "," + localDateTime(f->frameTime) + "," +
               number(f->accelerationX) + "," + number(f->accelerationY) + "," +
               number(f->accelerationZ) + "," + number(f->accelerationMagnitude) + "," +
               number(static_cast<long long>(f->speed)) + "," +
               number(static_cast<long long>(f->markByte)) + "\n";
    }
    return out;
}

}  // namespace tavrin::tools
