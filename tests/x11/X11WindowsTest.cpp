#include "XvfbServer.h"

#include "fakes/TestSupport.h"
#include "x11/X11Desktop.h"
#include "x11/X11WindowQuery.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "DesktopOnXvfb.h"
#include "FakeWindowManager.h"
#include "TypingTarget.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class X11WindowsTest : public CDesktopOnXvfbTest {
protected:
    Atom Intern(const char* name) { return XInternAtom(client, name, False); }

    // A mapped top-level window titled through WM_NAME (Latin-1), and through
    // _NET_WM_NAME (UTF-8) when `utf8Title` is given.
    Window MakeWindow(const char* wmName, const char* utf8Title = nullptr,
                      bool acceptsDelete = false, Window parent = 0) {
        Window window = XCreateSimpleWindow(client, parent ? parent : DefaultRootWindow(client), 0,
                                            0, 100, 100, 0, 0, 0);
        if (wmName)
            XStoreName(client, window, wmName);
        if (utf8Title)
            XChangeProperty(client, window, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(utf8Title),
                            static_cast<int>(std::strlen(utf8Title)));
        if (acceptsDelete) {
            Atom deleteWindow = Intern("WM_DELETE_WINDOW");
            XSetWMProtocols(client, window, &deleteWindow, 1);
        }
        XSelectInput(client, window, StructureNotifyMask);
        XMapWindow(client, window);
        for (XEvent event;
             XWindowEvent(client, window, StructureNotifyMask, &event), event.type != MapNotify;) {
        }
        return window;
    }

    void SetRootWindows(const char* property, std::vector<Window> windows) {
        std::vector<long> values(windows.begin(), windows.end());
        XChangeProperty(client, DefaultRootWindow(client), Intern(property), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(values.data()),
                        static_cast<int>(values.size()));
        XSync(client, False);
    }

    // The next client message to `window` (or to the root, for a window
    // manager), within a second.
    bool NextClientMessage(XClientMessageEvent& out) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < deadline) {
            XEvent event;
            while (XPending(client)) {
                XNextEvent(client, &event);
                if (event.type == ClientMessage) {
                    out = event.xclient;
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
};

TEST_F(X11WindowsTest, FindsWindowsByTitleSubstringWithoutAWindowManager) {
    MakeWindow("Plain Old Name");
    MakeWindow("latin fallback", "Wingmate \xC3\x9Cnicode \xE2\x80\x93 test");
    EXPECT_TRUE(desktop->WinExists("Plain Old"));
    EXPECT_TRUE(desktop->WinExists("\xC3\x9Cnicode \xE2\x80\x93"));
    EXPECT_FALSE(desktop->WinExists("latin fallback")); // _NET_WM_NAME wins
    EXPECT_FALSE(desktop->WinExists("plain old"));      // case matters
    EXPECT_FALSE(desktop->WinExists("Nowhere"));
}

TEST_F(X11WindowsTest, ActivatesAndReportsTheActiveTitle) {
    const Window first = MakeWindow("First window");
    MakeWindow("Second window");
    ASSERT_TRUE(desktop->WinActivate("First", 2000, {}).ok);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(client, &focus, &revert);
    EXPECT_EQ(focus, first);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "First window");
    ASSERT_TRUE(desktop->WinActivate("Second", 2000, {}).ok);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Second window");

    const DesktopResult missing = desktop->WinActivate("Third", 2000, {});
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "no window has 'Third' in its title");
}

TEST_F(X11WindowsTest, ClosingAsksTheProgramWhenItAcceptsTheRequest) {
    const Window polite = MakeWindow("Polite window", nullptr, true);
    ASSERT_TRUE(desktop->WinClose("Polite").ok);
    XClientMessageEvent message{};
    ASSERT_TRUE(NextClientMessage(message));
    EXPECT_EQ(message.window, polite);
    EXPECT_EQ(message.message_type, Intern("WM_PROTOCOLS"));
    EXPECT_EQ(static_cast<Atom>(message.data.l[0]), Intern("WM_DELETE_WINDOW"));
    EXPECT_FALSE(desktop->WinClose("Gone").ok);
}

