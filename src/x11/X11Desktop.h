#pragma once
// The desktop port on X11: key and mouse playback through XTest, windows
// through the window manager's hints (_NET_CLIENT_LIST, _NET_WM_NAME,
// _NET_ACTIVE_WINDOW) with WM_NAME and the window tree as fallbacks.
//
// Thread rules: any thread may call it (script workers do); calls are
// serialised on the object's own connection.

#include "ports/Desktop.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
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

    DesktopResult Alert(const std::string& message) override;
    DesktopResult TypeKeys(const std::string& keys, const KeyPacing& keyPacing,
                           const std::function<bool()>& stopRequested) override;
    DesktopResult MouseMove(int x, int y) override;
    DesktopResult MouseClick(int x, int y, MouseButton button) override;
    DesktopResult MouseDown(MouseButton button) override;
    DesktopResult MouseUp(MouseButton button) override;
    DesktopResult MouseWheel(int steps) override;
    DesktopResult ActiveWindowOrigin(int& x, int& y) override;

    bool WinExists(const WindowMatch& window) override;
    DesktopResult WinActivate(const WindowMatch& window, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) override;
    bool WinWait(const WindowMatch& window, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const WindowMatch& window) override;
    std::string WinGetActiveTitle() override;

private:
    CX11Desktop(_XDisplay* display, AlertFn alert);

    // How to type one keysym: a key, the layout group to select (-1: any)
    // and the modifiers (Shift, AltGr) to hold.
    struct Stroke {
        unsigned keycode = 0;
        int group = -1;
        unsigned modifiers = 0;
    };
    // A spare keycode this object mapped to a keysym.
    struct Borrowed {
        unsigned keycode;
        unsigned long keysym;
        std::chrono::steady_clock::time_point lastUsed;
    };

    // Key playback (X11Playback.cpp).
    DesktopResult Perform(const KeyAction& action);
    DesktopResult SendKeysym(unsigned long keysym, bool down, bool tap);
    DesktopResult TypeCharacter(char32_t character);
    // How to type `keysym`; borrows a spare keycode when no key has it.
    bool StrokeFor(unsigned long keysym, Stroke& stroke);
    bool Borrow(unsigned long keysym, Stroke& stroke);
    void LoadKeyboardMap();
    void SelectGroup(int group);
    void FakeKey(unsigned keycode, bool down, int pauseMs);
    void FakeButton(unsigned button, bool down);
    // Waits (bounded) until the user let go of every key, then releases
    // what is still down, so typed keys never combine with held ones.
    void LetGoOfUserKeys();
    void BeginPlayback();
    void EndPlayback();
    void ReleaseEverything();
    void GiveBackBorrowedKeycodes();

    // Windows (X11Windows.cpp).
    std::vector<unsigned long> TopLevelWindows(); // X window ids
    std::string WindowTitle(unsigned long window);
    unsigned long FindWindow(const WindowMatch& match);
    unsigned long ActiveWindow();

    _XDisplay* display;
    AlertFn alert;
    std::mutex mutex;
    KeyPacing pacing; // of the TypeKeys being played

    // The keyboard as last read: the best stroke of every keysym, the keys
    // that press Shift and AltGr, the empty keycodes that can be borrowed.
    std::unordered_map<unsigned long, Stroke> strokes;
    unsigned shiftKeycode = 0;
    unsigned level3Keycode = 0;
    unsigned level3Mask = 0;
    std::vector<unsigned> spareKeycodes;
    std::vector<Borrowed> borrowed;
    // The user's layout group and Caps Lock, put back after playback.
    int userGroup = 0;
    int typingGroup = 0;
    bool userCapsLock = false;
    // Keys and buttons that playback holds down now.
    std::set<unsigned> keysDown;
    std::set<unsigned> buttonsDown;
};
