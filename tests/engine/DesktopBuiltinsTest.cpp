// Desktop builtins against the recording fake, and the scripts the Macro
// Wizard writes for alerts and key sequences.
#include "EngineTestUtil.h"

#include "fakes/FakeDesktop.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

ScriptRun RunWith(CRecordingDesktop* desktop, const std::string& source) {
    return RunScript(source,
                     [desktop](CScript& script) { script.GetEngine()->SetDesktop(desktop); });
}

TEST(DesktopBuiltins, ReachTheDesktopInOrder) {
    CRecordingDesktop desktop;
    desktop.windows = {"Untitled - Editor", "Terminal"};
    ScriptRun run = RunWith(&desktop, R"(
        MouseMove(10, 20);
        MouseClick(30, 40);
        MouseClick(1, 2, 3);
        MouseDown();
        MouseUp(2);
        TypeKeys("<CTRL>c");
        Print(WinExists("Editor"), WinExists("Browser"));
        WinActivate("Terminal");
        WinActivate("Untitled", 250);
        Print(WinGetActiveTitle());
        Print(WinWait("Untitled", 100));
        WinClose("Terminal");
        Alert(42);
    )");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "truefalse\nUntitled\ntrue\n");
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{
                  "MouseMove 10 20", "MouseClick 30 40 1", "MouseClick 1 2 3", "MouseDown 1",
                  "MouseUp 2", "TypeKeys <CTRL>c", "WinExists Editor", "WinExists Browser",
                  "WinActivate Terminal 5000", "WinActivate Untitled 250", "WinGetActiveTitle",
                  "WinWait Untitled 100", "WinClose Terminal", "Alert 42"}));
}

// A class beside the title narrows the match; "window" positions count from
// the active window's contents; the wheel turns by notches.
TEST(DesktopBuiltins, WindowClassesWindowPositionsAndTheWheel) {
    CRecordingDesktop desktop;
    desktop.windows = {"notes - Mousepad", "Mousepad manual - Browser"};
    desktop.windowClasses = {{"notes - Mousepad", "Mousepad"},
                             {"Mousepad manual - Browser", "Firefox"}};
    desktop.originX = 300;
    desktop.originY = 200;
    ScriptRun run = RunWith(&desktop, R"(
        try { MouseClick(1, 2, 1, "window"); } catch (string e) { Print(e); }
        Print(WinExists("Mousepad", "mousepad"), WinExists("Browser", "Mousepad"));
        Print(WinWait("Mousepad", 10, "Firefox"));
        WinActivate("Mousepad", 100, "Mousepad");
        MouseMove(10, 20, "window");
        MouseClick(5, 5, 3, "window");
        MouseClick(5, 5, 1, "screen");
        MouseWheel(-3);
        MouseWheel(0);
        try { MouseMove(1, 1, "windw"); } catch (string e) { Print(e); }
        try { MouseWheel(1001); } catch (string e) { Print(e); }
        try { WinActivate("notes", 100, "Firefox"); } catch (string e) { Print(e); }
    )");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "MouseClick: no window is active\n"
                       "truefalse\n"
                       "true\n"
                       "MouseMove: \"windw\" is not \"screen\" or \"window\"\n"
                       "MouseWheel: 1001 steps is more than 1000 either way\n"
                       "WinActivate: no window of class 'Firefox' has 'notes' in its title\n");
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{
                  "WinExists Mousepad class=mousepad", "WinExists Browser class=Mousepad",
                  "WinWait Mousepad class=Firefox 10", "WinActivate Mousepad class=Mousepad 100",
                  "MouseMove 310 220", "MouseClick 305 205 3", "MouseClick 5 5 1", "MouseWheel -3",
                  "WinActivate notes class=Firefox 100"}));
}

