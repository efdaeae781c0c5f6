// The connection to the compositor, its globals and the mouse.
#include "wayland/WaylandDesktop.h"

#include "wayland/WaylandListeners.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
// How long the compositor may take to read or answer a request.
constexpr std::chrono::milliseconds kPatience{3000};
// How long applications get to take up a pointer that just appeared.
constexpr std::chrono::milliseconds kNewDeviceSettle{100};
// Where a round trip's answer goes once nobody waits for it.
bool lateAnswer = false;

DesktopResult Unavailable(const std::string& what) {
    return DesktopResult::Fail("this Wayland desktop offers no way to " + what);
}

// Linux input button codes.
constexpr uint32_t kButtonLeft = 0x110, kButtonRight = 0x111, kButtonMiddle = 0x112;

} // namespace

std::unique_ptr<CWaylandDesktop> CWaylandDesktop::Open(std::string* why, AlertFn alertFn,
                                                       const std::string& displayName) {
    wl_display* display = wl_display_connect(displayName.empty() ? nullptr : displayName.c_str());
    if (!display) {
        if (why)
            *why = "Key and mouse playback is unavailable: cannot connect to the Wayland "
                   "compositor" +
                   (displayName.empty() ? std::string() : " '" + displayName + "'") + ": " +
                   std::strerror(errno) + ".";
        return nullptr;
    }
    std::unique_ptr<CWaylandDesktop> desktop(new CWaylandDesktop(display, std::move(alertFn)));
    desktop->registry = wl_display_get_registry(display);
    wl_registry_add_listener(desktop->registry, &WaylandListeners::Registry(), desktop.get());
    // The globals, then what binding them sent (outputs, toplevels).
    if (!desktop->Roundtrip() || !desktop->Roundtrip()) {
        if (why)
            *why = "Key and mouse playback is unavailable: " + desktop->ConnectionProblem() + ".";
        return nullptr;
    }
    if (why)
        why->clear();
    return desktop;
}

CWaylandDesktop::CWaylandDesktop(wl_display* connection, AlertFn alertFn)
    : display(connection), alert(std::move(alertFn)) {}

CWaylandDesktop::~CWaylandDesktop() {
    std::lock_guard lock(mutex);
    ReleaseKeys();
    for (unsigned button : std::set<unsigned>(buttonsDown))
        zwlr_virtual_pointer_v1_button(pointer, 0, button, WL_POINTER_BUTTON_STATE_RELEASED);
    wl_display_roundtrip(display);
    if (keyboard)
        zwp_virtual_keyboard_v1_destroy(keyboard);
    if (pointer)
        zwlr_virtual_pointer_v1_destroy(pointer);
    for (const auto& window : windows)
        zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
    // Every proxy is freed here: disconnecting frees none of them.
    if (globals.toplevels)
        zwlr_foreign_toplevel_manager_v1_destroy(globals.toplevels);
    if (globals.pointers)
        zwlr_virtual_pointer_manager_v1_destroy(globals.pointers);
    if (globals.keyboards)
        zwp_virtual_keyboard_manager_v1_destroy(globals.keyboards);
    for (const auto& output : globals.outputs)
        wl_output_destroy(output->output);
    if (globals.seat)
        wl_seat_destroy(globals.seat);
    if (registry)
        wl_registry_destroy(registry);
    if (state)
        xkb_state_unref(state);
    if (keymap)
        xkb_keymap_unref(keymap);
    if (context)
        xkb_context_unref(context);
    wl_display_disconnect(display);
}

namespace {

// What is missing and where the function works instead.
std::string Lacks(const std::string& what, const std::string& protocol) {
    return "this Wayland desktop offers no way to " + what + " (the compositor lacks " + protocol +
           "); it works on wlroots compositors such as sway, Hyprland, river and labwc";
}

} // namespace

std::string CWaylandDesktop::TypingProblem() const {
    if (!globals.seat)
        return "this Wayland desktop offers no way to type keys (the compositor has no seat)";
    if (!globals.keyboards)
        return Lacks("type keys", "the virtual keyboard protocol, zwp_virtual_keyboard_v1");
    return {};
}

