#include "x11/X11Desktop.h"

#include "x11/X11Display.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

std::unique_ptr<CX11Desktop> CX11Desktop::Open(std::string* why, AlertFn alertFn,
                                               const std::string& displayName) {
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (display) {
        cause = MissingExtension(display, "XTEST");
        if (cause.empty())
            cause = MissingExtension(display, "XKEYBOARD");
        if (!cause.empty()) {
            XCloseDisplay(display);
            display = nullptr;
        }
    }
    if (why)
        *why = display ? "" : "Key and mouse playback is unavailable: " + cause + ".";
    if (!display)
        return nullptr;
    return std::unique_ptr<CX11Desktop>(new CX11Desktop(display, std::move(alertFn)));
}

CX11Desktop::CX11Desktop(Display* openDisplay, AlertFn alertFn)
    : display(openDisplay), alert(std::move(alertFn)) {
    // Our own fake events must not be held up by a client that grabbed the
    // server.
    XTestGrabControl(display, True);
}

CX11Desktop::~CX11Desktop() {
    std::lock_guard lock(mutex);
    ReleaseEverything();
    GiveBackSpareKeycodes();
    if (pingDisplay)
        XCloseDisplay(pingDisplay);
    XCloseDisplay(display);
}

DesktopResult CX11Desktop::Alert(const std::string& message) {
    if (!alert)
        return DesktopResult::Fail("no message box is available here");
    return alert(message);
}

namespace {

DesktopResult CheckButton(MouseButton button, unsigned& number) {
    const int value = static_cast<int>(button);
    if (value < 1 || value > 5)
        return DesktopResult::Fail("unknown mouse button " + std::to_string(value));
    number = static_cast<unsigned>(value);
    return DesktopResult::Ok();
}

// A window manager that lets a click through to a window only after it has
// raised or focused it holds back the mouse meanwhile, but not the keyboard:
// keys typed right after the click would reach the window first. Waits
// (bounded) until the server has taken the release of `button`.
void AwaitRelease(Display* display, unsigned button) {
    constexpr unsigned kMasks[] = {Button1Mask, Button2Mask, Button3Mask, Button4Mask, Button5Mask};
    const unsigned mask = kMasks[button - 1];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (;;) {
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned state = 0;
        if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x,
                           &y, &state) ||
            !(state & mask) || std::chrono::steady_clock::now() >= deadline)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

DesktopResult CX11Desktop::MouseMove(int x, int y) {
    std::lock_guard lock(mutex);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseClick(int x, int y, MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    LetGoOfUserKeys();
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    FakeButton(number, true);
    FakeButton(number, false);
    XSync(display, False);
    AwaitRelease(display, number);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseDown(MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    LetGoOfUserKeys();
    FakeButton(number, true);
    XSync(display, False);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseUp(MouseButton button) {
    unsigned number = 0;
    if (DesktopResult checked = CheckButton(button, number); !checked.ok)
        return checked;
    std::lock_guard lock(mutex);
    FakeButton(number, false);
    XSync(display, False);
    AwaitRelease(display, number);
    return DesktopResult::Ok();
}

// X11 reports each notch of the wheel as a click of button 4 (up) or 5 (down).
DesktopResult CX11Desktop::MouseWheel(int steps) {
    const unsigned button = steps > 0 ? 4 : 5;
    std::lock_guard lock(mutex);
    LetGoOfUserKeys();
    for (int step = 0; step < std::abs(steps); ++step) {
        FakeButton(button, true);
        FakeButton(button, false);
    }
    XSync(display, False);
    if (steps != 0)
        AwaitRelease(display, button);
    return DesktopResult::Ok();
}
