#pragma once
// The desktop port on a Wayland compositor, through the protocols wlroots
// compositors (sway, Hyprland, river, labwc) offer: typing through a
// virtual keyboard with a keymap of our own, windows through the foreign
// toplevel list, the mouse through a virtual pointer. What the compositor
// does not offer fails, naming what is missing.
//
// Thread rules: any thread may call it (script workers do); calls are
// serialised on the object's own connection.

#include "ports/Desktop.h"
#include "triggers/VirtualKeymap.h"

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// The protocol objects stay opaque here: only src/wayland sees their headers.
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_output;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwlr_virtual_pointer_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

class CWaylandDesktop : public IDesktop {
public:
    using AlertFn = std::function<DesktopResult(const std::string& message)>;

    // Null with `why` set when no compositor answers. `displayName` empty:
    // $WAYLAND_DISPLAY.
    static std::unique_ptr<CWaylandDesktop> Open(std::string* why, AlertFn alert = {},
                                                 const std::string& displayName = {});
    ~CWaylandDesktop() override;
    CWaylandDesktop(const CWaylandDesktop&) = delete;
    CWaylandDesktop& operator=(const CWaylandDesktop&) = delete;

    // What this compositor lacks for typing, windows and the mouse: one line
    // each, empty when that part works.
    std::string TypingProblem() const;
    std::string WindowsProblem() const;
    std::string MouseProblem() const;

    DesktopResult Alert(const std::string& message) override;
    DesktopResult TypeKeys(const std::string& keys, const KeyPacing& keyPacing,
                           const std::function<bool()>& stopRequested) override;
    DesktopResult MouseMove(int x, int y) override;
    DesktopResult MouseClick(int x, int y, MouseButton button) override;
    DesktopResult MouseDown(MouseButton button) override;
    DesktopResult MouseUp(MouseButton button) override;
    DesktopResult MouseWheel(int steps) override;
    DesktopResult ActiveWindowOrigin(int& x, int& y) override;

    DesktopResult WindowsAvailable() override;
    bool WinExists(const WindowMatch& window) override;
    DesktopResult WinActivate(const WindowMatch& window, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) override;
    bool WinWait(const WindowMatch& window, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const WindowMatch& window) override;
    std::string WinGetActiveTitle() override;
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

    // A window as the compositor last described it (listeners fill it in).
    struct Toplevel {
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::string title, appId;
        bool activated = false, minimized = false, maximized = false;
        // Sent but not yet made whole by the handle's "done".
        std::string pendingTitle, pendingAppId;
        bool pendingActivated = false, pendingMinimized = false, pendingMaximized = false;
        bool closed = false;
    };
    // An output's place in the layout.
    struct Output {
        wl_output* output = nullptr;
        int x = 0, y = 0, width = 0, height = 0;
    };
    // Filled in by the registry listener.
    struct Globals {
        wl_seat* seat = nullptr;
        zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
        zwlr_virtual_pointer_manager_v1* pointers = nullptr;
        zwlr_foreign_toplevel_manager_v1* toplevels = nullptr;
        std::vector<std::unique_ptr<Output>> outputs;
    };

private:
    CWaylandDesktop(wl_display* display, AlertFn alert);

    // The connection (WaylandDesktop.cpp).
    // Reads and handles what the compositor sent, waiting up to `ms` for it;
    // false once the connection failed.
    bool Pump(int ms);
    bool Roundtrip();
    bool Flush();
    std::string ConnectionProblem();
    // Pumps until `done` holds, `milliseconds` passed or a Stop; whether
    // `done` held.
    bool Await(const std::function<bool()>& done, int64_t milliseconds,
               const std::function<bool()>& stopRequested);

    // Typing (WaylandTyping.cpp).
    DesktopResult EnsureKeyboard();
    DesktopResult LoadKeymap(const std::vector<uint32_t>& extra);
    DesktopResult Perform(const KeyAction& action, const std::vector<KeyAction>& actions,
                          size_t at);
    DesktopResult StrokeFor(uint32_t keysym, const std::vector<KeyAction>& actions, size_t at,
                            VirtualStroke& stroke);
    void SendKey(uint32_t keycode, bool down, int pauseMs);
    void ReleaseKeys();

    // Windows (WaylandWindows.cpp).
    Toplevel* Find(const WindowMatch& match);
    // The window `match` means, after the list caught up with the
    // compositor; fails when the list is missing or nothing matches.
    DesktopResult Locate(const WindowMatch& match, Toplevel*& window);
    DesktopResult AwaitState(const WindowMatch& match, Toplevel* window,
                             const std::function<bool(const Toplevel&)>& reached,
                             const std::function<bool()>& stopRequested);

    // The mouse (WaylandDesktop.cpp).
    DesktopResult EnsurePointer();
    DesktopResult SendButton(MouseButton button, bool down);
    DesktopResult MoveTo(int x, int y);

    wl_display* display;
    wl_registry* registry = nullptr;
    AlertFn alert;
    std::recursive_mutex mutex;
    Globals globals;
    std::vector<std::unique_ptr<Toplevel>> windows;

    KeyPacing pacing;
    zwp_virtual_keyboard_v1* keyboard = nullptr;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* state = nullptr;
    CVirtualKeymap layout;
    std::set<uint32_t> keysDown;

    zwlr_virtual_pointer_v1* pointer = nullptr;
    std::set<unsigned> buttonsDown;

    friend struct WaylandListeners;
};