// The stubborn program runs in a child process: losing its connection ends it.
TEST_F(X11WindowsTest, ClosingAProgramWithoutTheProtocolEndsItsConnection) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Display* own = XOpenDisplay(server.Name().c_str());
        if (!own)
            _exit(2);
        XSetIOErrorHandler([](Display*) -> int { _exit(0); });
        Window window = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 50, 50, 0, 0, 0);
        XStoreName(own, window, "Stubborn window");
        XMapWindow(own, window);
        XSync(own, False);
        for (XEvent event;;)
            XNextEvent(own, &event);
    }
    ASSERT_TRUE(desktop->WinWait("Stubborn", 3000, {}));
    ASSERT_TRUE(desktop->WinClose("Stubborn").ok);
    EXPECT_FALSE(desktop->WinExists("Stubborn"));
    int status = -1;
    for (int tries = 0; tries < 300 && waitpid(child, &status, WNOHANG) == 0; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the program was not closed";
    kill(child, SIGKILL);
    waitpid(child, nullptr, WNOHANG);
}

TEST_F(X11WindowsTest, WaitsForAWindowUntilItAppearsOrTimeOrStop) {
    std::thread later([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        Display* own = XOpenDisplay(server.Name().c_str());
        Window window = XCreateSimpleWindow(own, DefaultRootWindow(own), 0, 0, 50, 50, 0, 0, 0);
        XStoreName(own, window, "Late window");
        XMapWindow(own, window);
        XSync(own, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        XCloseDisplay(own);
    });
    EXPECT_TRUE(desktop->WinWait("Late", 3000, {}));
    later.join();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(desktop->WinWait("Never", 100, {}));
    EXPECT_FALSE(desktop->WinWait("Never", 60000, [] { return true; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// A stand-in window manager publishes the EWMH hints and reads the
// requests sent to it.
TEST_F(X11WindowsTest, UsesTheWindowManagerHintsWhenPresent) {
    const Window frame = MakeWindow(nullptr);
    const Window inner = MakeWindow(nullptr, "Framed editor", true, frame);
    MakeWindow("Decoy editor"); // not in the client list: ignored while it exists
    CFakeWindowManager manager(server.Name(), {inner}, {});
    ASSERT_TRUE(manager.Running());
    SetRootWindows("_NET_ACTIVE_WINDOW", {inner});

    EXPECT_TRUE(desktop->WinExists("Framed"));
    EXPECT_FALSE(desktop->WinExists("Decoy"));
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Framed editor");

    ASSERT_TRUE(desktop->WinActivate("editor", 2000, {}).ok);
    ASSERT_TRUE(desktop->WinClose("Framed").ok);
    const std::vector<XClientMessageEvent> messages = manager.Messages(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].window, inner);
    EXPECT_EQ(messages[0].message_type, Intern("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(messages[0].data.l[0], 2);
    EXPECT_EQ(messages[1].window, inner);
    EXPECT_EQ(messages[1].message_type, Intern("_NET_CLOSE_WINDOW"));
}

// WinActivate returns once the window is active and has the keyboard focus,
// so keys typed right after reach it, however late the window manager acts.
struct ActivateCase {
    std::string label;
    bool manager = false; // else no window manager runs
    CFakeWindowManager::Answer answer;
    int64_t waitMs = 5000;
    bool activates = true;
    int minimumMs = 0; // WinActivate must not return before this
};

class X11ActivateTest : public X11WindowsTest,
                        public ::testing::WithParamInterface<ActivateCase> {};

TEST_P(X11ActivateTest, ReturnsOnceTheWindowHasTheFocusOrFails) {
    const ActivateCase& c = GetParam();
    CTypingTarget first(server.Name());
    ASSERT_NE(first.display, nullptr);
    XStoreName(first.display, first.window, "First target");
    const Window child = XCreateSimpleWindow(first.display, first.window, 0, 0, 20, 20, 0, 0, 0);
    XSelectInput(first.display, child, KeyPressMask); // an input child, as toolkits make
    XMapWindow(first.display, child);
    XSync(first.display, False);
    CTypingTarget second(server.Name()); // takes the focus
    ASSERT_NE(second.display, nullptr);
    XStoreName(second.display, second.window, "Second target");
    XSync(second.display, False);
    std::unique_ptr<CFakeWindowManager> manager;
    if (c.manager) {
        manager = std::make_unique<CFakeWindowManager>(
            server.Name(), std::vector<Window>{first.window, second.window}, c.answer);
        SetRootWindows("_NET_ACTIVE_WINDOW", {second.window});
    }

    const auto start = std::chrono::steady_clock::now();
    const DesktopResult result = desktop->WinActivate("First target", c.waitMs, {});
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    EXPECT_GE(elapsed, c.minimumMs);
    EXPECT_LT(elapsed, c.waitMs + 1000);
    if (!c.activates) {
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, "the window 'First target' did not become active within " +
                                    std::to_string(c.waitMs) + " ms");
        return;
    }
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(desktop->WinGetActiveTitle(), "First target");
    ASSERT_TRUE(desktop->TypeKeys("ok", {0, 0}, {}).ok);
    EXPECT_EQ(first.Received(2), "ok");
    EXPECT_EQ(second.Received(1, std::chrono::milliseconds(100)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, X11ActivateTest,
    ::testing::Values(ActivateCase{"WithoutAWindowManager", false, {}, 5000, true, 0},
                      ActivateCase{"FocusLaterThanTheHint", true, {0, 300, false}, 5000, true, 300},
                      ActivateCase{"HintLaterThanTheFocus", true, {300, 0, false}, 5000, true, 300},
                      ActivateCase{"FocusOnAChildWindow", true, {0, 100, true}, 5000, true, 100},
                      ActivateCase{"FocusNeverComes", true, {0, -1, false}, 400, false, 400}),
    LabelName());

// A window manager that exited leaves its hints on the root; they no longer
// say which window is active or which windows exist.
TEST_F(X11WindowsTest, HintsOfAnExitedWindowManagerAreNotTrusted) {
    CTypingTarget first(server.Name());
    ASSERT_NE(first.display, nullptr);
    XStoreName(first.display, first.window, "First target");
    XSync(first.display, False);
    auto manager = std::make_unique<CFakeWindowManager>(
        server.Name(), std::vector<Window>{first.window}, CFakeWindowManager::Answer{});
    ASSERT_TRUE(desktop->WinActivate("First", 2000, {}).ok);
    manager.reset();

    CTypingTarget second(server.Name()); // takes the focus; not in the stale list
    ASSERT_NE(second.display, nullptr);
    XStoreName(second.display, second.window, "Second target");
    XSync(second.display, False);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Second target");
    EXPECT_TRUE(desktop->WinExists("Second target"));

    // Activation falls back to setting the focus itself.
    ASSERT_TRUE(desktop->WinActivate("First", 2000, {}).ok);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "First target");
    ASSERT_TRUE(desktop->TypeKeys("x", {0, 0}, {}).ok);
    EXPECT_EQ(first.Received(1), "x");
}

// Openbox, where installed: it reparents the windows into frames, marks them
// with WM_STATE and moves the focus in its own time.
TEST_F(X11WindowsTest, ActivatesUnderOpenbox) {
    if (!CXvfb::HasProgram("openbox"))
        GTEST_SKIP() << "openbox is not installed";
    CTypingTarget first(server.Name());
    ASSERT_NE(first.display, nullptr);
    XStoreName(first.display, first.window, "First target");
    XSync(first.display, False);
    CTypingTarget second(server.Name());
    ASSERT_NE(second.display, nullptr);
    XStoreName(second.display, second.window, "Second target");
    XSync(second.display, False);
    const pid_t openbox = fork();
    ASSERT_GE(openbox, 0);
    if (openbox == 0) {
        setenv("DISPLAY", server.Name().c_str(), 1);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Running once it manages both windows.
    for (int tries = 0; tries < 500; ++tries) {
        if (X11WindowManagerSupports(client, "_NET_ACTIVE_WINDOW") &&
            X11ListProperty(client, DefaultRootWindow(client), "_NET_CLIENT_LIST", XA_WINDOW)
                    .size() == 2)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(desktop->WinActivate("First target", 5000, {}).ok);
        ASSERT_TRUE(desktop->TypeKeys("a", {0, 0}, {}).ok);
        ASSERT_TRUE(desktop->WinActivate("Second target", 5000, {}).ok);
        ASSERT_TRUE(desktop->TypeKeys("b", {0, 0}, {}).ok);
    }
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Second target");
    EXPECT_EQ(first.Received(3), "aaa");
    EXPECT_EQ(second.Received(3), "bbb");
    kill(openbox, SIGTERM);
    waitpid(openbox, nullptr, 0);
}

// A Stop ends the wait at once.
TEST_F(X11WindowsTest, StopEndsTheWaitForActivation) {
    CTypingTarget target(server.Name());
    ASSERT_NE(target.display, nullptr);
    CFakeWindowManager manager(server.Name(), {target.window}, {-1, -1, false});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(desktop->WinActivate("Typing", 60000, [] { return true; }).ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

} // namespace
