#include "run/MacroRunner.h"

#include "RunTestUtil.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeRunPorts.h"
#include "fakes/FakeRunQueue.h"
#include "fakes/Fakes.h"
#include "fakes/TestSupport.h"
#include "schedule/RunQueue.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>

namespace {

CMacro ScriptMacro(const std::string& scriptFile, const std::string& name = "job") {
    CMacro macro;
    macro.name = name;
    macro.runAsScript = 1;
    macro.scriptFile = scriptFile;
    return macro;
}

CMacro ProgramMacro(const std::string& executable, const std::string& scriptFile) {
    CMacro macro;
    macro.name = "program";
    macro.runAsScript = 0;
    macro.executable = executable;
    macro.scriptFile = scriptFile;
    return macro;
}

class MacroRunnerTest : public ::testing::Test {
protected:
    MacroRunnerTest() : runner(home.path, Ports()) {}

    CMacroRunner::Ports Ports() {
        CMacroRunner::Ports ports;
        ports.output = &window;
        ports.inputPrompt = &window;
        ports.completion = &window;
        ports.failure = &window;
        ports.messageBox = &messageBox;
        ports.launcher = &launcher;
        ports.dialogs = &dialogs;
        return ports;
    }
    // Writes a script into the home folder; returns its name there.
    std::string Script(const std::string& name, const std::string& source) {
        WriteText(home / name, source);
        return name;
    }
    // Runs one script macro to its completion.
    void RunToEnd(const std::string& scriptFile) {
        int before = window.Completions();
        ASSERT_EQ(runner.Run(ScriptMacro(scriptFile)), 1);
        ASSERT_TRUE(window.PumpUntil(
            [&] { return window.Completions() > before && runner.RunningScripts() == 0; }));
    }

