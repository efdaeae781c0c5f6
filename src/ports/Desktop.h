#pragma once
// Port: what scripts do to the desktop (message boxes, key and mouse
// playback, windows). The X11 adapter implements it for real; without a
// display the engine has none and the builtins raise a clear error.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Outcome of a desktop operation: ok, or the cause of the failure, which the
// calling builtin puts into its runtime error ("TypeKeys: <error>").
struct DesktopResult {
    bool ok = true;
    std::string error;

    static DesktopResult Ok() { return {}; }
    static DesktopResult Fail(std::string why) { return {false, std::move(why)}; }
};

// How fast TypeKeys plays: the pause after each key and the time each key
// is held down, in milliseconds. Scripts set it with SetKeyDelay.
struct KeyPacing {
    int delayMs = 2;
    int holdMs = 2;
};

enum class MouseButton : int { Left = 1, Middle = 2, Right = 3 };

// Which window a window function means: one whose title holds `title` and,
// when `windowClass` is set, whose class (either part of WM_CLASS, or the
// application id) equals it, ignoring case. A plain title converts to it.
struct WindowMatch {
    std::string title;
    std::string windowClass; // empty: any

    WindowMatch(std::string windowTitle = {}, std::string className = {})
        : title(std::move(windowTitle)), windowClass(std::move(className)) {}
    WindowMatch(const char* windowTitle) : title(windowTitle) {}

    // Whether a window with this title and these class names is meant.
    bool Matches(std::string_view windowTitle,
                 std::initializer_list<std::string_view> classNames) const;
    // How messages name it: "'Editor'", or "'Editor' of class 'Mousepad'".
    std::string Describe() const;
    // "no window has 'Editor' in its title", "no window of class 'Mousepad'
    // has 'Editor' in its title".
    std::string NotFound() const;
};

// A window's frame as the user sees it, title bar and borders included, in
// screen pixels.
struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const WindowRect&) const = default;
};

enum class WindowState { Minimized, Maximized, Normal };

class IDesktop {
public:
    virtual ~IDesktop() = default;

    // Shows `message` and waits until the user dismissed it.
    virtual DesktopResult Alert(const std::string& message) = 0;

    // Types `keys` in the key syntax of TypeKeys (characters, <NAME> tokens,
    // held modifiers). `stopRequested` is polled between keys: a Stop ends
    // the typing early (with every key released) and returns Ok.
    virtual DesktopResult TypeKeys(const std::string& keys, const KeyPacing& pacing,
                                   const std::function<bool()>& stopRequested) = 0;
    virtual DesktopResult MouseMove(int x, int y) = 0;
    virtual DesktopResult MouseClick(int x, int y, MouseButton button) = 0;
    virtual DesktopResult MouseDown(MouseButton button) = 0;
    virtual DesktopResult MouseUp(MouseButton button) = 0;
    // Turns the wheel where the pointer is: `steps` notches up (away from
    // the user), or down when negative.
    virtual DesktopResult MouseWheel(int steps) = 0;
    // The screen position of the top-left corner of the active window's
    // contents (inside any frame): the origin of window-relative positions.
    // Fails when no window is active.
    virtual DesktopResult ActiveWindowOrigin(int& x, int& y) = 0;

    // Fails, saying what is missing, where no window can be listed (some
    // Wayland desktops), so that WinExists, WinWait and WinGetActiveTitle do
    // not answer "none" when they cannot tell.
    virtual DesktopResult WindowsAvailable() { return DesktopResult::Ok(); }
    virtual bool WinExists(const WindowMatch& window) = 0;
    // Makes the window the active one and returns once it is and holds the
    // keyboard focus, so that keys sent next reach it; fails when that did
    // not happen within `milliseconds`. A Stop ends the wait (failing).
    virtual DesktopResult WinActivate(const WindowMatch& window, int64_t milliseconds,
                                      const std::function<bool()>& stopRequested) = 0;
    // Waits up to `milliseconds` for such a window; true when it appeared.
    // `stopRequested` is polled so a Stop ends the wait promptly.
    virtual bool WinWait(const WindowMatch& window, int64_t milliseconds,
                         const std::function<bool()>& stopRequested) = 0;
    virtual DesktopResult WinClose(const WindowMatch& window) = 0;
    virtual std::string WinGetActiveTitle() = 0;

    // Window geometry and state, the pointer, the screen and its pixels.
    // Each window function fails with WindowMatch::NotFound() when nothing
    // matches, and clearly when the window closes during the call. Those that
    // wait poll `stopRequested` and fail ("stopped") once it holds.

    // The titles of the windows `window` matches (all titled windows for an
    // empty title and no class), in the window manager's order.
    virtual DesktopResult WinList(const WindowMatch& window, std::vector<std::string>& titles) = 0;
    virtual DesktopResult WinGetPos(const WindowMatch& window, WindowRect& rect) = 0;
    // Moves the window's frame to rect.x, rect.y and, with `resize`, makes it
    // rect.width by rect.height; returns once the window manager has placed it
    // (a size it rounds, as terminals ask, counts as placed).
    virtual DesktopResult WinMove(const WindowMatch& window, const WindowRect& rect, bool resize,
                                  const std::function<bool()>& stopRequested) = 0;
    // Returns once the window is in `state`.
    virtual DesktopResult WinSetState(const WindowMatch& window, WindowState state,
                                      const std::function<bool()>& stopRequested) = 0;
    // The class the window's program gives it ("XTerm"), or its instance
    // name when it gives only that; empty when neither.
    virtual DesktopResult WinGetClass(const WindowMatch& window, std::string& className) = 0;
    virtual DesktopResult WinGetPid(const WindowMatch& window, int64_t& pid) = 0;
    // Waits up to `milliseconds` until such a window is the active one (or,
    // for WinWaitClose, until none exists); true when that happened.
    virtual DesktopResult WinWaitActive(const WindowMatch& window, int64_t milliseconds,
                                        const std::function<bool()>& stopRequested,
                                        bool& active) = 0;
    virtual DesktopResult WinWaitClose(const WindowMatch& window, int64_t milliseconds,
                                       const std::function<bool()>& stopRequested,
                                       bool& closed) = 0;
    virtual DesktopResult MouseGetPos(int& x, int& y) = 0;
    // The whole screen (all monitors together).
    virtual DesktopResult ScreenSize(int& width, int& height) = 0;
    // The colour shown at screen position x, y as 0xRRGGBB; fails outside
    // the screen.
    virtual DesktopResult PixelGetColor(int x, int y, uint32_t& rgb) = 0;
};
