// The exporter's parts that decide something on their own: checksums, clip choice, the command
// line, the subtitle and telemetry texts, and the rename that never replaces a file unasked.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "recording/LocalTime.h"
#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tools/export/AviWriter.h"
#include "tools/export/BackgroundHash.h"
#include "tools/export/ClipSelection.h"
#include "tools/export/ClipText.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/OutputFile.h"
#include "tools/export/PageBuffer.h"
#include "tools/export/RiffSink.h"
#include "tools/export/Sha256.h"
#include "tools/export/SourcePass.h"
#include "tools/export/UncachedFile.h"
#include "tools/export/WriteBehind.h"

namespace tavrin::exporter {
namespace {

std::string sha256Of(const std::string& text) {
    Sha256 hash;
    hash.add(text.data(), text.size());
    return hash.finishHex();
}

TEST(Sha256, KnownDigests) {
    const struct {
        std::string message;
        const char* digest;
    } rows[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& row : rows) EXPECT_EQ(sha256Of(row.message), row.digest) << row.message.size();
}

// The processor's instructions (where it has them) and the portable code agree on every length
// and on every way the input is cut into pieces.
TEST(Sha256, InstructionsAndPortableCodeAgree) {
    std::mt19937 random(5);
    std::vector<std::uint8_t> data(4096 + 64);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    std::uint32_t portable[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::uint32_t instructions[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    compressPortable(portable, data.data(), 64);
    if (compressWithShaInstructions(instructions, data.data(), 64)) {
        EXPECT_TRUE(std::equal(portable, portable + 8, instructions));
    }
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u, 4096u}) {
        Sha256 whole;
        whole.add(data.data(), length);
        Sha256 pieces;
        for (std::size_t at = 0; at < length; at += 7)
            pieces.add(data.data() + at, std::min<std::size_t>(7, length - at));
        EXPECT_EQ(whole.finishHex(), pieces.finishHex()) << length;
    }
}

std::vector<std::uint8_t> randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

std::string sha256Of(const std::uint8_t* bytes, std::size_t count) {
    Sha256 hash;
    hash.add(bytes, count);
    return hash.finishHex();
}

// Two streams hashed together give each stream's own digest, whatever either holds pending from
// before and however long each part is.
TEST(Sha256, StreamsHashedTogetherAreEachHashedAsAlone) {
    const std::vector<std::uint8_t> a = randomBytes(9000, 1);
    const std::vector<std::uint8_t> b = randomBytes(9000, 2);
    const struct {
        std::size_t leadA, leadB;  // added alone first
        std::size_t togetherA, togetherB;
    } rows[] = {
        {0, 0, 0, 0},       {0, 0, 64, 64},      {0, 0, 4096, 4096}, {0, 0, 640, 64},
        {0, 0, 1, 4097},    {5, 0, 4096, 4096},  {0, 63, 128, 1000}, {17, 40, 3000, 2999},
        {64, 1, 6400, 300}, {100, 100, 0, 5000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.leadA << "+" << row.togetherA << ", " << row.leadB
                                        << "+" << row.togetherB);
        Sha256 first, second;
        first.add(a.data(), row.leadA);
        second.add(b.data(), row.leadB);
        Sha256::addTogether(first, a.data() + row.leadA, row.togetherA, second,
                            b.data() + row.leadB, row.togetherB);
        // And on after it, alone.
        first.add(a.data() + row.leadA + row.togetherA, 100);
        EXPECT_EQ(first.finishHex(), sha256Of(a.data(), row.leadA + row.togetherA + 100));
        EXPECT_EQ(second.finishHex(), sha256Of(b.data(), row.leadB + row.togetherB));
    }
}

// Pieces of both streams, some larger than the thread hashes at a time and some empty, come out
// as each stream's digest; a finished stream starts again, an abandoned one forgets its bytes.
TEST(BackgroundHash, EachStreamsDigestWhateverTheOtherDoes) {
    const std::vector<std::uint8_t> written = randomBytes(3 << 20, 3);
    const std::vector<std::uint8_t> read = randomBytes(2 << 20, 4);
    BackgroundHash hash;
    const std::size_t writtenPieces[] = {1 << 20, 0, 77, (1 << 20) + 5, 1000000};
    std::size_t at = 0;
    std::uint64_t ticket = 0;
    for (std::size_t piece : writtenPieces) {
        ticket = hash.add(BackgroundHash::kWritten, written.data() + at, piece);
        at += piece;
        if (at < read.size()) hash.add(BackgroundHash::kRead, read.data() + at / 2, 0);
    }
    hash.add(BackgroundHash::kRead, read.data(), read.size());
    hash.waitUntilHashed(BackgroundHash::kWritten, ticket);
    EXPECT_EQ(hash.finishHex(BackgroundHash::kRead), sha256Of(read.data(), read.size()));
    EXPECT_EQ(hash.finishHex(BackgroundHash::kWritten), sha256Of(written.data(), at));

    hash.add(BackgroundHash::kWritten, written.data(), 1 << 20);
    hash.abandon(BackgroundHash::kWritten);
    hash.add(BackgroundHash::kRead, read.data(), 3);
    hash.add(BackgroundHash::kWritten, written.data() + 10, 300000);
    EXPECT_EQ(hash.finishHex(BackgroundHash::kWritten), sha256Of(written.data() + 10, 300000));
    EXPECT_EQ(hash.finishHex(BackgroundHash::kRead), sha256Of(read.data(), 3));
}

// Reads forward across pieces, behind the piece in hand and past the end all give the file's
// bytes; the file is hashed whole when a hash is given, and only what is asked for is read
// without one.
TEST(SourcePass, ReadsTheFileOnceForItsBytesAndItsChecksum) {
    test::TestFolder folder;
    const Path path = folder.file(L"0001_001.DAT");
    const std::vector<std::uint8_t> content = randomBytes(50000, 5);
    test::writeBytes(path, content);
    const struct {
        std::int64_t offset;
        std::size_t size;
        std::size_t expected;
    } reads[] = {
        {100, 50, 50},       {4000, 200, 200},     // across the first boundary
        {9000, 8192, 8192},  {20, 10, 10},         // across two; behind
        {30000, 9000, 9000}, {28000, 3000, 3000},  // far ahead; behind into the piece in hand
        {49990, 100, 10},    {60000, 10, 0},       // the end
    };
    for (const bool hashed : {true, false}) {
        SCOPED_TRACE(hashed);
        BackgroundHash hash;
        SourcePass pass(path, hashed ? &hash : nullptr, 4096);
        EXPECT_EQ(pass.length(), 50000);
        for (const auto& r : reads) {
            std::vector<std::uint8_t> got(r.size, 0xEE);
            ASSERT_EQ(pass.readAt(r.offset, got.data(), r.size), r.expected) << r.offset;
            EXPECT_TRUE(std::equal(got.begin(),
                                   got.begin() + static_cast<std::ptrdiff_t>(r.expected),
                                   content.begin() + r.offset))
                << r.offset;
        }
        if (hashed) {
            EXPECT_EQ(pass.finishHex(), sha256Of(content.data(), content.size()));
        }
    }
    // A clip that ends early in the archive: the checksum is still that of the whole file.
    BackgroundHash hash;
    SourcePass early(path, &hash, 4096);
    std::vector<std::uint8_t> got(50);
    ASSERT_EQ(early.readAt(100, got.data(), got.size()), got.size());
    EXPECT_EQ(early.finishHex(), sha256Of(content.data(), content.size()));
    EXPECT_THROW(SourcePass(folder.file(L"missing.DAT"), nullptr), ExportError);
}

RecordingSummary recording(std::int64_t start, int slots, std::vector<std::pair<int, int>> events,
                           bool readable = true) {
    RecordingSummary r;
    r.readable = readable;
    r.startTime = start;
    r.slotCount = slots;
    for (int s = 0; s < slots; ++s) r.slotTimes.push_back(start + s / 28);
    r.firstFrameTime = start;
    r.lastFrameTime = start + (slots - 1) / 28;
    for (auto [first, last] : events) r.events.push_back({first, last, start + first / 28, 1.0});
    return r;
}

TEST(ClipSelection, EventsAreWindowedMergedAndJoinedAcrossRecordings) {
    const std::int64_t t = 1335859200;
    const struct {
        const char* name;
        std::vector<RecordingSummary> card;
        double before, after;
        std::vector<std::vector<ClipPiece>> clips;
    } rows[] = {
        {"window clipped to the recording",
         {recording(t, 280, {{100, 104}})},
         1,
         2,
         {{{0, 72, 161}}}},
        {"at the very start", {recording(t, 280, {{3, 7}})}, 15, 15, {{{0, 0, 280}}}},
        {"overlapping windows merge",
         {recording(t, 560, {{100, 104}, {150, 154}, {500, 504}})},
         1,
         1,
         {{{0, 72, 183}}, {{0, 472, 533}}}},
        {"a join carries the window on",
         {recording(t, 280, {{270, 274}}), recording(t + 10, 280, {})},
         0,
         1,
         {{{0, 270, 280}, {1, 0, 23}}}},
        {"a gap ends it",
         {recording(t, 280, {{270, 274}}), recording(t + 13, 280, {})},
         0,
         1,
         {{{0, 270, 280}}}},
        {"an unreadable recording breaks the run",
         {recording(t, 280, {{270, 274}}), recording(t + 10, 0, {}, false),
          recording(t + 10, 280, {})},
         0,
         1,
         {{{0, 270, 280}}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Clip> clips = selectEvents(row.card, row.before, row.after);
        ASSERT_EQ(clips.size(), row.clips.size());
        for (std::size_t i = 0; i < clips.size(); ++i) EXPECT_EQ(clips[i].pieces, row.clips[i]);
    }
}

TEST(ClipSelection, SpansFollowTheUnitsClockAcrossJoinsOnly) {
    const std::int64_t t = 1335859200;
    const std::vector<RecordingSummary> card = {recording(t, 280, {}), recording(t + 10, 280, {}),
                                                recording(t + 100, 280, {})};
    std::vector<Clip> clips = selectSpan(card, t + 5, t + 12);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].pieces, (std::vector<ClipPiece>{{0, 140, 280}, {1, 0, 56}}));
    EXPECT_EQ(clips[0].frames(), 196);
    clips = selectSpan(card, t, t + 1000);
    ASSERT_EQ(clips.size(), 2u);
    EXPECT_EQ(clips[1].pieces, (std::vector<ClipPiece>{{2, 0, 280}}));
    EXPECT_TRUE(selectSpan(card, t + 20, t + 100).empty());
    EXPECT_EQ(selectRecordings(card).size(), 3u);
}

TEST(ExportOptions, CommandLines) {
    const struct {
        std::vector<std::wstring> args;
        bool ok;
        Mode mode;
    } rows[] = {
        {{L"--event", L"card"}, true, Mode::Event},
        {{L"card", L"--before", L"2.5", L"--after", L"0", L"--event"}, true, Mode::Event},
        {{L"--from", L"2012-05-01 08:00:00", L"--to", L"2012-05-01T08:01:00", L"card"},
         true,
         Mode::Span},
        {{L"--snapshot", L"2012-05-01 08:00:00", L"--png", L"card"}, true, Mode::Snapshot},
        {{L"--slot", L"12", L"0001_001.DAT"}, true, Mode::Snapshot},
        {{L"--report", L"--json", L"card"}, true, Mode::Report},
        {{L"--event"}, false, Mode::None},
        {{L"--event", L"a", L"b"}, false, Mode::None},
        {{L"--before", L"-1", L"--event", L"card"}, false, Mode::None},
        {{L"--from", L"2012-04-31 08:00:00", L"--to", L"2012-05-01 08:00:00", L"card"},
         false,
         Mode::None},
        {{L"--from", L"2012-05-01 25:00:00", L"--to", L"2012-05-01 08:00:00", L"card"},
         false,
         Mode::None},
        {{L"--from", L"2012-05-01", L"--to", L"2012-05-02", L"card"}, false, Mode::None},
        {{L"--snapshot", L"2012-05-01 08:00:00", L"--slot", L"1", L"card"}, false, Mode::None},
        {{L"--slot", L"x1", L"card"}, false, Mode::None},
        {{L"--out"}, false, Mode::None},
    };
    for (const auto& row : rows) {
        ExportOptions options;
        std::string error;
        const bool ok = parseArguments(row.args, options, error);
        EXPECT_EQ(ok, row.ok) << toUtf8(row.args[0]) << " " << error;
        if (ok) {
            EXPECT_EQ(options.mode, row.mode);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
    ExportOptions options;
    std::string error;
    ASSERT_TRUE(parseArguments(
        {L"--from", L"2012-05-01 08:00:00", L"--to", L"2012-05-01 08:01:00", L"card"}, options,
        error));
    EXPECT_EQ(options.from, makeLocalTime(2012, 5, 1, 8, 0, 0));
    EXPECT_EQ(options.to - options.from, 60);
}

TEST(ClipText, SubtitlesEachSecondAndTelemetryEachSlot) {
    std::vector<ClipFrame> frames(60);
    const std::int64_t t = makeLocalTime(2012, 5, 1, 8, 10, 32);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i].time = t + static_cast<std::int64_t>(i / 28);
        frames[i].speed = 40;
        frames[i].magnitude = i == 33 ? 1.856 : 0.1;
        frames[i].marked = i >= 33 && i < 38;
        frames[i].newPicture = i != 10;
    }
    EXPECT_EQ(
        subtitleText(frames),
        "1\r\n00:00:00,000 --> 00:00:01,000\r\n2012-05-01 08:10:32\r\n40 km/h  0.10 G\r\n\r\n"
        "2\r\n00:00:01,000 --> 00:00:02,000\r\n2012-05-01 08:10:33\r\n40 km/h  1.86 "
        "G\r\nEVENT\r\n\r\n"
        "3\r\n00:00:02,000 --> 00:00:02,142\r\n2012-05-01 08:10:34\r\n40 km/h  0.10 G\r\n\r\n");
    const std::string csv = telemetryCsv(frames);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 61);
    EXPECT_NE(csv.find("\r\n10,2012-05-01 08:10:32,0,0,0,0.1,40,0,0\r\n"), std::string::npos);
    EXPECT_NE(csv.find("\r\n33,2012-05-01 08:10:33,0,0,0,1.856,40,1,1\r\n"), std::string::npos);
}

// The temporary file takes the final name only when asked to replace it or when the name is
// free; a failed or abandoned file leaves nothing behind.
TEST(OutputFile, CommitsUnderItsNameOnlyWhenThatReplacesNothingUnasked) {
    test::TestFolder folder;
    {
        OutputFile file(folder.path(), L"clip.avi");
        file.write(std::string("0123456789"));
        file.overwrite(2, "ab", 2);
        EXPECT_EQ(file.commit(false), sha256Of("01ab456789"));
    }
    EXPECT_EQ(test::readBytes(folder.file(L"clip.avi")),
              (test::Bytes{'0', '1', 'a', 'b', '4', '5', '6', '7', '8', '9'}));
    {
        OutputFile again(folder.path(), L"clip.avi");
        again.write(std::string("other"));
        EXPECT_THROW(again.commit(false), ExportError);
    }
    {
        OutputFile abandoned(folder.path(), L"never.avi");
        abandoned.write(std::string("half"));
    }
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"clip.avi"});
    EXPECT_EQ(test::readBytes(folder.file(L"clip.avi")).size(), 10u);
    {
        OutputFile forced(folder.path(), L"clip.avi");
        forced.write(std::string("new"));
        forced.commit(true);
    }
    EXPECT_EQ(test::readBytes(folder.file(L"clip.avi")), (test::Bytes{'n', 'e', 'w'}));
    EXPECT_THROW(OutputFile(folder.file(L"gone"), L"x.avi"), ExportError);
}

