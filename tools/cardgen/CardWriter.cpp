#include "tools/cardgen/CardWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tools/cardgen/FirmwareInfoFile.h"
#include "tools/cardgen/Random.h"
#include "tools/cardgen/UnitCalendar.h"

namespace tavrin::cardgen {

namespace {

constexpr int kDates = 3;
const UnitTime kFirstDay{2012, 5, 1, 8, 0, 0};
// What the unit writes in front of FIRMINFO.DAT's header: its firmware version and date.
const char kFirmwarePrefix[] = "FW 1.07 20120401";

std::string summary(const std::string& name, std::size_t bytes, const DriveInput& drive,
                    const RecordingStats& s, Damage damage) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s  %zu bytes  %s  %d frames, %d pictures (1/2/3/4+ blocks: %d/%d/%d/%d), "
                  "%zu dropped, %d sound blocks, %zu event(s)",
                  name.c_str(), bytes, formatUnitTime(drive.start).c_str(), s.frames, s.pictures,
                  s.picturesOfBlocks[1], s.picturesOfBlocks[2], s.picturesOfBlocks[3],
                  s.picturesOfBlocks[4], s.dropped.size(), s.soundBlocks, s.events.size());
    std::string line = text;
    if (!s.events.empty()) line += " from frame " + std::to_string(s.events.front());
    if (damage != Damage::None)
        line += "; damage " + std::string(damageName(damage)) + ": " + s.damageNote;
    return line;
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.u8string());
}

void writeRecording(const std::filesystem::path& path, const RecordingRequest& request,
                    const Report& report) {
    RecordingStats stats;
    const ArchiveBuilder archive = buildRecording(request, stats);
    if (!archive.writeTo(path.u8string())) throw std::runtime_error("cannot write " + path.u8string());
    report(summary(path.filename().u8string(), archive.bytes().size(), request.drive, stats,
                   request.damage));
}

}  // namespace

std::string archiveName(int fileNumber, int fileGroup) {
    char name[32];
    std::snprintf(name, sizeof name, "%04d_%03d.DAT", fileNumber % 10000, fileGroup % 1000);
    return name;
}

void writeCard(const CardOptions& options, const Report& report) {
    // UTF-8 names reach Windows as wide text, so a card folder may have a Japanese name.
    const std::filesystem::path folder = std::filesystem::u8path(options.folder);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        throw std::runtime_error("cannot create folder " + options.folder);
    }

    Random random(options.seed);
    const int total = options.recordings + static_cast<int>(options.damage.size());
    const std::int64_t lengthSeconds = options.frames / 28 + 1;
    UnitTime start = kFirstDay;
    std::uint32_t tick = 0;
    int day = -1;
    for (int r = 0; r < total; ++r) {
        const bool damaged = r >= options.recordings;
        // Normal recordings spread over the dates; damaged ones follow on the last date.
        const int recordingDay =
            damaged ? kDates - 1 : r * kDates / std::max(options.recordings, kDates);
        if (recordingDay != day) {
            // A new day: the unit is switched on and its tick counter starts again.
            start = addSeconds(kFirstDay, recordingDay * 86400 + random.between(0, 3600));
            tick = static_cast<std::uint32_t>(random.between(4000, 20000));
            day = recordingDay;
        } else {
            const int pause = random.between(120, 2400);
            start = addSeconds(start, lengthSeconds + pause);
            tick += static_cast<std::uint32_t>((lengthSeconds + pause) * 1000);
        }
        // The third recording catches the unit after 49.7 days switched on: its tick counter
        // wraps round halfway through.
        if (r == 2) tick = 0xFFFFFFFFu - static_cast<std::uint32_t>(lengthSeconds * 500);

        RecordingRequest request;
        request.drive.start = start;
        request.drive.firstTick = tick;
        request.drive.recordingId = static_cast<std::uint32_t>(random.next()) | 1u;
        request.drive.frames = options.frames;
        request.drive.events = 1;
        request.drive.drops = random.between(1, 2);
        request.fileNumber = r + 1;
        request.fileGroup = recordingDay + 1;
        request.width = options.width;
        request.height = options.height;
        request.damage = damaged ? options.damage[static_cast<std::size_t>(r - options.recordings)]
                                 : Damage::None;
        request.seed = random.next();
        writeRecording(folder / archiveName(request.fileNumber, request.fileGroup), request,
                       report);
    }

    const Bytes firmware = firmwareInfoFile(kFirmwarePrefix, unitSettings(start));
    writeBytes(folder / "FIRMINFO.DAT", firmware);
    report("FIRMINFO.DAT  " + std::to_string(firmware.size()) +
           " bytes  buzzer on, standard recording mode, clock " + formatUnitTime(start));
}

void writeLargeArchive(const std::string& path, std::uint64_t seed, const Report& report,
                       int pictures) {
    Random random(seed ^ 0x4C41524745ull);
    RecordingRequest request;
    request.drive.start = UnitTime{2012, 5, 4, 10, 0, 0};
    request.drive.firstTick = 600000;
    request.drive.recordingId = static_cast<std::uint32_t>(random.next()) | 1u;
    request.drive.drops = 3;
    request.drive.frames = pictures + request.drive.drops;
    request.drive.events = std::max(1, pictures / 1000);
    request.fileNumber = 9999;
    request.fileGroup = 999;
    request.width = 160;
    request.height = 120;
    request.seed = random.next();
    writeRecording(std::filesystem::u8path(path), request, report);
}

}  // namespace tavrin::cardgen