    CTempHome home;
    CFakeMainWindowPorts window;
    CRecordingMessageBox messageBox;
    CRecordingProcessLauncher launcher;
    CRecordingDialogs dialogs;
    CMacroRunner runner;
};

TEST(ScriptField, SplitsAtTheFirstArgsMarker) {
    ScriptField with = SplitScriptField("a/job.tsc ARGS=1,\"ARGS=\"");
    EXPECT_EQ(with.path, "a/job.tsc ");
    EXPECT_EQ(with.arguments, "1,\"ARGS=\"");
    ScriptField without = SplitScriptField("a b/job.tsc");
    EXPECT_EQ(without.path, "a b/job.tsc");
    EXPECT_EQ(without.arguments, "");
}

TEST(ScriptField, LogIsThePathWithItsExtensionReplaced) {
    EXPECT_EQ(ScriptLogPath("/h/Scripts/job.tsc"), "/h/Scripts/job.log");
    EXPECT_EQ(ScriptLogPath("/h/a.b/job"), "/h/a.b/job.log");
    EXPECT_EQ(ScriptLogPath("job.v2.tsc"), "job.v2.log");
}

// The log never replaces the script it comes from: a script named "*.log",
// or one whose log name is a link to it, logs to its own name + ".log".
TEST_F(MacroRunnerTest, LogThatWouldBeTheScriptItselfGoesBesideIt) {
    struct Case {
        const char* script;
        const char* linkToScript; // made a symbolic link to the script; may be null
        const char* log;
    };
    const Case cases[] = {
        {"notes.log", nullptr, "notes.log.log"},
        {".log", nullptr, ".log.log"},
        {"job.tsc", "job.log", "job.tsc.log"},
    };
    for (const Case& c : cases) {
        const std::string source = "Print(\"kept\");\n";
        Script(c.script, source);
        if (c.linkToScript)
            std::filesystem::create_symlink(c.script, home / c.linkToScript);
        RunToEnd(c.script);
        EXPECT_EQ(ReadText(home / c.script), source) << c.script;
        EXPECT_EQ(ReadText(home / c.log), "kept\n") << c.script;
    }
}

TEST_F(MacroRunnerTest, PathWithArgumentsLoadsThePathAndEvaluatesThem) {
    Script("job.tsc", "Print(Len(args), \":\", args[0] + args[1]);\n");
    RunToEnd("job.tsc ARGS=1,2");
    EXPECT_EQ(window.Output(), "2:3\n");
    EXPECT_EQ(ReadText(home / "job.log"), "2:3\n");
    EXPECT_EQ(window.Completions(), 1);
}

// Failures are reported with the first line of the error; an end the user or
// the script chose is not a failure.
TEST_F(MacroRunnerTest, FailuresAreReportedWithTheFirstLineOfTheError) {
    struct Case {
        const char* source;   // null: no such file
        const char* expected; // substring of the one report, or null for none
    };
    const Case cases[] = {
        {"Print(\"fine\");\n", nullptr}, {"exit 3;\n", nullptr}, {"Print(;\n", "error"},
        {"var x = [1][5];\n", "error"},  {nullptr, "job.tsc"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(home / "job.tsc");
        if (c.source)
            Script("job.tsc", c.source);
        const size_t before = window.Failures().size();
        RunToEnd("job.tsc");
        const std::vector<std::string> failures = window.Failures();
        if (!c.expected) {
            EXPECT_EQ(failures.size(), before) << (c.source ? c.source : "missing");
            continue;
        }
        ASSERT_EQ(failures.size(), before + 1) << (c.source ? c.source : "missing");
        EXPECT_NE(failures.back().find(c.expected), std::string::npos) << failures.back();
        EXPECT_EQ(failures.back().find('\n'), std::string::npos);
        EXPECT_EQ(failures.back().rfind("0 job: ", 0), 0u) << failures.back();
    }
    // A program that cannot start.
    launcher.failWith = ENOENT;
    runner.Run(ProgramMacro("/no/such/program", ""));
    ASSERT_FALSE(window.Failures().empty());
    EXPECT_NE(window.Failures().back().find("Could not Execute /no/such/program"),
              std::string::npos);
}

TEST_F(MacroRunnerTest, PathWithoutArgumentsLoadsTheWholeText) {
    std::filesystem::create_directory(home / "my scripts");
    Script("my scripts/job.tsc", "Print(Len(args));\n");
    RunToEnd("my scripts/job.tsc");
    EXPECT_EQ(window.Output(), "0\n");
    EXPECT_EQ(ReadText(home / "my scripts/job.log"), "0\n");
}

TEST_F(MacroRunnerTest, AbsolutePathAndLogEmptiedAtEveryRun) {
    Script("job.tsc", "Print(\"once\");\n");
    RunToEnd(home / "job.tsc");
    RunToEnd(home / "job.tsc");
    EXPECT_EQ(ReadText(home / "job.log"), "once\n");
    EXPECT_EQ(window.Output(), "once\nonce\n");
}

struct FailedRunCase {
    std::string label;
    std::string scriptFile;
    std::string source; // written to job.tsc
    std::string output; // start of the Output page's text
};

class MacroRunnerFailureTest : public MacroRunnerTest,
                               public ::testing::WithParamInterface<FailedRunCase> {};

// The engine reports through the stream; the completion still comes and no
// script log is opened.
TEST_P(MacroRunnerFailureTest, ReportsThroughTheStreamAndStillCompletes) {
    Script("job.tsc", GetParam().source);
    RunToEnd(GetParam().scriptFile);
    EXPECT_NE(window.Output().find(GetParam().output), std::string::npos) << window.Output();
    EXPECT_FALSE(FileExists(home / "job.log"));
    EXPECT_TRUE(messageBox.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MacroRunnerFailureTest,
    ::testing::Values(FailedRunCase{"MissingScript", "nothing.tsc", "",
                                    "/nothing.tsc: error: cannot open script"},
                      FailedRunCase{"CompileError", "job.tsc", "Print(;\n", "/job.tsc:1:7: error:"},
                      FailedRunCase{"RejectedArguments", "job.tsc ARGS=1,(", "Print(1);\n",
                                    "/job.tsc: error: bad argument text"},
                      FailedRunCase{"EmptyScriptFile", "", "", ""}),
    LabelName());

TEST_F(MacroRunnerTest, ExternalLibrariesFromTheHomeFolderList) {
    WriteText(home / "Externals.dat", std::string(TEXTUTILS_PLUGIN) + "\n");
    Script("job.tsc", "Print(Capitalize(\"hello\"));\n");
    RunToEnd("job.tsc");
    EXPECT_EQ(window.Output(), "Hello\n");
    EXPECT_FALSE(FileExists(home / "LibMgrMessages.log"));
}

TEST_F(MacroRunnerTest, MissingListIsLoggedAndTheScriptRuns) {
    Script("job.tsc", "Print(\"ran\");\n");
    RunToEnd("job.tsc");
    EXPECT_EQ(window.Output(), "ran\n");
    EXPECT_EQ(ReadText(home / "LibMgrMessages.log"),
              "Warning: Externals.dat (external DLL list) not found\n");
}

TEST_F(MacroRunnerTest, InputAsksWithTheLastOutput) {
    window.answers = {"Ada"};
    Script("job.tsc", "string name = Input(\"Name? \");\nPrint(\"Hi \" + name);\n");
    RunToEnd("job.tsc");
    EXPECT_EQ(window.Prompts(), std::vector<std::string>{"Name? "});
    EXPECT_EQ(window.Output(), "Name? Ada\nHi Ada\n");
}

TEST_F(MacroRunnerTest, WorkerWaitsUntilTheCompletionWasHandled) {
    Script("job.tsc", "Print(1);\n");
    ASSERT_EQ(runner.Run(ScriptMacro("job.tsc")), 1);
    // Posted but not yet handled: the worker is still there.
    ASSERT_TRUE(window.WaitForPosted(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(runner.RunningScripts(), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_EQ(window.Completions(), 1);
}

TEST_F(MacroRunnerTest, ProgramWithEmptyScriptFileStartsWithNoArgumentsAndCompletesAtOnce) {
    EXPECT_EQ(runner.Run(ProgramMacro("xterm", "")), 1);
    ASSERT_EQ(launcher.launched.size(), 1u);
    EXPECT_EQ(launcher.launched[0].executable, "xterm");
    EXPECT_TRUE(launcher.launched[0].args.empty());
    EXPECT_EQ(window.Posted(), 1);
    EXPECT_TRUE(messageBox.shown.empty());
}

TEST_F(MacroRunnerTest, ProgramArgumentsAreSplitLikeAShell) {
    WriteText(home / "tool", "");
    std::filesystem::permissions(home / "tool", std::filesystem::perms::owner_all);
    EXPECT_EQ(runner.Run(ProgramMacro("tool", R"(-n "two words" it\'s '$HOME')")), 1);
    EXPECT_EQ(runner.Run(ProgramMacro("bin/other", "")), 1);
    ASSERT_EQ(launcher.launched.size(), 2u);
    // A program in the home folder is found there; relative paths resolve there.
    EXPECT_EQ(launcher.launched[0].executable, home / "tool");
    EXPECT_EQ(launcher.launched[0].args,
              (std::vector<std::string>{"-n", "two words", "it's", "$HOME"}));
    EXPECT_EQ(launcher.launched[1].executable, home / "bin/other");
}

struct ProgramFailureCase {
    std::string label;
    std::string scriptFile;
    int launcherError; // errno of a failed start; 0: the launcher would succeed
    size_t launches;
    std::string reason;
};

class MacroRunnerProgramFailureTest : public MacroRunnerTest,
                                      public ::testing::WithParamInterface<ProgramFailureCase> {};

TEST_P(MacroRunnerProgramFailureTest, ShowsCouldNotExecuteAndCompletes) {
    launcher.failWith = GetParam().launcherError;
    EXPECT_EQ(runner.Run(ProgramMacro("/opt/tool", GetParam().scriptFile)), 0);
    EXPECT_EQ(launcher.launched.size(), GetParam().launches);
    ASSERT_EQ(messageBox.shown.size(), 1u);
    EXPECT_EQ(messageBox.shown[0].text, "Could not Execute");
    EXPECT_EQ(messageBox.shown[0].title, "Wingmate Error");
    EXPECT_EQ(messageBox.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window.Output(), "Could not Execute /opt/tool: " + GetParam().reason + "\n");
    EXPECT_EQ(window.Posted(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, MacroRunnerProgramFailureTest,
    ::testing::Values(
        ProgramFailureCase{"DoesNotStart", "a", ENOENT, 1, "No such file or directory"},
        ProgramFailureCase{"UnterminatedQuote", "'a b", 0, 0,
                           "bad argument text ''a b': unterminated ' quote at column 1"}),
    LabelName());

TEST_F(MacroRunnerTest, StopEndsALongRunningScript) {
    Script("loop.tsc", "Print(\"started\");\nint n = 0;\nwhile (true) { n = n + 1; }\n");
    ASSERT_EQ(runner.Run(ScriptMacro("loop.tsc")), 1);
    ASSERT_TRUE(window.WaitForOutput("started\n"));
    EXPECT_EQ(runner.StopAll(), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_NE(window.Output().find("script stopped"), std::string::npos) << window.Output();
}

// A worker stuck in plugin code cannot hold the end of the program: the
// bounded shutdown gives up on it.
TEST_F(MacroRunnerTest, BoundedShutdownLeavesAWorkerStuckInPluginCode) {
    WriteText(home / "Externals.dat", std::string(PLUGIN_FULL) + "\n");
    Script("hang.tsc", "Print(\"started\");\nFullHang();\n");
    ASSERT_EQ(runner.Run(ScriptMacro("hang.tsc")), 1);
    ASSERT_TRUE(window.WaitForOutput("started\n"));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(runner.Shutdown(std::chrono::milliseconds(200)));
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1200));
    // The detached worker still uses the runner: let it end before the
    // fixture destroys it.
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_TRUE(runner.Shutdown(std::chrono::milliseconds(200)));
}

TEST_F(MacroRunnerTest, StopEndsAScriptWaitingForInput) {
    Script("ask.tsc", "string s = Input(\"?\");\nPrint(\"after\");\n");
    ASSERT_EQ(runner.Run(ScriptMacro("ask.tsc")), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Prompts().size() == 1; }));
    runner.StopAll();
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_EQ(window.Output().find("after"), std::string::npos) << window.Output();
    EXPECT_NE(window.Output().find("script stopped"), std::string::npos);
}

// The run's dialogs are the runner's; a Stop while one is open ends the run.
TEST_F(MacroRunnerTest, StopEndsAScriptWaitingInADialog) {
    dialogs.waitUntilStopped = true;
    Script("confirm.tsc", "Print(\"asking\");\nConfirm(\"Sure?\");\nPrint(\"after\");\n");
    ASSERT_EQ(runner.Run(ScriptMacro("confirm.tsc")), 1);
    ASSERT_TRUE(window.WaitForOutput("asking\n"));
    runner.StopAll();
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_EQ(window.Output().find("after"), std::string::npos) << window.Output();
    EXPECT_NE(window.Output().find("script stopped"), std::string::npos) << window.Output();
    EXPECT_EQ(dialogs.calls, std::vector<std::string>{"Confirm Sure?"});
}

TEST_F(MacroRunnerTest, TwoRunsSideBySideAndStopReachesBoth) {
    Script("a.tsc", "Print(\"a started\");\nwhile (true) { Sleep(5); }\n");
    Script("b.tsc", "Print(\"b started\");\nwhile (true) { Sleep(5); }\n");
    ASSERT_EQ(runner.Run(ScriptMacro("a.tsc")), 1);
    ASSERT_EQ(runner.Run(ScriptMacro("b.tsc")), 1);
    ASSERT_TRUE(window.WaitForOutput("a started\n"));
    ASSERT_TRUE(window.WaitForOutput("b started\n"));
    EXPECT_EQ(runner.RunningScripts(), 2);
    EXPECT_EQ(runner.StopAll(), 2);
    ASSERT_TRUE(window.PumpUntil([&] { return runner.RunningScripts() == 0; }));
    EXPECT_EQ(window.Completions(), 2);
    EXPECT_EQ(ReadText(home / "a.log").rfind("a started\n", 0), 0u);
    EXPECT_EQ(ReadText(home / "b.log").rfind("b started\n", 0), 0u);
}

// Each run waits for the other's file, so they finish only if they really run
// at the same time.
TEST_F(MacroRunnerTest, TwoRunsSideBySideFinish) {
    std::string a = home / "a.flag", b = home / "b.flag";
    Script("a.tsc", "WriteFile(\"" + a + "\", \"x\");\nwhile (!FileExists(\"" + b +
                        "\")) { Sleep(1); }\nPrint(\"a done\");\n");
    Script("b.tsc", "WriteFile(\"" + b + "\", \"x\");\nwhile (!FileExists(\"" + a +
                        "\")) { Sleep(1); }\nPrint(\"b done\");\n");
    CMacro first = ScriptMacro("a.tsc"), second = ScriptMacro("b.tsc");
    first.id = 7;
    second.id = -3; // an editor's run
    ASSERT_EQ(runner.Run(first), 1);
    ASSERT_EQ(runner.Run(second), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Completions() == 2; }));
    EXPECT_NE(window.Output().find("a done\n"), std::string::npos);
    EXPECT_NE(window.Output().find("b done\n"), std::string::npos);
    // Each completion names its own run, whichever ends first.
    std::vector<int32_t> ids = window.FinishedIds();
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int32_t>{-3, 7}));
}

TEST_F(MacroRunnerTest, FunctionNamesIncludeBuiltinsAndListedLibraries) {
    WriteText(home / "Externals.dat", std::string(TEXTUTILS_PLUGIN) + "\n");
    std::string names = runner.LoadFunctionNames();
    EXPECT_EQ(names.rfind("Print,", 0), 0u) << names;
    EXPECT_NE(names.find(",Alert,"), std::string::npos);
    EXPECT_NE(names.find(",Capitalize,"), std::string::npos);
    EXPECT_EQ(names.find(",,"), std::string::npos);
}

// Destroying the runner stops and joins workers that run, wait for input or
// wait for a completion nobody handles.
TEST(MacroRunnerShutdown, StopsAndJoinsEveryWorker) {
    CTempHome home;
    CFakeMainWindowPorts window;
    WriteText(home / "loop.tsc", "Print(\"loop\");\nwhile (true) { }\n");
    WriteText(home / "ask.tsc", "string s = Input(\"?\");\n");
    WriteText(home / "quick.tsc", "Print(\"quick\");\n");
    {
        CMacroRunner::Ports ports;
        ports.output = &window;
        ports.inputPrompt = &window;
        ports.completion = &window;
        CMacroRunner runner(home.path, ports);
        ASSERT_EQ(runner.Run(ScriptMacro("loop.tsc")), 1);
        ASSERT_EQ(runner.Run(ScriptMacro("ask.tsc")), 1);
        ASSERT_EQ(runner.Run(ScriptMacro("quick.tsc")), 1);
        ASSERT_TRUE(window.WaitForOutput("loop\n"));
        ASSERT_TRUE(window.WaitForOutput("quick\n"));
        while (window.Prompts().empty() || window.Posted() == 0)
            std::this_thread::yield();
    }
    // The late answer of the completion finds its shared state alive.
    EXPECT_TRUE(window.PumpUntil([&] { return window.Completions() >= 1; }));
}

class MacroRunnerQueueTest : public MacroRunnerTest {
protected:
    MacroRunnerQueueTest() : queue(library, clock, CRunQueue::Ports{runner, host, host, host}) {
        CMacro root;
        root.kind = 2;
        root.name = "My Macros";
        library.InsertRecord(root, -1, InsertPosition::Into);
        window.onFinished = [this] { queue.OnMacroFinished(); };
    }
    int32_t Add(const CMacro& macro) {
        return library.InsertRecord(macro, 1, InsertPosition::Into);
    }

