// Window functions of the X11 desktop: windows are found by a substring of
// their title (and their class, when one is asked for), through the window
// manager's client list when there is one, else through the window tree.

#include "x11/X11Desktop.h"
#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

} // namespace

std::string CX11Desktop::WindowTitle(Window window) {
    return X11WindowTitle(display, window);
}

std::vector<Window> CX11Desktop::TopLevelWindows() {
    const Window root = DefaultRootWindow(display);
    // The list of a window manager that exited is stale: new windows are not in it.
    if (X11WindowManagerSupports(display, "_NET_CLIENT_LIST")) {
        std::vector<unsigned long> clients =
            X11ListProperty(display, root, "_NET_CLIENT_LIST", XA_WINDOW);
        if (!clients.empty())
            return {clients.begin(), clients.end()};
    }
    // No window manager list: the mapped children of the root, or, for a
    // frame without a title, the titled window inside it.
    std::vector<Window> found;
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
        return found;
    for (unsigned i = count; i-- > 0;) { // topmost first
        const Window child = children[i];
        if (!Viewable(display, child))
            continue;
        if (!WindowTitle(child).empty()) {
            found.push_back(child);
            continue;
        }
        Window* inner = nullptr;
        unsigned innerCount = 0;
        if (XQueryTree(display, child, &rootReturn, &parent, &inner, &innerCount)) {
            for (unsigned j = 0; j < innerCount; ++j)
                if (!WindowTitle(inner[j]).empty())
                    found.push_back(inner[j]);
            if (inner)
                XFree(inner);
        }
    }
    if (children)
        XFree(children);
    return found;
}

bool CX11Desktop::Means(const WindowMatch& match, Window window, std::string& title) {
    title = WindowTitle(window);
    if (title.empty() || title.find(match.title) == std::string::npos)
        return false;
    const X11ClassNames names =
        match.windowClass.empty() ? X11ClassNames{} : X11WindowClass(display, window);
    return match.Matches(title, {names.instance, names.className});
}

Window CX11Desktop::FindWindow(const WindowMatch& match) {
    std::string title;
    for (Window window : TopLevelWindows())
        if (Means(match, window, title))
            return window;
    return None;
}

Window CX11Desktop::ActiveWindow() {
    return X11ActiveWindow(display);
}

bool CX11Desktop::WinExists(const WindowMatch& match) {
    std::lock_guard lock(mutex);
    return FindWindow(match) != None;
}

DesktopResult CX11Desktop::ActiveWindowOrigin(int& x, int& y) {
    std::lock_guard lock(mutex);
    const Window window = ActiveWindow();
    if (window == None || !X11WindowOrigin(display, window, x, y))
        return DesktopResult::Fail("no window is active");
    return DesktopResult::Ok();
}

// Asks for the window and waits until it is the active one and holds the
// keyboard focus: a window manager acts on the request later, and keys typed
// before the focus moved would reach the previous window.
DesktopResult CX11Desktop::WinActivate(const WindowMatch& match, int64_t milliseconds,
                                       const std::function<bool()>& stopRequested) {
    Window window = None;
    bool managed = false;
    {
        std::lock_guard lock(mutex);
        window = FindWindow(match);
        if (window == None)
            return DesktopResult::Fail(match.NotFound());
        managed = X11WindowManagerSupports(display, "_NET_ACTIVE_WINDOW");
        if (managed) {
            // Source 2: a pager acting for the user, which window managers obey.
            X11SendToRoot(display, window, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0});
        } else {
            XMapRaised(display, window);
            XSync(display, False);
            if (Viewable(display, window))
                XSetInputFocus(display, window, RevertToParent, CurrentTime);
        }
        XSync(display, False);
    }
    const bool active = X11PollUntil(milliseconds, 10, stopRequested, [&] {
        std::lock_guard lock(mutex);
        return (!managed || ActiveWindow() == window) && X11HasKeyboardFocus(display, window);
    });
    if (!active) {
        if (stopRequested && stopRequested())
            return DesktopResult::Fail("stopped");
        return DesktopResult::Fail("the window " + match.Describe() +
                                   " did not become active within " + std::to_string(milliseconds) +
                                   " ms");
    }
    // A round trip, so that input sent next is queued after the focus change.
    std::lock_guard lock(mutex);
    XSync(display, False);
    return DesktopResult::Ok();
}

bool CX11Desktop::WinWait(const WindowMatch& match, int64_t milliseconds,
                          const std::function<bool()>& stopRequested) {
    return X11PollUntil(milliseconds, 25, stopRequested, [&] { return WinExists(match); });
}

DesktopResult CX11Desktop::WinClose(const WindowMatch& match) {
    std::lock_guard lock(mutex);
    const Window window = FindWindow(match);
    if (window == None)
        return DesktopResult::Fail(match.NotFound());
    if (X11WindowManagerSupports(display, "_NET_CLOSE_WINDOW")) {
        X11SendToRoot(display, window, "_NET_CLOSE_WINDOW", {CurrentTime, 2});
        XSync(display, False);
        return DesktopResult::Ok();
    }
    // Ask the program politely, as a window manager's close button does.
    Atom* protocols = nullptr;
    int count = 0;
    bool polite = false;
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (XGetWMProtocols(display, window, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            polite = polite || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    if (polite) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    } else {
        XKillClient(display, window);
    }
    XSync(display, False);
    return DesktopResult::Ok();
}

std::string CX11Desktop::WinGetActiveTitle() {
    std::lock_guard lock(mutex);
    const Window window = ActiveWindow();
    return window == None ? std::string() : WindowTitle(window);
}
