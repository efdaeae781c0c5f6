#include "XvfbSuite.h"

#include "fakes/TestSupport.h"
#include "x11/X11Desktop.h"

#include <gtest/gtest.h>

#include "TypingTarget.h"

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

const KeyPacing kFast{0, 0};

class X11DesktopTest : public XvfbSuiteTest {
protected:
    void SetUp() override {
        REQUIRE_XVFB(*server);
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server->Name());
        ASSERT_NE(desktop, nullptr) << why;
        EXPECT_EQ(why, "");
    }

    std::unique_ptr<CX11Desktop> desktop;
};

struct TypeCase {
    std::string label;
    std::string keys;
    std::string received;
};

class TypeKeysOnX : public X11DesktopTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeKeysOnX, TheFocusedWindowReceivesExactlyTheText) {
    CTypingTarget target(server->Name());
    ASSERT_NE(target.display, nullptr);
    const DesktopResult result = desktop->TypeKeys(GetParam().keys, kFast, {});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(target.Received(GetParam().received.size()), GetParam().received);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypeKeysOnX,
    ::testing::Values(
        TypeCase{"Lower", "hello world", "hello world"},
        TypeCase{"UpperAndShifted", "Hi! @#$%^&*()_+{}|:\"<>?~", "Hi! @#$%^&*()_+{}|:\"<>?~"},
        TypeCase{"Punctuation", "`-=[]\\;',./0123456789", "`-=[]\\;',./0123456789"},
        TypeCase{"EnterAndTab", "a<ENTER>b<TAB>c\nd", "a\nb\tc\nd"},
        TypeCase{"Chords", "<CTRL>c<CTRL><ALT><x><CTRL>V", "^c^M-x^v"},
        TypeCase{"ShiftChord", "<CTRL><SHIFT>t", "^T"},
        TypeCase{"NamedKeys", "<F5><BKSP><ESC>", "<F5><BackSpace><Escape>"},
        TypeCase{"LiteralAngles", "<a> < b <<>", "a < b <"},
        TypeCase{"NotOnTheKeyboard", "caf\xC3\xA9 \xE2\x82\xAC\xC3\xB1\xCE\xA9",
                 "caf\xC3\xA9 \xE2\x82\xAC\xC3\xB1\xCE\xA9"},
        TypeCase{"ManyBorrowedKeys",
                 "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8\xCE\xB1",
                 "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8\xCE\xB1"}),
    LabelName());

TEST_F(X11DesktopTest, BadKeysAreRefusedAndNothingIsTyped) {
    CTypingTarget target(server->Name());
    const DesktopResult result = desktop->TypeKeys("ab\x01", kFast, {});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "cannot type the control character 0x01");
    EXPECT_EQ(target.Received(1, std::chrono::milliseconds(200)), "");
}

TEST_F(X11DesktopTest, ModifiersAreNotLeftDown) {
    CTypingTarget target(server->Name());
    ASSERT_TRUE(desktop->TypeKeys("<CTRL><ALT>", kFast, {}).ok);
    ASSERT_TRUE(desktop->TypeKeys("z", kFast, {}).ok);
    EXPECT_EQ(target.Received(1), "z");
}

// A macro started by its hotkey begins typing while the user still holds
// the trigger keys: they never combine with what is typed, whether the user
// lets go soon or keeps holding past the wait.
TEST_F(X11DesktopTest, TypingWaitsForTheUsersHeldKeys) {
    for (const auto hold : {std::chrono::milliseconds(300), std::chrono::milliseconds(1500)}) {
        CTypingTarget target(server->Name());
        Display* user = XOpenDisplay(server->Name().c_str());
        ASSERT_NE(user, nullptr);
        for (KeySym key : {XK_Control_L, XK_Alt_L, XK_p})
            SendKey(user, key, true);
        auto typing = std::async(std::launch::async, [&] {
            return desktop->TypeKeys("Preis: 5\xE2\x82\xAC", KeyPacing{2, 2}, {});
        });
        std::this_thread::sleep_for(hold);
        for (KeySym key : {XK_p, XK_Alt_L, XK_Control_L})
            SendKey(user, key, false);
        XCloseDisplay(user);
        EXPECT_TRUE(typing.get().ok);
        // The user's own Ctrl+Alt+P (repeated while held) is theirs.
        std::string received = target.Received(11 + 4);
        for (size_t at; (at = received.find("^M-p")) != std::string::npos;)
            received.erase(at, 4);
        EXPECT_EQ(received, "Preis: 5\xE2\x82\xAC") << "held " << hold.count() << " ms";
    }
}

// A borrowed keycode stays mapped until an application that lags 10 ms per
// event behind has read its events, even when the desktop closes at once
// (tessera ending right after typing).
TEST_F(X11DesktopTest, ASlowApplicationReadsBorrowedKeysAfterTheEnd) {
    CTypingTarget target(server->Name(), true);
    target.lagPerEvent = std::chrono::milliseconds(10);
    auto typing = std::async(std::launch::async, [&] {
        const DesktopResult result = desktop->TypeKeys("Preis: 5\xE2\x82\xAC", kFast, {});
        desktop.reset();
        return result;
    });
    EXPECT_EQ(target.Received(11, std::chrono::seconds(3)), "Preis: 5\xE2\x82\xAC");
    EXPECT_TRUE(typing.get().ok);
}