    CMacroLibrary library;
    CFakeClock clock{1262350800};
    CRecordingRunHost host;
    CRunQueue queue;
};

TEST_F(MacroRunnerQueueTest, ScriptThatDoesNotLoadLetsTheQueueGoOn) {
    Script("good.tsc", "Print(\"good ran\");\n");
    int32_t bad = Add(ScriptMacro("missing.tsc", "bad"));
    int32_t good = Add(ScriptMacro("good.tsc", "good"));
    ASSERT_EQ(queue.EnqueueMacro(bad), 1);
    ASSERT_EQ(queue.EnqueueMacro(good), 1);
    ASSERT_EQ(queue.RunNextQueued(), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Completions() == 2; }));
    EXPECT_NE(window.Output().find("good ran\n"), std::string::npos);
    EXPECT_FALSE(queue.IsRunning());
    EXPECT_EQ(queue.Count(), 0);
}

TEST_F(MacroRunnerQueueTest, ProgramRunLetsTheNextQueuedMacroStart) {
    Script("good.tsc", "Print(\"after program\");\n");
    ASSERT_EQ(queue.EnqueueMacro(Add(ProgramMacro("xterm", ""))), 1);
    ASSERT_EQ(queue.EnqueueMacro(Add(ScriptMacro("good.tsc", "good"))), 1);
    ASSERT_EQ(queue.RunNextQueued(), 1);
    ASSERT_TRUE(window.PumpUntil([&] { return window.Completions() == 2; }));
    EXPECT_EQ(window.Output(), "after program\n");
    EXPECT_EQ(launcher.launched.size(), 1u);
}

TEST_F(MacroRunnerQueueTest, StopWithNothingRunningOnlyEmptiesTheQueue) {
    ASSERT_EQ(queue.EnqueueMacro(Add(ScriptMacro("x.tsc"))), 1);
    EXPECT_EQ(runner.StopMacro(queue), 0);
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_EQ(window.Posted(), 0);
}

} // namespace
