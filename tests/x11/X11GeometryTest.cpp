// Window geometry and state, the pointer, the screen and pixels on a real X
// server: xterm windows managed by openbox, and a plain window of a known
// colour.
#include "XProgram.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

// X11 headers after GoogleTest's: they define None.
#include "x11/X11Desktop.h"
#include "x11/X11WindowQuery.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "DesktopOnXvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class X11GeometryTest : public CDesktopOnXvfbTest {
protected:
    // Starts openbox and returns once it has framed the `windows` open now
    // (windows opened while it starts up may be missed).
    void StartOpenbox(size_t windows) {
        openbox = std::make_unique<CProgram>(server.Name(),
                                             std::vector<std::string>{"openbox", "--sm-disable"});
        for (int tries = 0; tries < 500; ++tries) {
            const std::vector<unsigned long> clients =
                X11ListProperty(client, DefaultRootWindow(client), "_NET_CLIENT_LIST", XA_WINDOW);
            size_t framed = 0;
            for (unsigned long window : clients)
                framed +=
                    X11ListProperty(client, window, "_NET_FRAME_EXTENTS", XA_CARDINAL).size() == 4;
            if (X11WindowManagerSupports(client, "_NET_MOVERESIZE_WINDOW") && framed == windows)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FAIL() << "openbox did not start";
    }

    // The top-level frame around `title`'s window, as X reports it.
    WindowRect FrameOf(const std::string& title) {
        Window found = None;
        for (unsigned long window :
             X11ListProperty(client, DefaultRootWindow(client), "_NET_CLIENT_LIST", XA_WINDOW))
            if (X11WindowTitle(client, window) == title)
                found = window;
        Window root = 0, parent = found, *children = nullptr;
        unsigned count = 0;
        for (Window window = found; window != None && window != DefaultRootWindow(client);) {
            found = window;
            XQueryTree(client, window, &root, &parent, &children, &count);
            if (children)
                XFree(children);
            window = parent;
        }
        int x = 0, y = 0;
        unsigned width = 0, height = 0, border = 0, depth = 0;
        XGetGeometry(client, found, &root, &x, &y, &width, &height, &border, &depth);
        return {x, y, static_cast<int>(width + 2 * border), static_cast<int>(height + 2 * border)};
    }

    // What `tessera` writes running `file` on this display.
    std::string RunTessera(const std::string& file) {
        const std::string command =
            "DISPLAY=" + server.Name() + " " + TESSERA_PATH + " '" + file + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        std::string out;
        char buffer[256];
        for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        if (pipe)
            pclose(pipe);
        return out;
    }

    std::unique_ptr<CProgram> openbox;
};

