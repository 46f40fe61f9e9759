#include <gtest/gtest.h>

#include "ui/Exception.h"
#include "ui/Messages.h"

namespace tavrin {
namespace {

TEST(LoadMessage, GivesTheTableTextsExactly) {
    struct Case {
        unsigned id;
        const wchar_t* text;
    } cases[] = {
        {5001, L"Tavrin"},
        {5005, L"警告"},
        {5049, L"お使いのオペレーティングシステムのバージョンを識別できません。\r\n"
               L"Tavrinを正しく実行できないかもしれません。"},
        {5062, L"以前の感度設定と音量設定を残しますか？\r\n\r\n「はい」の場合、以前の設定内容を残します"
               L"。\r\n「いいえ」の場合、標準設定に戻します。"},
        {5070, L"Windowsのエラーです。エラーコード:%d"},
        {5083, L"　簡易設定　"},
        {5086, L"http://support.example.com/top/tavrin/tavrin.html"},
        {5087, L"0403"},
        {5510, L"該当データを読み込めません。"},
        {5519, L"フォルダ内のファイルが1000件を超えているため読み込みに時間がかかります。\r\n"
               L"よろしいですか？"},
    };
    for (const Case& c : cases) EXPECT_EQ(loadMessage(c.id), c.text) << c.id;
}

TEST(LoadMessage, TableHoldsExactlyItsNumbers) {
    // The numbers that exist between 5001 and 5519; a gap in the table must stay a gap.
    int present = 0;
    for (unsigned id = 5000; id <= 5520; ++id) {
        if (!loadMessage(id).empty()) ++present;
    }
    EXPECT_EQ(present, 101);
    for (unsigned absent : {0u, 5000u, 5050u, 5052u, 5082u, 5089u, 5500u, 5503u, 5509u, 5520u}) {
        EXPECT_EQ(loadMessage(absent), L"") << absent;
    }
}

TEST(Exception, CopyOutlivesTheOriginal) {
    auto* original = new VideoArchiveException(loadMessage(5510));
    Exception copy = *original;
    delete original;
    EXPECT_EQ(copy.message(), L"該当データを読み込めません。");
}

TEST(Exception, DerivedFailuresAreCaughtAsTheBaseWithTheirText) {
    try {
        throw FirmInfoException(loadMessage(5019));
    } catch (const Exception& caught) {
        EXPECT_EQ(caught.message(), L"設定ファイルを読み込めません。");
        EXPECT_NE(dynamic_cast<const FirmInfoException*>(&caught), nullptr);
    }
    // A missing record is reported with no text at all.
    try {
        throw FirmInfoException();
    } catch (const Exception& caught) {
        EXPECT_EQ(caught.message(), L"");
    }
}

TEST(DescribeError, UnknownCodeGivesTheFallbackTextWithTheCode) {
    EXPECT_EQ(describeError(123456789).message(),
              L"Windowsのエラーです。エラーコード:123456789");
}

TEST(DescribeError, KnownCodeGivesTheSystemsOwnText) {
    std::wstring text = describeError(2).message();
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find(L"Windowsのエラーです"), std::wstring::npos);
}

}  // namespace
}  // namespace tavrin
