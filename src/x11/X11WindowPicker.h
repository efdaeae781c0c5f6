#pragma once
// Picking a window on the X display as xwininfo does (crosshair pointer,
// click), and reading what a window declaration needs of it.

#include <X11/Xlib.h>

#include <string>

struct PickedWindowInfo {
    Window window = 0;    // the client window (the one with WM_STATE)
    std::string title;    // _NET_WM_NAME, else WM_NAME, as UTF-8
    std::string resClass; // WM_CLASS class part
    std::string resName;  // WM_CLASS instance part
};

// Grabs the pointer with a crosshair and waits for a click: button 1 picks
// the top-level window under the pointer (the root when there is none), any
// other button cancels. false with `error` when the grab fails or the user
// cancelled.
bool PickWindowByClick(Display* display, Window& picked, std::string& error);

// The client window of `window`: itself when it has WM_STATE, else the first
// window below it (breadth first) that has; `window` itself when none has
// (a desktop without a window manager).
Window ClientWindowOf(Display* display, Window window);

// Reads the title and class of `window`. false with `error` when no such
// window exists.
bool ReadWindowInfo(Display* display, Window window, PickedWindowInfo& info, std::string& error);
