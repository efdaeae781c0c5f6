// The Wayland desktop against a headless sway and native windows of our
// own: typed text must arrive exactly whatever layout sway gives its
// keyboards, chords as Latin keys, and the window functions must see and
// activate native windows (the X11 backend sees none of them).

#include "wayland/WaylandDesktop.h"
#include "SwaySession.h"
#include "engine/Utf8.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class WaylandDesktopTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        session = new CSwaySession;
        startProblem = session->Start();
    }
    static void TearDownTestSuite() {
        delete session;
        session = nullptr;
    }
    void SetUp() override {
        if (startProblem == "sway is not installed")
            GTEST_SKIP() << "sway is not installed: the Wayland desktop is not tested";
        ASSERT_EQ(startProblem, "");
        std::string why;
        desktop = CWaylandDesktop::Open(&why);
        ASSERT_TRUE(desktop) << why;
        // This sway has no keyboard or pointer of its own: ours come first,
        // as a user's would, so windows take them up as they open.
        ASSERT_TRUE(desktop->TypeKeys("", KeyPacing{}, {}).ok);
        ASSERT_TRUE(desktop->MouseMove(0, 0).ok);
    }
    void TearDown() override {
        for (pid_t window : windows) {
            kill(window, SIGTERM);
            waitpid(window, nullptr, 0);
        }
    }

    // Opens a key log window and waits until the compositor lists it.
    std::string OpenWindow(const std::string& title, const std::string& appId) {
        const std::string log = session->RuntimeDir() + "/" + appId + ".log";
        std::remove(log.c_str());
        windows.push_back(session->Spawn({KEYLOG_WINDOW, title, appId, log}));
        EXPECT_TRUE(desktop->WinWait(WindowMatch(title), 5000, {})) << title;
        return log;
    }

    // What the window logged once it holds `expected` or 3 s passed.
    static std::string AwaitLog(const std::string& log, const std::string& expected) {
        std::string text;
        for (auto end = std::chrono::steady_clock::now() + 3s;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(10ms)) {
            text = ReadFile(log);
            if (text.size() >= expected.size())
                break;
        }
        return text;
    }

    static CSwaySession* session;
    static std::string startProblem;
    std::unique_ptr<CWaylandDesktop> desktop;
    std::vector<pid_t> windows;
};

CSwaySession* WaylandDesktopTest::session = nullptr;
std::string WaylandDesktopTest::startProblem;

TEST_F(WaylandDesktopTest, TypesAnyTextExactlyWhateverTheLayout) {
    const std::string log = OpenWindow("Tastenlog ä", "wingmate.keylog");
    ASSERT_TRUE(desktop->WinActivate(WindowMatch("Tastenlog"), 3000, {}).ok);
    // The layout sway puts on keyboards changes while our keyboard lives.
    const struct {
        const char* layout;
        std::string keys, expected;
    } cases[] = {
        {"us", "Hi, {Wörld}! @#1 äöüß€ Привет ё\tz<ENTER><CTRL>a<CTRL>z",
         "Hi, {Wörld}! @#1 äöüß€ Привет ё\tz\r<C-a><C-z>"},
        {"de", "yz YZ ;:'\" äöüß€ Ωπ<CTRL>y<ALT><CTRL>q", "yz YZ ;:'\" äöüß€ Ωπ<C-y><C-q>"},
    };
    std::string expected;
    for (const auto& c : cases) {
        ASSERT_TRUE(session->Command(std::string("input type:keyboard xkb_layout ") + c.layout));
        const DesktopResult typed = desktop->TypeKeys(c.keys, KeyPacing{0, 0}, {});
        ASSERT_TRUE(typed.ok) << typed.error;
        expected += c.expected;
        EXPECT_EQ(AwaitLog(log, expected), expected) << "layout " << c.layout;
    }
}

// More distinct characters than one keymap holds: the map changes while
// typing, and no key around the change may be lost or misread.
TEST_F(WaylandDesktopTest, TypesMoreCharactersThanOneKeymapHolds) {
    const std::string log = OpenWindow("Viele Zeichen", "wingmate.many");
    ASSERT_TRUE(desktop->WinActivate(WindowMatch("Viele Zeichen"), 3000, {}).ok);
    std::string text = "ab";
    for (char32_t c = 0x4E00; c < 0x4E00 + 2 * CVirtualKeymap::ExtraCapacity() + 7; ++c) {
        AppendUtf8(text, c);
        text += c % 5 ? "" : "x";
    }
    text += "\u00e4z";
    const DesktopResult typed = desktop->TypeKeys(text, KeyPacing{0, 0}, {});
    ASSERT_TRUE(typed.ok) << typed.error;
    EXPECT_EQ(AwaitLog(log, text), text);
}

// Clicks land where asked: the window sits at the screen's corner (tiled,
// no border), so its positions are screen positions. The clicks stay within
// the size it first draws at, before it takes the screen's size.
TEST_F(WaylandDesktopTest, ClicksAtScreenPositions) {
    const std::string log = OpenWindow("Maus", "wingmate.mouse");
    ASSERT_TRUE(desktop->WinActivate(WindowMatch("Maus"), 3000, {}).ok);
    int width = 0, height = 0;
    ASSERT_TRUE(desktop->ScreenSize(width, height).ok);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    ASSERT_TRUE(desktop->MouseClick(200, 100, MouseButton::Left).ok);
    ASSERT_TRUE(desktop->MouseClick(317, 198, MouseButton::Right).ok);
    const std::string expected = "<click 272 200,100><click 273 317,198>";
    EXPECT_EQ(AwaitLog(log, expected), expected);
    EXPECT_FALSE(desktop->MouseClick(1024, 10, MouseButton::Left).ok);
}

TEST_F(WaylandDesktopTest, FindsActivatesAndClosesNativeWindows) {
    OpenWindow("Fenster Ä", "wingmate.first");
    OpenWindow("Окно Б", "wingmate.second");
    EXPECT_TRUE(desktop->WinExists(WindowMatch("Fenster")));
    EXPECT_TRUE(desktop->WinExists(WindowMatch("", "WINGMATE.SECOND")));
    EXPECT_FALSE(desktop->WinExists(WindowMatch("Fenster", "wingmate.second")));
    for (const char* title : {"Fenster Ä", "Окно Б", "Fenster Ä"}) {
        const DesktopResult activated = desktop->WinActivate(WindowMatch(title), 3000, {});
        ASSERT_TRUE(activated.ok) << activated.error;
        EXPECT_EQ(desktop->WinGetActiveTitle(), title);
    }
    const DesktopResult missing = desktop->WinActivate(WindowMatch("Nirgends"), 500, {});
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("Nirgends"), std::string::npos);
    ASSERT_TRUE(desktop->WinClose(WindowMatch("Окно")).ok);
    bool closed = false;
    ASSERT_TRUE(desktop->WinWaitClose(WindowMatch("Окно"), 3000, {}, closed).ok);
    EXPECT_TRUE(closed);
    // What the compositor cannot do is an error naming it, never a success.
    WindowRect rect;
    const DesktopResult where = desktop->WinGetPos(WindowMatch("Fenster"), rect);
    EXPECT_FALSE(where.ok);
    EXPECT_NE(where.error.find("Wayland"), std::string::npos);
}

} // namespace
