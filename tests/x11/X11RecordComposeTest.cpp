// Dead keys while recording: the script holds the character the sequence
// composed, and replaying it types the same text into a fresh window.
#include "XvfbSuite.h"

#include "engine/Engine.h"
#include "fakes/TestSupport.h"
#include "record/Recorder.h"
#include "triggers/KeyNames.h"
#include "x11/X11Compose.h"
#include "x11/X11Desktop.h"
#include "x11/X11RecordSource.h"

#include <gtest/gtest.h>

#include <future>

#include "CtrlZRecording.h"
#include "TypingTarget.h"

#include <X11/extensions/XTest.h>

namespace {

struct ComposeCase {
    std::string label;
    std::string locale;
    std::vector<uint32_t> keysyms; // pressed in turn
    std::string text;              // what they give the application
};

class KeyComposer : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(KeyComposer, GivesTheComposedText) {
    CKeyComposer composer(GetParam().locale);
    if (!composer.HasTable())
        GTEST_SKIP() << "no Compose table (libxkbcommon or libx11-data missing)";
    std::string text;
    for (uint32_t keysym : GetParam().keysyms) {
        char own[8] = {};
        if (keysym < 0x80)
            own[0] = static_cast<char>(keysym);
        const CKeyComposer::Result result = composer.Feed(keysym, own);
        EXPECT_TRUE(!result.swallowed || result.text.empty());
        text += result.text;
    }
    EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, KeyComposer,
    ::testing::Values(
        ComposeCase{"CircumflexE", "de_DE.UTF-8", {XK_dead_circumflex, 'e'}, "\xC3\xAA"},
        ComposeCase{
            "ShiftInsideTheSequence", "de_DE.UTF-8", {XK_dead_acute, XK_Shift_L, 'A'}, "\xC3\x81"},
        ComposeCase{"SpaceGivesTheAccent", "de_DE.UTF-8", {XK_dead_circumflex, ' '}, "^"},
        ComposeCase{
            "ACancellingKeyKeepsItsOwnText", "de_DE.UTF-8", {XK_dead_circumflex, 'q', 'e'}, "qe"},
        ComposeCase{"ComposeKey", "en_US.UTF-8", {XK_Multi_key, 'o', 'c'}, "\xC2\xA9"},
        ComposeCase{"UnknownLocaleFallsBack", "xx_YY.UTF-8", {XK_dead_grave, 'a'}, "\xC3\xA0"}),
    LabelName());

class RecordDeadKeys : public XvfbClientTest {
protected:
    void SetUp() override {
        XvfbClientTest::SetUp();
        if (IsSkipped())
            return;
        if (!CXvfb::HasProgram("setxkbmap"))
            GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
        ASSERT_EQ(server->SetKeymap({"-layout", "de"}), "");
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server->Name());
        ASSERT_NE(desktop, nullptr) << why;
    }

    // Presses the key that gives `keysym` on the layout, with Shift when
    // `shift`, as the user's keyboard would.
    void Press(KeySym keysym, bool shift = false) {
        XSync(client, False);
        const KeyCode key = XKeysymToKeycode(client, keysym);
        const KeyCode shiftKey = XKeysymToKeycode(client, XK_Shift_L);
        ASSERT_NE(key, 0) << XKeysymToString(keysym);
        PressKey(client, key, shift ? shiftKey : 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    std::unique_ptr<CX11Desktop> desktop;
};

TEST_F(RecordDeadKeys, TheScriptTypesWhatTheSequencesComposed) {
    CCtrlZRecording recording(server->Name());
    CRecorder& recorder = recording.recorder;
    const CLines& sink = recording.sink;
    auto target = std::make_unique<CTypingTarget>(server->Name());
    ASSERT_NE(target->display, nullptr);
    ASSERT_EQ(recorder.Start(), "");

    Press(XK_dead_circumflex), Press(XK_e);
    Press(XK_dead_acute), Press(XK_a);
    Press(XK_dead_circumflex), Press(XK_space);
    Press(XK_dead_grave, true), Press(XK_A, true); // Shift+´ is the grave accent
    Press(XK_dead_circumflex), Press(XK_q);        // no such character: q alone
    Press(XK_dead_circumflex);                     // left unfinished at the stop
    ASSERT_TRUE(desktop->TypeKeys("<CTRL>z", KeyPacing{2, 2}, {}).ok);
    recording.PumpUntilStopped(500);
    EXPECT_TRUE(sink.stopped);
    recorder.ReleaseHooks();
    const std::string typed = "\xC3\xAA\xC3\xA1^\xC3\x80q"; // êá^Àq
    ASSERT_EQ(sink.lines, (std::vector<std::string>{R"(WinWait("Typing target", 5000);)",
                                                    R"(WinActivate("Typing target");)",
                                                    "TypeKeys(\"" + typed + "\");"}));

    std::string script;
    for (const std::string& line : sink.lines)
        script += line + "\n";
    target = std::make_unique<CTypingTarget>(server->Name());
    ASSERT_NE(target->display, nullptr);
    ssi_stream stream;
    CScript replay(&stream, &stream);
    replay.GetEngine()->SetDesktop(desktop.get());
    ASSERT_TRUE(replay.LoadSource("recorded.tsc", script)) << script;
    auto running = std::async(std::launch::async, [&] { return replay.Run(); });
    const std::string replayed = target->Received(typed.size());
    EXPECT_EQ(running.get(), 0) << replay.LastMessage();
    EXPECT_EQ(replayed, typed);
}

} // namespace
