#include "x11/X11RecordSource.h"

#include "triggers/KeyNames.h"
#include "x11/X11Compose.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"
#include "x11/X11RecordSession.h"
#include "x11/X11WindowQuery.h"
#include "x11/X11WindowTracker.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

// How a failed start reads.
constexpr CX11RecordSession::Wording kWording{
    "Recording is unavailable: ", "the input recording could not be set up",
    "the X server did not start recording"};

} // namespace

struct CX11RecordSource::Session : CX11RecordSession::IClient {
    ~Session() override { recording.Close(); } // stops the thread before the members go

    void Recorded(const XRecordInterceptData& intercepted) override {
        if (intercepted.data_len * 4 >= sizeof(xEvent))
            Deliver(*reinterpret_cast<const xEvent*>(intercepted.data));
    }
    // The stop grab is renewed when the layout changes: the stop key may sit
    // on another key.
    void FollowKeyboard() override {
        if (recording.TakeKeyboardNotices())
            GrabStopCombination();
    }
    void ControlEvent(const XEvent& event) override {
        if (windows)
            windows->Take(event);
    }
    void Deliver(const xEvent& event);
    void GrabStopCombination();

    // What a key pressed with core state `state` gives the application: its
    // character, or the one a dead-key sequence it ends composes. The state
    // is the event's own (modifiers, and the group in bits 13-14), so a
    // client that switches the group around each key it sends is read
    // right. With Ctrl, Alt or Super held it is a shortcut, which input
    // methods leave alone.
    void KeyText(unsigned keycode, unsigned state, RecordedEvent& event) {
        const unsigned mods = state & 0xFF;
        unsigned consumed = 0;
        KeySym keysym = NoSymbol;
        const XkbDescPtr keyboard = recording.Keyboard();
        if (!keyboard || !XkbTranslateKeyCode(keyboard, keycode,
                                              XkbBuildCoreState(mods, XkbGroupForCoreState(state)),
                                              &consumed, &keysym))
            keysym = NoSymbol;
        std::string text = KeysymText(keysym);
        if (mods & (ControlMask | Mod1Mask | Mod4Mask)) {
            composer.Reset();
            event.text = std::move(text);
            return;
        }
        CKeyComposer::Result composed = composer.Feed(static_cast<uint32_t>(keysym), text);
        event.text = std::move(composed.text);
        event.composing = composed.swallowed;
    }

    bool NumLockIn(unsigned state) const {
        const unsigned mask = recording.NumLockMask();
        return mask && (state & mask) == mask;
    }

    // Reports `window` (None: no window is active) with the title it had at
    // server time `serverTime` when it differs from the last one reported.
    void ReportWindow(Window window, int64_t timeMs, Time serverTime);
    // A button press: its window (the one under the pointer, or, over a
    // menu or nothing, the active one) is reported, and where its contents
    // begin is put into `event`.
    void PressWindow(RecordedEvent& event, Time serverTime);
    bool OwnWindow(Window window);

    int64_t Milliseconds(Time serverTime) {
        if (!timeStarted) {
            timeStarted = true;
            lastServerTime = serverTime;
        }
        clockMs += static_cast<uint32_t>(serverTime - lastServerTime);
        lastServerTime = serverTime;
        return clockMs;
    }

    EventFn report;
    CX11RecordSession recording;
    std::unique_ptr<CX11WindowTracker> windows; // once the connection is open
    CKeyComposer composer;
    int stopModifier = 0; // virtual-key codes; stopKey 0: none
    int stopKey = 0;
    std::string stopCharacter;                     // empty: the key is stopKey
    std::vector<unsigned> stopKeycodes;            // the stop key on the layout in use
    std::vector<std::pair<int, unsigned>> grabbed; // keycode, modifiers; sorted
    Window reportedWindow = None;
    std::string reportedTitle;
    bool reportedOwn = false;
    bool timeStarted = false;
    uint32_t lastServerTime = 0;
    int64_t clockMs = 0;
};

