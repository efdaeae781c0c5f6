#pragma once
// The quick menu's choices, as plain logic: a left-button release on an item
// with children opens or closes it and keeps the menu up; on any other item
// it picks that entry and closes the menu; off the items it closes the menu
// without a choice.

#include "library/MacroLibrary.h"

#include <cstdint>

struct QuickMenuRelease {
    enum class Action { ToggleExpand, Pick, Close };
    Action action = Action::Close;
    int32_t chosenId = 0; // for Pick
};

// `itemId` is the entry under the pointer (0 for none).
QuickMenuRelease OnQuickMenuRelease(const CMacroLibrary& library, int32_t itemId);

// A macro the quick menu can start: a leaf that is a macro. An empty macro set
// is a leaf too and closes the menu when picked, but runs nothing.
bool IsRunnablePick(const CMacroLibrary& library, int32_t chosenId);

struct PopupPoint {
    int x = 0;
    int y = 0;
};
struct PopupArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// Top-left corner that puts the popup's bottom-right corner at the anchor (a
// tray at the bottom right), opening rightwards or downwards instead where
// that would leave `screen` (a panel at the top or on the left), and kept
// inside it.
PopupPoint QuickMenuTopLeft(PopupPoint anchor, int width, int height, PopupArea screen);
