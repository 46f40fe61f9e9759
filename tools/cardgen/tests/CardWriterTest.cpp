#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <iterator>
#include <memory>
#include <set>
#include <tuple>

#include "media/Image.h"
#include "recording/ArchiveFormat.h"
#include "recording/ArchiveHeader.h"
#include "recording/ArchiveScan.h"
#include "recording/Platform.h"
#include "recording/SoundTrack.h"
#include "recording/TextEncoding.h"
#include "recording/VideoArchive.h"
#include "recording/VideoInfo07.h"
#include "recording/WindowedReader.h"
#include "tests/support/TestFolder.h"
#include "tools/cardgen/CardWriter.h"
#include "tools/cardgen/FrameStrip.h"
#include "tools/cardgen/Sound.h"

namespace tavrin::cardgen {
namespace {

using tavrin::test::TestFolder;

constexpr int kFrames = 70;
constexpr int kRecordings = 3;

// What a recording looks like to the viewer: the scan's pictures and sound blocks in file
// order, the archive opened for playing, and the frame index each slot's picture shows.
struct Reading {
    std::int64_t fileSize = 0;
    ScanResult scan;
    std::unique_ptr<VideoArchive> archive;  // open, so its slots and sound file stay valid
    std::vector<int> shown;                 // per slot; -1 where nothing readable is shown
    int lastShown = -1;                     // shown by the last slot whose picture is complete
    std::set<int> missing;                  // indices below lastShown that no slot shows
    // Whether the scan's last block reaches the end of the file, or near enough that the file
    // ends within the block after it.
    bool readToTheEnd = false;
};

Reading read(const Path& path) {
    Reading r;
    {
        BinaryFile file = BinaryFile::openForReading(path);
        r.fileSize = file.length();
        const ArchiveHeaderInfo header = readArchiveHeader(file);
        WindowedReader reader(file);
        r.scan = scanArchiveBlocks(reader, r.fileSize, header, true, nullptr);
    }
    r.archive = std::make_unique<VideoArchive>();
    r.archive->open(path, nullptr);
    for (std::int32_t i = 0; i < r.archive->slotCount(); ++i) {
        auto image = r.archive->readFrameImage(i);
        r.shown.push_back(!image ? -1
                                 : readFrameStrip(image->pixels(), image->width(), image->height(),
                                                  static_cast<int>(image->stride()), true));
        if (r.archive->slot(i)->complete) r.lastShown = r.shown.back();
    }
    for (int i = 0; i < r.lastShown; ++i) {
        if (std::find(r.shown.begin(), r.shown.end(), i) == r.shown.end()) r.missing.insert(i);
    }
    std::int64_t reach = 0;
    if (!r.scan.sounds.empty()) {
        const FrameInfo& s = r.scan.sounds.back();
        reach = s.blockPositions[0] + s.blockLength - static_cast<std::int64_t>(kBlockHeaderSize);
    }
    if (!r.scan.pictures.empty()) {
        const FrameInfo& p = r.scan.pictures.back();
        reach = std::max<std::int64_t>(reach, p.blockPositions[p.blockCount - 1]);
    }
    r.readToTheEnd = r.fileSize - reach < static_cast<std::int64_t>(kBlockSize);
    return r;
}

class CardWriterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TestFolder>();
        CardOptions options;
        options.folder = toUtf8(card(L""));  // created by the writer
        options.recordings = kRecordings;
        options.frames = kFrames;
        options.seed = 7;
        options.damage = {Damage::Truncated, Damage::Garbage, Damage::ForeignId,
                          Damage::NoEndMarker};
        lines_.clear();
        writeCard(options, [](const std::string& line) { lines_.push_back(line); });
    }
    static void TearDownTestSuite() { folder_.reset(); }
    static Path card(const std::wstring& name) {
        return folder_->file(L"card") + (name.empty() ? L"" : kPathSeparator + name);
    }
    static Path card(const std::string& name) { return card(fromUtf8(name)); }

    static std::unique_ptr<TestFolder> folder_;
    static std::vector<std::string> lines_;
};

std::unique_ptr<TestFolder> CardWriterTest::folder_;
std::vector<std::string> CardWriterTest::lines_;

TEST_F(CardWriterTest, WritesTheCardsFilesAndSaysSo) {
    const char* names[] = {"0001_001.DAT", "0002_002.DAT", "0003_003.DAT", "0004_003.DAT",
                           "0005_003.DAT", "0006_003.DAT", "0007_003.DAT", "FIRMINFO.DAT"};
    ASSERT_EQ(lines_.size(), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const Path path = card(std::string(names[i]));
        EXPECT_TRUE(fileExists(path) && !isDirectory(path)) << names[i];
        EXPECT_EQ(lines_[i].rfind(names[i], 0), 0u) << lines_[i];
    }
    const Bytes firmware = tavrin::test::readBytes(card(std::string("FIRMINFO.DAT")));
    ASSERT_GE(firmware.size(), 24u);
    EXPECT_EQ(Bytes(firmware.begin() + 16, firmware.begin() + 24),
              (Bytes{0x00, 0x01, 0x04, 0x03, 0xFF, 0xFF, 0xFF, 0xF9}));
}