// True when `window`, or a window inside it (a window manager's frame holds
// the client), belongs to this process.
bool CX11RecordSource::Session::OwnWindow(Window window) {
    Display* const control = recording.Control();
    const Atom pidAtom = XInternAtom(control, "_NET_WM_PID", False);
    const auto ours = static_cast<unsigned long>(getpid());
    unsigned long pid = 0;
    const Window owner = X11FirstWindowWithin(control, window, 3, [&](Window candidate) {
        bool found = false;
        pid = X11CardinalProperty(control, candidate, pidAtom, XA_CARDINAL, found);
        return found;
    });
    return owner != None && pid == ours;
}

void CX11RecordSource::Session::ReportWindow(Window window, int64_t timeMs, Time serverTime) {
    std::string title = windows->TitleAt(window, serverTime);
    if (window == reportedWindow && title == reportedTitle)
        return;
    if (window != reportedWindow)
        composer.Reset(); // a sequence belongs to the window it was typed in
    reportedWindow = window;
    reportedTitle = title;
    reportedOwn = false;
    RecordedEvent event;
    event.kind = RecordedEvent::Kind::WindowChange;
    event.timeMs = timeMs;
    event.title = std::move(title);
    event.window = window;
    if (window != None) {
        event.wmClass = windows->ClassOf(window).className;
        event.ownWindow = reportedOwn = OwnWindow(window);
    }
    report(event);
}

void CX11RecordSource::Session::PressWindow(RecordedEvent& event, Time serverTime) {
    Display* const control = recording.Control();
    Window window = X11ClientWindowAt(control, event.x, event.y);
    if (window == None)
        window = windows->ActiveAt(serverTime);
    ReportWindow(window, event.timeMs, serverTime);
    event.inWindow =
        window != None && X11WindowOrigin(control, window, event.originX, event.originY);
}

void CX11RecordSource::Session::Deliver(const xEvent& recorded) {
    FollowKeyboard();
    const int type = recorded.u.u.type & 0x7F;
    const unsigned detail = recorded.u.u.detail;
    const unsigned state = recorded.u.keyButtonPointer.state;
    const Time serverTime = recorded.u.keyButtonPointer.time;
    RecordedEvent event;
    event.timeMs = Milliseconds(serverTime);
    event.x = recorded.u.keyButtonPointer.rootX;
    event.y = recorded.u.keyButtonPointer.rootY;
    switch (type) {
    case KeyPress:
        ReportWindow(windows->ActiveAt(serverTime), event.timeMs, serverTime);
        event.kind = RecordedEvent::Kind::KeyDown;
        event.keyCode = CodeForKeycode(recording.Keyboard(), detail, XkbGroupForCoreState(state),
                                       NumLockIn(state));
        KeyText(detail, state, event); // the state before this key
        event.stop =
            std::find(stopKeycodes.begin(), stopKeycodes.end(), detail) != stopKeycodes.end()
                ? RecordedEvent::Stop::Yes
                : RecordedEvent::Stop::No;
        event.ownWindow = reportedOwn;
        break;
    case KeyRelease:
        event.kind = RecordedEvent::Kind::KeyUp;
        event.keyCode = CodeForKeycode(recording.Keyboard(), detail, XkbGroupForCoreState(state),
                                       NumLockIn(state));
        break;
    case ButtonPress:
    case ButtonRelease: {
        if (type == ButtonPress)
            PressWindow(event, serverTime);
        event.kind =
            type == ButtonPress ? RecordedEvent::Kind::ButtonDown : RecordedEvent::Kind::ButtonUp;
        event.button = static_cast<int>(detail);
        // The top-level window under the pointer, which a click may be about
        // to activate. Recorded device events often carry no child window:
        // it is then looked up at the event's position.
        Window child = recorded.u.keyButtonPointer.child;
        if (child == None) {
            Display* const control = recording.Control();
            const Window root = DefaultRootWindow(control);
            int x = 0, y = 0;
            XTranslateCoordinates(control, root, root, event.x, event.y, &x, &y, &child);
        }
        event.ownWindow = child != None && OwnWindow(child);
        break;
    }
    case MotionNotify:
        event.kind = RecordedEvent::Kind::Motion;
        break;
    default:
        return;
    }
    report(event);
}

