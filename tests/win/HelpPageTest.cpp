#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
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

// The page as the browser reads it. Strict: a byte sequence that is not Shift_JIS (a page saved
// in another encoding) leaves the text empty.
std::wstring pageText() {
    const std::string bytes = resourceBytes(kHelpPageResource);
    const int size = static_cast<int>(bytes.size());
    int length = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), length);
    return text;
}

constexpr wchar_t kSectionStart[] = L"<div class=\"section\">";

// The page's sections in order, each from its opening tag to the next one (or the end).
std::vector<std::wstring> sections(const std::wstring& text) {
    std::vector<std::wstring> found;
    std::size_t at = text.find(kSectionStart);
    while (at != std::wstring::npos) {
        const std::size_t next = text.find(kSectionStart, at + 1);
        found.push_back(text.substr(at, next == std::wstring::npos ? next : next - at));
        at = next;
    }
    return found;
}

std::size_t count(const std::wstring& text, const std::wstring& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

std::wstring source(int id) { return L"src=\"" + std::to_wstring(id) + L"\""; }

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

struct PictureSize {
    std::uint32_t width;
    std::uint32_t height;
};

// From the PNG header, which the decoder reads too.
PictureSize pngSize(const std::string& bytes) { return {bigEndian(bytes, 16), bigEndian(bytes, 20)}; }

struct ExpectedSection {
    int areaPicture;
    std::vector<std::wstring> lines;
};

const std::vector<ExpectedSection>& expectedSections() {
    static const std::vector<ExpectedSection> expected = {
        {22110, {L"記録日時を表示します。"}},
        {22111,
         {L"クリックすると音量を標準に戻します。", L"音量を調節します。",
          L"クリックすると映像の明るさを標準に戻します。", L"映像の明るさを調節します。",
          L"データを開きます。"}},
        {22112,
         {L"再生/一時停止します。", L"停止します。", L"1つ前の日付へ戻ります。",
          L"1つ先の日付へ進みます。", L"前のファイルの画像データを開きます。",
          L"次のファイルの画像データを開きます。", L"ドラッグすると再生位置を移動します。",
          L"スイッチを押した位置を表示します。"}},
        {22113, {L"現在の再生位置を示します。", L"G値の合成値を表示します。"}},
    };
    return expected;
}

TEST(HelpPageResource, IsAShiftJisPageWithItsTitleAndHeading) {
    const std::wstring text = pageText();
    ASSERT_FALSE(text.empty()) << "the page is not valid Shift_JIS";
    EXPECT_NE(text.find(L"charset=Shift_JIS"), std::wstring::npos);
    EXPECT_NE(text.find(L"<title>Tavrin 操作方法</title>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<h1>Tavrin 操作方法</h1>"), std::wstring::npos);
    EXPECT_NE(text.find(L"font-family: \"Meiryo\", \"MS UI Gothic\", sans-serif;"),
              std::wstring::npos);
}

TEST(HelpPageResource, HasFiveSectionsWithOneRuleBetweenEachTwo) {
    const std::wstring text = pageText();
    const std::vector<std::wstring> parts = sections(text);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(count(text.substr(0, text.find(kSectionStart)), L"<hr>"), 0u);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        EXPECT_EQ(count(parts[i], L"<hr>"), 1u) << "after section " << i + 1;
    EXPECT_EQ(count(parts.back(), L"<hr>"), 0u);
}

TEST(HelpPageResource, EachAreaSectionShowsItsPictureAndNumberedLinesInOrder) {
    const std::vector<std::wstring> parts = sections(pageText());
    ASSERT_EQ(parts.size(), 5u);
    for (std::size_t s = 0; s < expectedSections().size(); ++s) {
        const ExpectedSection& expected = expectedSections()[s];
        const std::wstring& part = parts[s];
        SCOPED_TRACE("section " + std::to_string(s + 1));
        // The area picture comes first (the left-hand cell), then the lines.
        std::size_t at = part.find(source(expected.areaPicture));
        ASSERT_NE(at, std::wstring::npos);
        EXPECT_EQ(count(part, L"<img"), expected.lines.size() + 1);
        for (std::size_t line = 0; line < expected.lines.size(); ++line) {
            const int marker = kFirstHelpPictureResource + static_cast<int>(line);
            at = part.find(source(marker), at);
            ASSERT_NE(at, std::wstring::npos) << "marker " << line + 1;
            // Each line follows its own marker, before the next marker starts.
            const std::size_t textAt = part.find(L">" + expected.lines[line] + L"<", at);
            ASSERT_NE(textAt, std::wstring::npos) << "line " << line + 1;
            EXPECT_LT(textAt, part.find(L"<img", at + 1)) << "line " << line + 1;
            at = textAt;
        }
    }
}

TEST(HelpPageResource, LastSectionIsTheNoticeInArialWithoutPictures) {
    const std::wstring text = pageText();
    const std::vector<std::wstring> parts = sections(text);
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(count(parts[4], L"<img"), 0u);
    EXPECT_NE(parts[4].find(L"<p class=\"notice\">Copyright &copy; 2026 Tavrin."),
              std::wstring::npos);
    const std::size_t rule = text.find(L"p.notice {");
    ASSERT_NE(rule, std::wstring::npos);
    EXPECT_NE(text.substr(rule, text.find(L"}", rule) - rule).find(L"font-family: Arial"),
              std::wstring::npos);
}

TEST(HelpPageResource, EveryPictureIsAPngAndTheAreasAreScreenSized) {
    for (int id = kFirstHelpPictureResource; id <= kLastHelpPictureResource; ++id)
        EXPECT_EQ(resourceBytes(id).substr(0, 8), "\x89PNG\r\n\x1a\n") << id;
    // Nothing the page shows is missing: every picture it names is one of the resources.
    const std::wstring text = pageText();
    for (std::size_t at = text.find(L"src=\""); at != std::wstring::npos;
         at = text.find(L"src=\"", at + 1)) {
        const int id = std::stoi(text.substr(at + 5));
        EXPECT_GE(id, kFirstHelpPictureResource);
        EXPECT_LE(id, kLastHelpPictureResource);
    }
    // The area pictures hold the whole panel they explain (margins for the markers aside).
    struct Area {
        int id;
        std::uint32_t width, height;
    };
    for (Area area : {Area{22110, 209, 180}, Area{22111, 209, 140}, Area{22112, 800, 65},
                      Area{22113, 800, 90}}) {
        const PictureSize size = pngSize(resourceBytes(area.id));
        EXPECT_GE(size.width, area.width) << area.id;
        EXPECT_GE(size.height, area.height) << area.id;
        EXPECT_LT(size.height, area.height + 60) << area.id;
    }
}

}  // namespace
}  // namespace tavrin