TEST_F(CardWriterTest, RecordingsReadBackFrameByFrame) {
    std::set<std::tuple<int, int, int>> dates;
    for (int r = 1; r <= kRecordings; ++r) {
        SCOPED_TRACE(r);
        const Reading reading = read(card(archiveName(r, r)));
        const auto& scan = reading.scan;
        const VideoArchive& archive = *reading.archive;
        ASSERT_TRUE(scan.sawValidPicture);
        EXPECT_TRUE(reading.readToTheEnd);
        std::tm day{};
        ASSERT_TRUE(secondsToLocalTime(archive.startTime(), day));
        dates.insert({day.tm_year, day.tm_mon, day.tm_mday});

        // Every picture is complete and every slot shows a frame index: each picture's own, or,
        // where one or two frames were dropped, a copy of its neighbour's.
        for (const FrameInfo& p : scan.pictures) EXPECT_TRUE(p.complete);
        EXPECT_NEAR(archive.slotCount(), kFrames, 1);
        ASSERT_EQ(reading.shown.size(), static_cast<std::size_t>(archive.slotCount()));
        EXPECT_EQ(std::set<int>(reading.shown.begin(), reading.shown.end()).size(),
                  scan.pictures.size());
        EXPECT_EQ(reading.shown.front(), 0);
        EXPECT_EQ(reading.lastShown, kFrames - 1);
        EXPECT_EQ(reading.shown.back(), kFrames - 1);
        EXPECT_GE(reading.missing.size(), 1u);
        EXPECT_LE(reading.missing.size(), 2u);
        int marked = 0;
        for (std::int32_t i = 0; i < archive.slotCount(); ++i) {
            const FrameInfo& p = *archive.slot(i);
            const int shown = reading.shown[static_cast<std::size_t>(i)];
            EXPECT_GE(shown, 0) << i;
            if (i > 0) {
                const int before = reading.shown[static_cast<std::size_t>(i) - 1];
                if (shown == before) {
                    EXPECT_EQ(p.tick, archive.slot(i - 1)->tick) << i;  // a gap's copy
                } else {
                    EXPECT_LT(before, shown) << i;
                }
            }
            // Frame times advance one second per 28 frames from the header's start.
            EXPECT_EQ(p.frameTime, archive.startTime() + shown / 28) << i;
            EXPECT_EQ(p.fileNumber, r);
            EXPECT_EQ(p.fileGroupNumber, r);
            marked += p.isMarked();
        }
        EXPECT_EQ(marked, 5);
        EXPECT_EQ(std::count_if(scan.pictures.begin(), scan.pictures.end(),
                                [](const FrameInfo& p) { return p.isMarked(); }),
                  5);
        VideoInfo07 info(archive);
        info.collectMarkedFrames();
        std::vector<std::int32_t> events;
        info.copyMarkedFrames(events);
        ASSERT_EQ(events.size(), 5u);
        for (std::size_t k = 1; k < events.size(); ++k) {
            EXPECT_EQ(reading.shown[static_cast<std::size_t>(events[k])],
                      reading.shown[static_cast<std::size_t>(events[0])] + static_cast<int>(k));
        }
        for (const FrameInfo& s : scan.sounds) {
            EXPECT_GT(s.payloadSize, 0);
            EXPECT_LE(s.payloadSize, 4096);
        }
    }
    EXPECT_EQ(dates.size(), 3u);
}