// Grabs every key that is the stop key on the layout in use, with the stop
// modifier and any of the lock modifiers, on the control connection: the
// server then gives the combination to us instead of the focused window.
// RECORD still reports it. Grabs of keys that no longer are the stop key are
// let go, so that a layout change neither leaks the combination to the
// application nor keeps the key now there from it. A grab another client
// holds is left alone.
void CX11RecordSource::Session::GrabStopCombination() {
    static const std::pair<int, unsigned> kModifierMasks[] = {
        {vk::Ctrl, ControlMask}, {vk::Shift, ShiftMask}, {vk::Alt, Mod1Mask}};
    unsigned modifier = 0;
    for (const auto& [code, mask] : kModifierMasks)
        if (code == stopModifier)
            modifier = mask;
    const XkbDescPtr keyboard = recording.Keyboard();
    stopKeycodes.clear();
    if (!stopCharacter.empty()) {
        stopKeycodes = KeycodesTyping(keyboard, recording.Group(), stopCharacter);
    } else if (stopKey && keyboard) {
        for (unsigned keycode = keyboard->min_key_code; keycode <= keyboard->max_key_code;
             ++keycode)
            if (CodeForKeycode(keyboard, keycode, recording.Group(), recording.NumLock()) ==
                stopKey)
                stopKeycodes.push_back(keycode);
    }
    std::vector<std::pair<int, unsigned>> wanted;
    if (modifier) {
        const unsigned numLockMask = recording.NumLockMask();
        const unsigned locks[] = {0, LockMask, numLockMask, LockMask | numLockMask};
        for (unsigned keycode : stopKeycodes)
            for (unsigned lock : locks)
                wanted.emplace_back(static_cast<int>(keycode), modifier | lock);
    }
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    if (wanted == grabbed)
        return;
    Display* const control = recording.Control();
    const Window root = DefaultRootWindow(control);
    for (const auto& grab : grabbed)
        if (!std::binary_search(wanted.begin(), wanted.end(), grab))
            XUngrabKey(control, grab.first, grab.second, root);
    for (const auto& grab : wanted)
        if (!std::binary_search(grabbed.begin(), grabbed.end(), grab))
            XGrabKey(control, grab.first, grab.second, root, False, GrabModeAsync, GrabModeAsync);
    grabbed = std::move(wanted);
    XSync(control, False);
}

CX11RecordSource::CX11RecordSource(std::string name) : displayName(std::move(name)) {}

CX11RecordSource::~CX11RecordSource() {
    Stop();
}

std::string CX11RecordSource::Probe(const std::string& name) {
    return CX11RecordSession::Probe(name, kWording);
}

std::string CX11RecordSource::Start(EventFn onEvent) {
    Stop();
    auto started = std::make_unique<Session>();
    started->report = std::move(onEvent);
    std::string cause;
    auto outcome = started->recording.Open(displayName, cause);
    if (outcome == CX11RecordSession::Outcome::Ok) {
        started->stopModifier = stopModifier;
        started->stopKey = stopKey;
        started->stopCharacter = stopCharacter;
        started->GrabStopCombination();
        started->windows = std::make_unique<CX11WindowTracker>(started->recording.Control());
        outcome = started->recording.Start(KeyPress, MotionNotify, *started);
    }
    if (outcome != CX11RecordSession::Outcome::Ok)
        return CX11RecordSession::Describe(outcome, cause, kWording);
    session = std::move(started);
    return {};
}

void CX11RecordSource::Stop() {
    session.reset(); // closing the control connection releases the grabs
}

void CX11RecordSource::SetStopCombination(int modifierCode, int keyCode,
                                          const std::string& character) {
    stopModifier = modifierCode;
    stopKey = keyCode & 0xFF;
    stopCharacter = character;
}

bool CX11RecordSource::LayoutTypes(const std::string& character) {
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (!display)
        return true; // the start says why it cannot record
    bool types = true;
    if (XkbDescPtr keyboard = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd)) {
        XkbStateRec state{};
        const int group = XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
        types = !KeycodesTyping(keyboard, group, character).empty();
        XkbFreeKeyboard(keyboard, 0, True);
    }
    XCloseDisplay(display);
    return types;
}
