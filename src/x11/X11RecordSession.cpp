#include "x11/X11RecordSession.h"

#include "x11/X11Display.h"

#include <X11/keysym.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

std::string CX11RecordSession::Probe(const std::string& displayName, const Wording& wording) {
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (display) {
        cause = MissingExtension(display, "RECORD");
        XCloseDisplay(display);
    }
    return cause.empty() ? cause : Describe(Outcome::Unavailable, cause, wording);
}

std::string CX11RecordSession::Describe(Outcome outcome, const std::string& cause,
                                        const Wording& wording) {
    const std::pair<Outcome, const char*> texts[] = {
        {Outcome::NoKeyboardExtension, "the X server lacks the XKEYBOARD extension"},
        {Outcome::OutOfMemory, "out of memory"},
        {Outcome::NotSetUp, wording.notSetUp},
        {Outcome::NotStarted, wording.notStarted},
    };
    std::string why = cause;
    for (const auto& [known, text] : texts)
        if (known == outcome)
            why = text;
    return wording.prefix + why + ".";
}

CX11RecordSession::Outcome CX11RecordSession::Open(const std::string& displayName,
                                                   std::string& cause) {
    control = OpenX11Display(displayName, cause);
    if (control)
        data = OpenX11Display(displayName, cause);
    if (data)
        cause = MissingExtension(control, "RECORD");
    if (!cause.empty())
        return Outcome::Unavailable;
    int xkbOpcode = 0, xkbError = 0, xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(control, &xkbOpcode, &xkbEventBase, &xkbError, &xkbMajor, &xkbMinor))
        return Outcome::NoKeyboardExtension;
    // Layout switches and keymap changes (setxkbmap, a second layout group,
    // NumLock) change what a key means.
    const unsigned long followed = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(control, XkbUseCoreKbd, followed, followed);
    const unsigned long stateParts = XkbGroupStateMask | XkbModifierLockMask;
    XkbSelectEventDetails(control, XkbUseCoreKbd, XkbStateNotify, stateParts, stateParts);
    LoadKeyboard();
    return Outcome::Ok;
}

CX11RecordSession::Outcome CX11RecordSession::Start(int firstEvent, int lastEvent,
                                                    IClient& recordClient) {
    XRecordRange* range = XRecordAllocRange();
    if (!range)
        return Outcome::OutOfMemory;
    range->device_events.first = static_cast<unsigned char>(firstEvent);
    range->device_events.last = static_cast<unsigned char>(lastEvent);
    XRecordClientSpec clients = XRecordAllClients;
    context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(control, False);
    if (!context || pipe2(wake, O_CLOEXEC) != 0)
        return Outcome::NotSetUp;

    client = &recordClient;
    thread = std::thread([this] { Run(); });
    std::unique_lock lock(mutex);
    const bool ready = stateChanged.wait_for(lock, std::chrono::seconds(5),
                                             [this] { return recording || failed; });
    return ready && recording && !failed ? Outcome::Ok : Outcome::NotStarted;
}

void CX11RecordSession::Close() {
    if (thread.joinable()) {
        [[maybe_unused]] const ssize_t written = write(wake[1], "x", 1);
        thread.join();
    }
    if (keyboard)
        XkbFreeKeyboard(keyboard, 0, True);
    keyboard = nullptr;
    if (control && context) {
        XRecordDisableContext(control, context);
        XRecordFreeContext(control, context);
        XSync(control, False);
    }
    context = 0;
    if (data)
        XCloseDisplay(data);
    data = nullptr;
    if (control)
        XCloseDisplay(control);
    control = nullptr;
    for (int& fd : wake) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    client = nullptr;
    recording = failed = false;
}

// Reads the keyboard map, the layout group and the locked modifiers.
void CX11RecordSession::LoadKeyboard() {
    if (keyboard)
        XkbFreeKeyboard(keyboard, 0, True);
    keyboard = XkbGetMap(control, XkbAllClientInfoMask, XkbUseCoreKbd);
    numLockMask = XkbKeysymToModifiers(control, XK_Num_Lock);
    XkbStateRec state{};
    if (XkbGetState(control, XkbUseCoreKbd, &state) == Success) {
        group = state.group;
        lockedMods = state.locked_mods;
    }
}

bool CX11RecordSession::TakeKeyboardNotices() {
    bool reload = false, changed = false;
    while (XPending(control)) {
        XEvent event;
        XNextEvent(control, &event);
        if (event.type == MappingNotify) {
            reload = true;
        } else if (event.type == xkbEventBase) {
            const auto& any = reinterpret_cast<const XkbAnyEvent&>(event);
            if (any.xkb_type == XkbStateNotify) {
                const auto& state = reinterpret_cast<const XkbStateNotifyEvent&>(event);
                changed = changed || group != state.group ||
                          lockedMods != static_cast<unsigned>(state.locked_mods);
                group = state.group;
                lockedMods = state.locked_mods;
            } else {
                reload = true;
            }
        } else if (client) {
            client->ControlEvent(event);
        }
    }
    if (reload)
        LoadKeyboard();
    return reload || changed;
}

// Runs inside XRecordProcessReplies on the recording thread.
void CX11RecordSession::OnRecordedData(XPointer closure, XRecordInterceptData* intercepted) {
    auto& session = *reinterpret_cast<CX11RecordSession*>(closure);
    if (intercepted->category == XRecordStartOfData) {
        std::lock_guard lock(session.mutex);
        session.recording = true;
        session.stateChanged.notify_all();
    } else if (intercepted->category == XRecordFromServer) {
        session.client->Recorded(*intercepted);
    }
    XRecordFreeData(intercepted);
}

void CX11RecordSession::Run() {
    const bool enabled =
        XRecordEnableContextAsync(data, context, OnRecordedData, reinterpret_cast<XPointer>(this));
    XFlush(data);
    if (!enabled) {
        std::lock_guard lock(mutex);
        failed = true;
        stateChanged.notify_all();
        return;
    }
    // Waits without a timeout: no event, no wake-up, no CPU.
    pollfd fds[3] = {{ConnectionNumber(data), POLLIN, 0},
                     {wake[0], POLLIN, 0},
                     {ConnectionNumber(control), POLLIN, 0}};
    for (;;) {
        XRecordProcessReplies(data);
        client->FollowKeyboard();
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