std::string CWaylandDesktop::WindowsProblem() const {
    if (!globals.toplevels)
        return Lacks("list or activate windows",
                     "the foreign toplevel protocol, zwlr_foreign_toplevel_management_v1");
    return {};
}

std::string CWaylandDesktop::MouseProblem() const {
    if (!globals.pointers)
        return Lacks("move the mouse", "the virtual pointer protocol, zwlr_virtual_pointer_v1");
    return {};
}

std::string CWaylandDesktop::ConnectionProblem() {
    const int error = wl_display_get_error(display);
    if (error == 0)
        return "the Wayland compositor did not answer within " + std::to_string(kPatience.count()) +
               " ms";
    if (error == EPROTO)
        return "the Wayland compositor refused a request (protocol error)";
    return std::string("lost the connection to the Wayland compositor: ") + std::strerror(error);
}

// A bounded round trip: libwayland's own waits for ever when the compositor
// stops answering, and would hang the script that asked.
bool CWaylandDesktop::Roundtrip() {
    bool done = false;
    static const wl_callback_listener kDone{[](void* data, wl_callback* callback, uint32_t) {
        *static_cast<bool*>(data) = true;
        wl_callback_destroy(callback);
    }};
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &kDone, &done);
    const auto deadline = Clock::now() + kPatience;
    while (!done) {
        if (Clock::now() >= deadline) {
            // The callback may still come; it must not write to `done` then.
            wl_proxy_set_user_data(reinterpret_cast<wl_proxy*>(callback), &lateAnswer);
            return false;
        }
        if (!Pump(20))
            return false;
    }
    return true;
}

// Sends what is queued, waiting (bounded) while the compositor's socket is
// full: playback sends faster than a busy compositor reads.
bool CWaylandDesktop::Flush() {
    const auto deadline = Clock::now() + kPatience;
    while (wl_display_flush(display) < 0) {
        if (errno != EAGAIN || Clock::now() >= deadline)
            return false;
        pollfd writable{wl_display_get_fd(display), POLLOUT, 0};
        poll(&writable, 1, 20);
    }
    return true;
}

bool CWaylandDesktop::Pump(int ms) {
    while (wl_display_prepare_read(display) != 0)
        if (wl_display_dispatch_pending(display) < 0)
            return false;
    if (!Flush()) {
        wl_display_cancel_read(display);
        return false;
    }
    pollfd readable{wl_display_get_fd(display), POLLIN, 0};
    if (poll(&readable, 1, ms) > 0) {
        if (wl_display_read_events(display) < 0)
            return false;
    } else {
        wl_display_cancel_read(display);
    }
    return wl_display_dispatch_pending(display) >= 0;
}

bool CWaylandDesktop::Await(const std::function<bool()>& done, int64_t milliseconds,
                            const std::function<bool()>& stopRequested) {
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(std::max<int64_t>(0, milliseconds));
    if (!Roundtrip())
        return false;
    for (;;) {
        if (done())
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || (stopRequested && stopRequested()))
            return false;
        if (!Pump(static_cast<int>(std::min<int64_t>(left.count(), 20))))
            return false;
    }
}

DesktopResult CWaylandDesktop::Alert(const std::string& message) {
    if (!alert)
        return DesktopResult::Fail("no message box is available here");
    return alert(message);
}

// The mouse: absolute motion over the layout of all outputs.

