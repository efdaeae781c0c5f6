// What the key hook reports under the layouts users have, started under us
// and following every change: letters by the active layout's letter, digit
// keys as digits (AZERTY too), AltGr never as Alt, Cyrillic keys by their
// Latin place, the keypad by NumLock.
#include "KeypadKeys.h"
#include "XvfbServer.h"

#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "x11/X11KeyHook.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class CPresses {
public:
    void Push(int identifier, int code) {
        std::lock_guard lock(mutex);
        if (identifier == CKeyHook::kKeyDown)
            codes.push_back(code);
        arrived.notify_all();
    }
    // The code of the next press, or -1 after a second.
    int Next() {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, std::chrono::seconds(1), [&] { return !codes.empty(); }))
            return -1;
        const int code = codes.front();
        codes.erase(codes.begin());
        return code;
    }

private:
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<int> codes;
};

unsigned KeycodeNamed(Display* display, const char* name) {
    XkbDescPtr xkb = XkbGetMap(display, 0, XkbUseCoreKbd);
    unsigned found = 0;
    if (xkb && XkbGetNames(display, XkbKeyNamesMask, xkb) == Success)
        for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code && !found;
             ++keycode)
            if (std::strncmp(xkb->names->keys[keycode].name, name, XkbKeyNameLength) == 0)
                found = keycode;
    if (xkb)
        XkbFreeKeyboard(xkb, 0, True);
    return found;
}

class HookUnderLayouts : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_XVFB(server);
        if (!CXvfb::HasProgram("setxkbmap"))
            GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
        ASSERT_EQ(server.SetKeymap({"-layout", "us"}), "");
        sender = XOpenDisplay(server.Name().c_str());
        ASSERT_NE(sender, nullptr);
        hook = std::make_unique<CX11KeyHook>(
            [this](intptr_t, int identifier, int code) { presses.Push(identifier, code); },
            server.Name());
        hook->SetHandle(1);
        hook->SetType(1);
        hook->InitKeybHook(0);
        ASSERT_TRUE(hook->Running()) << hook->LastError();
    }
    void TearDown() override {
        hook.reset();
        if (sender)
            XCloseDisplay(sender);
    }
    int CodeOf(const char* keyName) {
        const unsigned keycode = KeycodeNamed(sender, keyName);
        EXPECT_NE(keycode, 0u) << keyName;
        XTestFakeKeyEvent(sender, keycode, True, CurrentTime);
        XTestFakeKeyEvent(sender, keycode, False, CurrentTime);
        XSync(sender, False);
        return presses.Next();
    }

    CXvfb server;
    Display* sender = nullptr;
    CPresses presses;
    std::unique_ptr<CX11KeyHook> hook;
};

struct LayoutKey {
    const char* layouts;
    int group;
    const char* keyName;
    int code;
};

TEST_F(HookUnderLayouts, TheFirstPressAfterEachChangeReadsTheNewLayout) {
    const LayoutKey cases[] = {
        {"us", 0, "AD06", 'Y'},          {"us", 0, "AB01", 'Z'},
        {"us", 0, "RALT", vk::Alt},      {"us", 0, "AE01", '1'},
        {"de", 0, "AD06", 'Z'},          {"de", 0, "AB01", 'Y'},
        {"de", 0, "RALT", vk::Unmapped}, {"de", 0, "AE01", '1'},
        {"fr", 0, "AE01", '1'},          {"fr", 0, "AE03", '3'},
        {"fr", 0, "AE04", '4'},          {"fr", 0, "AE06", '6'},
        {"fr", 0, "AD01", 'A'},          {"fr", 0, "RALT", vk::Unmapped},
        {"us,ru", 0, "AC01", 'A'},       {"us,ru", 1, "AC01", 'A'},
        {"us,ru", 1, "AD02", 'W'},       {"us,ru", 1, "AE05", '5'},
        {"us,ru", 0, "AD02", 'W'},
    };
    std::string current = "us";
    int group = 0;
    for (const LayoutKey& each : cases) {
        if (current != each.layouts) {
            ASSERT_EQ(server.SetKeymap({"-layout", each.layouts}), "");
            current = each.layouts;
            group = 0;
        }
        if (group != each.group) {
            XkbLockGroup(sender, XkbUseCoreKbd, static_cast<unsigned>(each.group));
            XSync(sender, False);
            group = each.group;
        }
        EXPECT_EQ(CodeOf(each.keyName), each.code)
            << each.keyName << " under " << each.layouts << " group " << each.group;
    }
}

// The trigger box asks the same translation by keycode: on AZERTY the digit
// row records digits, the German Z key <Z>.
TEST_F(HookUnderLayouts, TheTriggerBoxGetsTheHooksCodes) {
    const LayoutKey cases[] = {{"fr", 0, "AE01", '1'},
                               {"fr", 0, "AE07", '7'},
                               {"de", 0, "AD06", 'Z'},
                               {"us", 0, "AE07", '7'}};
    for (const LayoutKey& each : cases) {
        ASSERT_EQ(server.SetKeymap({"-layout", each.layouts}), "");
        EXPECT_EQ(HookCodeForKeycode(KeycodeNamed(sender, each.keyName), server.Name()), each.code)
            << each.keyName << " under " << each.layouts;
        EXPECT_EQ(CodeOf(each.keyName), each.code) << "the hook agrees";
    }
}

TEST_F(HookUnderLayouts, KeypadFollowsNumLock) {
    const unsigned numLock = XkbKeysymToModifiers(sender, XK_Num_Lock);
    ASSERT_NE(numLock, 0u);
    for (bool on : {false, true, false}) {
        XkbLockModifiers(sender, XkbUseCoreKbd, numLock, on ? numLock : 0);
        XSync(sender, False);
        for (const KeypadKey& key : kKeypadKeys)
            EXPECT_EQ(CodeOf(key.xkbName), on ? key.codeNumLockOn : key.codeNumLockOff)
                << key.xkbName << " NumLock " << (on ? "on" : "off");
    }
}

} // namespace