TEST_F(X11GeometryTest, XtermUnderOpenbox) {
    if (!CXvfb::HasProgram("openbox") || !CXvfb::HasProgram("xterm"))
        GTEST_SKIP() << "openbox and xterm are needed (Debian packages openbox, xterm)";
    CProgram xterm(server.Name(), {"xterm", "-T", "Geometry term", "-geometry", "80x24+30+40", "-e",
                                   "sleep", "60"});
    ASSERT_TRUE(desktop->WinWait("Geometry term", 5000, {}));
    CProgram other(server.Name(), {"xterm", "-T", "Other term", "-e", "sleep", "60"});
    ASSERT_TRUE(desktop->WinWait("Other term", 5000, {}));
    ASSERT_NO_FATAL_FAILURE(StartOpenbox(2));

    std::vector<std::string> titles;
    ASSERT_TRUE(desktop->WinList({"", "xterm"}, titles).ok);
    EXPECT_EQ(titles, (std::vector<std::string>{"Geometry term", "Other term"}));
    std::string className;
    ASSERT_TRUE(desktop->WinGetClass("Geometry", className).ok);
    EXPECT_EQ(className, "XTerm");
    int64_t pid = 0;
    ASSERT_TRUE(desktop->WinGetPid("Geometry", pid).ok);
    EXPECT_EQ(pid, xterm.pid);

    // The frame as the user sees it, title bar included; a move keeps the size.
    WindowRect rect;
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect, FrameOf("Geometry term"));
    const WindowRect first = rect;
    ASSERT_TRUE(desktop->WinMove("Geometry", {200, 150, 0, 0}, false, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect, (WindowRect{200, 150, first.width, first.height}));
    EXPECT_EQ(rect, FrameOf("Geometry term"));
    // xterm sizes in whole character cells: the frame lands on the next one.
    ASSERT_TRUE(desktop->WinMove("Geometry", {10, 20, 400, 300}, true, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect.x, 10);
    EXPECT_EQ(rect.y, 20);
    EXPECT_NEAR(rect.width, 400, 20);
    EXPECT_NEAR(rect.height, 300, 30);
    EXPECT_EQ(rect, FrameOf("Geometry term"));
    const WindowRect placed = rect;

    ASSERT_TRUE(desktop->WinSetState("Geometry", WindowState::Maximized, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect.x, 0);
    EXPECT_GT(rect.width, 1000);
    ASSERT_TRUE(desktop->WinSetState("Geometry", WindowState::Minimized, {}).ok);
    EXPECT_TRUE(desktop->WinExists("Geometry"));
    ASSERT_TRUE(desktop->WinSetState("Geometry", WindowState::Normal, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect, placed);
    // A maximized window is restored, then moved.
    ASSERT_TRUE(desktop->WinSetState("Geometry", WindowState::Maximized, {}).ok);
    ASSERT_TRUE(desktop->WinMove("Geometry", {60, 70, 0, 0}, false, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Geometry", rect).ok);
    EXPECT_EQ(rect, (WindowRect{60, 70, placed.width, placed.height}));
    XWindowAttributes attributes{};
    const Window frame =
        X11ClientWindowAt(client, rect.x + rect.width / 2, rect.y + rect.height / 2);
    ASSERT_NE(frame, static_cast<Window>(None));
    EXPECT_EQ(X11WindowTitle(client, frame), "Geometry term");
    XGetWindowAttributes(client, frame, &attributes);
    EXPECT_EQ(attributes.map_state, IsViewable);

    bool active = false;
    ASSERT_TRUE(desktop->WinActivate("Other term", 5000, {}).ok);
    ASSERT_TRUE(desktop->WinWaitActive("Other", 1000, {}, active).ok);
    EXPECT_TRUE(active);
    ASSERT_TRUE(desktop->WinWaitActive("Geometry", 50, {}, active).ok);
    EXPECT_FALSE(active);

    // The same through a script that `tessera` runs on this display.
    const std::string file = testing::TempDir() + "geometry.tsc";
    std::ofstream(file) << "WinMove(\"Other term\", 100, 110);\n"
                           "list p = WinGetPos(\"Other term\");\n"
                           "Print(p[0], \",\", p[1], \" \", WinGetClass(\"Other\"), \" \", "
                           "Count(WinList(\"term\")));\n";
    EXPECT_EQ(RunTessera(file), "100,110 XTerm 2\n");
    std::remove(file.c_str());

    // Closed between two calls.
    bool closed = false;
    ASSERT_TRUE(desktop->WinWaitClose("Geometry", 50, {}, closed).ok);
    EXPECT_FALSE(closed);
    xterm.End();
    ASSERT_TRUE(desktop->WinWaitClose("Geometry", 5000, {}, closed).ok);
    EXPECT_TRUE(closed);
    const DesktopResult gone = desktop->WinGetPos("Geometry", rect);
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.error, "no window has 'Geometry' in its title");
}

// No window manager: a window moves itself; minimizing and maximizing need a
// manager and say so. The pixel, pointer and screen come from the server.
TEST_F(X11GeometryTest, PixelsPointerScreenAndNoWindowManager) {
    XColor colour{};
    colour.red = 0x3300;
    colour.green = 0x6600;
    colour.blue = 0xCC00;
    ASSERT_TRUE(XAllocColor(client, DefaultColormap(client, DefaultScreen(client)), &colour));
    const Window window =
        XCreateSimpleWindow(client, DefaultRootWindow(client), 40, 50, 60, 30, 0, 0, colour.pixel);
    XStoreName(client, window, "Blue patch");
    XSelectInput(client, window, ExposureMask);
    XMapWindow(client, window);
    for (XEvent event; XWindowEvent(client, window, ExposureMask, &event), event.type != Expose;) {
    }
    XClearWindow(client, window);
    XSync(client, False);

    uint32_t rgb = 0;
    ASSERT_TRUE(desktop->PixelGetColor(70, 65, rgb).ok);
    EXPECT_EQ(rgb, 0x3366CCu);
    ASSERT_TRUE(desktop->PixelGetColor(5, 5, rgb).ok);
    EXPECT_NE(rgb, 0x3366CCu);
    const DesktopResult outside = desktop->PixelGetColor(1024, 0, rgb);
    EXPECT_EQ(outside.error, "the point 1024, 0 is outside the screen (1024x768)");

    int width = 0, height = 0, x = 0, y = 0;
    ASSERT_TRUE(desktop->ScreenSize(width, height).ok);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    ASSERT_TRUE(desktop->MouseMove(123, 456).ok);
    ASSERT_TRUE(desktop->MouseGetPos(x, y).ok);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);

    // As a window manager that exited leaves it: no frame is around it now.
    const long extents[] = {5, 5, 20, 5};
    XChangeProperty(client, window, XInternAtom(client, "_NET_FRAME_EXTENTS", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(extents), 4);
    XSync(client, False);
    WindowRect rect;
    ASSERT_TRUE(desktop->WinGetPos("Blue patch", rect).ok);
    EXPECT_EQ(rect, (WindowRect{40, 50, 60, 30}));
    ASSERT_TRUE(desktop->WinMove("Blue", {300, 200, 80, 40}, true, {}).ok);
    ASSERT_TRUE(desktop->WinGetPos("Blue", rect).ok);
    EXPECT_EQ(rect, (WindowRect{300, 200, 80, 40}));
    const DesktopResult maximize = desktop->WinSetState("Blue", WindowState::Maximized, {});
    EXPECT_EQ(maximize.error, "no window manager runs that can maximize windows");
    int64_t pid = 0;
    EXPECT_EQ(desktop->WinGetPid("Blue", pid).error, "the window 'Blue' does not name its process");
    // A process id is only good on the machine the program runs on.
    const long ownPid = 4321;
    XChangeProperty(client, window, XInternAtom(client, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&ownPid), 1);
    char host[256] = "";
    gethostname(host, sizeof host - 1);
    for (const std::string& machine : {std::string(host), std::string("elsewhere.example")}) {
        XTextProperty property{};
        property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(machine.c_str()));
        property.encoding = XA_STRING;
        property.format = 8;
        property.nitems = machine.size();
        XSetWMClientMachine(client, window, &property);
        XSync(client, False);
        const DesktopResult result = desktop->WinGetPid("Blue", pid);
        if (machine == host)
            EXPECT_TRUE(result.ok && pid == 4321) << result.error;
        else
            EXPECT_EQ(result.error,
                      "the window 'Blue' belongs to a program on 'elsewhere.example'");
    }
}

} // namespace
