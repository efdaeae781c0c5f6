#include "x11/X11KeyHook.h"

#include "engine/Utf8.h"
#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "triggers/NullKeyHook.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"
#include "x11/X11RecordSession.h"
#include "x11/X11WindowQuery.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <array>
#include <mutex>
#include <utility>

// One started hook: the RECORD session and what its thread reports to.
struct CX11KeyHook::Session : CX11RecordSession::IClient {
    Session(const ReportFn& reportFn, const std::atomic<intptr_t>& receiver,
            const std::atomic<int>& type)
        : report(reportFn), handle(receiver), hookType(type) {}
    ~Session() override { recording.Close(); } // stops the thread before the members go

    // On the hook thread: one key or button event recorded by the server.
    void Recorded(const XRecordInterceptData& intercepted) override {
        if (intercepted.data_len < 1)
            return;
        const unsigned char type = intercepted.data[0] & 0x7F;
        if (type == KeyPress || type == KeyRelease)
            Deliver(type == KeyPress, intercepted.data[1]);
        else if (type == ButtonPress)
            Report(CKeyHook::kTypingBreak, 0); // a click may move the caret
    }
    void FollowKeyboard() override { recording.TakeKeyboardNotices(); }

    // Layout changes the server announced before the key are taken in
    // first, so the first press after a change is read with the new layout.
    void Deliver(bool down, unsigned keycode) {
        FollowKeyboard();
        keycode &= 0xFF;
        held[keycode] = down;
        Report(
            down ? CKeyHook::kKeyDown : CKeyHook::kKeyUp,
            CodeForKeycode(recording.Keyboard(), keycode, recording.Group(), recording.NumLock()));
        if (down)
            ReportTyped(keycode);
    }

    void Report(int identifier, int code) {
        const intptr_t receiver = handle.load();
        if (receiver && hookType.load() == 1 && report)
            report(receiver, identifier, code);
    }

    // What a key press types, for abbreviations: the character under the
    // active layout and the modifiers held, Backspace, or a break (a
    // shortcut, a key that moves the caret). Modifier keys and dead keys
    // report nothing.
    void ReportTyped(unsigned keycode) {
        XkbDescPtr xkb = recording.Keyboard();
        if (!xkb || !xkb->map || !xkb->map->modmap)
            return;
        unsigned mods = 0;
        for (unsigned key = xkb->min_key_code; key <= xkb->max_key_code && key < held.size(); ++key)
            if (held[key] && key != keycode)
                mods |= xkb->map->modmap[key];
        const unsigned state = XkbBuildCoreState(mods | recording.LockedMods(), recording.Group());
        unsigned consumed = 0;
        KeySym sym = NoSymbol;
        if (!XkbTranslateKeyCode(xkb, static_cast<KeyCode>(keycode), state, &consumed, &sym) ||
            sym == NoSymbol || IsModifierKey(sym))
            return;
        if (mods & (ControlMask | Mod1Mask | Mod4Mask)) {
            Report(CKeyHook::kTypingBreak, 0);
            return;
        }
        if (sym == XK_BackSpace) {
            Report(CKeyHook::kTyped, 8);
            return;
        }
        if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_Tab) {
            Report(CKeyHook::kTyped, sym == XK_Tab ? '\t' : '\n');
            return;
        }
        const std::string text = KeysymText(sym);
        const size_t length = text.empty() ? 0 : Utf8SequenceLength(text, 0);
        const char32_t character = length ? Utf8CodeAt(text, 0, length) : 0;
        if (character >= 0x20 && character != 0x7F)
            Report(CKeyHook::kTyped, static_cast<int>(character));
        else if (!IsDeadKey(sym))
            Report(CKeyHook::kTypingBreak, 0); // arrows, Home, Escape, Delete...
    }

    static bool IsDeadKey(KeySym sym) { return sym >= XK_dead_grave && sym <= 0xFE8F; }
    std::array<bool, 256> held{};

    const ReportFn& report;
    const std::atomic<intptr_t>& handle;
    const std::atomic<int>& hookType;
    CX11RecordSession recording;
};

namespace {

// How a failed start reads.
constexpr CX11RecordSession::Wording kWording{
    "Trigger keys are unavailable: ", "the key recording could not be set up",
    "the X server did not start recording keys"};

} // namespace

CX11KeyHook::CX11KeyHook(ReportFn reportFn, std::string name)
    : report(std::move(reportFn)), displayName(std::move(name)) {}

CX11KeyHook::~CX11KeyHook() {
    ReleaseKeybHook();
}

std::string CX11KeyHook::Probe(const std::string& name) {
    return CX11RecordSession::Probe(name, kWording);
}

void CX11KeyHook::InitKeybHook(intptr_t) {
    ReleaseKeybHook();
    auto started = std::make_unique<Session>(report, handle, hookType);
    std::string cause;
    auto outcome = started->recording.Open(displayName, cause);
    if (outcome == CX11RecordSession::Outcome::Ok)
        outcome = started->recording.Start(KeyPress, ButtonPress, *started);
    if (outcome != CX11RecordSession::Outcome::Ok) {
        lastError = CX11RecordSession::Describe(outcome, cause, kWording);
        return; // `started` stops the thread and closes the connections
    }
    lastError.clear();
    session = std::move(started);
}

void CX11KeyHook::ReleaseKeybHook() {
    session.reset();
}

namespace {
// One connection for the user-interface thread's questions (the trigger
// box's key codes, the active window), opened at the first; null without a
// display. Hold `QueryLock()` while using it.
std::mutex& QueryLock() {
    static std::mutex guard;
    return guard;
}
Display* QueryDisplay(const std::string& name) {
    static Display* display = nullptr;
    static std::string openedName;
    std::string cause;
    if (display && openedName != name) {
        XCloseDisplay(display);
        display = nullptr;
    }
    if (!display) {
        display = OpenX11Display(name, cause);
        openedName = name;
    }
    return display;
}
} // namespace

int HookCodeForKeycode(unsigned keycode, const std::string& name) {
    std::lock_guard lock(QueryLock());
    Display* display = QueryDisplay(name);
    if (!display)
        return 0;
    XkbDescPtr keyboard = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    const unsigned numLockMask = XkbKeysymToModifiers(display, XK_Num_Lock);
    const bool numLock = numLockMask && (state.locked_mods & numLockMask) == numLockMask;
    const int code = CodeForKeycode(keyboard, keycode, state.group, numLock);
    if (keyboard)
        XkbFreeKeyboard(keyboard, 0, True);
    return code;
}

std::optional<ActiveWindow> ActiveWindowNow(const std::string& name) {
    std::lock_guard lock(QueryLock());
    Display* display = QueryDisplay(name);
    if (!display)
        return std::nullopt;
    const Window window = X11ActiveWindow(display);
    if (window == None)
        return std::nullopt;
    ActiveWindow active;
    active.title = X11WindowTitle(display, window);
    const X11ClassNames names = X11WindowClass(display, window);
    active.instanceName = names.instance;
    active.className = names.className;
    return active;
}

std::unique_ptr<IKeyHook> MakeKeyHook(CX11KeyHook::ReportFn report, std::string* why) {
    std::string problem = CX11KeyHook::Probe();
    if (why)
        *why = problem;
    if (!problem.empty())
        return std::make_unique<CNullKeyHook>();
    return std::make_unique<CX11KeyHook>(std::move(report));
}
