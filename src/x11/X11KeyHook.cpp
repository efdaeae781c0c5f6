#include "x11/X11KeyHook.h"

#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "triggers/NullKeyHook.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"
#include "x11/X11RecordSession.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <mutex>
#include <utility>

// One started hook: the RECORD session and what its thread reports to.
struct CX11KeyHook::Session : CX11RecordSession::IClient {
    Session(const ReportFn& reportFn, const std::atomic<intptr_t>& receiver,
            const std::atomic<int>& type)
        : report(reportFn), handle(receiver), hookType(type) {}
    ~Session() override { recording.Close(); } // stops the thread before the members go

    // On the hook thread: one key event recorded by the server.
    void Recorded(const XRecordInterceptData& intercepted) override {
        if (intercepted.data_len < 1)
            return;
        const unsigned char type = intercepted.data[0] & 0x7F;
        if (type == KeyPress || type == KeyRelease)
            Deliver(type == KeyPress, intercepted.data[1]);
    }
    void FollowKeyboard() override { recording.TakeKeyboardNotices(); }

    // Layout changes the server announced before the key are taken in
    // first, so the first press after a change is read with the new layout.
    void Deliver(bool down, unsigned keycode) {
        FollowKeyboard();
        const intptr_t receiver = handle.load();
        if (!receiver || hookType.load() != 1 || !report)
            return;
        report(
            receiver, down ? CKeyHook::kKeyDown : CKeyHook::kKeyUp,
            CodeForKeycode(recording.Keyboard(), keycode, recording.Group(), recording.NumLock()));
    }

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
        outcome = started->recording.Start(KeyPress, KeyRelease, *started);
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

int HookCodeForKeycode(unsigned keycode, const std::string& name) {
    static std::mutex guard;
    static Display* display = nullptr;
    static std::string openedName;
    std::lock_guard lock(guard);
    std::string cause;
    if (display && openedName != name) {
        XCloseDisplay(display);
        display = nullptr;
    }
    if (!display) {
        display = OpenX11Display(name, cause);
        openedName = name;
    }
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

std::unique_ptr<IKeyHook> MakeKeyHook(CX11KeyHook::ReportFn report, std::string* why) {
    std::string problem = CX11KeyHook::Probe();
    if (why)
        *why = problem;
    if (!problem.empty())
        return std::make_unique<CNullKeyHook>();
    return std::make_unique<CX11KeyHook>(std::move(report));
}
