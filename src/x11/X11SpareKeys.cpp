// Spare keycodes for keysyms no key of the layout has. Each change of the
// keyboard map makes every client, the window manager too, fetch the map and
// grab its keys again, so the keysyms of a text go on in one change (XKB,
// any number of keycodes in one request), and at the end they are given
// back in one. A client reads a key with the map it holds when it gets to
// the key, so a keycode takes another keysym only once the application
// with the focus has answered a ping sent after the key (or, when it takes
// no pings, a grace period after the key's release has passed), and keys
// with the new keysyms follow only once it answered a ping sent after the
// change.
#include "x11/X11Desktop.h"

#include "triggers/TypeKeysParser.h"
#include "x11/X11Keys.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <poll.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long an application that takes pings may take to answer one before
// playback goes on without it (it is hung, or not reading at all).
constexpr milliseconds kPingPatience{2000};
// For an application that takes no pings: how long after the release of a
// lent key it is given to read it.
constexpr milliseconds kGraceWithoutPing{150};

bool TakesPings(Display* display, Window window, Atom ping) {
    Atom* protocols = nullptr;
    int count = 0;
    bool takes = false;
    if (XGetWMProtocols(display, window, &protocols, &count)) {
        takes = std::find(protocols, protocols + count, ping) != protocols + count;
        XFree(protocols);
    }
    return takes;
}

// The focused window or the nearest ancestor that takes _NET_WM_PING; 0
// when none does.
Window PingableFocus(Display* display, Atom ping) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    const Window root = DefaultRootWindow(display);
    for (Window window = focus; window > PointerRoot && window != root;) {
        if (TakesPings(display, window, ping))
            return window;
        Window parent = 0, rootReturn = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        window = parent;
    }
    return 0;
}

} // namespace

std::vector<CSpareKeys::Need> CX11Desktop::UpcomingNeeds(unsigned long keysym, bool plain) const {
    std::vector<CSpareKeys::Need> needs{{keysym, plain}};
    if (!planActions)
        return needs;
    size_t distinct = 1;
    for (size_t at = planAt + 1; at < planActions->size() && distinct < spare.Capacity(); ++at) {
        const KeyAction& action = (*planActions)[at];
        if (action.type == KeyAction::Type::Release)
            continue;
        const unsigned long next =
            action.code ? KeysymForCode(action.code) : KeysymForCharacter(action.character);
        if (next == NoSymbol || strokes.count(next))
            continue;
        if (std::none_of(needs.begin(), needs.end(),
                         [&](const CSpareKeys::Need& need) { return need.keysym == next; }))
            ++distinct;
        needs.push_back({next, action.code != 0});
    }
    return needs;
}

bool CX11Desktop::Lend(unsigned long keysym, bool plain) {
    const std::vector<CSpareKeys::Need> needs = UpcomingNeeds(keysym, plain);
    CSpareKeys::Change change = spare.Place(needs);
    if (change.mustSettle) {
        Settle();
        change = spare.Place(needs);
    }
    if (!change.keycodes.empty()) {
        WriteSpareKeycodes(change.keycodes);
        // Some applications (Chromium) fetch the new map asynchronously and
        // drop a key that comes before it: they answer the ping after asking.
        PingFocusedClient();
    }
    return change.placed;
}

void CX11Desktop::WriteSpareKeycodes(const std::vector<unsigned>& keycodes) {
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb)
        return;
    XkbMapChangesRec changes{};
    unsigned first = 255, last = 0;
    for (unsigned keycode : keycodes) {
        if (keycode < xkb->min_key_code || keycode > xkb->max_key_code)
            continue;
        const auto keysyms = spare.On(keycode);
        const int width = keysyms[1] ? 2 : keysyms[0] ? 1 : 0;
        int types[XkbNumKbdGroups] = {width == 2 ? XkbTwoLevelIndex : XkbOneLevelIndex};
        if (XkbChangeTypesOfKey(xkb, static_cast<int>(keycode), width ? 1 : 0, XkbGroup1Mask, types,
                                &changes) != Success)
            continue;
        if (width) {
            KeySym* syms = XkbResizeKeySyms(xkb, static_cast<int>(keycode), width);
            if (!syms)
                continue;
            std::copy_n(keysyms.begin(), width, syms);
        }
        first = std::min(first, keycode);
        last = std::max(last, keycode);
    }
    if (first <= last) {
        // One request for all of them: the keys between are sent back as
        // they were just read.
        changes.changed |= XkbKeySymsMask;
        changes.first_key_sym = static_cast<KeyCode>(first);
        changes.num_key_syms = static_cast<unsigned char>(last - first + 1);
        XkbChangeMap(display, xkb, &changes);
    }
    XkbFreeKeyboard(xkb, 0, True);
    XSync(display, False);
}

void CX11Desktop::Settle() {
    if (!spare.Unsettled())
        return;
    XSync(display, False);
    const bool pinged = PingFocusedClient();
    if (!pinged)
        std::this_thread::sleep_until(lastSpareUse + kGraceWithoutPing);
    spare.Settled();
    // A lent key still held keeps its keysym until it is released.
    for (unsigned keycode : keysDown)
        for (int level = 0; level < 2; ++level)
            spare.Typed({keycode, level});
}

bool CX11Desktop::PingFocusedClient() {
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const Window window = PingableFocus(display, ping);
    if (!window)
        return false;
    if (!pingDisplay)
        pingDisplay = XOpenDisplay(DisplayString(display));
    if (!pingDisplay)
        return false;
    // The answer goes to the root window; hear it only while waiting.
    const Window root = DefaultRootWindow(pingDisplay);
    XSelectInput(pingDisplay, root, SubstructureNotifyMask);
    XSync(pingDisplay, False);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    const Atom protocols = XInternAtom(pingDisplay, "WM_PROTOCOLS", False);
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = ++pingSerial;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(pingDisplay, window, False, NoEventMask, &event);
    XFlush(pingDisplay);
    bool answered = false;
    const auto deadline = Clock::now() + kPingPatience;
    while (!answered) {
        while (!answered && XPending(pingDisplay)) {
            XNextEvent(pingDisplay, &event);
            answered = event.type == ClientMessage && event.xclient.message_type == protocols &&
                       event.xclient.format == 32 &&
                       static_cast<Atom>(event.xclient.data.l[0]) == ping &&
                       event.xclient.data.l[1] == pingSerial;
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
        if (answered || left <= 0)
            break;
        pollfd fd{ConnectionNumber(pingDisplay), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
    XSelectInput(pingDisplay, root, NoEventMask);
    XSync(pingDisplay, True);
    return answered;
}

void CX11Desktop::GiveBackSpareKeycodes() {
    if (spare.Lent().empty())
        return;
    Settle();
    // Only what still holds our keysyms: the layout may have been replaced
    // since, and its keys are not ours to empty.
    LoadKeyboardMap();
    const std::vector<unsigned> lent = spare.Lent();
    spare.Clear();
    WriteSpareKeycodes(lent);
}
