#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "media/ResourceData_win.h"
#include "recording/Platform.h"
#include "ui/Exception.h"
#include "ui/HelpPage_win.h"

namespace tavrin {
namespace {

std::string resourceBytes(int id) {
    std::size_t size = 0;
    const std::uint8_t* data = loadResourceData(RT_HTML, id, size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

std::string fileBytes(const std::wstring& path) {
    BinaryFile file = BinaryFile::openForReading(path);
    if (!file.isOpen()) return "<missing>";
    std::string bytes(static_cast<size_t>(file.length()), '\0');
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return bytes;
}

std::wstring fromShiftJis(const std::string& bytes) {
    int length = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return text;
}

// Stands in for the browser: records what it is asked to open and answers as told.
struct FakeOpener {
    std::vector<std::wstring> opened;
    unsigned long resourceAnswer = ERROR_NO_ASSOCIATION;
    unsigned long fileAnswer = ERROR_SUCCESS;

    DocumentOpener opener() {
        return [this](const std::wstring& address) {
            opened.push_back(address);
            return address.rfind(L"res://", 0) == 0 ? resourceAnswer : fileAnswer;
        };
    }
};

class HelpPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = helpPageFolder();
        page = folder + L"\\22100.html";
        // A stale copy from an earlier run must be overwritten, not trusted.
        CreateDirectoryW(folder.c_str(), nullptr);
        BinaryFile stale = BinaryFile::createForWriting(page);
        stale.write("stale", 5);
    }

    std::wstring folder;
    std::wstring page;
};

TEST_F(HelpPageTest, PageInsideTheProgramIsTriedFirst) {
    FakeOpener browser;
    browser.resourceAnswer = ERROR_SUCCESS;
    showHelp(browser.opener());
    ASSERT_EQ(browser.opened.size(), 1u);
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(browser.opened[0], L"res://" + std::wstring(exe) + L"/22100");
    EXPECT_EQ(fileBytes(page), "stale");  // nothing written when it was not needed
}

TEST_F(HelpPageTest, RefusedResourcePageIsWrittenOutAndOpenedAsAFile) {
    FakeOpener browser;
    showHelp(browser.opener());
    ASSERT_EQ(browser.opened.size(), 2u);
    EXPECT_EQ(browser.opened[1], page);
    EXPECT_EQ(fileBytes(page), resourceBytes(kHelpPageResource));
    for (int id = kFirstHelpPictureResource; id <= kLastHelpPictureResource; ++id)
        EXPECT_EQ(fileBytes(folder + L"\\" + std::to_wstring(id)), resourceBytes(id)) << id;
}

TEST_F(HelpPageTest, FailureOfBothWaysIsReportedWithTheLastReason) {
    FakeOpener browser;
    browser.fileAnswer = ERROR_ACCESS_DENIED;
    try {
        showHelp(browser.opener());
        ADD_FAILURE() << "help reported as shown";
    } catch (const WindowException& failure) {
        EXPECT_EQ(failure.message(), describeError(ERROR_ACCESS_DENIED).message());
    }
    EXPECT_EQ(browser.opened.size(), 2u);
}

TEST_F(HelpPageTest, UnwritableFolderFailsBeforeAnythingIsOpened) {
    EXPECT_THROW(writeHelpPage(L"C:\\no\\such\\parent\\help"), WindowException);
}

TEST(HelpPageResource, IsAShiftJisPageReferringToEveryPictureByNumber) {
    const std::wstring text = fromShiftJis(resourceBytes(kHelpPageResource));
    EXPECT_NE(text.find(L"<title>Tavrin 操作方法</title>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<h1>Tavrin 操作方法</h1>"), std::wstring::npos);
    for (int id = kFirstHelpPictureResource; id <= kLastHelpPictureResource; ++id) {
        EXPECT_NE(text.find(L"src=\"" + std::to_wstring(id) + L"\""), std::wstring::npos) << id;
        EXPECT_EQ(resourceBytes(id).substr(1, 3), "PNG") << id;
    }
}

}  // namespace
}  // namespace tavrin