// More characters the layout lacks than the spare keycodes hold at once: a
// lent keycode takes another keysym only once the application read the keys
// typed with the old one, however late it reads (it answers a ping after
// them) or, when it takes no pings, once it had time to.
struct SlowReader {
    std::string label;
    bool takesPings;
    int lagMs;
};

class SlowReaderOnX : public X11DesktopTest, public ::testing::WithParamInterface<SlowReader> {};

TEST_P(SlowReaderOnX, GetsEveryCharacterAcrossRemaps) {
    CTypingTarget target(server->Name(), GetParam().takesPings);
    target.lagPerEvent = std::chrono::milliseconds(GetParam().lagMs);
    std::string text;
    for (char32_t letter = 0x430; letter < 0x450; ++letter) { // а..я and А..Я
        AppendUtf8(text, letter);
        AppendUtf8(text, letter - 0x20);
    }
    for (char32_t letter = 0x3B1; letter <= 0x3C9; ++letter) // α..ω
        AppendUtf8(text, letter);
    auto typing =
        std::async(std::launch::async, [&] { return desktop->TypeKeys(text, kFast, {}); });
    EXPECT_EQ(target.Received(text.size(), std::chrono::seconds(20)), text);
    EXPECT_TRUE(typing.get().ok);
}

INSTANTIATE_TEST_SUITE_P(Readers, SlowReaderOnX,
                         ::testing::Values(SlowReader{"AnswersPingsLate", true, 3},
                                           SlowReader{"TakesNoPings", false, 0}),
                         LabelName());

TEST_F(X11DesktopTest, MouseClicksReachTheWindowUnderThePointer) {
    CTypingTarget target(server->Name());
    ASSERT_TRUE(desktop->MouseClick(60, 50, MouseButton::Right).ok);
    ASSERT_TRUE(desktop->MouseMove(110, 20).ok);
    ASSERT_TRUE(desktop->MouseDown(MouseButton::Left).ok);
    ASSERT_TRUE(desktop->MouseUp(MouseButton::Left).ok);
    target.Received(0, std::chrono::milliseconds(200));
    EXPECT_EQ(target.clicks, (std::vector<std::string>{"down 3 at 50,40", "up 3 at 50,40",
                                                       "down 1 at 100,10", "up 1 at 100,10"}));
    const DesktopResult bad = desktop->MouseDown(static_cast<MouseButton>(9));
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.error, "unknown mouse button 9");
}

// A window manager that raises a window on a click holds the mouse (a
// synchronous grab) until it lets the click through, but not the keyboard.
TEST_F(X11DesktopTest, KeysTypedAfterAHeldBackClickArriveAfterIt) {
    CTypingTarget target(server->Name());
    Display* manager = XOpenDisplay(server->Name().c_str());
    ASSERT_NE(manager, nullptr);
    XGrabButton(manager, Button1, AnyModifier, target.window, False, ButtonPressMask, GrabModeSync,
                GrabModeAsync, None, None);
    XSync(manager, False);
    std::thread raising([manager] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!XPending(manager) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XAllowEvents(manager, ReplayPointer, CurrentTime);
        XSync(manager, False);
    });
    EXPECT_TRUE(desktop->MouseClick(60, 50, MouseButton::Left).ok);
    EXPECT_TRUE(desktop->TypeKeys("k", kFast, {}).ok);
    raising.join();
    XCloseDisplay(manager);
    std::vector<int> order;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (order.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        XEvent event;
        if (!XCheckMaskEvent(target.display, KeyPressMask | ButtonPressMask | ButtonReleaseMask,
                             &event))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        else
            order.push_back(event.type);
    }
    EXPECT_EQ(order, (std::vector<int>{ButtonPress, ButtonRelease, KeyPress}));
}

TEST_F(X11DesktopTest, AlertNeedsAMessageBox) {
    EXPECT_EQ(desktop->Alert("hi").error, "no message box is available here");
    std::string shown;
    std::string why;
    auto withBox = CX11Desktop::Open(
        &why,
        [&](const std::string& message) {
            shown = message;
            return DesktopResult::Ok();
        },
        server->Name());
    ASSERT_NE(withBox, nullptr);
    EXPECT_TRUE(withBox->Alert("hello").ok);
    EXPECT_EQ(shown, "hello");
}

TEST(X11DesktopWithoutServer, SaysWhatIsMissing) {
    std::string why;
    EXPECT_EQ(CX11Desktop::Open(&why, {}, ":9996"), nullptr);
    EXPECT_EQ(why, "Key and mouse playback is unavailable: cannot open the X display ':9996'.");

    CXvfb bare({"-tst"});
    REQUIRE_XVFB(bare);
    EXPECT_EQ(CX11Desktop::Open(&why, {}, bare.Name()), nullptr);
    EXPECT_EQ(why, "Key and mouse playback is unavailable: the X server on '" + bare.Name() +
                       "' lacks the XTEST extension.");
}

} // namespace
