// Trigger keys taken from the focused window: the X11 hook and its grabs
// driving the hook wrapper, against a window that writes down what it gets.
#include "XvfbSuite.h"

#include "fakes/FakeKeyHook.h"
#include "fakes/TriggerLibrary.h"
#include "library/MacroLibrary.h"
#include "triggers/KeyHook.h"
#include "x11/X11Display.h"
#include "x11/X11KeyHook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "TypingTarget.h"

#include <X11/XKBlib.h>

namespace {

class X11KeyGrabsTest : public XvfbClientTest {
protected:
    void SetUp() override {
        XvfbClientTest::SetUp();
        if (!client)
            return;
        port = std::make_unique<CX11KeyHook>(
            [this](intptr_t, int identifier, int code) {
                if (identifier == CKeyHook::kTyped || identifier == CKeyHook::kTypingBreak)
                    return; // what keys type is the program's, not the wrapper's
                std::lock_guard lock(mutex);
                reports.push_back({identifier, code});
                arrived.notify_all();
            },
            server->Name());
        hook = std::make_unique<CKeyHook>(*port, lib, starter, [] { return true; });
        hook->SetMainWindow(42);
        hook->SetHeldElsewhereReport(
            [this](const TriggerKeys& t) { heldElsewhere.push_back(t.name); });
    }
    void TearDown() override {
        hook.reset();
        port.reset();
        XvfbClientTest::TearDown();
    }

    // Presses the keys in order and lets them go in reverse, then hands the
    // hook's reports of them to the wrapper, as the main window would.
    void Chord(std::initializer_list<KeySym> keys) {
        for (KeySym key : keys)
            SendKey(client, key, true);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            SendKey(client, *key, false);
        std::unique_lock lock(mutex);
        const size_t wanted = keys.size() * 2;
        arrived.wait_for(lock, std::chrono::seconds(3), [&] { return reports.size() >= wanted; });
        ASSERT_EQ(reports.size(), wanted);
        const std::deque<std::pair<int, int>> taken = std::move(reports);
        reports.clear();
        lock.unlock();
        for (const auto& [identifier, code] : taken)
            hook->OnHookCommand(identifier, code);
    }
    size_t Runs() const { return starter.calls.size() / 2; }
    void LockModifiers(unsigned mask, bool on) {
        XkbLockModifiers(client, XkbUseCoreKbd, mask, on ? mask : 0);
        XSync(client, False);
    }

