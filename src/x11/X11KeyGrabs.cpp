#include "x11/X11KeyGrabs.h"

#include "triggers/KeyNames.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

namespace {

// The modifier bits that hold `keysym`, read from the modifier map; 0 when
// no modifier does.
unsigned ModifierMask(Display* display, KeySym keysym) {
    const KeyCode keycode = XKeysymToKeycode(display, keysym);
    XModifierKeymap* map = XGetModifierMapping(display);
    unsigned mask = 0;
    if (!map)
        return 0;
    for (int modifier = 0; modifier < 8 && keycode; ++modifier)
        for (int i = 0; i < map->max_keypermod; ++i)
            if (map->modifiermap[modifier * map->max_keypermod + i] == keycode)
                mask |= 1u << modifier;
    XFreeModifiermap(map);
    return mask;
}

struct Masks {
    unsigned shift = ShiftMask, ctrl = ControlMask, alt = Mod1Mask, win = Mod4Mask;
    std::vector<unsigned> lockVariants; // every combination of the lock bits

    unsigned Of(int modifiers) const {
        return (modifiers & TakenKey::Shift ? shift : 0) | (modifiers & TakenKey::Ctrl ? ctrl : 0) |
               (modifiers & TakenKey::Alt ? alt : 0) | (modifiers & TakenKey::Win ? win : 0);
    }
};

Masks ReadMasks(Display* display) {
    Masks masks;
    if (const unsigned alt = ModifierMask(display, XK_Alt_L))
        masks.alt = alt;
    if (const unsigned win = ModifierMask(display, XK_Super_L))
        masks.win = win;
    const unsigned locks[] = {LockMask, ModifierMask(display, XK_Num_Lock),
                              ModifierMask(display, XK_Scroll_Lock)};
    masks.lockVariants = {0};
    for (const unsigned lock : locks) {
        if (!lock || std::any_of(masks.lockVariants.begin(), masks.lockVariants.end(),
                                 [&](unsigned v) { return (v & lock) == lock; }))
            continue;
        const size_t count = masks.lockVariants.size();
        for (size_t i = 0; i < count; ++i)
            masks.lockVariants.push_back(masks.lockVariants[i] | lock);
    }
    return masks;
}

} // namespace

CX11KeyGrabs::CX11KeyGrabs(std::string name) : displayName(std::move(name)) {}

CX11KeyGrabs::~CX11KeyGrabs() {
    if (thread.joinable()) {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        [[maybe_unused]] const ssize_t written = write(wake[1], "x", 1);
        thread.join();
    }
    if (display)
        XCloseDisplay(display); // the server drops the grabs with the connection
    for (int fd : wake)
        if (fd >= 0)
            close(fd);
}

bool CX11KeyGrabs::Start() {
    std::string cause;
    display = OpenX11Display(displayName, cause);
    if (!display) {
        lastError = "Trigger keys cannot be taken: " + cause + ".";
        return false;
    }
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(display, &opcode, &xkbEventBase, &error, &major, &minor)) {
        XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                        XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
        XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify,
                              XkbGroupStateMask | XkbModifierLockMask,
                              XkbGroupStateMask | XkbModifierLockMask);
    }
    if (pipe2(wake, O_CLOEXEC) != 0) {
        lastError = "Trigger keys cannot be taken: no pipe.";
        XCloseDisplay(display);
        display = nullptr;
        return false;
    }
    thread = std::thread([this] { Run(); });
    return true;
}

std::vector<TakenKey> CX11KeyGrabs::Take(const std::vector<TakenKey>& keys) {
    if (!display && (keys.empty() || !Start()))
        return {};
    std::unique_lock lock(mutex);
    request = keys;
    const uint64_t ticket = ++asked;
    [[maybe_unused]] const ssize_t written = write(wake[1], "x", 1);
    answered.wait(lock, [&] { return done >= ticket || ended; });
    return done >= ticket ? refused : std::vector<TakenKey>{};
}

void CX11KeyGrabs::Run() {
    RunLoop();
    std::lock_guard lock(mutex);
    ended = true; // a lost connection: nobody may wait for an answer
    answered.notify_all();
}

