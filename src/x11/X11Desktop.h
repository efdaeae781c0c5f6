#pragma once
// The desktop port on X11: key and mouse playback through XTest, windows
// through the window manager's hints (_NET_CLIENT_LIST, _NET_WM_NAME,
// _NET_ACTIVE_WINDOW) with WM_NAME and the window tree as fallbacks.
//
// Thread rules: any thread may call it (script workers do); calls are
// serialised on the object's own connection.

#include "ports/Desktop.h"
#include "triggers/SpareKeys.h"

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

    // Window geometry and state, the pointer, the screen and its pixels
    // (X11WindowGeometry.cpp).
    DesktopResult WinList(const WindowMatch& window, std::vector<std::string>& titles) override;
    DesktopResult WinGetPos(const WindowMatch& window, WindowRect& rect) override;
    DesktopResult WinMove(const WindowMatch& window, const WindowRect& rect, bool resize,
                          const std::function<bool()>& stopRequested) override;
    DesktopResult WinSetState(const WindowMatch& window, WindowState state,
                              const std::function<bool()>& stopRequested) override;
    DesktopResult WinGetClass(const WindowMatch& window, std::string& className) override;
    DesktopResult WinGetPid(const WindowMatch& window, int64_t& pid) override;
    DesktopResult WinWaitActive(const WindowMatch& window, int64_t milliseconds,
                                const std::function<bool()>& stopRequested, bool& active) override;
    DesktopResult WinWaitClose(const WindowMatch& window, int64_t milliseconds,
                               const std::function<bool()>& stopRequested, bool& closed) override;
    DesktopResult MouseGetPos(int& x, int& y) override;
    DesktopResult ScreenSize(int& width, int& height) override;
    DesktopResult PixelGetColor(int x, int y, uint32_t& rgb) override;

private:
    CX11Desktop(_XDisplay* display, AlertFn alert);

    // How to type one keysym: a key, the layout group to select (-1: any)
    // and the modifiers (Shift, AltGr) to hold.
    struct Stroke {
        unsigned keycode = 0;
        int group = -1;
        unsigned modifiers = 0;
    };

    // Key playback (X11Playback.cpp).
    DesktopResult Perform(const KeyAction& action);
    DesktopResult SendKeysym(unsigned long keysym, bool down, bool tap);
    DesktopResult TypeCharacter(char32_t character);
    // How to type `keysym`; lends it a spare keycode when no key has it
    // (`plain`: a named key, pressed without Shift).
    bool StrokeFor(unsigned long keysym, bool plain, Stroke& stroke);

    // Spare keycodes (X11SpareKeys.cpp).
    // Puts `keysym` and the keysyms the rest of the text needs on spare
    // keycodes, in one change of the keyboard map.
    bool Lend(unsigned long keysym, bool plain);
    std::vector<CSpareKeys::Need> UpcomingNeeds(unsigned long keysym, bool plain) const;
    void WriteSpareKeycodes(const std::vector<unsigned>& keycodes);
    // Returns once the application with the focus has read the keys typed
    // on lent keycodes, so that they may take other keysyms.
    void Settle();
    // True once the application with the focus answered a _NET_WM_PING sent
    // now: it has read every event sent before. False when it takes no pings
    // or did not answer in time.
    bool PingFocusedClient();
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
    void GiveBackSpareKeycodes();

    // Windows (X11Windows.cpp).
    std::vector<unsigned long> TopLevelWindows(); // X window ids
    std::string WindowTitle(unsigned long window);
    unsigned long FindWindow(const WindowMatch& match);
    // Whether `match` means `window`; `title` is set to its title.
    bool Means(const WindowMatch& match, unsigned long window, std::string& title);
    // Asks the window manager to put `window` in `state`.
    void RequestState(unsigned long window, WindowState state);
    // Waits (bounded) until the window manager has put `window` in `state`.
    DesktopResult AwaitState(const WindowMatch& match, unsigned long window, WindowState state,
                             const std::function<bool()>& stopRequested);
    unsigned long ActiveWindow();

    _XDisplay* display;
    AlertFn alert;
    std::mutex mutex;
    KeyPacing pacing; // of the TypeKeys being played

    // The keyboard as last read: the best stroke of every keysym, the keys
    // that press Shift and AltGr.
    std::unordered_map<unsigned long, Stroke> strokes;
    unsigned shiftKeycode = 0;
    unsigned level3Keycode = 0;
    unsigned level3Mask = 0;
    // Keysyms no key has, on keycodes lent to them, and when one was last
    // released.
    CSpareKeys spare;
    std::chrono::steady_clock::time_point lastSpareUse;
    // The actions of the TypeKeys being played and the one playing now,
    // for placing what comes next in the same batch.
    const std::vector<KeyAction>* planActions = nullptr;
    size_t planAt = 0;
    // A second connection that hears the focused application answer pings.
    _XDisplay* pingDisplay = nullptr;
    long pingSerial = 0;
    // The user's layout group and Caps Lock, put back after playback.
    int userGroup = 0;
    int typingGroup = 0;
    bool userCapsLock = false;
    // Keys and buttons that playback holds down now.
    std::set<unsigned> keysDown;
    std::set<unsigned> buttonsDown;
};
