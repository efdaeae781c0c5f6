#include "views/QuickMenuLogic.h"

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

PopupPoint QuickMenuTopLeft(PopupPoint anchor, int width, int height) {
    return {anchor.x - width, anchor.y - height};
}
