#include "x11/X11WindowPicker.h"

#include "x11/X11Display.h"
#include "x11/X11WindowPickerPort.h"
#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

namespace {

bool HasWmState(Display* display, Window window, Atom wmState) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(display, window, wmState, 0, 0, False, AnyPropertyType,
                                        &type, &format, &count, &remaining, &data) == Success &&
                     type != None;
    if (data)
        XFree(data);
    return has;
}

std::string Hex(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(window));
    return text;
}

} // namespace

bool PickWindowByClick(Display* display, Window& picked, std::string& error) {
    const Window root = DefaultRootWindow(display);
    const Cursor crosshair = XCreateFontCursor(display, XC_crosshair);
    // Another client may hold the pointer for a moment (a menu closing, the
    // key grab that started us): keep asking for a second before giving up.
    int grab = AlreadyGrabbed;
    for (int attempt = 0; attempt < 50; ++attempt) {
        grab = XGrabPointer(display, root, False, ButtonPressMask | ButtonReleaseMask, GrabModeSync,
                            GrabModeAsync, root, crosshair, CurrentTime);
        if (grab != AlreadyGrabbed && grab != GrabFrozen)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (grab != GrabSuccess) {
        XFreeCursor(display, crosshair);
        error = "could not grab the pointer (another program holds it)";
        return false;
    }
    Window target = None;
    unsigned int button = 0;
    int pressed = 0;
    // Wait for one press and its release, so the click does not reach the
    // window under the pointer.
    while (target == None || pressed > 0) {
        XAllowEvents(display, SyncPointer, CurrentTime);
        XEvent event;
        XWindowEvent(display, root, ButtonPressMask | ButtonReleaseMask, &event);
        if (event.type == ButtonPress) {
            if (target == None) {
                button = event.xbutton.button;
                target = event.xbutton.subwindow != None ? event.xbutton.subwindow : root;
            }
            ++pressed;
        } else if (event.type == ButtonRelease && pressed > 0) {
            --pressed;
        }
    }
    XUngrabPointer(display, CurrentTime);
    XFreeCursor(display, crosshair);
    XFlush(display);
    if (button != Button1) {
        error = "cancelled";
        return false;
    }
    picked = target;
    return true;
}

Window ClientWindowOf(Display* display, Window window) {
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    std::deque<Window> pending{window};
    while (!pending.empty()) {
        const Window current = pending.front();
        pending.pop_front();
        if (HasWmState(display, current, wmState))
            return current;
        Window rootReturn = None, parentReturn = None;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, current, &rootReturn, &parentReturn, &children, &count) &&
            children) {
            pending.insert(pending.end(), children, children + count);
            XFree(children);
        }
    }
    return window;
}

bool ReadWindowInfo(Display* display, Window window, PickedWindowInfo& info, std::string& error) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        error = "there is no window " + Hex(window);
        return false;
    }
    info.window = window;
    info.title = X11WindowTitle(display, window);
    X11ClassNames names = X11WindowClass(display, window);
    info.resClass = std::move(names.className);
    info.resName = std::move(names.instance);
    return true;
}

bool CX11WindowPicker::PickNextClicked(PickedWindow& picked, std::string& error) {
    Display* display = OpenX11Display({}, error);
    if (!display)
        return false;
    Window window = 0;
    PickedWindowInfo info;
    const bool ok = PickWindowByClick(display, window, error) &&
                    ReadWindowInfo(display, ClientWindowOf(display, window), info, error);
    XCloseDisplay(display);
    if (!ok) {
        if (error == "cancelled")
            error.clear();
        return false;
    }
    picked = {info.title, info.resName, info.resClass};
    return true;
}
