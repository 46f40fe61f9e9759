#include "tools/export/Manifest.h"

#include "tools/export/AviWriter.h"
#include "tools/export/JsonText.h"
#include "tools/export/TimeText.h"

namespace tavrin::exporter {

std::string manifestJson(const Manifest& m) {
    std::string out = "{\n  \"clip\": " + jsonString(m.clip) + ",\n";
    out += "  \"startTime\": " + jsonString(formatDateTime(m.startTime)) + ",\n";
    out += "  \"endTime\": " + jsonString(formatDateTime(m.endTime)) + ",\n";
    out += "  \"frames\": " + std::to_string(m.frames) + ",\n";
    out += "  \"framesPerSecond\": " + std::to_string(kFramesPerSecond) + ",\n";
    out +=
        "  \"durationSeconds\": " + jsonNumber(static_cast<double>(m.frames) / kFramesPerSecond) +
        ",\n";
    out += "  \"soundSamples\": " + std::to_string(m.samples) + ",\n";
    out += "  \"samplesPerSecond\": " + std::to_string(kSamplesPerSecond) + ",\n";
    out += "  \"sources\": [";
    for (std::size_t i = 0; i < m.sources.size(); ++i) {
        const ManifestSource& s = m.sources[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"file\": " + jsonString(s.file) + ", \"path\": " + jsonString(s.path) +
               ", \"bytes\": " + std::to_string(s.bytes) + ", \"sha256\": " + jsonString(s.sha256) +
               ", \"firstSlot\": " + std::to_string(s.firstSlot) +
               ", \"lastSlot\": " + std::to_string(s.lastSlot) + "}";
    }
    out += "\n  ],\n  \"files\": [";
    for (std::size_t i = 0; i < m.files.size(); ++i) {
        const ManifestFile& f = m.files[i];
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"file\": " + jsonString(f.file) + ", \"bytes\": " + std::to_string(f.bytes) +
               ", \"sha256\": " + jsonString(f.sha256) + "}";
    }
    out += "\n  ]\n}\n";
    return out;
}

}  // namespace tavrin::exporter
