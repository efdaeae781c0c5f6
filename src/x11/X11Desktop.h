#pragma once
// The desktop port on X11: key and mouse playback through XTest, windows
// through the window manager's hints (_NET_CLIENT_LIST, _NET_WM_NAME,
// _NET_ACTIVE_WINDOW) with WM_NAME and the window tree as fallbacks.
//
// Thread rules: any thread may call it (script workers do); calls are
// serialised on the object's own connection.

#include "ports/Desktop.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct KeyAction;
struct _XDisplay; // Xlib's Display: X11 headers stay out of this header

class CX11Desktop : public IDesktop {
public:
    // Shows a message and waits (the GUI gives its message box); without one
    // Alert fails with a clear message.
    using AlertFn = std::function<DesktopResult(const std::string& message)>;

    // Null with `why` set ("Key and mouse playback is unavailable: ...") when
    // the display cannot be opened or lacks XTEST. `displayName` empty: $DISPLAY.
    static std::unique_ptr<CX11Desktop> Open(std::string* why, AlertFn alert = {},
                                             const std::string& displayName = {});
    ~CX11Desktop() override;
    CX11Desktop(const CX11Desktop&) = delete;
    CX11Desktop& operator=(const CX11Desktop&) = delete;

    // Pause after each key event, in milliseconds (default 2); some programs
    // drop keys that come faster.
    void SetKeyDelay(int milliseconds) { keyDelayMs = milliseconds < 0 ? 0 : milliseconds; }

    DesktopResult Alert(const std::string& message) override;
    DesktopResult TypeKeys(const std::string& keys) override;
    DesktopResult MouseMove(int x, int y) override;
    DesktopResult MouseClick(int x, int y, MouseButton button) override;
    DesktopResult MouseDown(MouseButton button) override;
    DesktopResult MouseUp(MouseButton button) override;

    bool WinExists(const std::string& title) override;
    DesktopResult WinActivate(const std::string& title) override;
    bool WinWait(const std::string& title, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const std::string& title) override;
    std::string WinGetActiveTitle() override;

private:
    CX11Desktop(_XDisplay* display, AlertFn alert);

    // Key playback (X11Desktop.cpp).
    DesktopResult Perform(const KeyAction& action);
    DesktopResult SendKeysym(unsigned long keysym, bool down, bool tap);
    DesktopResult TypeCharacter(char32_t character);
    // A keycode that types `keysym` and the shift level (0 or 1) it needs;
    // maps a spare keycode to it when the keyboard map has none.
    bool KeycodeFor(unsigned long keysym, unsigned& keycode, int& level);
    void LoadKeyboardMap();
    void FakeKey(unsigned keycode, bool down);

    // Windows (X11Windows.cpp).
    std::vector<unsigned long> TopLevelWindows(); // X window ids
    std::string WindowTitle(unsigned long window);
    unsigned long FindWindow(const std::string& title);
    bool WindowManagerSupports(const char* atomName);
    unsigned long ActiveWindow();

    _XDisplay* display;
    AlertFn alert;
    std::mutex mutex;
    int keyDelayMs = 2;

    // The keyboard map as last read, and the spare keycodes this object has
    // remapped, oldest first (given back at destruction).
    int minKeycode = 0;
    int maxKeycode = 0;
    int keysymsPerKeycode = 0;
    std::vector<unsigned long> keyboardMap;
    std::vector<unsigned> borrowedKeycodes;
};
