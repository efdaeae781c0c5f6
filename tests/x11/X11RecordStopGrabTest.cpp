// The stop combination is kept from the application while recording, on
// the layout in use: after a layout or group change mid-recording it is
// grabbed where the stop key now is, and the key now at its old place
// reaches the application again.
#include "XvfbSuite.h"

#include "fakes/TestSupport.h"
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

class StopGrabFollowsTheLayout : public XvfbClientTest,
                                 public ::testing::WithParamInterface<SwitchCase> {
protected:
    // Presses `keycode` (evdev numbering), with Control when `control`.
    void Press(unsigned keycode, bool control = false) {
        constexpr unsigned kControlL = 37;
        if (control)
            XTestFakeKeyEvent(client, kControlL, True, 0);
        XTestFakeKeyEvent(client, keycode, True, 0);
        XTestFakeKeyEvent(client, keycode, False, 0);
        if (control)
            XTestFakeKeyEvent(client, kControlL, False, 0);
        XSync(client, False);
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

} // namespace
