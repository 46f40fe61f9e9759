// What goes wrong goes wrong clearly: one line on standard error, a non-zero exit, and nothing
// half written under a name a person would open.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "recording/TextEncoding.h"
#include "tests/support/TestFolder.h"
#include "tools/export/tests/ExporterProcess.h"
#include "tools/export/tests/TestCard.h"

namespace tavrin::exporttest {
namespace {

void expectOneLineError(const ExportRun& run, int exitCode, const std::string& says) {
    EXPECT_EQ(run.exitCode, exitCode) << run.err;
    EXPECT_EQ(run.err.rfind("tavrin-export: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
}

// An archive of large pictures and an empty output folder beside it.
struct LargeExport {
    explicit LargeExport(int pictures, const wchar_t* outName = L"out")
        : archive(place.file(L"0001_001.DAT")), out(place.file(outName)) {
        writeArchiveOfLargePictures(archive, pictures);
        std::filesystem::create_directory(std::filesystem::u8path(toUtf8(out)));
    }
    test::TestFolder place;
    Path archive;
    Path out;
};

std::int64_t sizeOf(const Path& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    return file.isOpen() ? file.length() : -1;
}

TEST(ExportFailure, FailuresAreOneLineAndWriteNothing) {
    test::TestFolder place;
    const Path card = place.file(L"カード");
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(card)));
    writeArchiveOfLargePictures(card + kPathSeparator + L"0001_001.DAT", 40);
    const Path out = place.file(L"出力");
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(out)));
    const Path empty = place.file(L"empty");
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(empty)));
    const Path bad = place.file(L"0001_001.DAT");
    test::writeBytes(bad, test::Bytes(20000, 0x5A));
    const Path aFile = place.file(L"file.txt");
    test::writeBytes(aFile, {'x'});
    struct Case {
        const char* name;
        std::vector<std::wstring> args;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {"no mode", {L"--out", out, card}, 2, "say what to export"},
        {"unknown option", {L"--events", card}, 2, "unknown option --events"},
        {"no date",
         {L"--from", L"2012-02-30 00:00:00", L"--to", L"2012-03-01 00:00:00", card},
         2,
         "not a date and time"},
        {"from alone", {L"--from", L"2012-05-01 00:00:00", card}, 2, "go together"},
        {"two modes", {L"--event", L"--recording", card}, 2, "choose one"},
        {"missing input", {L"--event", place.file(L"nothing")}, 1, "no such file or folder"},
        {"unreadable archive",
         {L"--recording", L"--out", out, bad},
         1,
         "該当データを読み込めません。"},
        {"no recordings", {L"--event", L"--out", out, empty}, 1, "no recordings in"},
        {"empty selection",
         {L"--from", L"2011-01-01 00:00:00", L"--to", L"2011-01-02 00:00:00", L"--out", out, card},
         1,
         "nothing to export"},
        {"no such frame",
         {L"--snapshot", L"2011-01-01 00:00:00", L"--out", out, card},
         1,
         "nothing to export"},
        {"slot of a folder", {L"--slot", L"3", L"--out", out, card}, 1, "single archive"},
        {"output folder gone",
         {L"--recording", L"--out", place.file(L"gone"), card},
         1,
         "does not exist"},
        {"output is a file", {L"--recording", L"--out", aFile, card}, 1, "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expectOneLineError(runExporter(c.args), c.exitCode, c.says);
        EXPECT_TRUE(filesIn(out).empty());
        EXPECT_EQ(filesIn(place.path()).size(), 5u);
    }
    const ExportRun help = runExporter({L"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
}

TEST(ExportFailure, ExistingFilesAreLeftAloneWithoutForce) {
    const LargeExport place(40);
    const Path& out = place.out;
    const std::vector<std::wstring> args = {L"--event", L"--quiet", L"--out", out, place.archive};
    ASSERT_EQ(runExporter(args).exitCode, 0);
    const std::vector<std::wstring> written = filesIn(out);
    ASSERT_EQ(written.size(), 4u);
    // One file of the clip replaced by something else: the next export must not touch it, nor
    // write any of the clip's other files.
    const Path avi = out + kPathSeparator + written[0];
    for (const std::wstring& name : written) deleteFile(out + kPathSeparator + name);
    test::writeBytes(avi, {'k', 'e', 'e', 'p'});
    expectOneLineError(runExporter(args), 1, "exists; --force replaces it");
    EXPECT_EQ(filesIn(out), std::vector<std::wstring>{written[0]});
    EXPECT_EQ(test::readBytes(avi), (test::Bytes{'k', 'e', 'e', 'p'}));

    std::vector<std::wstring> forced = args;
    forced.insert(forced.begin(), L"--force");
    const ExportRun run = runExporter(forced);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(filesIn(out), written);
    EXPECT_GT(sizeOf(avi), 1000000);
}

// A card pulled, a battery gone, a task killed: whatever was being written never appears under
// the final name.
TEST(ExportFailure, KilledExportLeavesNoFileUnderItsName) {
    const LargeExport place(700);
    const Path& out = place.out;
    StartedExporter exporter({L"--recording", L"--out", out, place.archive});
    bool caught = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (exporter.running() && std::chrono::steady_clock::now() < deadline) {
        const std::vector<std::wstring> entries = filesIn(out);
        // Well into the video: a temporary file of several megabytes.
        if (entries.size() == 1 && sizeOf(out + kPathSeparator + entries[0]) > 4000000) {
            exporter.kill();
            caught = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(caught) << "the export ended before it could be interrupted";
    EXPECT_TRUE(filesIn(out, L".avi").empty());
    EXPECT_TRUE(filesIn(out, L".json").empty());
}

// A disk that fills up mid-export: a small memory file system mounted on the host. Where the
// test may not mount one it says so and passes over.
TEST(ExportFailure, FullDiskRemovesThePartialFile) {
    const LargeExport place(100, L"small-disk");
    const Path& out = place.out;
    const std::string mountPoint = shellQuoted(hostPathOf(out));
    try {
        runOnHost("mount -t tmpfs -o size=2m tmpfs " + mountPoint + " 2>/dev/null");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "a small file system cannot be mounted here";
    }
    const ExportRun run = runExporter({L"--recording", L"--out", out, place.archive});
    const std::vector<std::wstring> left = filesIn(out);
    runOnHost("umount " + mountPoint);
    expectOneLineError(run, 1, "no space left on the disk");
    EXPECT_TRUE(left.empty());
}

}  // namespace
}  // namespace tavrin::exporttest
