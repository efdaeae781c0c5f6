// Recording end to end: keys, chords, clicks and a drag injected with XTest
// into a window are recorded through RECORD, and the script replayed into a
// fresh window gives it the same text and the same clicks, under a US and a
// German layout.
#include "XvfbSuite.h"

#include "engine/Engine.h"
#include "fakes/TestSupport.h"
#include "record/Recorder.h"
#include "triggers/KeyNames.h"
#include "x11/X11Desktop.h"
#include "x11/X11RecordSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/wait.h>

#include "CtrlZRecording.h"
#include "TypingTarget.h"

#include <X11/Xatom.h>

namespace {

// The euro sign arrives as the layout's EuroSign keysym or as the Unicode
// keysym, depending on the key that typed it; both are the same character.
std::string SameEuro(std::string text) {
    const std::string named = "<EuroSign>";
    for (size_t at; (at = text.find(named)) != std::string::npos;)
        text.replace(at, named.size(), "\xE2\x82\xAC");
    return text;
}

struct RecordCase {
    std::string label;
    std::string layout;
    std::string keys;  // played while recording
    std::string typed; // what the window receives from them
};

class RecordAndReplay : public XvfbSuiteTest, public ::testing::WithParamInterface<RecordCase> {
protected:
    void SetUp() override {
        REQUIRE_XVFB(*server);
        if (!CXvfb::HasProgram("setxkbmap"))
            GTEST_SKIP() << "setxkbmap is not installed (x11-xkb-utils)";
        ASSERT_EQ(server->SetKeymap({"-layout", GetParam().layout}), "");
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server->Name());
        ASSERT_NE(desktop, nullptr) << why;
    }

    // Plays what the user does: the keys, a left and a right click, a drag,
    // then the stop combination.
    void Act(const std::string& keys) {
        const KeyPacing pacing{2, 2};
        ASSERT_TRUE(desktop->TypeKeys(keys, pacing, {}).ok);
        ASSERT_TRUE(desktop->MouseClick(60, 50, MouseButton::Left).ok);
        ASSERT_TRUE(desktop->MouseClick(120, 80, MouseButton::Right).ok);
        ASSERT_TRUE(desktop->MouseMove(40, 40).ok);
        ASSERT_TRUE(desktop->MouseDown(MouseButton::Left).ok);
        ASSERT_TRUE(desktop->MouseMove(200, 150).ok);
        ASSERT_TRUE(desktop->MouseUp(MouseButton::Left).ok);
        ASSERT_TRUE(desktop->TypeKeys("<CTRL>z", pacing, {}).ok);
    }

    std::unique_ptr<CX11Desktop> desktop;
};

TEST_P(RecordAndReplay, ReplayGivesAFreshWindowTheSameTextAndClicks) {
    CCtrlZRecording recording(server->Name());
    CRecorder& recorder = recording.recorder;
    const CLines& sink = recording.sink;

    auto target = std::make_unique<CTypingTarget>(server->Name());
    ASSERT_NE(target->display, nullptr);
    ASSERT_EQ(recorder.Start(), "");
    auto acting = std::async(std::launch::async, [&] { Act(GetParam().keys); });
    acting.get();
    const std::string recorded = SameEuro(target->Received(GetParam().typed.size()));
    recording.PumpUntilStopped(500);
    EXPECT_TRUE(sink.stopped);
    recorder.ReleaseHooks();
    // The stop combination is kept from the window (Ctrl+Z would undo there).
    EXPECT_EQ(recorded, GetParam().typed);
    const std::vector<std::string> clicks = target->clicks;
    ASSERT_EQ(clicks.size(), 6u);

    std::string script;
    for (const std::string& line : sink.lines) {
        EXPECT_EQ(line.find("<CTRL>z"), std::string::npos) << line;
        script += line + "\n";
    }
    // A fresh window of the same name in the same place.
    target = std::make_unique<CTypingTarget>(server->Name());
    ASSERT_NE(target->display, nullptr);
    ssi_stream stream;
    CScript replay(&stream, &stream);
    replay.GetEngine()->SetDesktop(desktop.get());
    ASSERT_TRUE(replay.LoadSource("recorded.tsc", script)) << script;
    auto running = std::async(std::launch::async, [&] { return replay.Run(); });
    std::string replayed = target->Received(GetParam().typed.size());
    EXPECT_EQ(running.get(), 0) << replay.LastMessage() << "\n" << script;
    replayed = SameEuro(replayed + target->Received(0)); // the clicks after the text
    EXPECT_EQ(replayed, GetParam().typed) << script;
    EXPECT_EQ(target->clicks, clicks) << script;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, RecordAndReplay,
    ::testing::Values(
        RecordCase{"us", "us", "Hi \"there\" \\ <<>b> 1+1=2<TAB>ok<ENTER><CTRL>c",
                   "Hi \"there\" \\ <b> 1+1=2\tok\n^c"},
        RecordCase{"de", "de", "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F @ \xE2\x82\xAC Zy{}<ENTER><CTRL>c",
                   "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F @ \xE2\x82\xAC Zy{}\n^c"}),
    LabelName());

// Keys typed into one of this program's own windows are not recorded.
class RecordOwnWindows : public XvfbSuiteTest {};

