// Window geometry and state, the pointer, the screen and its pixels on X11.
// Positions are those of the window manager's frame (title bar and borders
// included), as the user sees the window; the manager publishes the frame's
// size around the window in _NET_FRAME_EXTENTS.

#include "x11/X11Desktop.h"
#include "x11/X11WindowQuery.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <unistd.h>

namespace {

// How long a window manager may take to act on a request.
constexpr int64_t kAnswerMs = 2000;

// The frame around a window: left, right, top, bottom (all 0 without one).
struct Extents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Counted only while the window sits in a frame: a manager that exited
// leaves the property behind on windows it gave back to the root.
Extents FrameExtents(Display* display, Window window) {
    Window root = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return {};
    if (children)
        XFree(children);
    if (parent == root)
        return {};
    const std::vector<unsigned long> sides =
        X11ListProperty(display, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (sides.size() != 4)
        return {};
    auto side = [](unsigned long value) { return static_cast<int>(value & 0xFFFF); };
    return {side(sides[0]), side(sides[1]), side(sides[2]), side(sides[3])};
}

// The outer rectangle of `window` and its frame; false when the window is gone.
bool FrameRect(Display* display, Window window, WindowRect& rect) {
    XWindowAttributes attributes{};
    int x = 0, y = 0;
    if (!XGetWindowAttributes(display, window, &attributes) ||
        !X11WindowOrigin(display, window, x, y))
        return false;
    const Extents frame = FrameExtents(display, window);
    const int border = attributes.border_width;
    rect = {x - border - frame.left, y - border - frame.top,
            attributes.width + 2 * border + frame.left + frame.right,
            attributes.height + 2 * border + frame.top + frame.bottom};
    return true;
}

using Clock = std::chrono::steady_clock;

// A window's frame followed across polls: where it is and since when.
struct FrameWatch {
    Display* display;
    Window window;
    WindowRect rect;
    Clock::time_point since = Clock::now();
    bool gone = false;

    // Reads the frame again; false once the window is gone.
    bool Update() {
        WindowRect now;
        if (!FrameRect(display, window, now)) {
            gone = true;
            return false;
        }
        if (!(now == rect)) {
            rect = now;
            since = Clock::now();
        }
        return true;
    }
    // True when the frame has not moved since `from` for `ms`.
    bool StillFor(int ms, Clock::time_point from) const {
        return Clock::now() - std::max(from, since) >= std::chrono::milliseconds(ms);
    }
};

bool Exists(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes);
}

DesktopResult Closed(const WindowMatch& match) {
    return DesktopResult::Fail("the window " + match.Describe() + " closed");
}

bool Iconic(Display* display, Window window) {
    const std::vector<unsigned long> state =
        X11ListProperty(display, window, "WM_STATE", XInternAtom(display, "WM_STATE", False));
    return !state.empty() && state[0] == IconicState;
}

// How many of the two maximized states (vertical, horizontal) the window has.
int MaximizedParts(Display* display, Window window) {
    const Atom vertical = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    const Atom horizontal = XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    int parts = 0;
    for (unsigned long atom : X11ListProperty(display, window, "_NET_WM_STATE", XA_ATOM))
        parts += atom == vertical || atom == horizontal;
    return parts;
}

bool InState(Display* display, Window window, WindowState state) {
    const bool iconic = Iconic(display, window);
    switch (state) {
    case WindowState::Minimized:
        return iconic;
    case WindowState::Maximized:
        return !iconic && MaximizedParts(display, window) == 2;
    case WindowState::Normal:
        return !iconic && MaximizedParts(display, window) == 0;
    }
    return false;
}

// The client size a window manager grants for `width` x `height` (ICCCM
// size hints): within the minimum and maximum, in whole resize steps above
// the base size, rounded down.
void GrantedSize(Display* display, Window window, int& width, int& height) {
    XSizeHints hints{};
    long supplied = 0;
    if (!XGetWMNormalHints(display, window, &hints, &supplied))
        return;
    const bool hasBase = hints.flags & PBaseSize, hasMin = hints.flags & PMinSize;
    const int baseWidth = hasBase ? hints.base_width : hasMin ? hints.min_width : 0;
    const int baseHeight = hasBase ? hints.base_height : hasMin ? hints.min_height : 0;
    if (hasMin) {
        width = std::max(width, hints.min_width);
        height = std::max(height, hints.min_height);
    }
    if ((hints.flags & PMaxSize) && hints.max_width > 0 && hints.max_height > 0) {
        width = std::min(width, hints.max_width);
        height = std::min(height, hints.max_height);
    }
    if ((hints.flags & PResizeInc) && hints.width_inc > 1 && width > baseWidth)
        width = baseWidth + (width - baseWidth) / hints.width_inc * hints.width_inc;
    if ((hints.flags & PResizeInc) && hints.height_inc > 1 && height > baseHeight)
        height = baseHeight + (height - baseHeight) / hints.height_inc * hints.height_inc;
}

// The host the window's program runs on (WM_CLIENT_MACHINE); empty when unsaid.
std::string ClientMachine(Display* display, Window window) {
    XTextProperty property{};
    std::string machine;
    if (XGetWMClientMachine(display, window, &property) && property.value) {
        if (property.format == 8)
            machine.assign(reinterpret_cast<const char*>(property.value), property.nitems);
        XFree(property.value);
    }
    return machine;
}

std::string LocalHostName() {
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

const char* Verb(WindowState state) {
    switch (state) {
    case WindowState::Minimized:
        return "minimize";
    case WindowState::Maximized:
        return "maximize";
    case WindowState::Normal:
        break;
    }
    return "restore";
}

} // namespace

DesktopResult CX11Desktop::WinList(const WindowMatch& match, std::vector<std::string>& titles) {
    std::lock_guard lock(mutex);
    std::string title;
    for (Window window : TopLevelWindows())
        if (Means(match, window, title))
            titles.push_back(title);
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::WinGetPos(const WindowMatch& match, WindowRect& rect) {
    std::lock_guard lock(mutex);
    const Window window = FindWindow(match);
    if (window == None)
        return DesktopResult::Fail(match.NotFound());
    return FrameRect(display, window, rect) ? DesktopResult::Ok() : Closed(match);
}

// Asks the window manager to place the frame (through _NET_MOVERESIZE_WINDOW,
// else a configure request it intercepts; without one the window moves
// itself) and waits until the frame is there. The size is the one the
// manager will grant (terminals take whole character cells); a manager that
// places the frame elsewhere still counts once the frame stays put.
DesktopResult CX11Desktop::WinMove(const WindowMatch& match, const WindowRect& rect, bool resize,
                                   const std::function<bool()>& stopRequested) {
    Window window = None;
    bool maximized = false;
    {
        std::lock_guard lock(mutex);
        window = FindWindow(match);
        if (window == None)
            return DesktopResult::Fail(match.NotFound());
        maximized = MaximizedParts(display, window) > 0 &&
                    X11WindowManagerSupports(display, "_NET_WM_STATE_MAXIMIZED_VERT");
        if (maximized)
            RequestState(window, WindowState::Normal);
    }
    // A manager keeps a maximized window in place: restored first, as a user would.
    if (maximized) {
        if (DesktopResult restored = AwaitState(match, window, WindowState::Normal, stopRequested);
            !restored.ok)
            return restored;
    }
    WindowRect before, target;
    {
        std::lock_guard lock(mutex);
        window = FindWindow(match);
        if (window == None)
            return DesktopResult::Fail(match.NotFound());
        XWindowAttributes attributes{};
        if (!FrameRect(display, window, before) ||
            !XGetWindowAttributes(display, window, &attributes))
            return Closed(match);
        target = resize ? rect : WindowRect{rect.x, rect.y, before.width, before.height};
        const Extents frame = FrameExtents(display, window);
        const int around = 2 * attributes.border_width;
        int width = target.width - frame.left - frame.right - around;
        int height = target.height - frame.top - frame.bottom - around;
        if (width < 1 || height < 1)
            return DesktopResult::Fail(std::to_string(target.width) + "x" +
                                       std::to_string(target.height) +
                                       " leaves no room inside the window's frame");
        if (resize) {
            GrantedSize(display, window, width, height);
            target.width = width + frame.left + frame.right + around;
            target.height = height + frame.top + frame.bottom + around;
        }
        if (target == before)
            return DesktopResult::Ok();
        if (X11WindowManagerSupports(display, "_NET_MOVERESIZE_WINDOW")) {
            // The frame's top-left corner at x, y; bits 8-11 say which values
            // count; source 2, a pager acting for the user.
            const long flags = NorthWestGravity | (3 << 8) | (resize ? 3 << 10 : 0) | (2 << 12);
            X11SendToRoot(display, window, "_NET_MOVERESIZE_WINDOW",
                          {flags, target.x, target.y, width, height});
        } else {
            XMoveResizeWindow(display, window, target.x, target.y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height));
        }
        XSync(display, False);
    }
    FrameWatch watch{display, window, before};
    const bool placed = X11PollUntil(kAnswerMs, 5, stopRequested, [&] {
        std::lock_guard lock(mutex);
        if (!watch.Update() || watch.rect == target)
            return true;
        return !(watch.rect == before) && watch.StillFor(100, watch.since);
    });
    if (watch.gone)
        return Closed(match);
    if (stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    if (!placed)
        return DesktopResult::Fail("the window manager did not move the window " +
                                   match.Describe() + " within " + std::to_string(kAnswerMs) +
                                   " ms");
    return DesktopResult::Ok();
}

// Minimizing asks as ICCCM says (XIconifyWindow); mapping an iconic window
// shows it again; maximizing adds or removes both _NET_WM_STATE_MAXIMIZED
// states. Only a window manager does any of it.
DesktopResult CX11Desktop::WinSetState(const WindowMatch& match, WindowState state,
                                       const std::function<bool()>& stopRequested) {
    Window window = None;
    {
        std::lock_guard lock(mutex);
        window = FindWindow(match);
        if (window == None)
            return DesktopResult::Fail(match.NotFound());
        if (!X11WindowManagerSupports(display, "_NET_WM_STATE_MAXIMIZED_VERT"))
            return DesktopResult::Fail(std::string("no window manager runs that can ") +
                                       Verb(state) + " windows");
        RequestState(window, state);
    }
    return AwaitState(match, window, state, stopRequested);
}

void CX11Desktop::RequestState(Window window, WindowState state) {
    if (state == WindowState::Minimized) {
        XIconifyWindow(display, window, DefaultScreen(display));
    } else {
        if (Iconic(display, window))
            XMapWindow(display, window);
        const bool maximize = state == WindowState::Maximized;
        if (MaximizedParts(display, window) != (maximize ? 2 : 0))
            X11SendToRoot(
                display, window, "_NET_WM_STATE",
                {maximize ? 1 : 0,
                 static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_VERT", False)),
                 static_cast<long>(XInternAtom(display, "_NET_WM_STATE_MAXIMIZED_HORZ", False)),
                 2});
    }
    XSync(display, False);
}

DesktopResult CX11Desktop::AwaitState(const WindowMatch& match, Window window, WindowState state,
                                      const std::function<bool()>& stopRequested) {
    // A manager may place the frame just after it set the state (restoring
    // an iconic maximized window): done once the frame then stays put.
    FrameWatch watch{display, window, {}};
    Clock::time_point reachedAt = Clock::time_point::max();
    const bool reached = X11PollUntil(kAnswerMs, 5, stopRequested, [&] {
        std::lock_guard lock(mutex);
        if (!watch.Update())
            return true;
        if (!InState(display, window, state)) {
            reachedAt = Clock::time_point::max();
            return false;
        }
        if (reachedAt == Clock::time_point::max())
            reachedAt = Clock::now();
        return watch.StillFor(50, reachedAt);
    });
    const bool gone = watch.gone;
    if (gone)
        return Closed(match);
    if (reached)
        return DesktopResult::Ok();
    if (stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    return DesktopResult::Fail(std::string("the window manager did not ") + Verb(state) +
                               " the window " + match.Describe() + " within " +
                               std::to_string(kAnswerMs) + " ms");
}

DesktopResult CX11Desktop::WinGetClass(const WindowMatch& match, std::string& className) {
    std::lock_guard lock(mutex);
    const Window window = FindWindow(match);
    if (window == None)
        return DesktopResult::Fail(match.NotFound());
    const X11ClassNames names = X11WindowClass(display, window);
    if (names.className.empty() && names.instance.empty() && !Exists(display, window))
        return Closed(match);
    className = names.className.empty() ? names.instance : names.className;
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::WinGetPid(const WindowMatch& match, int64_t& pid) {
    std::lock_guard lock(mutex);
    const Window window = FindWindow(match);
    if (window == None)
        return DesktopResult::Fail(match.NotFound());
    bool found = false;
    const unsigned long value = X11CardinalProperty(
        display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, found);
    // A process id from another machine names some unrelated process here.
    const std::string machine = ClientMachine(display, window);
    if (found && value > 0 && !machine.empty() && machine != LocalHostName())
        return DesktopResult::Fail("the window " + match.Describe() + " belongs to a program on '" +
                                   machine + "'");
    if (found && value > 0) {
        pid = static_cast<int64_t>(value);
        return DesktopResult::Ok();
    }
    if (!Exists(display, window))
        return Closed(match);
    return DesktopResult::Fail("the window " + match.Describe() + " does not name its process");
}

DesktopResult CX11Desktop::WinWaitActive(const WindowMatch& match, int64_t milliseconds,
                                         const std::function<bool()>& stopRequested, bool& active) {
    active = X11PollUntil(milliseconds, 10, stopRequested, [&] {
        std::lock_guard lock(mutex);
        const Window window = ActiveWindow();
        std::string title;
        return window != None && Means(match, window, title);
    });
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::WinWaitClose(const WindowMatch& match, int64_t milliseconds,
                                        const std::function<bool()>& stopRequested, bool& closed) {
    closed = X11PollUntil(milliseconds, 25, stopRequested, [&] { return !WinExists(match); });
    return DesktopResult::Ok();
}

DesktopResult CX11Desktop::MouseGetPos(int& x, int& y) {
    std::lock_guard lock(mutex);
    Window root = None, child = None;
    int windowX = 0, windowY = 0;
    unsigned state = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX,
                       &windowY, &state))
        return DesktopResult::Fail("the pointer is on another screen");
    return DesktopResult::Ok();
}

// The root window's size, asked each time: the screen may have been resized.
DesktopResult CX11Desktop::ScreenSize(int& width, int& height) {
    std::lock_guard lock(mutex);
    XWindowAttributes root{};
    if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root))
        return DesktopResult::Fail("the screen's size is unknown");
    width = root.width;
    height = root.height;
    return DesktopResult::Ok();
}

// One pixel of the root window, which shows the windows on it, in the
// colours of its colour map.
DesktopResult CX11Desktop::PixelGetColor(int x, int y, uint32_t& rgb) {
    std::lock_guard lock(mutex);
    XWindowAttributes root{};
    if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root))
        return DesktopResult::Fail("the screen cannot be read");
    if (x < 0 || y < 0 || x >= root.width || y >= root.height)
        return DesktopResult::Fail("the point " + std::to_string(x) + ", " + std::to_string(y) +
                                   " is outside the screen (" + std::to_string(root.width) + "x" +
                                   std::to_string(root.height) + ")");
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return DesktopResult::Fail("the screen cannot be read");
    XColor color{};
    color.pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    XQueryColor(display, root.colormap, &color);
    rgb = static_cast<uint32_t>((color.red >> 8) << 16 | (color.green >> 8) << 8 | color.blue >> 8);
    return DesktopResult::Ok();
}