TEST_F(CardWriterTest, BeepPlaysWithTheEventFrame) {
    for (int r = 1; r <= kRecordings; ++r) {
        SCOPED_TRACE(r);
        const Reading reading = read(card(archiveName(r, r)));
        const VideoArchive& archive = *reading.archive;
        ASSERT_GT(archive.slotCount(), 0);
        const std::int64_t first = archive.slot(0)->tick;  // the earliest picture

        // The generator stamps the sound blocks so that no gap is filled and no samples are
        // dropped: the track is the leading silence, then every sample of every block.
        auto sounds = reading.scan.sounds;
        ASSERT_FALSE(sounds.empty());
        std::stable_sort(sounds.begin(), sounds.end(),
                         [](const FrameInfo& a, const FrameInfo& b) { return a.tick < b.tick; });
        const auto lead = static_cast<std::int64_t>(sounds.front().tick - first - 38);
        std::int64_t expectedBytes =
            lead > 0 ? static_cast<std::int64_t>(lead * kSampleRate / 1000.0) : 0;
        for (std::size_t i = 0; i < sounds.size(); ++i) {
            if (i + 1 < sounds.size()) {
                const auto gap = static_cast<std::int64_t>((sounds[i + 1].tick - sounds[i].tick) *
                                                           kSampleRate / 1000.0);
                EXPECT_GT(gap, 16);
                EXPECT_LE(gap - sounds[i].payloadSize, 2048);
            }
            expectedBytes += sounds[i].payloadSize;
        }
        EXPECT_EQ(archive.soundDataBytes(), expectedBytes);
        const Bytes wave = tavrin::test::readBytes(archive.soundFilePath());
        ASSERT_EQ(static_cast<std::int64_t>(wave.size()),
                  static_cast<std::int64_t>(kWaveHeaderSize) + archive.soundDataBytes());
        const Bytes track(wave.begin() + kWaveHeaderSize, wave.end());

        VideoInfo07 info(archive);
        const std::int32_t eventSlot = info.nextMarkedFrame(0);
        ASSERT_GE(eventSlot, 0);
        const std::int64_t eventMs = archive.slot(eventSlot)->tick - first;
        // The first 10 ms window that rings at the beep's pitch.
        const double w = 2 * 3.14159265358979 * kBeepHz / kSampleRate;
        std::int64_t beepMs = -1;
        for (std::size_t at = 0; at + 132 < track.size() && beepMs < 0; at += 66) {
            double a = 0, b = 0;
            for (std::size_t i = at; i < at + 132; ++i) {
                const double next = (track[i] - 128.0) + 2 * std::cos(w) * a - b;
                b = a;
                a = next;
            }
            if (std::sqrt(a * a + b * b - 2 * std::cos(w) * a * b) / 132 > 15) {
                beepMs = static_cast<std::int64_t>(at * 1000 / kSampleRate);
            }
        }
        EXPECT_NEAR(static_cast<double>(beepMs), static_cast<double>(eventMs), 20.0);
        // On the player's clock the beep starts while the event's slot is on screen; a picture
        // moved on to the next slot because its own was taken shows a few ms late.
        const double slotStart = eventSlot * kSlotMilliseconds;
        EXPECT_GE(static_cast<double>(beepMs), slotStart - 30.0);
        EXPECT_LT(static_cast<double>(beepMs), slotStart + kSlotMilliseconds + 20.0);
    }
}

TEST_F(CardWriterTest, DamagedRecordingsReadAsDamaged) {
    struct Case {
        int fileNumber;
        bool readToTheEnd;
        bool lastComplete;
        int lastShownMax;  // the last complete picture shows at most this frame
        bool twoLostTogether;
    };
    const Case cases[] = {
        {4, true, false, kFrames * 7 / 10 - 1, false},   // truncated
        {5, true, true, kFrames - 1, false},             // garbage
        {6, false, true, kFrames * 11 / 20 - 1, false},  // foreign id
        {7, true, true, kFrames - 1, true},              // no end marker
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileNumber);
        const Reading reading = read(card(archiveName(c.fileNumber, 3)));
        ASSERT_TRUE(reading.scan.sawValidPicture);
        ASSERT_FALSE(reading.scan.pictures.empty());
        EXPECT_EQ(reading.readToTheEnd, c.readToTheEnd);
        EXPECT_EQ(reading.scan.pictures.back().complete, c.lastComplete);
        const VideoArchive& archive = *reading.archive;
        ASSERT_GT(archive.slotCount(), 0);
        EXPECT_EQ(archive.slot(archive.slotCount() - 1)->complete, c.lastComplete);
        EXPECT_LE(reading.lastShown, c.lastShownMax);
        EXPECT_GE(reading.lastShown, c.lastShownMax - 3);
        bool together = false;
        for (int m : reading.missing) together = together || reading.missing.count(m + 1) > 0;
        EXPECT_EQ(together, c.twoLostTogether);
    }
    // The cut picture is the last one, in the middle of its second block.
    const Reading cut = read(card(archiveName(4, 3)));
    const FrameInfo& last = cut.scan.pictures.back();
    EXPECT_EQ(last.blockCount, 2);
    EXPECT_LT(cut.fileSize, last.blockPositions[1] + kFirstBlockPictureBytes);
}

TEST(CardWriterDeterminismTest, SameSeedSameBytes) {
    RecordingRequest request;
    request.drive.frames = 40;
    request.width = 160;
    request.height = 120;
    request.damage = Damage::Garbage;
    RecordingStats stats;
    const Bytes first = buildRecording(request, stats).bytes();
    EXPECT_EQ(buildRecording(request, stats).bytes(), first);
    request.seed = 2;
    EXPECT_NE(buildRecording(request, stats).bytes(), first);
}

TEST(CardWriterLargeTest, LongArchiveHoldsItsPictures) {
    TestFolder folder;
    std::vector<std::string> lines;
    writeLargeArchive(
        toUtf8(folder.file(L"9999_999.DAT")), 3, [&](const std::string& l) { lines.push_back(l); },
        600);
    const Reading reading = read(folder.file(L"9999_999.DAT"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(reading.scan.pictures.size(), 600u);
    EXPECT_EQ(std::set<int>(reading.shown.begin(), reading.shown.end()).size(), 600u);
    EXPECT_EQ(reading.missing.size(), 3u);
    EXPECT_EQ(std::count(reading.shown.begin(), reading.shown.end(), -1), 0);
}

}  // namespace
}  // namespace tavrin::cardgen