DesktopResult CWaylandDesktop::EnsurePointer() {
    if (pointer)
        return DesktopResult::Ok();
    if (const std::string problem = MouseProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    // On a seat that had no pointer before, applications ask for one only
    // now; a click sent before they have it reaches nobody.
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    std::this_thread::sleep_for(kNewDeviceSettle);
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::MoveTo(int x, int y) {
    int width = 0, height = 0;
    if (DesktopResult size = ScreenSize(width, height); !size.ok)
        return size;
    if (x < 0 || y < 0 || x >= width || y >= height)
        return DesktopResult::Fail("position " + std::to_string(x) + ", " + std::to_string(y) +
                                   " is outside the screen");
    zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, static_cast<uint32_t>(x),
                                            static_cast<uint32_t>(y), static_cast<uint32_t>(width),
                                            static_cast<uint32_t>(height));
    zwlr_virtual_pointer_v1_frame(pointer);
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::SendButton(MouseButton button, bool down) {
    uint32_t code = 0;
    switch (button) {
    case MouseButton::Left:
        code = kButtonLeft;
        break;
    case MouseButton::Middle:
        code = kButtonMiddle;
        break;
    case MouseButton::Right:
        code = kButtonRight;
        break;
    }
    if (!code)
        return DesktopResult::Fail("unknown mouse button " +
                                   std::to_string(static_cast<int>(button)));
    zwlr_virtual_pointer_v1_button(pointer, 0, code,
                                   down ? WL_POINTER_BUTTON_STATE_PRESSED
                                        : WL_POINTER_BUTTON_STATE_RELEASED);
    zwlr_virtual_pointer_v1_frame(pointer);
    if (down)
        buttonsDown.insert(code);
    else
        buttonsDown.erase(code);
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::MouseMove(int x, int y) {
    std::lock_guard lock(mutex);
    DesktopResult result = EnsurePointer();
    if (result.ok)
        result = MoveTo(x, y);
    if (result.ok && !Roundtrip())
        result = DesktopResult::Fail(ConnectionProblem());
    return result;
}

DesktopResult CWaylandDesktop::MouseClick(int x, int y, MouseButton button) {
    std::lock_guard lock(mutex);
    DesktopResult result = EnsurePointer();
    if (result.ok)
        result = MoveTo(x, y);
    if (result.ok)
        result = SendButton(button, true);
    if (result.ok)
        result = SendButton(button, false);
    if (result.ok && !Roundtrip())
        result = DesktopResult::Fail(ConnectionProblem());
    return result;
}

DesktopResult CWaylandDesktop::MouseDown(MouseButton button) {
    std::lock_guard lock(mutex);
    DesktopResult result = EnsurePointer();
    if (result.ok)
        result = SendButton(button, true);
    if (result.ok && !Roundtrip())
        result = DesktopResult::Fail(ConnectionProblem());
    return result;
}

DesktopResult CWaylandDesktop::MouseUp(MouseButton button) {
    std::lock_guard lock(mutex);
    DesktopResult result = EnsurePointer();
    if (result.ok)
        result = SendButton(button, false);
    if (result.ok && !Roundtrip())
        result = DesktopResult::Fail(ConnectionProblem());
    return result;
}

// A notch of the wheel is 15 units of the vertical axis; up is negative.
DesktopResult CWaylandDesktop::MouseWheel(int steps) {
    std::lock_guard lock(mutex);
    if (DesktopResult result = EnsurePointer(); !result.ok)
        return result;
    if (steps != 0) {
        zwlr_virtual_pointer_v1_axis_source(pointer, WL_POINTER_AXIS_SOURCE_WHEEL);
        zwlr_virtual_pointer_v1_axis_discrete(pointer, 0, WL_POINTER_AXIS_VERTICAL_SCROLL,
                                              wl_fixed_from_int(-15 * steps), -steps);
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::ScreenSize(int& width, int& height) {
    std::lock_guard lock(mutex);
    width = height = 0;
    for (const auto& output : globals.outputs) {
        width = std::max(width, output->x + output->width);
        height = std::max(height, output->y + output->height);
    }
    if (width <= 0 || height <= 0)
        return Unavailable("know the screen's size (the compositor describes no output)");
    return DesktopResult::Ok();
}

// Wayland keeps where the pointer is, where windows are and what the screen
// shows from other programs.
DesktopResult CWaylandDesktop::MouseGetPos(int&, int&) {
    return Unavailable("read the mouse position");
}

DesktopResult CWaylandDesktop::ActiveWindowOrigin(int&, int&) {
    return Unavailable("read where a window is, so positions relative to the active window "
                       "cannot be used; give screen positions");
}

DesktopResult CWaylandDesktop::PixelGetColor(int, int, uint32_t&) {
    return Unavailable("read the colour of the screen");
}
