#include "XvfbServer.h"

#include "x11/X11Desktop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class X11WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_XVFB(server);
        client = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(client, nullptr);
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server.Name());
        ASSERT_NE(desktop, nullptr) << why;
    }
    void TearDown() override {
        desktop.reset();
        if (client)
            XCloseDisplay(client);
    }

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

    CXvfb server;
    Display* client = nullptr;
    std::unique_ptr<CX11Desktop> desktop;
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
    ASSERT_TRUE(desktop->WinActivate("First").ok);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(client, &focus, &revert);
    EXPECT_EQ(focus, first);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "First window");
    ASSERT_TRUE(desktop->WinActivate("Second").ok);
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Second window");

    const DesktopResult missing = desktop->WinActivate("Third");
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

// The test plays a window manager: it publishes the EWMH hints on the root
// and reads the requests sent to it.
TEST_F(X11WindowsTest, UsesTheWindowManagerHintsWhenPresent) {
    const Window frame = MakeWindow(nullptr);
    const Window inner = MakeWindow(nullptr, "Framed editor", true, frame);
    MakeWindow("Decoy editor"); // not in the client list: ignored while it exists
    std::vector<long> supported = {static_cast<long>(Intern("_NET_ACTIVE_WINDOW")),
                                   static_cast<long>(Intern("_NET_CLOSE_WINDOW"))};
    XChangeProperty(client, DefaultRootWindow(client), Intern("_NET_SUPPORTED"), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(supported.data()), 2);
    SetRootWindows("_NET_CLIENT_LIST", {inner});
    SetRootWindows("_NET_ACTIVE_WINDOW", {inner});
    XSelectInput(client, DefaultRootWindow(client), SubstructureNotifyMask);
    XSync(client, False);

    EXPECT_TRUE(desktop->WinExists("Framed"));
    EXPECT_FALSE(desktop->WinExists("Decoy"));
    EXPECT_EQ(desktop->WinGetActiveTitle(), "Framed editor");

    ASSERT_TRUE(desktop->WinActivate("editor").ok);
    XClientMessageEvent message{};
    ASSERT_TRUE(NextClientMessage(message));
    EXPECT_EQ(message.window, inner);
    EXPECT_EQ(message.message_type, Intern("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(message.data.l[0], 2);

    ASSERT_TRUE(desktop->WinClose("Framed").ok);
    ASSERT_TRUE(NextClientMessage(message));
    EXPECT_EQ(message.window, inner);
    EXPECT_EQ(message.message_type, Intern("_NET_CLOSE_WINDOW"));
}

} // namespace
