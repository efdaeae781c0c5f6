#include "x11/X11KeyHook.h"

#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "triggers/NullKeyHook.h"
#include "x11/X11Display.h"
#include "x11/X11Keys.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <array>
#include <chrono>
#include <condition_variable>
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

    // On the hook thread: one key event recorded by the server.
    void Deliver(bool down, unsigned keycode) const {
        const intptr_t receiver = handle.load();
        if (!receiver || hookType.load() != 1 || !report)
            return;
        report(receiver, down ? CKeyHook::kKeyDown : CKeyHook::kKeyUp, codeOfKeycode[keycode]);
    }

    void Run();

    const ReportFn& report;
    const std::atomic<intptr_t>& handle;
    const std::atomic<int>& hookType;

    Display* control = nullptr;
    Display* data = nullptr;
    XRecordContext context = 0;
    std::array<int, 256> codeOfKeycode{};
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

// The virtual-key code of every keycode, from the unshifted keysym of the
// current keyboard map.
void BuildKeycodeTable(Display* display, std::array<int, 256>& table) {
    table.fill(vk::Unmapped);
    int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(minKeycode),
                                      maxKeycode - minKeycode + 1, &perKeycode);
    if (!map)
        return;
    for (int keycode = minKeycode; keycode <= maxKeycode && keycode < 256; ++keycode) {
        const KeySym* syms = map + (keycode - minKeycode) * perKeycode;
        KeySym keysym = syms[0];
        if (keysym == NoSymbol && perKeycode > 1)
            keysym = syms[1];
        table[static_cast<size_t>(keycode)] = CodeForKeysym(keysym);
    }
    XFree(map);
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
    pollfd fds[2] = {{ConnectionNumber(data), POLLIN, 0}, {wake[0], POLLIN, 0}};
    for (;;) {
        XRecordProcessReplies(data);
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
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
    BuildKeycodeTable(started->control, started->codeOfKeycode);

    XRecordRange* range = XRecordAllocRange();
    range->device_events.first = KeyPress;
    range->device_events.last = KeyRelease;
    XRecordClientSpec clients = XRecordAllClients;
    started->context = XRecordCreateContext(started->control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(started->control, False);
    if (!started->context || pipe(started->wake) != 0) {
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

std::unique_ptr<IKeyHook> MakeKeyHook(CX11KeyHook::ReportFn report, std::string* why) {
    std::string problem = CX11KeyHook::Probe();
    if (why)
        *why = problem;
    if (!problem.empty())
        return std::make_unique<CNullKeyHook>();
    return std::make_unique<CX11KeyHook>(std::move(report));
}