// SetKeyDelay paces the rest of the run's typing; bad times are refused.
TEST(DesktopBuiltins, SetKeyDelayPacesLaterTyping) {
    CRecordingDesktop desktop;
    ScriptRun run = RunWith(&desktop, R"(
        TypeKeys("a");
        Print(1);
        SetKeyDelay(7, 3);
        SetKeyDelay(9);
        TypeKeys("b");
        try { SetKeyDelay(-1); } catch (string e) { Print(e); }
        try { SetKeyDelay(5, 10001); } catch (string e) { Print(e); }
        TypeKeys("c");
    )");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "1\nSetKeyDelay: the time -1 is not between 0 and 10000 ms\n"
                       "SetKeyDelay: the time 10001 is not between 0 and 10000 ms\n");
    EXPECT_EQ(desktop.lastPacing.delayMs, 9);
    EXPECT_EQ(desktop.lastPacing.holdMs, 3);
}

struct Failure {
    std::string label;
    std::string call;
    std::string message;
};

class DesktopWithoutDisplay : public ::testing::TestWithParam<Failure> {};

TEST_P(DesktopWithoutDisplay, RaisesAClearError) {
    ScriptRun run = RunScript("try { " + GetParam().call + "; } catch (string e) { Print(e); }");
    EXPECT_EQ(run.out, GetParam().message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopWithoutDisplay,
    ::testing::Values(
        Failure{"alert", "Alert(\"hi\")", "Alert: no display available"},
        Failure{"typekeys", "TypeKeys(\"a\")", "TypeKeys: no display available"},
        Failure{"mousemove", "MouseMove(1, 2)", "MouseMove: no display available"},
        Failure{"mouseclick", "MouseClick(1, 2)", "MouseClick: no display available"},
        Failure{"mousedown", "MouseDown()", "MouseDown: no display available"},
        Failure{"mouseup", "MouseUp(1)", "MouseUp: no display available"},
        Failure{"mousewheel", "MouseWheel(2)", "MouseWheel: no display available"},
        Failure{"winexists", "WinExists(\"a\")", "WinExists: no display available"},
        Failure{"winactivate", "WinActivate(\"a\")", "WinActivate: no display available"},
        Failure{"winwait", "WinWait(\"a\", 1)", "WinWait: no display available"},
        Failure{"winclose", "WinClose(\"a\")", "WinClose: no display available"},
        Failure{"wingetactivetitle", "WinGetActiveTitle()",
                "WinGetActiveTitle: no display available"},
        Failure{"winlist", "WinList()", "WinList: no display available"},
        Failure{"winmove", "WinMove(\"a\", 1, 2)", "WinMove: no display available"},
        Failure{"winwaitclose", "WinWaitClose(\"a\", 1)", "WinWaitClose: no display available"},
        Failure{"pixelgetcolor", "PixelGetColor(1, 2)", "PixelGetColor: no display available"}),
    LabelName());

TEST(DesktopBuiltins, FailuresAndBadArgumentsNameTheFunction) {
    CRecordingDesktop desktop;
    desktop.failWith = "keyboard busy";
    ScriptRun run = RunWith(&desktop, R"(
        try { TypeKeys("x"); } catch (string e) { Print(e); }
        try { WinActivate("nothing"); } catch (string e) { Print(e); }
        try { MouseClick(1, 2, 7); } catch (string e) { Print(e); }
        try { TypeKeys(5); } catch (string e) { Print(e); }
        try { MouseMove("a", 1); } catch (string e) { Print(e); }
        try { WinWait("x", -1); } catch (string e) { Print(e); }
        try { WinActivate("x", -1); } catch (string e) { Print(e); }
        try { WinActivate("x", "soon"); } catch (string e) { Print(e); }
    )");
    EXPECT_EQ(run.out, "TypeKeys: keyboard busy\n"
                       "WinActivate: no window has 'nothing' in its title\n"
                       "MouseClick: button 7 is not 1 (left), 2 (middle) or 3 (right)\n"
                       "TypeKeys: argument 1 must be a string, not an int\n"
                       "MouseMove: argument 1 must be a number, not a string\n"
                       "WinWait: the time -1 is negative\n"
                       "WinActivate: the time -1 is negative\n"
                       "WinActivate: argument 2 must be a number, not a string\n");
}

// A desktop that cannot list windows must not answer "no such window".
TEST(DesktopBuiltins, WindowQueriesFailWhereNoWindowCanBeListed) {
    CRecordingDesktop desktop;
    desktop.windows = {"Editor"};
    desktop.activeTitle = "Editor";
    desktop.windowsMissing = "no window list here";
    ScriptRun run = RunWith(&desktop, R"(
        try { Print(WinExists("Editor")); } catch (string e) { Print(e); }
        try { Print(WinWait("Editor", 10)); } catch (string e) { Print(e); }
        try { Print(WinGetActiveTitle()); } catch (string e) { Print(e); }
    )");
    EXPECT_EQ(run.out, "WinExists: no window list here\nWinWait: no window list here\n"
                       "WinGetActiveTitle: no window list here\n");
}

// WinWait and WinWaitClose.
TEST(DesktopBuiltins, StopEndsAWinWait) {
    for (const char* wait : {"WinWait(\"never\", 600000);", "WinWaitClose(\"stays\", 600000);"}) {
        CRecordingDesktop desktop;
        desktop.windows = {"stays open"};
        desktop.waitUntilStopped = true;
        CCaptureStream stream;
        CScript script(&stream, &stream);
        script.GetEngine()->SetDesktop(&desktop);
        ASSERT_TRUE(script.LoadSource("w.tsc", std::string(wait) + "\nPrint(\"after\");"));
        std::thread worker([&] { script.Run(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        script.GetEngine()->GetInterpreter()->SetStopFlag();
        worker.join();
        EXPECT_EQ(script.Outcome(), ScriptOutcome::Stopped) << wait;
        EXPECT_EQ(stream.out, "") << wait;
    }
}

// Geometry is the frame's; a move without a size keeps the size; a window
// that closed between two calls is a clean error naming it.
TEST(DesktopBuiltins, WindowGeometryStatePointerScreenAndPixels) {
    CRecordingDesktop desktop;
    desktop.windows = {"notes - Mousepad", "Terminal"};
    desktop.windowClasses = {{"notes - Mousepad", "Mousepad"}};
    desktop.rects = {{"Terminal", WindowRect{50, 60, 640, 480}}};
    desktop.pids = {{"Terminal", 4242}};
    desktop.activeTitle = "Terminal";
    desktop.mouseX = 7;
    desktop.mouseY = 8;
    desktop.pixels = {{{3, 4}, 0x12AB0F}};
    desktop.closeOnWait = "Terminal";
    ScriptRun run = RunWith(&desktop, R"(
        Print(WinList(), WinList("notes"), WinList("", "mousepad"), WinList("Browser"));
        Print(WinGetPos("Terminal"));
        WinMove("Terminal", -10, 20);
        Print(WinGetPos("Terminal"));
        WinMove("notes", 5, 6, 300, 200, "Mousepad");
        Print(WinGetPos("notes"));
        WinMinimize("notes");
        WinMaximize("Terminal");
        WinRestore("notes", "Mousepad");
        Print(WinGetClass("notes"), "|", WinGetClass("Terminal"), "|", WinGetPid("Terminal"));
        Print(WinWaitActive("Term", 100), WinWaitActive("notes", 10));
        Print(MouseGetPos(), ScreenSize(), PixelGetColor(3, 4), PixelGetColor(0, 0));
        Print(WinWaitClose("Terminal", 50), WinWaitClose("notes", 0));
        try { WinGetPos("Terminal"); } catch (string e) { Print(e); }
        try { WinMaximize("Terminal"); } catch (string e) { Print(e); }
    )");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "[\"Terminal\", \"notes - Mousepad\"][\"notes - Mousepad\"]"
                       "[\"notes - Mousepad\"][]\n"
                       "[50, 60, 640, 480]\n"
                       "[-10, 20, 640, 480]\n"
                       "[5, 6, 300, 200]\n"
                       "Mousepad||4242\n"
                       "truefalse\n"
                       "[7, 8][1920, 1080]#12ab0f#000000\n"
                       "truefalse\n"
                       "WinGetPos: no window has 'Terminal' in its title\n"
                       "WinMaximize: no window has 'Terminal' in its title\n");
    EXPECT_EQ(desktop.states.at("notes - Mousepad"), WindowState::Normal);
    const std::vector<std::string> actions(desktop.calls.begin() + 5, desktop.calls.begin() + 10);
    EXPECT_EQ(actions,
              (std::vector<std::string>{"WinMove Terminal -10 20", "WinGetPos Terminal",
                                        "WinMove notes class=Mousepad 5 6 300 200",
                                        "WinGetPos notes", "WinSetState notes Minimized"}));
}

TEST(DesktopBuiltins, WindowGeometryRefusesBadArgumentsAndReportsFailures) {
    CRecordingDesktop desktop;
    desktop.windows = {"Editor"};
    desktop.screenWidth = 800;
    desktop.screenHeight = 600;
    ScriptRun run = RunWith(&desktop, R"(
        try { WinMove("Editor", 1, 2, 300); } catch (string e) { Print(e); }
        try { WinMove("Editor", 1, 2, 0, 10); } catch (string e) { Print(e); }
        try { WinMove("Editor", 1, 2, "wide", 10); } catch (string e) { Print(e); }
        try { WinMove("Editor", 200000, 2); } catch (string e) { Print(e); }
        try { WinWaitActive("Editor", -5); } catch (string e) { Print(e); }
        try { PixelGetColor(800, 0); } catch (string e) { Print(e); }
        try { WinGetPid("Editor"); } catch (string e) { Print(e); }
        try { WinList(3); } catch (string e) { Print(e); }
    )");
    desktop.failWith = "the window manager did not maximize the window 'Editor' within 2000 ms";
    ScriptRun failed = RunWith(&desktop, "WinMaximize(\"Editor\");");
    EXPECT_EQ(run.out, "WinMove: a width needs a height\n"
                       "WinMove: size 0 is not between 1 and 100000\n"
                       "WinMove: argument 4 must be a number, not a string\n"
                       "WinMove: coordinate 200000 is out of range\n"
                       "WinWaitActive: the time -5 is negative\n"
                       "PixelGetColor: the point 800, 0 is outside the screen\n"
                       "WinGetPid: the window 'Editor' names no process\n"
                       "WinList: argument 1 must be a string, not an int\n");
    EXPECT_NE(failed.err.find("WinMaximize: the window manager did not maximize the window "
                              "'Editor' within 2000 ms"),
              std::string::npos)
        << failed.err;
}

// What the wizard writes for "Alert Message" and "TypeKeys Sequence".
TEST(DesktopBuiltins, WizardAlertAndKeysScriptsRun) {
    CRecordingDesktop desktop;
    ScriptRun alert = RunWith(&desktop, "#Created using Tessera Wingmate Macro Wizard v2.0\n"
                                        "string sAlert = \"Line one\\nC:\\\\dir\\tend\";\n"
                                        "Alert(sAlert);\n");
    ScriptRun keys = RunWith(&desktop, "#Created using Tessera Wingmate Macro Wizard v2.0\n"
                                       "string sText = \"Hello<ENTER>\\tWorld \\\"q\\\"\";\n"
                                       "TypeKeys(sText);\n");
    ScriptRun combo = RunWith(&desktop, "#Created using Tessera Wingmate Macro Wizard v2.0\n"
                                        "string sText = \"<CTRL><ALT><DEL>\";\n"
                                        "TypeKeys(sText);\n");
    EXPECT_EQ(alert.err + keys.err + combo.err, "");
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{"Alert Line one\nC:\\dir\tend",
                                                       "TypeKeys Hello<ENTER>\tWorld \"q\"",
                                                       "TypeKeys <CTRL><ALT><DEL>"}));
}

// What the recorder writes: one statement per line.
TEST(DesktopBuiltins, RecordedScriptRuns) {
    CRecordingDesktop desktop;
    ScriptRun run = RunWith(&desktop, "MouseMove(100, 200);\nMouseDown(1);\nSleep(1);\n"
                                      "MouseUp(1);\nTypeKeys(\"abc<ENTER>\");\n"
                                      "MouseClick(5, 6, 3);\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(desktop.calls.size(), 5u);
}

} // namespace
