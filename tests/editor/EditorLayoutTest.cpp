#include "editor/EditorLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LayoutCase {
    const char* what;
    int width, height;
    LayoutRect label, tree, script, lineLabel, progress;
};

// Label 16 high; "Line: " 40 x 16; progress bar 18 high.
const LayoutCase kLayoutCases[] = {
    {"400 wide: tree 100, script from 105",
     400,
     300,
     {0, 0, 100, 16},
     {0, 16, 100, 263},
     {105, 0, 295, 279},
     {105, 284, 40, 16},
     {150, 282, 250, 18}},
    {"quarter is truncated",
     403,
     300,
     {0, 0, 100, 16},
     {0, 16, 100, 263},
     {105, 0, 298, 279},
     {105, 284, 40, 16},
     {150, 282, 253, 18}},
    {"too small for its parts",
     8,
     10,
     {0, 0, 2, 16},
     {0, 16, 2, 0},
     {7, 0, 1, 0},
     {7, -6, 40, 16},
     {52, -8, 0, 18}},
};

class EditorLayoutTable : public testing::TestWithParam<LayoutCase> {};

TEST_P(EditorLayoutTable, PlacesEveryPart) {
    const LayoutCase& c = GetParam();
    const EditorLayout layout = ComputeEditorLayout({c.width, c.height, 16, 40, 16, 18});
    EXPECT_EQ(layout.declLabel, c.label) << c.what;
    EXPECT_EQ(layout.tree, c.tree) << c.what;
    EXPECT_EQ(layout.script, c.script) << c.what;
    EXPECT_EQ(layout.lineLabel, c.lineLabel) << c.what;
    EXPECT_EQ(layout.progress, c.progress) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Sizes, EditorLayoutTable, testing::ValuesIn(kLayoutCases));

// The gap beside the tree dragged: the share holds, within bounds.
TEST(EditorLayout, TheTreesShareCanBeDraggedWithinBounds) {
    const struct {
        double share;
        int treeWidth;
    } cases[] = {{0.5, 200}, {0.0, 20}, {2.0, 300}};
    for (const auto& c : cases) {
        EditorLayoutInput in{400, 300, 16, 40, 16, 18};
        in.treeShare = c.share;
        const EditorLayout layout = ComputeEditorLayout(in);
        EXPECT_EQ(layout.tree.width, c.treeWidth) << c.share;
        EXPECT_EQ(layout.script.x, c.treeWidth + kEditorGap) << c.share;
    }
}

struct PageCase {
    double pageMm;
    int lineTwips;
    int linesPerPage;
};

const PageCase kPageCases[] = {
    {297.0, 240, 67}, // A4, 12 pt lines: 70.15 lines less 3 for the margin
    {420.0, 240, 96}, // A3
    {297.0, 0, 1},    // no line height: one line a page, never a division by zero
    {10.0, 20000, 1}, // a line taller than the page still prints
};

TEST(PrintArithmetic, LinesPerPage) {
    for (const auto& c : kPageCases)
        EXPECT_EQ(LinesPerPage(c.pageMm, c.lineTwips), c.linesPerPage)
            << c.pageMm << " mm, " << c.lineTwips;
}

TEST(PrintArithmetic, PagesAndPrintedLines) {
    EXPECT_EQ(PrintPageCount(0, 67), 1); // an empty script still prints one page
    EXPECT_EQ(PrintPageCount(67, 67), 1);
    EXPECT_EQ(PrintPageCount(68, 67), 2);
    EXPECT_EQ(PrintPageOfLine(66, 67), 0);
    EXPECT_EQ(PrintPageOfLine(67, 67), 1);
    EXPECT_EQ(PrintableLine("a\tb\r\n"), "a\tb");
    EXPECT_EQ(PrintableLine(std::string(5000, 'x')).size(), 4096u);
}

} // namespace

// A new editor's frame stays whole on the screen (1280 x 800 below a
// 28-pixel panel here).
TEST(EditorLayout, FitOnScreenKeepsTheWholeFrameOnTheScreen) {
    const LayoutRect screen{0, 28, 1280, 772};
    const struct {
        const char* what;
        LayoutRect frame, fitted;
    } cases[] = {
        {"fits already", {100, 100, 770, 560}, {100, 100, 770, 560}},
        {"15 px past the bottom", {100, 255, 770, 560}, {100, 240, 770, 560}},
        {"past the right and above", {600, 0, 770, 560}, {510, 28, 770, 560}},
        {"larger than the screen", {-50, 0, 1400, 900}, {0, 28, 1280, 772}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOnScreen(c.frame, screen), c.fitted) << c.what;
}
