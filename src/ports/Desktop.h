#pragma once
// Port: what scripts do to the desktop (message boxes, key and mouse
// playback, windows). The X11 adapter implements it for real; without a
// display the engine has none and the builtins raise a clear error.

#include <cstdint>
#include <functional>
#include <string>

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

    // Windows are named by a substring of their title.
    virtual bool WinExists(const std::string& title) = 0;
    // Makes the window the active one and returns once it is and holds the
    // keyboard focus, so that keys sent next reach it; fails when that did
    // not happen within `milliseconds`. A Stop ends the wait (failing).
    virtual DesktopResult WinActivate(const std::string& title, int64_t milliseconds,
                                      const std::function<bool()>& stopRequested) = 0;
    // Waits up to `milliseconds` for such a window; true when it appeared.
    // `stopRequested` is polled so a Stop ends the wait promptly.
    virtual bool WinWait(const std::string& title, int64_t milliseconds,
                         const std::function<bool()>& stopRequested) = 0;
    virtual DesktopResult WinClose(const std::string& title) = 0;
    virtual std::string WinGetActiveTitle() = 0;
};
