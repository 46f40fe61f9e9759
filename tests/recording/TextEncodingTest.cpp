#include <gtest/gtest.h>

#include "recording/TextEncoding.h"

namespace tavrin {
namespace {

TEST(TextEncoding, RoundTripsJapaneseAndAstralText) {
    const std::wstring samples[] = {L"", L"0001_001.DAT", L"設定ファイル\\カード", L"a\U0001F697b"};
    for (const std::wstring& text : samples) EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(toUtf8(L"設定"), "\xE8\xA8\xAD\xE5\xAE\x9A");
}

TEST(TextEncoding, DamagedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xFF" "b"), L"a\xFFFD" L"b");
    EXPECT_EQ(fromUtf8("\xE8\xA8"), L"\xFFFD\xFFFD");            // cut short
    EXPECT_EQ(fromUtf8("\xC0\xAF"), L"\xFFFD\xFFFD");            // overlong
    EXPECT_EQ(fromUtf8("\xED\xA0\x80"), L"\xFFFD\xFFFD\xFFFD");  // a surrogate
}

}  // namespace
}  // namespace tavrin
