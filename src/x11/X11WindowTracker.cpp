#include "x11/X11WindowTracker.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdint>

namespace {

// `a` is at or before `b` on the server's clock, which wraps around.
bool AtOrBefore(Time a, Time b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)) <= 0;
}

Bool IsPropertyNotify(Display*, XEvent* event, XPointer) {
    return event->type == PropertyNotify;
}

} // namespace

CX11WindowTracker::CX11WindowTracker(Display* control)
    : display(control), root(DefaultRootWindow(control)),
      activeAtom(XInternAtom(control, "_NET_ACTIVE_WINDOW", False)),
      clientListAtom(XInternAtom(control, "_NET_CLIENT_LIST", False)),
      netNameAtom(XInternAtom(control, "_NET_WM_NAME", False)),
      activeFollowed(X11WindowManagerSupports(control, "_NET_ACTIVE_WINDOW")) {
    XSelectInput(display, root, PropertyChangeMask);
    FollowClientList();
    // Without a window manager's list: the titled windows there are now.
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i)
            if (!X11WindowTitle(display, children[i]).empty())
                Follow(children[i]);
        if (children)
            XFree(children);
    }
    if (activeFollowed)
        active = X11ActiveWindow(display);
    XSync(display, False);
}

void CX11WindowTracker::Take(const XEvent& event) {
    if (event.type != PropertyNotify)
        return;
    pending.push_back({event.xproperty.window, event.xproperty.atom, event.xproperty.time});
    // A title that counts the seconds while nothing is recorded: what is
    // older than this change has happened, whatever comes next.
    constexpr size_t kMostPending = 4096;
    if (pending.size() > kMostPending && !settling)
        Settle(event.xproperty.time);
}

void CX11WindowTracker::Collect() {
    XEvent event;
    while (XCheckIfEvent(display, &event, IsPropertyNotify, nullptr))
        Take(event);
}

CX11WindowTracker::Known& CX11WindowTracker::Follow(Window window) {
    auto [it, added] = windows.try_emplace(window);
    if (added) {
        XSelectInput(display, window, PropertyChangeMask);
        it->second.title = X11WindowTitle(display, window);
        it->second.names = X11WindowClass(display, window);
    }
    return it->second;
}

// New windows are followed from the moment the window manager lists them,
// which is before anyone can type into them.
void CX11WindowTracker::FollowClientList() {
    for (unsigned long window : X11ListProperty(display, root, "_NET_CLIENT_LIST", XA_WINDOW))
        Follow(window);
}

void CX11WindowTracker::Settle(Time time) {
    settling = true;
    Collect();
    auto due = [&](const Change& change) {
        return change.window == root && change.property == activeAtom
                   ? AtOrBefore(change.time, time)
                   : AtOrBefore(change.time, time - 1);
    };
    // A change of the same property after `time` means that what is there
    // now is not what was there then.
    auto changedSince = [&](const Change& change, size_t from) {
        return std::any_of(pending.begin() + static_cast<std::ptrdiff_t>(from), pending.end(),
                           [&](const Change& other) {
                               return other.window == change.window &&
                                      other.property == change.property && !due(other);
                           });
    };
    std::vector<Change> later;
    for (size_t i = 0; i < pending.size(); ++i) {
        const Change change = pending[i];
        if (change.window == root && change.property == clientListAtom) {
            FollowClientList(); // whenever it was: a new window is new now
            continue;
        }
        if (!due(change)) {
            later.push_back(change);
            continue;
        }
        if (changedSince(change, i + 1))
            continue; // the last value read stands
        if (change.window == root && change.property == activeAtom && activeFollowed) {
            bool found = false;
            const Window now = X11CardinalProperty(display, root, activeAtom, XA_WINDOW, found);
            // Changes that arrived with the answer tell whether it is too new.
            const size_t before = pending.size();
            Collect();
            if (!changedSince(change, before))
                active = found ? now : None;
        } else if (change.property == netNameAtom || change.property == XA_WM_NAME) {
            auto it = windows.find(change.window);
            if (it == windows.end())
                continue;
            std::string title = X11WindowTitle(display, change.window);
            const size_t before = pending.size();
            Collect();
            if (!changedSince(change, before))
                it->second.title = std::move(title);
        }
    }
    pending = std::move(later);
    settling = false;
}

Window CX11WindowTracker::ActiveAt(Time time) {
    Settle(time);
    return activeFollowed ? active : X11ActiveWindow(display);
}

std::string CX11WindowTracker::TitleAt(Window window, Time time) {
    if (window == None)
        return {};
    Settle(time);
    return Follow(window).title;
}

X11ClassNames CX11WindowTracker::ClassOf(Window window) {
    return window == None ? X11ClassNames{} : Follow(window).names;
}