TEST_F(RecordOwnWindows, KeysInOurOwnWindowAreLeftOut) {
    REQUIRE_XVFB(*server);
    std::string why;
    auto desktop = CX11Desktop::Open(&why, {}, server->Name());
    ASSERT_NE(desktop, nullptr) << why;
    CCtrlZRecording recording(server->Name());
    CRecorder& recorder = recording.recorder;
    const CLines& sink = recording.sink;
    ASSERT_EQ(recorder.Start(), "");

    CTypingTarget other(server->Name());
    ASSERT_NE(other.display, nullptr);
    ASSERT_TRUE(desktop->TypeKeys("ab", KeyPacing{2, 2}, {}).ok);
    other.Received(2);
    CTypingTarget own(server->Name());
    ASSERT_NE(own.display, nullptr);
    const unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(own.display, own.window, XInternAtom(own.display, "_NET_WM_PID", False),
                    XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid),
                    1);
    XStoreName(own.display, own.window, "Record Script");
    XSync(own.display, False);
    ASSERT_TRUE(desktop->TypeKeys("secret", KeyPacing{2, 2}, {}).ok);
    ASSERT_TRUE(desktop->MouseClick(60, 60, MouseButton::Left).ok); // on our window, on top
    ASSERT_TRUE(desktop->TypeKeys("<CTRL>z", KeyPacing{2, 2}, {}).ok);
    own.Received(6);
    recording.PumpUntilStopped(500);
    EXPECT_TRUE(sink.stopped) << "the stop combination counts in our own windows too";
    recorder.ReleaseHooks();
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{R"(WinWait("Typing target", 5000);)",
                                        R"(WinActivate("Typing target");)", R"(TypeKeys("ab");)"}));
}

// `wingmatectl record` as a user runs it: a script written whole at the stop
// combination; a kill while recording leaves the old file as it was.
class WingmatectlRecord : public XvfbSuiteTest {
protected:
    void SetUp() override {
        REQUIRE_XVFB(*server);
        std::string why;
        desktop = CX11Desktop::Open(&why, {}, server->Name());
        ASSERT_NE(desktop, nullptr) << why;
        file = ::testing::TempDir() + "/recorded-" + std::to_string(getpid()) + ".tsc";
        std::ofstream(file) << "old script\n";
    }
    void TearDown() override { std::filesystem::remove(file); }

    // Starts the command; returns once it records. `pid` is its process.
    FILE* Launch(pid_t& pid) {
        const std::string command = "echo $$; DISPLAY=" + server->Name() + " exec " +
                                    WINGMATECTL_PATH + " record " + file + " 2>&1";
        FILE* output = popen(command.c_str(), "r");
        char line[256] = {};
        if (!output || !fgets(line, sizeof line, output))
            return nullptr;
        pid = static_cast<pid_t>(std::atoi(line));
        if (!fgets(line, sizeof line, output) ||
            std::string(line) != "Recording. Press CTRL+Z to stop.\n")
            return nullptr;
        return output;
    }
    static std::string Rest(FILE* output) {
        std::string text;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, output))
            text += buffer;
        return text;
    }
    std::string FileText() const {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::unique_ptr<CX11Desktop> desktop;
    std::string file;
};

TEST_F(WingmatectlRecord, WritesTheScriptAtTheStopCombination) {
    CTypingTarget target(server->Name());
    pid_t pid = 0;
    FILE* output = Launch(pid);
    ASSERT_NE(output, nullptr);
    ASSERT_TRUE(desktop->TypeKeys("ok<ENTER>", KeyPacing{2, 2}, {}).ok);
    ASSERT_TRUE(desktop->MouseClick(30, 40, MouseButton::Left).ok);
    ASSERT_TRUE(desktop->TypeKeys("<CTRL>z", KeyPacing{2, 2}, {}).ok);
    const std::string said = Rest(output);
    const int status = pclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
    EXPECT_EQ(said, "Wrote 4 lines to " + file + ".\n");
    EXPECT_EQ(FileText(), "WinWait(\"Typing target\", 5000);\nWinActivate(\"Typing target\");\n"
                          "TypeKeys(\"ok<ENTER>\");\nMouseClick(20, 30, 1, \"window\");\n");
}

TEST_F(WingmatectlRecord, AKillLeavesTheOldFileAsItWas) {
    CTypingTarget target(server->Name());
    pid_t pid = 0;
    FILE* output = Launch(pid);
    ASSERT_NE(output, nullptr);
    ASSERT_TRUE(desktop->TypeKeys("typed", KeyPacing{2, 2}, {}).ok);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    const std::string said = Rest(output);
    const int status = pclose(output);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
    EXPECT_NE(said.find("recording abandoned"), std::string::npos) << said;
    EXPECT_EQ(FileText(), "old script\n");
}

// Both the check before recording and a start that fails say what is missing.
TEST(X11RecordSourceUnavailable, SaysWhatIsMissing) {
    CXvfb bare({"-extension", "RECORD"});
    REQUIRE_XVFB(bare);
    const std::pair<std::string, std::string> cases[] = {
        {":9997", "Recording is unavailable: cannot open the X display ':9997'."},
        {bare.Name(), "Recording is unavailable: the X server on '" + bare.Name() +
                          "' lacks the RECORD extension."}};
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(CX11RecordSource::Probe(name), message);
        CX11RecordSource source(name);
        EXPECT_EQ(source.Start([](const RecordedEvent&) {}), message);
    }
}

} // namespace
