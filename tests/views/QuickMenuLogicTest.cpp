#include "views/QuickMenuLogic.h"

#include "library/LibraryTestUtil.h"

#include <gtest/gtest.h>

namespace {

class QuickMenu : public ::testing::Test {
protected:
    void SetUp() override {
        root = lib.InsertRecord(Record("R", 2), -1, InsertPosition::Into);
        set = lib.InsertRecord(Record("S", 2), root, InsertPosition::Into);
        inner = lib.InsertRecord(Record("m"), set, InsertPosition::Into);
        empty = lib.InsertRecord(Record("E", 2), root, InsertPosition::Into);
    }
    CMacroLibrary lib;
    int32_t root = 0, set = 0, inner = 0, empty = 0;
};

TEST_F(QuickMenu, ReleaseOnASetWithEntriesTogglesAndStaysOpen) {
    for (int32_t id : {root, set}) {
        const QuickMenuRelease release = OnQuickMenuRelease(lib, id);
        EXPECT_EQ(release.action, QuickMenuRelease::Action::ToggleExpand);
        EXPECT_EQ(release.chosenId, 0);
    }
}

TEST_F(QuickMenu, ReleaseOnALeafPicksIt) {
    const QuickMenuRelease macro = OnQuickMenuRelease(lib, inner);
    EXPECT_EQ(macro.action, QuickMenuRelease::Action::Pick);
    EXPECT_EQ(macro.chosenId, inner);
    EXPECT_TRUE(IsRunnablePick(lib, inner));

    // An empty set closes the menu with its id, but nothing runs.
    const QuickMenuRelease emptySet = OnQuickMenuRelease(lib, empty);
    EXPECT_EQ(emptySet.action, QuickMenuRelease::Action::Pick);
    EXPECT_EQ(emptySet.chosenId, empty);
    EXPECT_FALSE(IsRunnablePick(lib, empty));
}

TEST_F(QuickMenu, ReleaseOffTheItemsClosesWithoutChoice) {
    for (int32_t id : {0, 4711}) {
        const QuickMenuRelease release = OnQuickMenuRelease(lib, id);
        EXPECT_EQ(release.action, QuickMenuRelease::Action::Close);
        EXPECT_EQ(release.chosenId, 0);
    }
    EXPECT_FALSE(IsRunnablePick(lib, 0));
    EXPECT_FALSE(IsRunnablePick(lib, 4711));
}

// A tray at the bottom right, a panel at the top right or the top left, a
// second screen, a screen smaller than the menu.
TEST(QuickMenuPlacement, BottomRightCornerAtTheAnchorUnlessThatLeavesTheScreen) {
    struct Case {
        PopupPoint anchor;
        PopupArea screen;
        PopupPoint topLeft;
    };
    const Case cases[] = {
        {{1000, 700}, {0, 0, 1280, 800}, {760, 380}},
        {{1267, 12}, {0, 24, 1280, 776}, {1027, 24}},
        {{10, 20}, {0, 0, 1280, 800}, {10, 20}},
        {{1270, 790}, {1280, 0, 1920, 1080}, {1280, 470}},
        {{100, 100}, {0, 0, 200, 200}, {0, 0}},
    };
    for (const Case& c : cases) {
        const PopupPoint at = QuickMenuTopLeft(c.anchor, 240, 320, c.screen);
        EXPECT_EQ(at.x, c.topLeft.x) << c.anchor.x << "," << c.anchor.y;
        EXPECT_EQ(at.y, c.topLeft.y) << c.anchor.x << "," << c.anchor.y;
    }
}

} // namespace
