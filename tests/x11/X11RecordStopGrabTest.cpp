// The stop combination is kept from the application while recording, on
// the layout in use: after a layout or group change mid-recording it is
// grabbed where the stop key now is, and the key now at its old place
// reaches the application again. Each key is read in the group it was
// typed in, also when another program switches the group around every key.
#include "XvfbSuite.h"

#include "fakes/TestSupport.h"
#include "record/RecordDlgLogic.h"
#include "record/Recorder.h"
#include "triggers/KeyNames.h"
#include "x11/X11RecordSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "CtrlZRecording.h"
#include "TypingTarget.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>

namespace {

struct SwitchCase {
    std::string label;
    std::vector<std::string> layout;   // at the start: Z where US keyboards have it
    std::vector<std::string> switched; // setxkbmap arguments, or none
    int lockGroup;                     // else the group locked
};

constexpr unsigned kControlL = 37; // evdev numbering

class StopGrabFollowsTheLayout : public XvfbClientTest,
                                 public ::testing::WithParamInterface<SwitchCase> {
protected:
    void Press(unsigned keycode, bool control = false) {
        PressKey(client, keycode, control ? kControlL : 0);
    }
};

TEST_P(StopGrabFollowsTheLayout, CtrlZIsKeptAndCtrlYGoesThrough) {
    if (!CXvfb::HasProgram("setxkbmap"))
        GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
    std::vector<std::string> layout = {"-layout"};
    layout.insert(layout.end(), GetParam().layout.begin(), GetParam().layout.end());
    ASSERT_EQ(server->SetKeymap(layout), "");
    CCtrlZRecording recording(server->Name());
    CRecorder& recorder = recording.recorder;
    const CLines& sink = recording.sink;
    CTypingTarget target(server->Name());
    ASSERT_NE(target.display, nullptr);
    ASSERT_EQ(recorder.Start(), "");

    constexpr unsigned kKeyA = 38, kKeyZOnUs = 52, kKeyYOnUs = 29;
    Press(kKeyA);
    if (!GetParam().switched.empty())
        ASSERT_EQ(server->SetKeymap(GetParam().switched), "");
    else
        XkbLockGroup(client, XkbUseCoreKbd, GetParam().lockGroup);
    XSync(client, False);
    // The key where US keyboards have Z is Y on the German layout; once the
    // recorder wrote it as y, it has followed the change.
    Press(kKeyZOnUs);
    recording.PumpWhile([&] { return sink.pending != R"(TypeKeys("ay");)"; }, 400);
    ASSERT_EQ(sink.pending, R"(TypeKeys("ay");)");
    Press(kKeyZOnUs, true); // Ctrl+Y
    Press(kKeyYOnUs, true); // Ctrl+Z, the stop combination
    recording.PumpUntilStopped(400);
    EXPECT_TRUE(sink.stopped);
    EXPECT_EQ(target.Received(4), "ay^y");
    recorder.ReleaseHooks();
    EXPECT_EQ(sink.lines.back(), R"(TypeKeys("ay<CTRL>y");)");
}

INSTANTIATE_TEST_SUITE_P(Switches, StopGrabFollowsTheLayout,
                         ::testing::Values(SwitchCase{"NewLayout", {"us"}, {"-layout", "de"}, 0},
                                           SwitchCase{"GroupSwitch", {"us,de"}, {}, 1}),
                         LabelName());

// The stop key is the key that types the stop character on the layout in
// use; a character the layout lacks is refused before recording starts.
struct StopCharacterCase {
    std::string label;
    std::string layout;
    std::string character;
    unsigned stopKeycode;  // evdev numbering; 0: refused
    unsigned otherKeycode; // the character's US key, which must not stop; 0: none
};

class StopCharacterOnTheLayout : public XvfbClientTest,
                                 public ::testing::WithParamInterface<StopCharacterCase> {};

TEST_P(StopCharacterOnTheLayout, TheKeyThatTypesItStops) {
    if (!CXvfb::HasProgram("setxkbmap"))
        GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
    const StopCharacterCase& c = GetParam();
    ASSERT_EQ(server->SetKeymap({"-layout", c.layout}), "");
    CX11RecordSource source(server->Name());
    CRecorder recorder(source);
    CLines sink;
    RecordInitT init;
    init.scriptView = &sink;
    init.owner = &sink;
    init.stopModifier = vk::Ctrl;
    init.stopKey = StopKeyForText(c.character);
    init.stopCharacter = c.character;
    recorder.Init(init);
    CTypingTarget target(server->Name());
    ASSERT_NE(target.display, nullptr);
    if (!c.stopKeycode) {
        EXPECT_EQ(recorder.Start(), StopCharacterRefusal(c.character));
        EXPECT_FALSE(recorder.Recording());
        return;
    }
    ASSERT_EQ(recorder.Start(), "");
    const auto pump = [&](int rounds) {
        for (int i = 0; i < rounds && !sink.stopped; ++i) {
            recorder.Pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    if (c.otherKeycode) {
        PressKey(client, c.otherKeycode, kControlL);
        target.Received(2);
        pump(20);
        EXPECT_FALSE(sink.stopped);
    }
    PressKey(client, c.stopKeycode, kControlL);
    pump(400);
    EXPECT_TRUE(sink.stopped);
    recorder.ReleaseHooks();
}

INSTANTIATE_TEST_SUITE_P(Characters, StopCharacterOnTheLayout,
                         ::testing::Values(StopCharacterCase{"UsHash", "us", "#", 12, 0},
                                           StopCharacterCase{"DeHash", "de", "#", 51, 12},
                                           StopCharacterCase{"DeUmlaut", "de", "\xC3\xA4", 48, 0},
                                           StopCharacterCase{"DeZ", "de", "z", 29, 52},
                                           StopCharacterCase{"UsUmlautRefused", "us", "\xC3\xA4", 0,
                                                             0}),
                         LabelName());

// xdotool types Latin text under a Cyrillic group by locking the first group
// around each key it sends; the recorder reads each key with the group of
// its own event, not the one locked again by the time it reads it.
TEST_F(XvfbClientTest, KeysAreReadInTheGroupTheyWereTypedIn) {
    if (!CXvfb::HasProgram("setxkbmap"))
        GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
    ASSERT_EQ(server->SetKeymap({"-layout", "us,ru"}), "");
    XkbLockGroup(client, XkbUseCoreKbd, 1);
    XSync(client, False);
    CCtrlZRecording recording(server->Name());
    const CLines& sink = recording.sink;
    CTypingTarget target(server->Name());
    ASSERT_NE(target.display, nullptr);
    ASSERT_EQ(recording.recorder.Start(), "");

    const std::string text = "line1 hello";
    for (const char character : text) {
        const KeyCode keycode =
            XKeysymToKeycode(client, character == ' ' ? XK_space : static_cast<KeySym>(character));
        XkbLockGroup(client, XkbUseCoreKbd, 0);
        XTestFakeKeyEvent(client, keycode, True, 0);
        XTestFakeKeyEvent(client, keycode, False, 0);
        XkbLockGroup(client, XkbUseCoreKbd, 1);
    }
    XSync(client, False);
    EXPECT_EQ(target.Received(text.size()), text);
    const std::string typed = R"(TypeKeys(")" + text + R"(");)";
    recording.PumpWhile([&] { return sink.pending.size() < typed.size(); }, 400);
    recording.recorder.ReleaseHooks();
    XkbLockGroup(client, XkbUseCoreKbd, 0);
    XSync(client, False);
    ASSERT_FALSE(sink.lines.empty());
    EXPECT_EQ(sink.lines.back(), typed);
}

} // namespace
