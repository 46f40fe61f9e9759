#pragma once

// A memory card for the export tests, in a folder with a Japanese name: two recordings on two
// dates, one of each kind of damage on a third, and on a fourth two recordings that follow each
// other without a gap, so one clip runs across both.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/Platform.h"
#include "tests/support/TestFolder.h"

namespace tavrin::exporttest {

class TestCard {
public:
    TestCard();

    const Path& folder() const { return card_; }
    Path archive(const std::wstring& name) const { return card_ + kPathSeparator + name; }
    // Every archive of the card.
    std::vector<std::wstring> archives() const;
    // A new empty folder for an export's files.
    Path newOutFolder();

    static constexpr const wchar_t* kJoinedFirst = L"0007_004.DAT";
    static constexpr const wchar_t* kJoinedSecond = L"0008_004.DAT";

private:
    test::TestFolder root_;
    Path card_;
    int outFolders_ = 0;
};

// Tests on one card, made once for all the tests of a run.
class Export : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static TestCard* card;
};

// An archive of `pictures` large pictures (about 70 KB each, the same picture each time) with an
// event at pictures 10 to 14, quick to make: for exports that take long enough to be
// interrupted or to fill a small disk, and for tests that need any recording at all.
void writeArchiveOfLargePictures(const Path& path, int pictures);

// An archive of `pictures` pictures of noise (about 45 KB each) with their frame strips, stored
// in the order they are shown but for the first, which is stored last.
void writeArchiveStoredOutOfOrder(const Path& path, int pictures);

// The names in `folder` that end in `extension` (all with ""), sorted.
std::vector<std::wstring> filesIn(const Path& folder, const std::wstring& extension = L"");

// What the manifest beside a clip says: its source ranges and the files with their checksums.
struct ManifestReading {
    struct Source {
        std::string file;
        std::string sha256;
        int firstSlot = 0;
        int lastSlot = 0;
    };
    struct File {
        std::string file;
        std::string sha256;
        long long bytes = 0;
    };
    int frames = 0;
    std::vector<Source> sources;
    std::vector<File> files;
};
ManifestReading readManifest(const Path& path);

}  // namespace tavrin::exporttest