// The checksum is taken as the bytes go to the disk; bytes written over after they went there
// make it read the stored file back instead. Either way it is the checksum of the file.
TEST(OutputFile, ChecksumIsThatOfTheStoredFile) {
    test::TestFolder folder;
    std::string content(3 * 1024 * 1024 + 17, 'x');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 131 % 251);
    BackgroundHash background;
    for (const std::int64_t overwriteAt :
         {std::int64_t{-1}, std::int64_t{5}, std::int64_t{3 * 1024 * 1024 + 3}}) {
        for (BackgroundHash* hash : {static_cast<BackgroundHash*>(nullptr), &background}) {
            SCOPED_TRACE(testing::Message()
                         << overwriteAt << (hash != nullptr ? " background" : ""));
            OutputFile file(folder.path(), L"big.avi", hash);
            std::string expected = content;
            for (std::size_t at = 0; at < content.size(); at += 70001) {
                file.write(content.data() + at, std::min<std::size_t>(70001, content.size() - at));
            }
            if (overwriteAt >= 0) {
                file.overwrite(overwriteAt, "ABCD", 4);
                expected.replace(static_cast<std::size_t>(overwriteAt), 4, "ABCD");
            }
            EXPECT_EQ(file.commit(true), sha256Of(expected));
            const test::Bytes stored = test::readBytes(folder.file(L"big.avi"));
            EXPECT_TRUE(std::string(stored.begin(), stored.end()) == expected);
        }
    }
}

