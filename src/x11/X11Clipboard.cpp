#include "x11/X11Clipboard.h"

#include "x11/X11Display.h"
#include "x11/X11Selection.h"
#include "x11/X11SelectionOwner.h"

#include <X11/Xatom.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::chrono::seconds kTakeTime{3};

void WakeUp(int fd) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
}

void Drain(int fd) {
    char bytes[64];
    while (read(fd, bytes, sizeof bytes) > 0) {
    }
}

// Serves `owner` until another program takes the clipboard and every
// transfer under way is done.
void ServeWhileOwned(CX11SelectionOwner& owner) {
    for (;;) {
        owner.HandlePending();
        if (!owner.Owns() && !owner.Transferring())
            return;
        pollfd connection{owner.Connection(), POLLIN, 0};
        poll(&connection, 1, 1000);
    }
}

int EndQuietly(Display*) {
    _exit(0);
}

// The child KeepServingAfterExit starts: it keeps none of the parent's
// files (the script log among them) and no terminal, takes the clipboard
// with `text`, says so on `ready` and serves it. Never returns.
[[noreturn]] void ServeInChild(const std::string& displayName,
                               std::shared_ptr<const std::string> text, int ready) {
    setsid();
    const int null = open("/dev/null", O_RDWR);
    for (int fd : {0, 1, 2})
        dup2(null, fd);
    // Everything else the parent had open, except the pipe.
    if (ready > 3)
        close_range(3, static_cast<unsigned>(ready) - 1, 0);
    close_range(static_cast<unsigned>(ready) + 1, ~0U, 0);
    for (int signal : {SIGINT, SIGHUP, SIGPIPE})
        std::signal(signal, SIG_IGN);
    std::signal(SIGTERM, SIG_DFL);
    XSetIOErrorHandler(EndQuietly); // the display went away
    std::string why;
    std::unique_ptr<CX11SelectionOwner> owner = CX11SelectionOwner::Open(displayName, why);
    const char ok = owner && owner->Take(std::move(text), why) ? '1' : '0';
    [[maybe_unused]] const ssize_t written = write(ready, &ok, 1);
    close(ready);
    if (ok == '1')
        ServeWhileOwned(*owner);
    _exit(0);
}

} // namespace

std::unique_ptr<CX11Clipboard> CX11Clipboard::Open(std::string* why,
                                                   const std::string& displayName) {
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (!display) {
        if (why)
            *why = "The clipboard is unavailable: " + cause + ".";
        return nullptr;
    }
    return std::unique_ptr<CX11Clipboard>(new CX11Clipboard(display, displayName));
}

CX11Clipboard::CX11Clipboard(Display* display, std::string name)
    : readDisplay(display), atoms(std::make_unique<X11SelectionAtoms>(display)),
      requestor(XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0)),
      displayName(std::move(name)) {
    XSelectInput(display, requestor, PropertyChangeMask);
    XFlush(display);
}

CX11Clipboard::~CX11Clipboard() {
    StopServing();
    owner.reset();
    XDestroyWindow(readDisplay, requestor);
    XCloseDisplay(readDisplay);
}

DesktopResult CX11Clipboard::GetText(ClipboardSelection which, std::string& text,
                                     const std::function<bool()>& stopRequested) {
    // Another script's read may wait for a slow owner: a Stop still ends
    // this one at once.
    std::unique_lock lock(reading, std::defer_lock);
    while (!lock.try_lock_for(std::chrono::milliseconds(5)))
        if (stopRequested && stopRequested())
            return DesktopResult::Fail("stopped");
    const Atom selection = which == ClipboardSelection::Primary ? XA_PRIMARY : atoms->clipboard;
    return X11ReadSelectionText(readDisplay, requestor, *atoms, selection, text, stopRequested);
}

DesktopResult CX11Clipboard::SetText(const std::string& text) {
    std::unique_lock lock(mutex);
    if (stopping)
        return DesktopResult::Fail("the clipboard is closing");
    if (!owner) {
        std::string why;
        owner = CX11SelectionOwner::Open(displayName, why);
        if (!owner)
            return DesktopResult::Fail(why);
        if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            owner.reset();
            return DesktopResult::Fail("cannot start serving the clipboard");
        }
        server = std::thread([this] { Serve(); });
    }
    pending = std::make_shared<const std::string>(text);
    const unsigned long mine = ++asked;
    WakeUp(wake[1]);
    if (!answered.wait_for(lock, kTakeTime, [&] { return done >= mine; }))
        return DesktopResult::Fail("the X server did not answer in time");
    if (done == mine && !takeError.empty())
        return DesktopResult::Fail(takeError);
    return DesktopResult::Ok();
}

void CX11Clipboard::Serve() {
    for (;;) {
        owner->HandlePending();
        std::shared_ptr<const std::string> text;
        unsigned long request = 0;
        {
            std::lock_guard lock(mutex);
            if (stopping)
                return;
            text = std::move(pending);
            request = asked;
        }
        if (text) {
            std::string why;
            owner->Take(std::move(text), why);
            std::lock_guard lock(mutex);
            takeError = why;
            done = request;
            answered.notify_all();
            continue;
        }
        pollfd fds[2] = {{owner->Connection(), POLLIN, 0}, {wake[0], POLLIN, 0}};
        poll(fds, 2, 1000);
        Drain(wake[0]);
    }
}

void CX11Clipboard::StopServing() {
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    if (server.joinable()) {
        WakeUp(wake[1]);
        server.join();
    }
    for (int& fd : wake)
        if (fd >= 0)
            close(std::exchange(fd, -1));
}

bool CX11Clipboard::KeepServingAfterExit(std::string* why) {
    StopServing();
    if (!owner)
        return true;
    owner->HandlePending();
    if (!owner->Owns())
        return true; // another program has taken it: nothing to keep
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        if (why)
            *why = "cannot keep the clipboard: no pipe";
        return false;
    }
    std::fflush(nullptr); // nothing buffered is written twice
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        ServeInChild(displayName, owner->Text(), ready[1]);
    }
    close(ready[1]);
    char ok = '0';
    if (child > 0) {
        // Requests that reach us until the child holds the clipboard are
        // still answered here.
        const auto deadline = std::chrono::steady_clock::now() + kTakeTime;
        for (;;) {
            owner->HandlePending();
            pollfd fds[2] = {{ready[0], POLLIN, 0}, {owner->Connection(), POLLIN, 0}};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) < 0)
                break;
            if (fds[0].revents) {
                if (read(ready[0], &ok, 1) != 1)
                    ok = '0';
                break;
            }
        }
    }
    close(ready[0]);
    owner->HandlePending();
    if (ok != '1' && why)
        *why = "could not keep serving the clipboard after the end";
    return ok == '1';
}
