#include <gtest/gtest.h>
#include <windows.h>

#include "ui/MessageTable.h"
#include "ui/Messages.h"
#include "ui/Messages_win.h"

namespace tavrin {
namespace {

TEST(StringTable, EveryCompiledTextEqualsItsSource) {
    // The string table goes through windres and the code-page conversion; the C++ table does not.
    // Any text mangled on the way shows here.
    ASSERT_EQ(kMessageCount, 101u);
    for (std::size_t i = 0; i < kMessageCount; ++i) {
        EXPECT_EQ(loadMessage(kMessageTable[i].id), kMessageTable[i].text) << kMessageTable[i].id;
    }
}

TEST(StringTable, NarrowLoadGivesTheSameTextUnderTheJapaneseCodePage) {
    ASSERT_EQ(GetACP(), 932u) << "the Wine session runs under a Japanese locale";
    for (unsigned id : {5001u, 5049u, 5051u, 5070u, 5519u}) {
        EXPECT_EQ(loadMessageNarrow(id), loadMessage(id)) << id;
    }
    EXPECT_EQ(loadMessageNarrow(5050), L"");
}

}  // namespace
}  // namespace tavrin