// Whole pages past the cache and the pieces between them through it land each where it belongs;
// a write the system refuses stops the writing, and its reason reaches the caller.
TEST(WriteBehind, PiecesLandInOrderAndARefusalComesBack) {
    test::TestFolder folder;
    const Path path = folder.file(L"written.bin");
    test::writeBytes(path, {});
    PageBuffer source(6 * UncachedFile::kBlockBytes);
    for (std::size_t i = 0; i < source.capacity(); ++i)
        source.data()[i] = static_cast<std::uint8_t>(i * 7 % 253);
    // Pages at page offsets, then a piece that leaves the next ones off them, then the tail.
    const std::size_t pieces[] = {2 * UncachedFile::kBlockBytes, 100, UncachedFile::kBlockBytes,
                                  3 * UncachedFile::kBlockBytes - 100};
    {
        BinaryFile file = BinaryFile::openForWriting(path);
        WriteBehind writer(file, UncachedFile::openForWriting(path));
        std::size_t at = 0;
        for (std::size_t count : pieces) {
            writer.add(source.data() + at, count);
            at += count;
        }
        EXPECT_TRUE(writer.drain());
    }
    EXPECT_EQ(test::readBytes(path), test::Bytes(source.data(), source.data() + source.capacity()));

    BinaryFile readOnly = BinaryFile::openForReading(path);
    WriteBehind refused(readOnly, UncachedFile());
    const std::uint64_t first = refused.add(source.data(), 10);
    const std::uint64_t second = refused.add(source.data(), 10);
    EXPECT_FALSE(refused.waitUntilWritten(first));
    EXPECT_FALSE(refused.waitUntilWritten(second));
    EXPECT_FALSE(refused.drain());
    EXPECT_FALSE(refused.failure().empty());
}