    CTriggerLibrary library;
    CMacroLibrary& lib = library.lib;
    CRecordingMacroStarter starter;
    std::unique_ptr<CX11KeyHook> port;
    std::unique_ptr<CKeyHook> hook;
    std::vector<std::string> heldElsewhere;
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::pair<int, int>> reports;
};

// With each lock key on, the trigger runs its macro and the window gets no
// k, while a combination of no macro reaches it; with taking off, the
// trigger's keys reach it again (and the macro still runs).
TEST_F(X11KeyGrabsTest, TriggerKeysAreTakenWhateverTheLocksAndGivenBack) {
    CTypingTarget target(server->Name());
    ASSERT_TRUE(target.display);
    library.Add("kill", "<CTRL><ALT><K>");
    hook->Install();
    hook->SetTaking(true);
    ASSERT_TRUE(heldElsewhere.empty());

    const unsigned numLock = XkbKeysymToModifiers(client, XK_Num_Lock);
    ASSERT_NE(numLock, 0u);
    for (const unsigned lock : {0u, numLock, unsigned(LockMask)}) {
        LockModifiers(lock, true);
        Chord({XK_Control_L, XK_Alt_L, XK_k});
        Chord({XK_Control_L, XK_Alt_L, XK_j});
        LockModifiers(lock, false);
    }
    EXPECT_EQ(Runs(), 3u);
    EXPECT_EQ(target.Received(12), "^M-j^M-j^M-J");

    hook->SetTaking(false);
    Chord({XK_Control_L, XK_Alt_L, XK_k});
    EXPECT_EQ(Runs(), 4u);
    EXPECT_EQ(target.Received(4), "^M-k");
}

// Twenty presses inside a second are all taken from the window and all
// reach the starter, in order (the run queue's own rules for a burst are
// its tests' business).
TEST_F(X11KeyGrabsTest, TwentyPressesInASecondAreAllTakenAndStarted) {
    CTypingTarget target(server->Name());
    ASSERT_TRUE(target.display);
    library.Add("burst", "<CTRL><ALT><K>");
    hook->Install();
    hook->SetTaking(true);
    for (int press = 0; press < 20; ++press) // back to back: about half a second
        Chord({XK_Control_L, XK_Alt_L, XK_k});
    EXPECT_EQ(Runs(), 20u);
    Chord({XK_j}); // a key of no trigger, so the window shows it got nothing before
    EXPECT_EQ(target.Received(1), "j");
}

// A sticky prefix's key is taken only while the prefix is armed; a
// combination another client holds is reported by macro name and still
// runs its macro.
TEST_F(X11KeyGrabsTest, PrefixKeysWhileArmedAndKeysHeldElsewhere) {
    CTypingTarget target(server->Name());
    ASSERT_TRUE(target.display);
    Display* other = XOpenDisplay(server->Name().c_str());
    ASSERT_TRUE(other);
    XGrabKey(other, XKeysymToKeycode(other, XK_l), ControlMask | Mod1Mask, DefaultRootWindow(other),
             False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    library.Add("x after ctrl", "<X>", TriggerPrefix::Ctrl);
    library.Add("held", "<CTRL><ALT><L>");
    hook->Install();
    hook->SetTaking(true);
    EXPECT_EQ(heldElsewhere, std::vector<std::string>{"held"});

    Chord({XK_x}); // no prefix: the x is the window's
    Chord({XK_Control_L});
    Chord({XK_x}); // armed: taken, and the macro runs
    EXPECT_EQ(Runs(), 1u);
    Chord({XK_Control_L, XK_Alt_L, XK_l}); // the other client gets it, the macro runs
    EXPECT_EQ(Runs(), 2u);
    EXPECT_EQ(target.Received(1), "x");
    hook->SetTaking(false);
    hook->SetTaking(true);
    EXPECT_EQ(heldElsewhere.size(), 1u); // told once
    XCloseDisplay(other);
}

} // namespace

namespace {
// X errors are said where they happen, except those of windows that vanished
// (normal on a live desktop) and those a trap waits for.
TEST_F(XvfbSuiteTest, AnUntrappedXErrorIsSaidAndTheProgramGoesOn) {
    if (!server)
        GTEST_SKIP();
    std::string cause;
    Display* display = OpenX11Display(server->Name(), cause);
    ASSERT_NE(display, nullptr) << cause;
    struct Case {
        const char* what;
        void (*request)(Display*);
        bool trapped;
        const char* said;
    };
    const Case cases[] = {
        {"bad pixmap", [](Display* d) { XFreePixmap(d, 0x3f00001); }, false, "BadPixmap"},
        {"vanished window", [](Display* d) { XMapWindow(d, 0x3f00002); }, false, ""},
        {"trapped", [](Display* d) { XFreePixmap(d, 0x3f00003); }, true, ""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        int trappedCode = 0;
        if (c.trapped) {
            CX11ErrorTrap trap(display);
            c.request(display);
            XSync(display, False);
            trappedCode = trap.Code();
        } else {
            c.request(display);
            XSync(display, False);
        }
        const std::string said = testing::internal::GetCapturedStderr();
        if (*c.said)
            EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ": " << said;
        else
            EXPECT_EQ(said, "") << c.what;
        EXPECT_EQ(trappedCode != 0, c.trapped) << c.what;
    }
    XCloseDisplay(display);
}
} // namespace
