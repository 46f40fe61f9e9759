// Recordings damaged the ways real cards are: cut short, with garbage between blocks, with a
// stray picture of another recording, with a picture lacking its end marker. The viewer plays
// what can be played of each, on into the next, without a word and without stopping short.

#include <gtest/gtest.h>
#include <windows.h>

#include "recording/VideoArchive.h"
#include "tests/e2e/ScreenReading.h"
#include "tests/e2e/ViewerSession.h"

namespace tavrin::e2e {
namespace {

using cardgen::Damage;

constexpr int kFrames = 140;  // five seconds each

TEST(ViewerDamage, EveryKindPlaysThroughIntoTheNextRecording) {
    const std::vector<Damage> kinds = {Damage::Truncated, Damage::Garbage, Damage::ForeignId,
                                       Damage::NoEndMarker};
    // One good recording on the last day first, so the damaged ones follow it there.
    Card card(3, kFrames, kinds);
    const auto& list = card.recordings();
    ASSERT_EQ(list.size(), 7u);

    Viewer viewer;
    ASSERT_TRUE(viewer.openThroughMenu(list.at(2)));
    for (std::size_t entry = 2; entry < list.size(); ++entry) {
        SCOPED_TRACE(testing::Message() << "entry " << entry);
        const std::wstring title = list.at(entry) + L" - Tavrin";
        ASSERT_TRUE(viewer.waitForTitle(title, 30000)) << "title: " << viewer.title();
        // What the viewer reads of the file is what it plays: its frames come on screen in
        // order, up to (nearly) the last one it found.
        VideoArchive archive;
        archive.open(list.at(entry), nullptr);
        const int last = archive.slotCount() - 1;
        const Damage kind = entry < 3 ? Damage::None : kinds.at(entry - 3);
        if (kind == Damage::Truncated || kind == Damage::ForeignId) {
            // The file ends inside a picture, or a block of another recording ends it (what
            // follows is taken for an older recording's leftovers): it plays up to there.
            EXPECT_LT(last, kFrames * 3 / 4);
            ASSERT_GT(last, kFrames / 2);
        } else {
            // Garbage is stepped over, a picture without its end is left out: all the rest plays.
            EXPECT_GE(last, kFrames - 2);
        }
        int highest = -1;
        int backwards = 0;
        waitUntil([&] {
            const int frame = frameShown(viewer.picture(), viewer.playerRegion());
            if (viewer.title() != title) return true;
            if (frame >= 0 && frame < highest) ++backwards;
            if (frame > highest) highest = frame;
            return highest >= last - 1;
        }, 30000);
        EXPECT_GE(highest, last - 28) << "played up to frame " << highest << " of " << last;
        EXPECT_EQ(backwards, 0) << "frames went backwards";
        EXPECT_FALSE(viewer.anyMessageBox(nullptr, 0)) << "a message about a damaged recording";
    }
    // After the last, playback stands at its end; the viewer is still there and answers.
    EXPECT_TRUE(viewer.enabled(ConsoleButton::Previous));
    viewer.click(ConsoleButton::Previous);
    EXPECT_TRUE(viewer.waitForTitle(list.at(5) + L" - Tavrin")) << "title: " << viewer.title();
}

}  // namespace
}  // namespace tavrin::e2e
