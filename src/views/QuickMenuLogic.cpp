#include "views/QuickMenuLogic.h"

#include <algorithm>

QuickMenuRelease OnQuickMenuRelease(const CMacroLibrary& library, int32_t itemId) {
    QuickMenuRelease release;
    const CMacroNode* node = itemId == 0 ? nullptr : library.FindById(itemId);
    if (!node)
        return release;
    if (node->firstChild) {
        release.action = QuickMenuRelease::Action::ToggleExpand;
        return release;
    }
    release.action = QuickMenuRelease::Action::Pick;
    release.chosenId = itemId;
    return release;
}

bool IsRunnablePick(const CMacroLibrary& library, int32_t chosenId) {
    const CMacroNode* node = chosenId == 0 ? nullptr : library.FindById(chosenId);
    return node && !node->IsMacroSet();
}

PopupPoint QuickMenuTopLeft(PopupPoint anchor, int width, int height, PopupArea screen) {
    const auto place = [](int at, int size, int start, int length) {
        int first = at - size >= start ? at - size : at;
        first = std::min(first, start + length - size);
        return std::max(first, start);
    };
    return {place(anchor.x, width, screen.x, screen.width),
            place(anchor.y, height, screen.y, screen.height)};
}
