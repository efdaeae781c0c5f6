#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <thread>

std::string X11WindowTitle(Display* display, Window window) {
    // _NET_WM_NAME is UTF-8 already.
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 65536,
                           False, utf8, &actualType, &format, &count, &remaining,
                           &data) == Success &&
        data && actualType == utf8 && format == 8)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    if (!title.empty())
        return title;
    // WM_NAME in whatever encoding it carries, converted to UTF-8.
    XTextProperty property{};
    if (!XGetWMName(display, window, &property) || !property.value)
        return title;
    char** list = nullptr;
    int items = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &items) >= Success && list) {
        for (int i = 0; i < items; ++i)
            title += list[i];
        XFreeStringList(list);
    }
    XFree(property.value);
    return title;
}

namespace {

Atom Intern(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

// The parent of `window`; None when the window is gone.
Window ParentOf(Display* display, Window window) {
    Window rootReturn = 0, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
        return None;
    if (children)
        XFree(children);
    return parent;
}

// The window a window manager manages: it carries WM_STATE.
bool HasWmState(Display* display, Window window) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(display, window, Intern(display, "WM_STATE"), 0, 0, False,
                                        AnyPropertyType, &actualType, &format, &count, &remaining,
                                        &data) == Success &&
                     actualType != None;
    if (data)
        XFree(data);
    return has;
}

// The window holding the keyboard focus; None when it is nothing, the root
// or PointerRoot (keys then go wherever the pointer is).
Window FocusWindow(Display* display) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == PointerRoot || focus == DefaultRootWindow(display))
        return None;
    return focus;
}

} // namespace

X11ClassNames X11WindowClass(Display* display, Window window) {
    X11ClassNames names;
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        if (hint.res_name)
            names.instance = hint.res_name;
        if (hint.res_class)
            names.className = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return names;
}

bool X11WindowOrigin(Display* display, Window window, int& x, int& y) {
    Window child = None;
    return XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
}

Window X11FirstWindowWithin(Display* display, Window top, int levels,
                            const std::function<bool(Window)>& matches) {
    std::vector<Window> level{top};
    for (int depth = 0; depth < levels && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (Window candidate : level) {
            if (matches(candidate))
                return candidate;
            Window rootReturn = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (XQueryTree(display, candidate, &rootReturn, &parent, &children, &count)) {
                next.insert(next.end(), children, children + count);
                if (children)
                    XFree(children);
            }
        }
        level = std::move(next);
    }
    return None;
}

Window X11ClientWindowAt(Display* display, int x, int y) {
    const Window root = DefaultRootWindow(display);
    int innerX = 0, innerY = 0;
    Window top = None;
    if (!XTranslateCoordinates(display, root, root, x, y, &innerX, &innerY, &top) || top == None)
        return None;
    // Below the frame: the client is a few levels down at most.
    const Window client = X11FirstWindowWithin(
        display, top, 4, [display](Window candidate) { return HasWmState(display, candidate); });
    if (client != None)
        return client;
    // No window manager: a titled top-level window stands for itself.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, top, &attributes) && !attributes.override_redirect &&
        !X11WindowTitle(display, top).empty())
        return top;
    return None;
}

bool X11WindowManagerSupports(Display* display, const char* atomName) {
    const Window root = DefaultRootWindow(display);
    const Atom check = Intern(display, "_NET_SUPPORTING_WM_CHECK");
    bool found = false;
    const Window checkWindow = X11CardinalProperty(display, root, check, XA_WINDOW, found);
    if (!found || checkWindow == None)
        return false;
    // A window that is gone answers with an error, which the connection's
    // handler ignores; `found` stays false then.
    const Window named = X11CardinalProperty(display, checkWindow, check, XA_WINDOW, found);
    if (!found || named != checkWindow)
        return false;
    const Atom wanted = Intern(display, atomName);
    for (unsigned long atom : X11ListProperty(display, root, "_NET_SUPPORTED", XA_ATOM))
        if (atom == wanted)
            return true;
    return false;
}

Window X11ActiveWindow(Display* display) {
    if (X11WindowManagerSupports(display, "_NET_ACTIVE_WINDOW")) {
        bool found = false;
        const Window active =
            X11CardinalProperty(display, DefaultRootWindow(display),
                                Intern(display, "_NET_ACTIVE_WINDOW"), XA_WINDOW, found);
        return found ? active : None;
    }
    return X11FocusedTopLevel(display);
}

Window X11FocusedTopLevel(Display* display) {
    const Window root = DefaultRootWindow(display);
    Window titled = None; // the nearest titled ancestor, for an untitled frame
    for (Window window = FocusWindow(display); window != None && window != root;) {
        if (HasWmState(display, window))
            return window;
        const bool hasTitle = !X11WindowTitle(display, window).empty();
        const Window parent = ParentOf(display, window);
        if (parent == root)
            return hasTitle || titled == None ? window : titled;
        if (hasTitle && titled == None)
            titled = window;
        window = parent;
    }
    return None;
}

bool X11HasKeyboardFocus(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    for (Window focus = FocusWindow(display); focus != None && focus != root;
         focus = ParentOf(display, focus))
        if (focus == window)
            return true;
    return false;
}

std::vector<unsigned long> X11ListProperty(Display* display, Window window, const char* name,
                                           Atom type) {
    std::vector<unsigned long> items;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, Intern(display, name), 0, 65536, False, type,
                           &actualType, &format, &count, &remaining, &data) == Success &&
        data && format == 32 && actualType == type) {
        auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

unsigned long X11CardinalProperty(Display* display, Window window, Atom property, Atom type,
                                  bool& found) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    unsigned long value = 0;
    found = false;
    if (XGetWindowProperty(display, window, property, 0, 1, False, type, &actualType, &format,
                           &count, &remaining, &data) == Success &&
        data && actualType == type && format == 32 && count >= 1) {
        value = *reinterpret_cast<unsigned long*>(data);
        found = true;
    }
    if (data)
        XFree(data);
    return value;
}

void X11SendToRoot(Display* display, Window window, const char* message,
                   std::initializer_list<long> values) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, message, False);
    event.xclient.format = 32;
    int slot = 0;
    for (long value : values)
        event.xclient.data.l[slot++] = value;
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool X11PollUntil(int64_t milliseconds, int stepMs, const std::function<bool()>& stopRequested,
                  const std::function<bool()>& done) {
    // Capped (at decades) so that a huge time cannot overflow the clock.
    const int64_t capped = std::clamp<int64_t>(milliseconds, 0, int64_t{1} << 40);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(capped);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline || (stopRequested && stopRequested()))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}
