// How late the window manager acts on a click right after typing: text is
// typed into one window under openbox on a private Xvfb (us layout), then a
// click on a second window is injected at once, and the time until openbox
// has made that window active (_NET_ACTIVE_WINDOW) is measured. Characters
// the layout lacks change the keyboard map, and openbox fetches the map and
// grabs its keys again on every change, so a backlog shows here. Compared
// with `xdotool type` on the same texts.
//
//   build/bin/bench_click_lag [RUNS]     (default 10 runs per case)

#include "XvfbServer.h"

#include "x11/X11Desktop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>

#include "TypingTarget.h"

#include <X11/Xatom.h>

namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::string& display, std::vector<std::string> args) {
    std::string displayArg = "DISPLAY=" + display;
    std::string locale = "LC_ALL=C.UTF-8";
    std::string home = "HOME=/tmp";
    std::vector<char*> env = {displayArg.data(), locale.data(), home.data(), nullptr};
    pid_t child = -1;
    return SpawnQuietly(std::move(args), env.data(), child) == 0 ? child : -1;
}

Window ActiveWindow(Display* display) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window active = 0;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_ACTIVE_WINDOW", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
        active = *reinterpret_cast<Window*>(data);
    if (data)
        XFree(data);
    return active;
}

// Waits until `window` is the active one; the time it took, or -1.
double WaitActive(Display* display, Window window, Clock::time_point since) {
    const auto deadline = since + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (ActiveWindow(display) == window)
            return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return -1;
}

void Activate(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // a pager's request: always honoured
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    WaitActive(display, window, Clock::now());
}

void ClickAt(Display* display, Window window) {
    Window child = 0;
    int x = 0, y = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 150, 100, &x, &y, &child);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

struct Figures {
    std::vector<double> ms;
    int failed = 0;
};

void Print(const char* label, Figures& figures) {
    std::sort(figures.ms.begin(), figures.ms.end());
    if (figures.ms.empty()) {
        std::printf("%-28s no figures (%d failed)\n", label, figures.failed);
        return;
    }
    std::printf("%-28s median %6.1f ms  min %6.1f  max %6.1f  (%zu runs, %d failed)\n", label,
                figures.ms[figures.ms.size() / 2], figures.ms.front(), figures.ms.back(),
                figures.ms.size(), figures.failed);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    CXvfb server;
    if (!server.Running()) {
        std::printf("no Xvfb: %s\n", server.Error().c_str());
        return 1;
    }
    if (!CXvfb::HasProgram("openbox")) {
        std::printf("openbox is not installed\n");
        return 1;
    }
    server.SetKeymap({"-layout", "us"});
    CTypingTarget first(server.Name(), true);
    CTypingTarget second(server.Name());
    XMoveWindow(second.display, second.window, 400, 10);
    XSync(second.display, False);
    const pid_t openbox = Spawn(server.Name(), {"openbox", "--sm-disable"});
    Display* watch = XOpenDisplay(server.Name().c_str());
    for (int tries = 0; tries < 500 && !ActiveWindow(watch); ++tries) {
        Activate(watch, first.window);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The typed-into window reads all the time, as an application does.
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done)
            first.Received(SIZE_MAX, std::chrono::milliseconds(50));
    });
    const bool haveXdotool = CXvfb::HasProgram("xdotool");
    const std::pair<const char*, std::string> texts[] = {
        {"abc", "abc"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC", "\xC3\xA4\xC3\xB6\xC3\xBC"},
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
         "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"}};
    for (const auto& [label, text] : texts) {
        for (const bool xdotool : {false, true}) {
            if (xdotool && !haveXdotool)
                continue;
            Figures figures;
            for (int run = 0; run < runs; ++run) {
                Activate(watch, first.window);
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                std::string why;
                auto desktop = xdotool ? nullptr : CX11Desktop::Open(&why, {}, server.Name());
                if (xdotool) {
                    const pid_t child = Spawn(server.Name(), {"xdotool", "type", "--", text});
                    int status = 0;
                    waitpid(child, &status, 0);
                } else if (!desktop || !desktop->TypeKeys(text, KeyPacing{}, {}).ok) {
                    ++figures.failed;
                    continue;
                }
                const auto clicked = Clock::now();
                ClickAt(watch, second.window);
                const double ms = WaitActive(watch, second.window, clicked);
                if (ms < 0)
                    ++figures.failed;
                else
                    figures.ms.push_back(ms);
                desktop.reset(); // gives the keycodes back, as a script's end does
            }
            Print((std::string(label) + (xdotool ? " xdotool" : " wingmate")).c_str(), figures);
        }
    }
    done = true;
    reader.join();
    XCloseDisplay(watch);
    kill(openbox, SIGTERM);
    waitpid(openbox, nullptr, 0);
    return 0;
}
