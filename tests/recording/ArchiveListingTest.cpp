#include <gtest/gtest.h>

#include <filesystem>

#include "recording/ArchiveListing.h"
#include "tests/recording/ArchiveFixtures.h"
#include "ui/Exception.h"

namespace tavrin {
namespace {

using namespace test;

Path joined(std::initializer_list<const wchar_t*> parts, bool trailing = false) {
    Path path;
    bool first = true;
    for (const wchar_t* part : parts) {
        if (!first) path += kPathSeparator;
        path += part;
        first = false;
    }
    if (trailing) path += kPathSeparator;
    return path;
}

TEST(IsArchiveFileName, MatchesFourDigitsUnderscoreThreeDigitsDat) {
    struct Case {
        const wchar_t* name;
        bool matches;
    } cases[] = {
        {L"0001_001.DAT", true},
        {L"9999_999.DAT", true},
        {L"0001_001.dat", true},
        {L"0001_001.Dat", true},
        {L"0001-001.DAT", false},
        {L"001_001.DAT", false},
        {L"0001_001.DAT.BAK", false},
        {L"A001_001.DAT", false},
        {L"0001_0A1.DAT", false},
        {L"0001_001.DAX", false},
        {L"", false},
        {L"０００１_001.DAT", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isArchiveFileName(c.name), c.matches) << toUtf8(c.name);
        EXPECT_EQ(isArchiveFileName(joined({L"card", c.name})), c.matches) << toUtf8(c.name);
    }
    EXPECT_FALSE(isArchiveFileName(joined({L"0001_001.DAT", L"x"})));
}

TEST(ParentFolderOf, CutsTheLastNameAndItsSeparators) {
    struct Case {
        Path path;
        Path folder;
    } cases[] = {
        {joined({L"X:", L"A", L"0001_001.DAT"}), joined({L"X:", L"A"})},
        {joined({L"X:", L"A"}, true), L"X:"},
        {joined({L"X:", L"A", L"", L"f"}), joined({L"X:", L"A"})},  // doubled separator
        {L"name", L"name"},
        {joined({L"", L"A"}), joined({L"", L"A"})},  // only a leading separator
    };
    for (const Case& c : cases) EXPECT_EQ(parentFolderOf(c.path), c.folder) << toUtf8(c.path);
}

void writeArchiveStartingAt(const TestFolder& folder, const wchar_t* name, int day,
                            bool valid = true) {
    ArchiveHeaderFields header = headerAt();
    header.start = {2012, 5, day, 8, 0, 0};
    if (!valid) {
        header.rawStart = true;
        const std::uint8_t invalid[6] = {0x12, 0x02, 0x30, 0, 0, 0};
        std::copy(invalid, invalid + 6, header.rawStartBytes);
    }
    ArchiveBuilder b(header);
    b.addPicture(smallJpeg(1), kStartTick, fieldsAt(0));
    writeArchive(folder, b, name);
}

TEST(ListArchives, SortsByStartTimeWithInvalidDatesFirst) {
    TestFolder folder;
    writeArchiveStartingAt(folder, L"0001_001.DAT", 2);
    writeArchiveStartingAt(folder, L"0002_001.DAT", 1);
    writeArchiveStartingAt(folder, L"0003_001.DAT", 1, false);
    writeBytes(folder.file(L"notes.txt"), Bytes(3, 'x'));
    writeBytes(folder.file(L"0004_001.BAK"), Bytes(3, 'x'));

    std::vector<std::unique_ptr<ArchiveEntry>> list;
    std::int32_t count = 0;
    std::int32_t position = listArchives(folder.file(L"0002_001.DAT"), list, count);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0]->path, folder.file(L"0003_001.DAT"));
    EXPECT_EQ(list[0]->startTime, 0);
    EXPECT_EQ(list[1]->path, folder.file(L"0002_001.DAT"));
    EXPECT_EQ(list[2]->path, folder.file(L"0001_001.DAT"));
    EXPECT_LT(list[1]->startTime, list[2]->startTime);
    EXPECT_EQ(position, 1);

    // The chosen path must match exactly; otherwise the first entry is taken.
    EXPECT_EQ(listArchives(folder.file(L"0001_001.dat"), list, count), 0);
}

