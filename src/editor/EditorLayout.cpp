#include "editor/EditorLayout.h"

#include <algorithm>

namespace {

LayoutRect Span(int left, int top, int right, int bottom) {
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

} // namespace

EditorLayout ComputeEditorLayout(const EditorLayoutInput& in) {
    const int width = std::max(0, in.clientWidth);
    const int height = std::max(0, in.clientHeight);
    const double share = std::clamp(in.treeShare, kMinTreeShare, kMaxTreeShare);
    const int split = static_cast<int>(width * share);
    const int bodyBottom = height - kEditorBottomStrip;
    const int scriptLeft = split + kEditorGap;
    const int progressLeft = scriptLeft + in.lineLabelWidth + kEditorGap;

    EditorLayout layout;
    layout.declLabel = Span(0, 0, split, in.declLabelHeight);
    layout.tree = Span(0, in.declLabelHeight, split, bodyBottom);
    layout.script = Span(scriptLeft, 0, width, bodyBottom);
    layout.lineLabel = {scriptLeft, height - in.lineLabelHeight, in.lineLabelWidth,
                        in.lineLabelHeight};
    layout.progress = Span(progressLeft, height - in.progressHeight, width, height);
    return layout;
}

LayoutRect FitOnScreen(const LayoutRect& frame, const LayoutRect& available) {
    LayoutRect fitted;
    fitted.width = std::max(0, std::min(frame.width, available.width));
    fitted.height = std::max(0, std::min(frame.height, available.height));
    fitted.x = std::clamp(frame.x, available.x, available.x + available.width - fitted.width);
    fitted.y = std::clamp(frame.y, available.y, available.y + available.height - fitted.height);
    return fitted;
}

int LinesPerPage(double pageHeightMm, int lineHeightTwips) {
    if (lineHeightTwips <= 0 || !(pageHeightMm > 0))
        return 1;
    const double pageTwips = pageHeightMm * kTwipsPerMillimetre;
    const double lines = pageTwips / lineHeightTwips - (750 / lineHeightTwips);
    return lines < 1 ? 1 : static_cast<int>(std::min(lines, 1e9));
}

int PrintPageCount(int lineCount, int linesPerPage) {
    if (lineCount <= 0)
        return 1;
    return PrintPageOfLine(lineCount - 1, linesPerPage) + 1;
}

int PrintPageOfLine(int line, int linesPerPage) {
    return std::max(0, line) / std::max(1, linesPerPage);
}

std::string PrintableLine(std::string_view line) {
    std::string text;
    for (char c : line.substr(0, std::min(line.size(), kPrintLineLimit)))
        if (c != '\r' && c != '\n')
            text += c;
    return text;
}
