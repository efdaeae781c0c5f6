#pragma once
// The editor window's layout and the script printout's page arithmetic:
// plain functions so that the Qt views only apply what they compute.

#include <string>
#include <string_view>

struct LayoutRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LayoutRect&) const = default;
};

// Sizes the layout keeps from the widgets themselves.
struct EditorLayoutInput {
    int clientWidth = 0;
    int clientHeight = 0;
    int declLabelHeight = 0; // "Window Declarations"
    int lineLabelWidth = 0;  // "Line: "
    int lineLabelHeight = 0;
    int progressHeight = 0;
    // The tree's share of the width: a quarter until the user drags the gap
    // beside it; kept between kMinTreeShare and kMaxTreeShare.
    double treeShare = 0.25;
};

constexpr double kMinTreeShare = 0.05;
constexpr double kMaxTreeShare = 0.75;

struct EditorLayout {
    LayoutRect declLabel;
    LayoutRect tree;
    LayoutRect script;
    LayoutRect lineLabel;
    LayoutRect progress;
};

// Height of the strip along the bottom that holds "Line: " and the progress bar.
constexpr int kEditorBottomStrip = 21;
// Gap between the tree and the script, and between "Line: " and the bar.
constexpr int kEditorGap = 5;

// The tree takes its share (truncated), the script the rest; widths and
// heights never go below 0 in a window too small for them.
EditorLayout ComputeEditorLayout(const EditorLayoutInput& in);

// Where a window's frame goes so that all of it is on the screen's available
// area: moved in as little as it takes, shrunk when it is larger.
LayoutRect FitOnScreen(const LayoutRect& frame, const LayoutRect& available);

// Printing a script: twips per millimetre of page height.
constexpr double kTwipsPerMillimetre = 56.692944;
// The left margin and the first line's top, in printer units.
constexpr int kPrintOrigin = 75;
// Lines longer than this are printed (and scanned) on their first bytes only.
constexpr size_t kPrintLineLimit = 4096;

// Lines per page for a page `pageHeightMm` high and lines `lineHeightTwips`
// high: page twips / line height less 750 twips' worth of whole lines, never
// less than one line (a tiny page or a huge font still prints every line).
int LinesPerPage(double pageHeightMm, int lineHeightTwips);
// Pages a text of `lineCount` lines takes; an empty text still has one page.
int PrintPageCount(int lineCount, int linesPerPage);
// The 0-based page that 0-based line `line` is printed on.
int PrintPageOfLine(int line, int linesPerPage);
// A line as printed: its first 4096 bytes without any "\r" or "\n".
std::string PrintableLine(std::string_view line);