TEST(ListArchives, FailsWithTheReadTextWhenNothingCanBeListed) {
    TestFolder empty;
    TestFolder withFolderNamedLikeAnArchive;
    std::filesystem::create_directory(withFolderNamedLikeAnArchive.file(L"0005_001.DAT"));
    TestFolder withShortArchive;
    writeBytes(withShortArchive.file(L"0006_001.DAT"), Bytes(7, 0));
    struct Case {
        const char* name;
        Path path;
    } cases[] = {
        {"no archive in the folder", empty.file(L"0001_001.DAT")},
        {"folder missing", joined({empty.path().c_str(), L"gone", L"0001_001.DAT"})},
        {"a folder named like an archive", withFolderNamedLikeAnArchive.file(L"0005_001.DAT")},
        {"an archive shorter than its header", withShortArchive.file(L"0006_001.DAT")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<ArchiveEntry>> list;
        std::int32_t count = 5;
        try {
            listArchives(c.path, list, count);
            ADD_FAILURE() << "listed";
        } catch (const VideoArchiveException& e) {
            EXPECT_EQ(e.message(), L"該当データを読み込めません。");
        }
        EXPECT_EQ(count, 0);
    }
}

// A folder large enough to be read on several threads: every entry keeps its own time and the
// order stays that of the times, and a damaged archive anywhere still fails the whole listing.
TEST(ListArchives, ManyArchivesListInTimeOrderOrFailTogether) {
    constexpr int kArchives = 300;
    for (int shortAt : {-1, 0, 137, kArchives - 1}) {
        SCOPED_TRACE(shortAt);
        TestFolder folder;
        for (int i = 0; i < kArchives; ++i) {
            wchar_t name[16];
            std::swprintf(name, 16, L"%04d_001.DAT", i + 1);
            if (i == shortAt) {
                writeBytes(folder.file(name), Bytes(7, 0));
                continue;
            }
            // Named in the opposite order of their times: minute 59 - i % 60 of hour 23 - i / 60.
            ArchiveHeaderFields header = headerAt();
            header.start = {2012, 5, 1, 23 - i / 60, 59 - i % 60, 0};
            ArchiveBuilder(header).writeTo(toUtf8(folder.file(name)));
        }
        std::vector<std::unique_ptr<ArchiveEntry>> list;
        std::int32_t count = 0;
        try {
            const std::int32_t position = listArchives(folder.file(L"0001_001.DAT"), list, count);
            ASSERT_EQ(shortAt, -1) << "listed";
            ASSERT_EQ(count, kArchives);
            EXPECT_EQ(position, kArchives - 1);
            for (int k = 0; k < kArchives; ++k) {
                wchar_t name[16];
                std::swprintf(name, 16, L"%04d_001.DAT", kArchives - k);
                EXPECT_EQ(list[static_cast<std::size_t>(k)]->path, folder.file(name)) << k;
                if (k > 0) {
                    EXPECT_LT(list[k - 1]->startTime, list[k]->startTime) << k;
                }
            }
        } catch (const VideoArchiveException& e) {
            EXPECT_NE(shortAt, -1);
            EXPECT_EQ(e.message(), L"該当データを読み込めません。");
            EXPECT_EQ(count, 0);
        }
    }
}

}  // namespace
}  // namespace tavrin

namespace tavrin {
namespace {

using namespace test;

TEST(ListArchives, FolderWithAJapaneseNameOpensAndLists) {
    TestFolder root;
    Path card = root.file(L"ドラレコ映像");
    std::filesystem::create_directory(std::filesystem::u8path(toUtf8(card)));
    ArchiveBuilder b(headerAt());
    b.addPicture(smallJpeg(1), kStartTick, fieldsAt(0));
    Path archivePath = card + kPathSeparator + L"0001_001.DAT";
    ASSERT_TRUE(b.writeTo(toUtf8(archivePath)));
    ASSERT_TRUE(fileExists(archivePath));

    std::vector<std::unique_ptr<ArchiveEntry>> list;
    std::int32_t count = 0;
    EXPECT_EQ(listArchives(archivePath, list, count), 0);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(list[0]->path, archivePath);
    EXPECT_EQ(parentFolderOf(archivePath), card);
}

}  // namespace
}  // namespace tavrin
