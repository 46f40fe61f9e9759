// tavrin-export run as a user runs it on a generated card, its files read back with ffprobe,
// ffmpeg and sha256sum, and held against what the viewer shows and plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "media/GammaCorrection.h"
#include "media/Image.h"
#include "media/PngDecoder.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "tools/export/tests/ClipCheck.h"
#include "tools/export/tests/ExporterProcess.h"
#include "tools/export/tests/TestCard.h"
#include "ui/Messages.h"

namespace tavrin::exporttest {
namespace {

std::wstring stem(const std::wstring& name) { return name.substr(0, name.rfind(L'.')); }

std::vector<SourceRange> rangesOf(const ManifestReading& manifest, const Path& card) {
    std::vector<SourceRange> ranges;
    for (const auto& s : manifest.sources) {
        ranges.push_back({card + kPathSeparator + fromUtf8(s.file), s.firstSlot, s.lastSlot + 1});
    }
    return ranges;
}

// Slots [first, last] of each run of marked slots, as the viewer reads the archive.
std::vector<std::pair<int, int>> viewerEvents(const Path& archive, int& slotCount) {
    VideoArchive opened;
    opened.open(archive, nullptr);
    slotCount = opened.slotCount();
    std::vector<std::pair<int, int>> events;
    for (int s = 0; s < slotCount; ++s) {
        if (!opened.slot(s)->isMarked()) continue;
        if (events.empty() || events.back().second != s - 1) events.push_back({s, s});
        events.back().second = s;
    }
    return events;
}

std::string localText(std::int64_t seconds) {
    std::tm local{};
    if (!secondsToLocalTime(seconds, local)) return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// Every file the manifest lists, and every source, hashed again by sha256sum.
void expectManifestChecksums(const Path& folder, const ManifestReading& manifest,
                             const Path& card) {
    std::string script =
        "export PATH=/usr/bin:/bin; cd " + shellQuoted(hostPathOf(folder)) + " && sha256sum";
    for (const auto& f : manifest.files) script += " " + shellQuoted(f.file);
    for (const auto& s : manifest.sources) {
        script += " " + shellQuoted(hostPathOf(card + kPathSeparator + fromUtf8(s.file)));
    }
    std::istringstream sums(runOnHost(script));
    for (const auto& f : manifest.files) {
        std::string sum, name;
        sums >> sum >> name;
        EXPECT_EQ(sum, f.sha256) << f.file;
        EXPECT_EQ(static_cast<long long>(
                      test::readBytes(folder + kPathSeparator + fromUtf8(f.file)).size()),
                  f.bytes);
    }
    for (const auto& s : manifest.sources) {
        std::string sum, name;
        sums >> sum >> name;
        EXPECT_EQ(sum, s.sha256) << s.file;
    }
}

// The subtitles and the telemetry table, read back against the viewer's slots.
void expectTextFiles(const Path& folder, const std::wstring& clip, const ViewerClip& viewer) {
    const std::size_t frames = viewer.slots.size();
    std::istringstream srt(readText(folder + kPathSeparator + clip + L".srt"));
    std::size_t entries = 0;
    for (std::string line; std::getline(srt, line);) {
        if (line.empty() || line == "\r") continue;
        ++entries;
        const std::size_t first = (entries - 1) * 28;
        EXPECT_EQ(line, std::to_string(entries) + "\r");
        std::string times, date, values, next;
        std::getline(srt, times);
        std::getline(srt, date);
        std::getline(srt, values);
        char expectedTimes[64];
        const std::size_t endMs = std::min(entries * 1000, frames * 1000 / 28);
        std::snprintf(expectedTimes, sizeof expectedTimes,
                      "00:00:%02zu,000 --> 00:00:%02zu,%03zu\r", entries - 1, endMs / 1000,
                      endMs % 1000);
        EXPECT_EQ(times, expectedTimes);
        EXPECT_EQ(date, localText(viewer.slots[first].time) + "\r");
        EXPECT_NE(values.find(" km/h  "), std::string::npos);
        bool marked = false;
        for (std::size_t i = first; i < std::min(frames, first + 28); ++i)
            marked = marked || viewer.slots[i].marked;
        std::getline(srt, next);
        EXPECT_EQ(next == "EVENT\r", marked) << "subtitle " << entries;
    }
    EXPECT_EQ(entries, (frames + 27) / 28);

    std::istringstream csv(readText(folder + kPathSeparator + clip + L".csv"));
    std::string header;
    std::getline(csv, header);
    EXPECT_EQ(header, "slot,time,accel_x,accel_y,accel_z,magnitude,speed,mark,picture\r");
    std::size_t rows = 0;
    for (std::string line; std::getline(csv, line); ++rows) {
        std::vector<std::string> fields;
        std::istringstream cells(line.substr(0, line.size() - 1));
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        ASSERT_EQ(fields.size(), 9u) << line;
        ASSERT_LT(rows, frames);
        EXPECT_EQ(fields[0], std::to_string(rows));
        EXPECT_EQ(fields[1], localText(viewer.slots[rows].time));
        EXPECT_EQ(fields[7], viewer.slots[rows].marked ? "1" : "0");
    }
    EXPECT_EQ(rows, frames);
}

// Checks every clip an export wrote into `folder`; returns their manifests by clip name.
std::vector<std::pair<std::wstring, ManifestReading>> expectClips(const Path& folder,
                                                                  const Path& card) {
    std::vector<std::pair<std::wstring, ManifestReading>> clips;
    for (const std::wstring& json : filesIn(folder, L".json")) {
        SCOPED_TRACE(toUtf8(json));
        const ManifestReading manifest = readManifest(folder + kPathSeparator + json);
        const std::vector<SourceRange> ranges = rangesOf(manifest, card);
        expectClipIsWhatTheViewerShows(folder + kPathSeparator + stem(json) + L".avi", ranges);
        expectTextFiles(folder, stem(json), viewerClip(ranges));
        expectManifestChecksums(folder, manifest, card);
        EXPECT_EQ(manifest.files.size(), 3u);
        clips.emplace_back(stem(json), manifest);
    }
    return clips;
}

TEST_F(Export, EventClipsAreWhatTheViewerShowsAndPlays) {
    const Path out = card->newOutFolder();
    const ExportRun run = runExporter(
        {L"--event", L"--before", L"3", L"--after", L"3", L"--out", out, card->folder()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no progress bar when standard error is not a terminal
    const auto clips = expectClips(out, card->folder());
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), static_cast<long>(clips.size()));

    // Each event of a recording on its own has its clip, three seconds either side of the marks.
    std::size_t expected = 1;  // the joined pair's events share one clip
    for (const std::wstring& name : card->archives()) {
        if (name == TestCard::kJoinedFirst || name == TestCard::kJoinedSecond) continue;
        int slots = 0;
        for (const auto& [first, last] : viewerEvents(card->archive(name), slots)) {
            ++expected;
            const int from = std::max(0, first - 84);
            const int to = std::min(slots - 1, last + 84);
            const bool found = std::any_of(clips.begin(), clips.end(), [&](const auto& clip) {
                const auto& s = clip.second.sources;
                return s.size() == 1 && s[0].file == toUtf8(name) && s[0].firstSlot == from &&
                       s[0].lastSlot == to;
            });
            EXPECT_TRUE(found) << "no clip of slots " << from << "-" << to << " of "
                               << toUtf8(name);
        }
    }
    EXPECT_EQ(clips.size(), expected);
    // The two recordings without a gap between them give one clip running from one into the next.
    const auto joined = std::find_if(clips.begin(), clips.end(), [](const auto& clip) {
        return clip.second.sources.size() == 2;
    });
    ASSERT_NE(joined, clips.end());
    int firstSlots = 0;
    viewerEvents(card->archive(TestCard::kJoinedFirst), firstSlots);
    EXPECT_EQ(joined->second.sources[0].file, toUtf8(TestCard::kJoinedFirst));
    EXPECT_EQ(joined->second.sources[0].lastSlot, firstSlots - 1);
    EXPECT_EQ(joined->second.sources[1].file, toUtf8(TestCard::kJoinedSecond));
    EXPECT_EQ(joined->second.sources[1].firstSlot, 0);
}

// Whole recordings, damaged ones included, past a lowered size limit of a RIFF part, so the
// OpenDML indexes that files beyond 1 GiB need are what ffmpeg reads.
TEST_F(Export, WholeRecordingsAcrossOpenDmlPartsAreEveryViewerSlot) {
    const Path out = card->newOutFolder();
    const ExportRun run = runExporter({L"--recording", L"--quiet", L"--out", out, card->folder()},
                                      {L"TAVRIN_EXPORT_RIFF_LIMIT=200000"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const auto clips = expectClips(out, card->folder());
    EXPECT_EQ(clips.size(), card->archives().size());
    for (const auto& [name, manifest] : clips) {
        ASSERT_EQ(manifest.sources.size(), 1u);
        int slots = 0;
        viewerEvents(card->folder() + kPathSeparator + fromUtf8(manifest.sources[0].file), slots);
        EXPECT_EQ(manifest.frames, slots) << toUtf8(name);
        EXPECT_EQ(manifest.sources[0].firstSlot, 0);
        // The file really is in several RIFF parts.
        const test::Bytes avi = test::readBytes(out + kPathSeparator + name + L".avi");
        int parts = 0;
        for (std::size_t at = 0; at + 8 <= avi.size();) {
            parts += std::equal(avi.begin() + at, avi.begin() + at + 4, "RIFF") ? 1 : 0;
            at += 8 + (avi[at + 4] | avi[at + 5] << 8 | avi[at + 6] << 16 | avi[at + 7] << 24);
        }
        EXPECT_EQ(parts > 1, avi.size() > 200000) << toUtf8(name) << ": " << parts << " parts";
    }
}

// The export reads an archive once from front to back for its pictures and its checksum; a
// picture stored out of the order they are shown in, here far past the others, is still the one
// the viewer shows, and so are those the reading has passed by then.
TEST(ExportSource, PicturesStoredOutOfOrderAreThoseTheViewerShows) {
    test::TestFolder place;
    const Path card = place.file(L"card");
    const Path out = place.file(L"out");
    for (const Path& folder : {card, out})
        std::filesystem::create_directory(std::filesystem::u8path(toUtf8(folder)));
    writeArchiveStoredOutOfOrder(card + kPathSeparator + L"0001_001.DAT", 60);
    const ExportRun run = runExporter({L"--recording", L"--quiet", L"--out", out, card});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto clips = expectClips(out, card);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].second.frames, 60);
}

TEST_F(Export, TimeSpanRunsAcrossAJoinAndEndsAtAGap) {
    const Path out = card->newOutFolder();
    ExportRun run = runExporter({L"--from", L"2012-05-04 09:00:02", L"--to", L"2012-05-04 09:00:06",
                                 L"--out", out, card->folder()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto clips = expectClips(out, card->folder());
    ASSERT_EQ(clips.size(), 1u);
    const ManifestReading& span = clips[0].second;
    EXPECT_EQ(clips[0].first, L"20120504_090002");
    ASSERT_EQ(span.sources.size(), 2u);
    // From the first slot at 09:00:02 of the first recording to the last before 09:00:06 of the
    // second, by the viewer's frame times.
    VideoArchive first;
    first.open(card->archive(TestCard::kJoinedFirst), nullptr);
    VideoArchive second;
    second.open(card->archive(TestCard::kJoinedSecond), nullptr);
    int from = 0;
    while (localText(first.slot(from)->frameTime) < "2012-05-04 09:00:02") ++from;
    int to = second.slotCount() - 1;
    while (localText(second.slot(to)->frameTime) >= "2012-05-04 09:00:06") --to;
    EXPECT_EQ(span.sources[0].file, toUtf8(TestCard::kJoinedFirst));
    EXPECT_EQ(span.sources[0].firstSlot, from);
    EXPECT_EQ(span.sources[0].lastSlot, first.slotCount() - 1);
    EXPECT_EQ(span.sources[1].firstSlot, 0);
    EXPECT_EQ(span.sources[1].lastSlot, to);
    EXPECT_EQ(span.frames, first.slotCount() - from + to + 1);

    // Two days: the recordings between are not joined, so each is a clip of its own.
    const Path days = card->newOutFolder();
    run = runExporter({L"--from", L"2012-05-01 00:00:00", L"--to", L"2012-05-03 00:00:00",
                       L"--quiet", L"--out", days, card->folder()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(filesIn(days, L".avi").size(), 2u);
}

TEST_F(Export, SnapshotIsTheStoredPictureAndThePngWhatTheViewerShows) {
    const Path archive = card->archive(L"0001_001.DAT");
    VideoArchive viewer;
    viewer.open(archive, nullptr);
    const std::int64_t time = viewer.slot(60)->frameTime;
    int first = 60;
    while (viewer.slot(first - 1)->frameTime == time) --first;
    std::string stamp = localText(time);
    stamp.erase(
        std::remove_if(stamp.begin(), stamp.end(), [](char c) { return c == '-' || c == ':'; }),
        stamp.end());
    std::replace(stamp.begin(), stamp.end(), ' ', '_');

    const Path out = card->newOutFolder();
    ExportRun run = runExporter(
        {L"--snapshot", fromUtf8(localText(time)), L"--png", L"--out", out, card->folder()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::wstring name = fromUtf8(stamp);
    EXPECT_EQ(filesIn(out), (std::vector<std::wstring>{name + L".jpg", name + L".png"}));
    std::vector<std::uint8_t> stored;
    ASSERT_TRUE(viewer.readFramePicture(first, stored));
    EXPECT_TRUE(test::readBytes(out + kPathSeparator + name + L".jpg") == stored);
    // The PNG holds the picture as the viewer draws it at its standard brightness.
    const test::Bytes png = test::readBytes(out + kPathSeparator + name + L".png");
    std::unique_ptr<Image> written = decodePng(png.data(), png.size());
    std::unique_ptr<Image> shown = viewer.readFrameImage(first);
    ASSERT_TRUE(written && shown);
    GammaCorrection standard;
    standard.setGamma(1.2);
    standard.apply(*shown);
    ASSERT_EQ(written->width(), shown->width());
    ASSERT_EQ(written->height(), shown->height());
    int differing = 0;
    for (int i = 0; i < shown->byteSize(); ++i) {
        differing += i % 4 != 3 && written->pixels()[i] != shown->pixels()[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);

    // A later slot of the same second of one archive is named by its place in that second.
    run = runExporter({L"--slot", std::to_wstring(first + 3), L"--quiet", L"--out", out, archive});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(viewer.readFramePicture(first + 3, stored));
    EXPECT_TRUE(test::readBytes(out + kPathSeparator + name + L"_03.jpg") == stored);
}

// The card report: every recording, its events, and each kind of damage with the viewer's own
// message where it shows one.
TEST_F(Export, ReportNamesEveryDamageWithTheViewersMessages) {
    test::TestFolder place;
    const Path folder = place.file(L"レポート");
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(folder)));
    for (const wchar_t* name :
         {L"0001_001.DAT", L"0003_003.DAT", L"0004_003.DAT", L"0005_003.DAT", L"0006_003.DAT"}) {
        test::writeBytes(folder + kPathSeparator + name, test::readBytes(card->archive(name)));
    }
    test::writeBytes(folder + kPathSeparator + L"0009_004.DAT", test::Bytes(30000, 0x21));
    // Too short for the viewer to read its date: the viewer cannot list the folder at all.
    test::writeBytes(folder + kPathSeparator + L"0010_004.DAT", test::Bytes(3, 0));

    ExportRun run = runExporter({L"--report", folder});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string cannotRead = toUtf8(loadMessage(5510));
    for (const char* says : {"0001_001.DAT", "event at", "peak", "cut off", "end-of-image marker",
                             "out of sequence", "another recording", "damaged stretches",
                             "unreadable", "The viewer cannot list this folder"}) {
        EXPECT_NE(run.out.find(says), std::string::npos) << says << "\n" << run.out;
    }
    EXPECT_NE(run.out.find(cannotRead), std::string::npos);

    // As JSON, each recording with its own damage; without a temporary folder the viewer cannot
    // restore any recording's sound, and says so.
    run = runExporter({L"--report", L"--json", folder},
                      {L"TMPDIR=/nonexistent/tavrin", L"TMP=Z:\\nonexistent\\tavrin",
                       L"TEMP=Z:\\nonexistent\\tavrin"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto entryOf = [&](const char* file) {
        const std::size_t at = run.out.find(std::string("{\"file\": \"") + file);
        return at == std::string::npos ? std::string()
                                       : run.out.substr(at, run.out.find("\n  {", at + 1) - at);
    };
    const struct {
        const char* file;
        const char* kind;
    } expected[] = {
        {"0003_003.DAT", "\"cut-off\""},           {"0004_003.DAT", "\"resynchronised\""},
        {"0005_003.DAT", "\"foreign-recording\""}, {"0006_003.DAT", "\"missing-end-marker\""},
        {"0006_003.DAT", "\"out-of-sequence\""},   {"0009_004.DAT", "\"not-a-recording\""},
        {"0010_004.DAT", "\"not-a-recording\""},   {"0001_001.DAT", "\"sound-unavailable\""}};
    for (const auto& e : expected) {
        EXPECT_NE(entryOf(e.file).find(e.kind), std::string::npos) << e.file << " " << e.kind;
    }
    EXPECT_EQ(entryOf("0001_001.DAT").find("\"kind\": \"cut-off\""), std::string::npos);
    EXPECT_NE(entryOf("0009_004.DAT").find(cannotRead), std::string::npos);
    EXPECT_NE(entryOf("0001_001.DAT").find(toUtf8(loadMessage(5501))), std::string::npos);
    EXPECT_NE(entryOf("0001_001.DAT").find("\"sound\": false"), std::string::npos);
}

}  // namespace
}  // namespace tavrin::exporttest