void CX11KeyGrabs::RunLoop() {
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {wake[0], POLLIN, 0}};
    for (;;) {
        const bool again = Drain();
        std::vector<TakenKey> wanted;
        uint64_t ticket = 0;
        {
            std::lock_guard lock(mutex);
            if (stopping)
                return;
            if (asked != done) {
                wanted = request;
                ticket = asked;
            }
        }
        if (ticket) {
            std::vector<TakenKey> held = Apply(wanted);
            std::lock_guard lock(mutex);
            refused = std::move(held);
            done = ticket;
            answered.notify_all();
        } else if (again) {
            Apply(current);
        }
        if (XPending(display))
            continue;
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents) {
            char drained[16];
            [[maybe_unused]] const ssize_t got = read(wake[0], drained, sizeof drained);
        }
        if (fds[0].revents & (POLLERR | POLLHUP))
            return;
    }
}

bool CX11KeyGrabs::Drain() {
    bool again = false;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event); // grabbed keys: the hook reports them
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            again = true;
        } else if (event.type == xkbEventBase) {
            const auto& any = reinterpret_cast<const XkbAnyEvent&>(event);
            if (any.xkb_type != XkbStateNotify) {
                again = true;
            } else {
                const auto& state = reinterpret_cast<const XkbStateNotifyEvent&>(event);
                const unsigned numLockMask = ModifierMask(display, XK_Num_Lock);
                again = again || state.group != group ||
                        ((numLockMask & static_cast<unsigned>(state.locked_mods)) != 0) != numLock;
            }
        }
    }
    return again && !current.empty();
}

// Grabs only what is new and lets go only of what is no longer wanted, so a
// key that stays taken is never free for a moment (a NumLock press regrabs).
namespace {
// Said where it happens: which combination could not be taken, and the
// server's reason. (BadAccess, another client's grab, is reported to the
// user as a combination held elsewhere.)
void ReportFailedGrab(Display* display, const TakenKey& key, int code) {
    std::string name;
    if (key.modifiers & TakenKey::Ctrl)
        name += "Ctrl+";
    if (key.modifiers & TakenKey::Alt)
        name += "Alt+";
    if (key.modifiers & TakenKey::Shift)
        name += "Shift+";
    if (key.modifiers & TakenKey::Win)
        name += "Win+";
    name += KeyName(key.code, true);
    char why[160] = "";
    XGetErrorText(display, code, why, sizeof why);
    std::fprintf(stderr, "Wingmate: could not take the key %s: %s\n", name.c_str(), why);
}
} // namespace

std::vector<TakenKey> CX11KeyGrabs::Apply(const std::vector<TakenKey>& wanted) {
    const Window root = DefaultRootWindow(display);
    current = wanted;
    std::set<std::pair<unsigned, unsigned>> next;
    std::vector<TakenKey> held;
    const Masks masks = ReadMasks(display);
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    group = state.group;
    const unsigned numLockMask = ModifierMask(display, XK_Num_Lock);
    numLock = numLockMask && (state.locked_mods & numLockMask) == numLockMask;
    XkbDescPtr keyboard =
        wanted.empty() ? nullptr : XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    int minKeycode = 8, maxKeycode = 255;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    CX11ErrorTrap trap(display);
    for (const TakenKey& key : wanted) {
        trap.Clear();
        bool requested = false;
        for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
            if (CodeForKeycode(keyboard, static_cast<unsigned>(keycode), group, numLock) !=
                key.code)
                continue;
            for (const unsigned lock : masks.lockVariants) {
                const std::pair<unsigned, unsigned> grab{static_cast<unsigned>(keycode),
                                                         masks.Of(key.modifiers) | lock};
                next.insert(grab);
                if (grabbed.count(grab))
                    continue;
                XGrabKey(display, keycode, grab.second, root, False, GrabModeAsync, GrabModeAsync);
                requested = true;
            }
        }
        if (requested)
            XSync(display, False); // one answer per combination: is it held elsewhere?
        const bool heldBefore =
            std::find(heldElsewhere.begin(), heldElsewhere.end(), key) != heldElsewhere.end();
        if (requested ? trap.Code() == BadAccess : heldBefore)
            held.push_back(key);
        else if (requested && trap.Code() != 0)
            ReportFailedGrab(display, key, trap.Code());
    }
    for (const auto& [keycode, modifiers] : grabbed)
        if (!next.count({keycode, modifiers}))
            XUngrabKey(display, static_cast<int>(keycode), modifiers, root);
    XSync(display, False);
    grabbed = std::move(next);
    heldElsewhere = held;
    if (keyboard)
        XkbFreeKeyboard(keyboard, 0, True);
    return held;
}
