#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "settings/FirmInfo.h"
#include "tests/settings/SettingsFixtures.h"
#include "ui/Messages.h"

namespace tavrin::test::firm {
namespace {

// While it lives, files stop growing at `limit` bytes: a write past it comes back short, the way
// a full card answers, instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) : previous_(signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*previous_)(int);
    rlimit saved_{};
};

TEST(FirmInfoWritePosix, ShortWriteLeavesTheOldFileAsItWas) {
    for (bool keep : {false, true}) {
        TestFolder folder;
        const Path path = folder.file(L"KELM.INI");
        FirmInfo old;
        old.setBuzzer(1);
        old.setClock(0);
        old.writeFile(path, false);
        const Bytes before = readBytes(path);

        FirmInfo table;
        table.setRecordingMode(1);
        Failure got;
        {
            FileSizeLimit limit(12);
            got = failureOf([&] { table.writeFile(path, keep); });
        }
        EXPECT_TRUE(got.thrown && got.firmInfo) << keep;
        EXPECT_EQ(got.text, loadMessage(5020)) << keep;
        EXPECT_EQ(readBytes(path), before) << keep;
        EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::owner_write,
                  std::filesystem::perms::none)
            << keep;
        EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"}) << keep;
    }
}

// A write cut off between its complete temporary file and the replacement, as a pulled card or a
// killed process would, three times over: the card keeps its old file and one temporary file,
// which the next write takes over and removes.
TEST(FirmInfoWritePosix, InterruptedWritesLeaveOneTemporaryFileForTheNextWriteToTakeOver) {
    GTEST_FLAG_SET(death_test_style, "fast");  // forked at the statement, same folder as here
    TestFolder folder;
    const Path path = folder.file(L"KELM.INI");
    FirmInfo earlier;
    earlier.setBuzzer(1);
    earlier.writeFile(path, false);
    const Bytes before = readBytes(path);

    for (int mode : {0, 1, 0}) {
        EXPECT_EXIT(
            {
                setFirmInfoWriteHooksForTesting({[] { std::_Exit(7); }, {}});
                FirmInfo table;
                table.setRecordingMode(mode);
                table.writeFile(path, true);
            },
            ::testing::ExitedWithCode(7), "");
        EXPECT_EQ(readBytes(path), before) << mode;
    }
    std::vector<std::wstring> left = folder.entries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"KELM.INI", L"KELM.INI.tmp"}));

    FirmInfo table;
    table.setRecordingMode(1);
    table.writeFile(path, true);
    EXPECT_EQ(readBytes(path), header() + record(0x1801, 1) + record(0x0306, 1));
    EXPECT_EQ(folder.entries(), std::vector<std::wstring>{L"KELM.INI"});
}

}  // namespace
}  // namespace tavrin::test::firm
