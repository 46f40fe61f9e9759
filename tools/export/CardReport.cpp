#include "tools/export/CardReport.h"

#include <cstdio>

#include "recording/TextEncoding.h"
#include "tools/export/AviWriter.h"
#include "tools/export/Card.h"
#include "tools/export/JsonText.h"
#include "tools/export/TimeText.h"
#include "ui/Messages.h"

namespace tavrin::exporter {

namespace {

constexpr unsigned kSoundNotRestored = 5501;

struct FindingText {
    const char* kind;
    ScanDiagnostics::Finding ScanDiagnostics::*finding;
    const char* text;
};

constexpr FindingText kFindings[] = {
    {"cut-off", &ScanDiagnostics::cutOff,
     "cut off: the file ends inside a block; the pictures before the cut play"},
    {"missing-end-marker", &ScanDiagnostics::missingEndMarker,
     "pictures without their end-of-image marker, dropped with the picture after each"},
    {"out-of-sequence", &ScanDiagnostics::outOfSequence, "blocks out of sequence, skipped"},
    {"foreign-recording", &ScanDiagnostics::foreignRecording,
     "a block of another recording; the recording ends there"},
    {"resynchronised", &ScanDiagnostics::resynchronised,
     "damaged stretches without a block header, skipped"},
};

std::string duration(std::int32_t slots) {
    const int seconds = slots / kFramesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string peak(double g) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", g);
    return text;
}

std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

}  // namespace

std::vector<Damage> damageOf(const RecordingSummary& recording) {
    std::vector<Damage> found;
    if (!recording.readable) {
        found.push_back({"not-a-recording", 1, -1, "not a recording the viewer can open",
                         toUtf8(recording.failure)});
    }
    if (!recording.soundAvailable) {
        found.push_back({"sound-unavailable", 1, -1, "the sound could not be restored",
                         toUtf8(loadMessage(kSoundNotRestored))});
    }
    for (const FindingText& f : kFindings) {
        const ScanDiagnostics::Finding& finding = recording.diagnostics.*(f.finding);
        if (finding.count == 0) continue;
        const std::string text = std::string(f.text) + " (" + std::to_string(finding.count) +
                                 ", the first at byte " + std::to_string(finding.firstOffset) + ")";
        found.push_back(
            {f.kind, finding.count, static_cast<long long>(finding.firstOffset), text, ""});
    }
    return found;
}

std::string reportTable(const Card& card) {
    const std::vector<RecordingSummary>& recordings = card.recordings();
    int unreadable = 0;
    int damaged = 0;
    for (const RecordingSummary& r : recordings) {
        unreadable += r.readable ? 0 : 1;
        damaged += r.readable && !damageOf(r).empty() ? 1 : 0;
    }
    char line[512];
    std::string out = toUtf8(card.input()) + ": " + std::to_string(recordings.size()) +
                      " recording(s), " + std::to_string(damaged) + " damaged, " +
                      std::to_string(unreadable) + " unreadable\n";
    if (!card.listingFailure().empty()) {
        out += "The viewer cannot list this folder: \"" + toUtf8(card.listingFailure()) +
               "\"; the recordings are listed one by one.\n";
    }
    std::snprintf(line, sizeof line, "\n%-14s %-19s  %-19s  %-8s  %8s  %6s\n", "FILE", "START",
                  "END", "DURATION", "PICTURES", "EVENTS");
    out += line;
    for (const RecordingSummary& r : recordings) {
        const std::string name = toUtf8(r.fileName);
        if (!r.readable) {
            std::snprintf(line, sizeof line, "%-14s %-19s\n", name.c_str(), "unreadable");
        } else {
            std::snprintf(line, sizeof line, "%-14s %-19s  %-19s  %-8s  %8d  %6d\n", name.c_str(),
                          orDash(formatDateTime(r.startTime)).c_str(),
                          orDash(formatDateTime(r.lastFrameTime)).c_str(),
                          duration(r.slotCount).c_str(), r.pictures,
                          static_cast<int>(r.events.size()));
        }
        out += line;
        for (const EventRun& e : r.events) {
            out += std::string(15, ' ') + "event at " + orDash(formatDateTime(e.time)) + ", peak " +
                   peak(e.peakG) + " G\n";
        }
        for (const Damage& d : damageOf(r)) {
            out += std::string(15, ' ') + d.description + "; the viewer " +
                   (d.viewerMessage.empty() ? std::string("plays on without a message")
                                            : "shows \"" + d.viewerMessage + "\"") +
                   "\n";
        }
    }
    return out;
}

std::string reportJson(const Card& card) {
    std::string out = "{\"card\": " + jsonString(toUtf8(card.input())) +
                      ", \"listingFailure\": " + jsonString(toUtf8(card.listingFailure())) +
                      ",\n \"recordings\": [";
    const std::vector<RecordingSummary>& recordings = card.recordings();
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const RecordingSummary& r = recordings[i];
        out += i == 0 ? "\n" : ",\n";
        out += "  {\"file\": " + jsonString(toUtf8(r.fileName)) +
               ", \"path\": " + jsonString(toUtf8(r.path)) +
               ", \"bytes\": " + std::to_string(r.fileBytes) +
               ", \"readable\": " + (r.readable ? "true" : "false") +
               ", \"startTime\": " + jsonString(formatDateTime(r.startTime)) +
               ", \"endTime\": " + jsonString(formatDateTime(r.lastFrameTime)) +
               ", \"slots\": " + std::to_string(r.slotCount) + ", \"durationSeconds\": " +
               jsonNumber(static_cast<double>(r.slotCount) / kFramesPerSecond) +
               ", \"pictures\": " + std::to_string(r.pictures) +
               ", \"sound\": " + (r.readable && r.soundAvailable ? "true" : "false") +
               ",\n   \"events\": [";
        for (std::size_t k = 0; k < r.events.size(); ++k) {
            const EventRun& e = r.events[k];
            out += (k == 0 ? "" : ", ") + std::string("{\"time\": ") +
                   jsonString(formatDateTime(e.time)) +
                   ", \"firstSlot\": " + std::to_string(e.firstSlot) +
                   ", \"lastSlot\": " + std::to_string(e.lastSlot) +
                   ", \"peakG\": " + jsonNumber(e.peakG, 6) + "}";
        }
        out += "],\n   \"damage\": [";
        const std::vector<Damage> damage = damageOf(r);
        for (std::size_t k = 0; k < damage.size(); ++k) {
            const Damage& d = damage[k];
            out += (k == 0 ? "" : ", ") + std::string("{\"kind\": ") + jsonString(d.kind) +
                   ", \"count\": " + std::to_string(d.count) +
                   ", \"firstOffset\": " + std::to_string(d.firstOffset) +
                   ", \"description\": " + jsonString(d.description) +
                   ", \"viewerMessage\": " + jsonString(d.viewerMessage) + "}";
        }
        out += "]}";
    }
    out += "\n]}\n";
    return out;
}

}  // namespace tavrin::exporter
