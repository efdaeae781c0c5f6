#include "x11/X11KeyHook.h"

#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "triggers/NullKeyHook.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>

// One started hook: two connections (RECORD wants its data on a connection
// of its own), the context, the thread, and a pipe that wakes the thread to
// stop it.
struct CX11KeyHook::Session {
    Session(const ReportFn& reportFn, const std::atomic<intptr_t>& receiver,
            const std::atomic<int>& type)
        : report(reportFn), handle(receiver), hookType(type) {}

    ~Session() {
        if (thread.joinable()) {
            [[maybe_unused]] const ssize_t written = write(wake[1], "x", 1);
            thread.join();
        }
        if (keyboard)
            XkbFreeKeyboard(keyboard, 0, True);
        if (control && context) {
            XRecordDisableContext(control, context);
            XRecordFreeContext(control, context);
            XSync(control, False);
        }
        if (data)
            XCloseDisplay(data);
        if (control)
            XCloseDisplay(control);
        for (int fd : wake)
            if (fd >= 0)
                close(fd);
    }

    // On the hook thread: one key event recorded by the server. Layout
    // changes the server announced before the key are taken in first, so
    // the first press after a change is read with the new layout.
    void Deliver(bool down, unsigned keycode) {
        FollowKeyboard();
        const intptr_t receiver = handle.load();
        if (!receiver || hookType.load() != 1 || !report)
            return;
        report(receiver, down ? CKeyHook::kKeyDown : CKeyHook::kKeyUp,
               CodeForKeycode(keyboard, keycode, group, numLock));
    }

    // Reads the keyboard map and the layout group and NumLock state.
    void LoadKeyboard() {
        if (keyboard)
            XkbFreeKeyboard(keyboard, 0, True);
        keyboard = XkbGetMap(control, XkbAllClientInfoMask, XkbUseCoreKbd);
        numLockMask = XkbKeysymToModifiers(control, XK_Num_Lock);
        XkbStateRec state{};
        if (XkbGetState(control, XkbUseCoreKbd, &state) == Success)
            TakeState(state.group, state.locked_mods);
    }
    void TakeState(int activeGroup, unsigned lockedMods) {
        group = activeGroup;
        numLock = numLockMask && (lockedMods & numLockMask) == numLockMask;
    }
    // Handles the keyboard notifications queued on the control connection.
    void FollowKeyboard() {
        bool reload = false;
        while (XPending(control)) {
            XEvent event;
            XNextEvent(control, &event);
            if (event.type == MappingNotify) {
                reload = true;
            } else if (event.type == xkbEventBase) {
                const auto& any = reinterpret_cast<const XkbAnyEvent&>(event);
                if (any.xkb_type == XkbStateNotify) {
                    const auto& state = reinterpret_cast<const XkbStateNotifyEvent&>(event);
                    TakeState(state.group, state.locked_mods);
                } else {
                    reload = true;
                }
            }
        }
        if (reload)
            LoadKeyboard();
    }

    void Run();

    const ReportFn& report;
    const std::atomic<intptr_t>& handle;
    const std::atomic<int>& hookType;

    Display* control = nullptr;
    Display* data = nullptr;
    XRecordContext context = 0;
    // The keyboard as the hook thread last read it.
    XkbDescPtr keyboard = nullptr;
    int xkbEventBase = -1;
    unsigned numLockMask = 0;
    int group = 0;
    bool numLock = false;
    int wake[2] = {-1, -1};
    std::thread thread;

    std::mutex mutex;
    std::condition_variable stateChanged;
    bool recording = false;
    bool failed = false;
};

namespace {

// Runs inside XRecordProcessReplies on the hook thread.
void OnRecordedData(XPointer closure, XRecordInterceptData* intercepted) {
    auto& session = *reinterpret_cast<CX11KeyHook::Session*>(closure);
    if (intercepted->category == XRecordStartOfData) {
        std::lock_guard lock(session.mutex);
        session.recording = true;
        session.stateChanged.notify_all();
    } else if (intercepted->category == XRecordFromServer && intercepted->data_len >= 1) {
        const unsigned char type = intercepted->data[0] & 0x7F;
        if (type == KeyPress || type == KeyRelease)
            session.Deliver(type == KeyPress, intercepted->data[1]);
    }
    XRecordFreeData(intercepted);
}

} // namespace

