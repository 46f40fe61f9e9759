#include <gtest/gtest.h>
#include <windows.h>

#include "settings/FirmInfo.h"
#include "tests/settings/SettingsFixtures.h"
#include "ui/Messages.h"

namespace tavrin::test::firm {
namespace {

constexpr DWORD kHiddenReadOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;

DWORD attributesOf(const Path& path) {
    return GetFileAttributesW(path.c_str()) & (kHiddenReadOnly | FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FirmInfoWriteWin, ResultIsHiddenAndReadOnlyAndCanBeRewritten) {
    TestFolder folder;
    const Path path = folder.file(L"KELM.INI");
    for (int buzzer : {1, 0}) {
        FirmInfo table;
        table.setBuzzer(buzzer);
        ASSERT_NO_THROW(table.writeFile(path, true)) << buzzer;
        EXPECT_EQ(attributesOf(path), kHiddenReadOnly) << buzzer;
        EXPECT_EQ(readBytes(path), header() + record(0x0306, static_cast<std::uint8_t>(buzzer)));
    }
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"});
}

TEST(FirmInfoWriteWin, TargetHeldOpenWithoutSharingStaysAsItWas) {
    for (bool keep : {false, true}) {
        TestFolder folder;
        const Path path = folder.file(L"KELM.INI");
        FirmInfo old;
        old.setBuzzer(1);
        old.setRecordingMode(0);
        old.writeFile(path, false);
        const Bytes before = readBytes(path);

        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        FirmInfo table;
        table.setRecordingMode(1);
        const Failure got = failureOf([&] { table.writeFile(path, keep); });
        CloseHandle(held);

        EXPECT_TRUE(got.thrown && got.firmInfo) << keep;
        EXPECT_EQ(got.text, loadMessage(5020)) << keep;
        EXPECT_EQ(readBytes(path), before) << keep;
        EXPECT_EQ(attributesOf(path), kHiddenReadOnly) << keep;
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"}) << keep;
    }
}

// A refused replacement puts back exactly the attributes the old file had, whatever they were:
// a copy the user made by hand is neither hidden nor read-only and must not become so.
TEST(FirmInfoWriteWin, RefusedReplacementKeepsTheOldFilesOwnAttributes) {
    for (DWORD attributes : {kHiddenReadOnly, DWORD(FILE_ATTRIBUTE_ARCHIVE),
                             DWORD(FILE_ATTRIBUTE_HIDDEN), DWORD(FILE_ATTRIBUTE_READONLY)}) {
        TestFolder folder;
        const Path path = folder.file(L"KELM.INI");
        writeBytes(path, header() + record(0x0306, 0x01));
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
        const DWORD before = GetFileAttributesW(path.c_str());

        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        FirmInfo table;
        table.setRecordingMode(1);
        const Failure got = failureOf([&] { table.writeFile(path, true); });
        CloseHandle(held);

        EXPECT_EQ(got.text, loadMessage(5020)) << attributes;
        EXPECT_EQ(GetFileAttributesW(path.c_str()), before) << attributes;
        EXPECT_EQ(readBytes(path), header() + record(0x0306, 0x01)) << attributes;
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"}) << attributes;
    }
}

}  // namespace
}  // namespace tavrin::test::firm