// A file in memory that counts how often it is written over.
class MemorySink : public RiffSink {
public:
    void write(const void* bytes, std::size_t count) override {
        const auto* in = static_cast<const std::uint8_t*>(bytes);
        data.insert(data.end(), in, in + count);
    }
    void overwrite(std::int64_t offset, const void* bytes, std::size_t count) override {
        ++overwrites;
        std::memcpy(data.data() + offset, bytes, count);
    }
    std::int64_t size() const override { return static_cast<std::int64_t>(data.size()); }
    std::vector<std::uint8_t> data;
    int overwrites = 0;
};

// Frames of varied sizes, written through `sink`; `sizes` may differ from what was planned.
void writeFrames(RiffSink& sink, const std::vector<std::size_t>& sizes, std::int64_t limit) {
    AviWriter avi(sink, 64, 48, 400000, limit);
    std::vector<std::uint8_t> bytes(20000);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        for (std::size_t k = 0; k < sizes[i]; ++k) bytes[k] = static_cast<std::uint8_t>(i + k);
        avi.addFrame(bytes.data(), sizes[i], bytes.data(), 470 + i % 2);
    }
    avi.finish();
}

// A video written to its planned layout (in one or several RIFF parts) never goes back over
// itself, so its checksum can be taken as it is written; one that leaves the plan (a picture
// that could not be read) still comes out exactly as if there had been no plan.
TEST(AviWriter, PlannedFilesAreWrittenOnceAndUnplannedOnesAlike) {
    std::vector<std::size_t> sizes;
    for (int i = 0; i < 60; ++i) sizes.push_back(3000 + (i * 7919) % 9000);
    for (const std::int64_t limit : {kRiffLimit, std::int64_t{100000}}) {
        SCOPED_TRACE(limit);
        RiffLayout layout;
        writeFrames(layout, sizes, limit);
        MemorySink plain;
        writeFrames(plain, sizes, limit);
        EXPECT_GT(plain.overwrites, 0);
        EXPECT_EQ(layout.size(), plain.size());

        MemorySink planned;
        PlannedSink asPlanned(planned, layout);
        writeFrames(asPlanned, sizes, limit);
        EXPECT_EQ(planned.overwrites, 0);
        EXPECT_TRUE(asPlanned.asPlanned());
        EXPECT_TRUE(planned.data == plain.data);

        std::vector<std::size_t> changed = sizes;
        changed[30] += 501;
        MemorySink unplanned;
        writeFrames(unplanned, changed, limit);
        MemorySink offPlan;
        PlannedSink leavesPlan(offPlan, layout);
        writeFrames(leavesPlan, changed, limit);
        EXPECT_FALSE(leavesPlan.asPlanned());
        EXPECT_TRUE(offPlan.data == unplanned.data);
    }
}

}  // namespace
}  // namespace tavrin::exporter