void CX11KeyHook::Session::Run() {
    const bool enabled =
        XRecordEnableContextAsync(data, context, OnRecordedData, reinterpret_cast<XPointer>(this));
    XFlush(data);
    if (!enabled) {
        std::lock_guard lock(mutex);
        failed = true;
        stateChanged.notify_all();
        return;
    }
    // Waits without a timeout: no key, no wake-up, no CPU.
    pollfd fds[3] = {{ConnectionNumber(data), POLLIN, 0},
                     {wake[0], POLLIN, 0},
                     {ConnectionNumber(control), POLLIN, 0}};
    for (;;) {
        XRecordProcessReplies(data);
        FollowKeyboard();
        if (poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        if (fds[1].revents)
            break;
        if (fds[0].revents & (POLLERR | POLLHUP))
            break;
    }
    std::lock_guard lock(mutex);
    failed = !recording;
    stateChanged.notify_all();
}

CX11KeyHook::CX11KeyHook(ReportFn reportFn, std::string name)
    : report(std::move(reportFn)), displayName(std::move(name)) {}

CX11KeyHook::~CX11KeyHook() {
    ReleaseKeybHook();
}

std::string CX11KeyHook::Probe(const std::string& name) {
    std::string cause;
    Display* display = OpenX11Display(name, cause);
    if (display) {
        cause = MissingExtension(display, "RECORD");
        XCloseDisplay(display);
    }
    return cause.empty() ? cause : "Trigger keys are unavailable: " + cause + ".";
}

void CX11KeyHook::InitKeybHook(intptr_t) {
    ReleaseKeybHook();
    auto started = std::make_unique<Session>(report, handle, hookType);
    std::string cause;
    started->control = OpenX11Display(displayName, cause);
    if (started->control)
        started->data = OpenX11Display(displayName, cause);
    if (started->data)
        cause = MissingExtension(started->control, "RECORD");
    if (!cause.empty()) {
        lastError = "Trigger keys are unavailable: " + cause + ".";
        return;
    }
    int xkbOpcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(started->control, &xkbOpcode, &started->xkbEventBase, &xkbError,
                           &xkbMajor, &xkbMinor)) {
        lastError = "Trigger keys are unavailable: the X server lacks the XKEYBOARD extension.";
        return;
    }
    // Layout switches and keymap changes (setxkbmap, a second layout group,
    // NumLock) change what a key means.
    const unsigned long followed = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(started->control, XkbUseCoreKbd, followed, followed);
    const unsigned long stateParts = XkbGroupStateMask | XkbModifierLockMask;
    XkbSelectEventDetails(started->control, XkbUseCoreKbd, XkbStateNotify, stateParts, stateParts);
    started->LoadKeyboard();

    XRecordRange* range = XRecordAllocRange();
    range->device_events.first = KeyPress;
    range->device_events.last = KeyRelease;
    XRecordClientSpec clients = XRecordAllClients;
    started->context = XRecordCreateContext(started->control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(started->control, False);
    if (!started->context || pipe2(started->wake, O_CLOEXEC) != 0) {
        lastError = "Trigger keys are unavailable: the key recording could not be set up.";
        return;
    }

    Session* raw = started.get();
    raw->thread = std::thread([raw] { raw->Run(); });
    std::unique_lock lock(raw->mutex);
    const bool ready = raw->stateChanged.wait_for(lock, std::chrono::seconds(5),
                                                  [raw] { return raw->recording || raw->failed; });
    const bool good = ready && raw->recording && !raw->failed;
    lock.unlock();
    if (!good) {
        lastError = "Trigger keys are unavailable: the X server did not start recording keys.";
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
