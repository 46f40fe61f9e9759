#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

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

}  // namespace
}  // namespace tavrin::test::firm
