#pragma once
// What the adapters read of windows: a window's title, and which window is
// active, the same for playback, the recorder and the window picker.

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// The title of `window` as UTF-8: _NET_WM_NAME, else WM_NAME in whatever
// encoding it carries, converted; empty when it has neither.
std::string X11WindowTitle(Display* display, Window window);

// The two parts of WM_CLASS: the instance ("mousepad") and the class
// ("Mousepad"); empty when the window has none.
struct X11ClassNames {
    std::string instance;
    std::string className;
};
X11ClassNames X11WindowClass(Display* display, Window window);

// The screen position of `window`'s top-left corner; false when it is gone.
bool X11WindowOrigin(Display* display, Window window, int& x, int& y);

// The first of `top` and the windows inside it, breadth first and `levels`
// levels deep (1: `top` alone), for which `matches` holds; None when none.
Window X11FirstWindowWithin(Display* display, Window top, int levels,
                            const std::function<bool(Window)>& matches);

// The managed top-level window (the one with WM_STATE, inside any frame)
// shown at screen position x, y; None over the root, over a window no window
// manager manages and has no title (a menu, a tooltip), or over nothing.
Window X11ClientWindowAt(Display* display, int x, int y);

// True while a window manager runs that announces `atomName` in
// _NET_SUPPORTED. A running manager is one whose check window exists:
// _NET_SUPPORTING_WM_CHECK on the root names a window whose own
// _NET_SUPPORTING_WM_CHECK names itself. A manager that exited leaves its
// root properties behind; they are not trusted then.
bool X11WindowManagerSupports(Display* display, const char* atomName);

// The active window: the window manager's _NET_ACTIVE_WINDOW while one that
// supports it runs, else the top-level window that holds the keyboard focus
// (X11FocusedTopLevel); None when there is none.
Window X11ActiveWindow(Display* display);

// The top-level window holding the keyboard focus: the focus window's nearest
// ancestor that a window manager marked with WM_STATE, else the root's child
// it lies in (or the titled window inside that child, for an untitled frame);
// None when the focus is on nothing or on the root.
Window X11FocusedTopLevel(Display* display);

// True when the keyboard focus is on `window` or one of its descendants, so
// that typed keys reach it.
bool X11HasKeyboardFocus(Display* display, Window window);

// A window property as a list of 32-bit items (windows, atoms); empty when
// the window lacks it.
std::vector<unsigned long> X11ListProperty(Display* display, Window window, const char* name,
                                           Atom type);

// The first item of the 32-bit property `property` of `window` with type
// `type`; `found` false (and 0) when the window lacks it.
unsigned long X11CardinalProperty(Display* display, Window window, Atom property, Atom type,
                                  bool& found);

// Sends the client message `message` about `window` to the root, where the
// window manager hears it; `values` fill its data.
void X11SendToRoot(Display* display, Window window, const char* message,
                   std::initializer_list<long> values);

// Checks `done` every `stepMs` until it holds (true), `milliseconds` passed
// or a Stop was requested (false). `done` is checked at least once.
bool X11PollUntil(int64_t milliseconds, int stepMs, const std::function<bool()>& stopRequested,
                  const std::function<bool()>& done);
