#pragma once
// A stand-in for an EWMH window manager, on its own connection and thread:
// it publishes the hints a real one does and answers activation requests
// late, as real ones do. Include after every project and GoogleTest header.

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

class CFakeWindowManager {
public:
    // How it answers _NET_ACTIVE_WINDOW: it sets the property and moves the
    // keyboard focus this long after the request (negative: never), the
    // focus onto the window's first child when `focusChild`.
    struct Answer {
        int propertyDelayMs = 0;
        int focusDelayMs = 0;
        bool focusChild = false;
    };

    CFakeWindowManager(const std::string& displayName, const std::vector<Window>& clients,
                       Answer answerWith)
        : answer(answerWith) {
        display = XOpenDisplay(displayName.c_str());
        if (!display)
            return;
        const Window root = DefaultRootWindow(display);
        const Window check = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
        SetWindows(check, "_NET_SUPPORTING_WM_CHECK", {check});
        SetWindows(root, "_NET_SUPPORTING_WM_CHECK", {check});
        SetWindows(root, "_NET_CLIENT_LIST", clients);
        std::vector<long> supported;
        for (const char* name : {"_NET_ACTIVE_WINDOW", "_NET_CLOSE_WINDOW", "_NET_CLIENT_LIST"})
            supported.push_back(static_cast<long>(XInternAtom(display, name, False)));
        XChangeProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), XA_ATOM, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(supported.data()),
                        static_cast<int>(supported.size()));
        // Requests are sent to the root for substructure listeners.
        XSelectInput(display, root, SubstructureNotifyMask);
        XSync(display, False);
        worker = std::thread([this] { Serve(); });
    }
    // Exits as a window manager does: its check window goes with its
    // connection, its root properties stay behind.
    ~CFakeWindowManager() {
        stop = true;
        if (worker.joinable())
            worker.join();
        if (display)
            XCloseDisplay(display);
    }
    CFakeWindowManager(const CFakeWindowManager&) = delete;
    CFakeWindowManager& operator=(const CFakeWindowManager&) = delete;

    bool Running() const { return display != nullptr; }

    // The client messages received, once there are `count` (or a second
    // passed).
    std::vector<XClientMessageEvent> Messages(size_t count) {
        const auto deadline = Clock::now() + std::chrono::seconds(1);
        for (;; std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
            std::lock_guard lock(mutex);
            if (messages.size() >= count || Clock::now() >= deadline)
                return messages;
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    void SetWindows(Window window, const char* property, const std::vector<Window>& windows) {
        std::vector<long> values(windows.begin(), windows.end());
        XChangeProperty(display, window, XInternAtom(display, property, False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(values.data()),
                        static_cast<int>(values.size()));
    }

    Window FirstChild(Window window) {
        Window rootReturn = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        Window child = window;
        if (XQueryTree(display, window, &rootReturn, &parent, &children, &count) && count > 0)
            child = children[0];
        if (children)
            XFree(children);
        return child;
    }

    void Serve() {
        const Atom activate = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
        Window target = None;
        auto propertyAt = Clock::time_point::max(), focusAt = Clock::time_point::max();
        auto after = [](int ms) {
            return ms < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(ms);
        };
        while (!stop) {
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type != ClientMessage)
                    continue;
                {
                    std::lock_guard lock(mutex);
                    messages.push_back(event.xclient);
                }
                if (event.xclient.message_type == activate) {
                    target = event.xclient.window;
                    propertyAt = after(answer.propertyDelayMs);
                    focusAt = after(answer.focusDelayMs);
                }
            }
            if (Clock::now() >= propertyAt) {
                SetWindows(DefaultRootWindow(display), "_NET_ACTIVE_WINDOW", {target});
                propertyAt = Clock::time_point::max();
            }
            if (Clock::now() >= focusAt) {
                XSetInputFocus(display, answer.focusChild ? FirstChild(target) : target,
                               RevertToParent, CurrentTime);
                focusAt = Clock::time_point::max();
            }
            XFlush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    Display* display = nullptr;
    Answer answer;
    std::atomic<bool> stop{false};
    std::thread worker;
    std::mutex mutex;
    std::vector<XClientMessageEvent> messages;
};

} // namespace
