#pragma once
// What the adapters read of windows: a window's title, and which window is
// active, the same for playback, the recorder and the window picker.

#include <X11/Xlib.h>

#include <string>

// The title of `window` as UTF-8: _NET_WM_NAME, else WM_NAME in whatever
// encoding it carries, converted; empty when it has neither.
std::string X11WindowTitle(Display* display, Window window);

// The active window: the window manager's _NET_ACTIVE_WINDOW, else (no window
// manager) the focus window or its nearest ancestor that has a title; None
// when there is none.
Window X11ActiveWindow(Display* display);

// The first item of the 32-bit property `property` of `window` with type
// `type`; `found` false (and 0) when the window lacks it.
unsigned long X11CardinalProperty(Display* display, Window window, Atom property, Atom type,
                                  bool& found);
