// Program macros: word splitting, the launch, its failure message; the
// interim runner; Record Declarations; the real POSIX launcher.

#include "app/DeclarationsRecorder.h"
#include "app/InterimMacroRunner.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/Fakes.h"
#include "fakes/TestSupport.h"
#include "run/CommandWords.h"
#include "run/PosixProcessLauncher.h"
#include "run/ProgramMacro.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct SplitCase {
    const char* label;
    const char* text;
    std::vector<std::string> words;
    bool ok = true;
};

class SplitWords : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitWords, SplitsLikeAShell) {
    const SplitCase& c = GetParam();
    const auto words = SplitCommandWords(c.text);
    ASSERT_EQ(words.has_value(), c.ok);
    if (c.ok) {
        EXPECT_EQ(*words, c.words);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandWords, SplitWords,
    ::testing::Values(
        SplitCase{"empty", "", {}}, SplitCase{"blanks_only", "  \t ", {}},
        SplitCase{"plain", "a bb  ccc", {"a", "bb", "ccc"}},
        SplitCase{"single_quotes_keep_all", "'a b' '$HOME \\x'", {"a b", "$HOME \\x"}},
        SplitCase{"double_quotes", "\"a \\\"b\\\" \\n\"", {"a \"b\" \\n"}},
        SplitCase{"empty_quoted_word", "x \"\" ''", {"x", "", ""}},
        SplitCase{"joined_parts", "pre'mid'\"post\"", {"premidpost"}},
        SplitCase{"backslash_blank", "my\\ file.txt", {"my file.txt"}},
        SplitCase{"no_expansion", "$HOME ~ *.txt ; | &&", {"$HOME", "~", "*.txt", ";", "|", "&&"}},
        SplitCase{"open_single_quote", "'abc", {}, false},
        SplitCase{"open_double_quote", "\"abc", {}, false},
        SplitCase{"lone_backslash_at_end", "abc\\", {}, false}),
    LabelName());

TEST(ProgramMacro, StartsTheExecutableWithTheSplitScriptText) {
    CRecordingLauncher launcher;
    CRecordingMessageBox messages;
    CMacro macro;
    macro.runAsScript = 0;
    macro.executable = "/usr/bin/editor";
    macro.scriptFile = "--new 'My Notes.txt'";
    EXPECT_EQ(RunProgramMacro(macro, launcher, messages), 1);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"/usr/bin/editor|--new|My Notes.txt"});
    EXPECT_TRUE(messages.shown.empty());

    macro.scriptFile.clear(); // no arguments at all
    EXPECT_EQ(RunProgramMacro(macro, launcher, messages), 1);
    EXPECT_EQ(launcher.calls.back(), "/usr/bin/editor");
}

TEST(ProgramMacro, AFailedStartSaysCouldNotExecute) {
    CRecordingLauncher launcher;
    launcher.result = {false, ENOENT};
    CRecordingMessageBox messages;
    CMacro macro;
    macro.executable = "missing";
    EXPECT_EQ(RunProgramMacro(macro, launcher, messages), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Could not Execute");
    EXPECT_EQ(messages.shown[0].title, "Wingmate Error");

    // An argument text that cannot be split starts nothing.
    launcher.calls.clear();
    macro.executable = "/bin/true";
    macro.scriptFile = "'open";
    EXPECT_EQ(RunProgramMacro(macro, launcher, messages), 0);
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_EQ(messages.shown.size(), 2u);
}

class CRecordingRunnerHost : public IRunnerHost, public IScriptOutput, public IInputPrompt {
public:
    void MacroFinished() override { events.push_back("finished"); }
    IScriptOutput& Output() override { return *this; }
    IMessageBox& Messages() override { return messages; }
    IInputPrompt& Input() override { return *this; }

    void AppendOutput(const std::string& text) override { events.push_back("output " + text); }
    std::string LastOutputText() const override { return ""; }
    void ClearOutput() override {}
    void SetLastRun(const std::string&) override {}
    std::optional<std::string> AskInput(const std::string&) override { return std::nullopt; }

    std::vector<std::string> events;
    CRecordingMessageBox messages;
};

TEST(InterimMacroRunner, ProgramsStartAndEveryRunReportsItsEnd) {
    CRecordingLauncher launcher;
    CRecordingRunnerHost host;
    CInterimMacroRunner runner(launcher);
    CMacro program;
    program.runAsScript = 0;
    program.executable = "xterm";
    program.scriptFile = "-e top";
    EXPECT_EQ(runner.Run(program), 0) << "no host yet";
    runner.SetHost(&host);
    EXPECT_EQ(runner.Run(program), 1);
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"xterm|-e|top"});
    EXPECT_EQ(host.events, std::vector<std::string>{"finished"});

    launcher.result = {false, EACCES};
    EXPECT_EQ(runner.Run(program), 0);
    EXPECT_EQ(host.events.back(), "finished");
    ASSERT_EQ(host.messages.shown.size(), 1u);

    CMacro script;
    script.runAsScript = 1;
    script.scriptFile = "Scripts/tidy.tsc ARGS=1,2";
    host.events.clear();
    EXPECT_EQ(runner.Run(script), 1);
    ASSERT_EQ(host.events.size(), 2u);
    EXPECT_NE(host.events[0].find("(script: Scripts/tidy.tsc)"), std::string::npos) << host.events[0];
    EXPECT_NE(host.events[0].find("not connected"), std::string::npos);
    EXPECT_EQ(host.events[1], "finished");
    EXPECT_EQ(launcher.calls.size(), 2u) << "a script starts no program";
}

TEST(DeclarationsRecorder, StartsGlimmerFromTheHomeFolderOrSaysWhy) {
    CRecordingLauncher launcher;
    CRecordingMessageBox messages;
    EXPECT_TRUE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages));
    EXPECT_EQ(launcher.calls, std::vector<std::string>{"/home/me/Wingmate/Glimmer"});
    EXPECT_TRUE(messages.shown.empty());

    launcher.result = {false, ENOENT};
    EXPECT_FALSE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages));
    launcher.result = {false, EACCES};
    EXPECT_FALSE(StartDeclarationsRecorder("/home/me/Wingmate", launcher, messages));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text,
              "Could Not Find File: /home/me/Wingmate/Glimmer\nPlace this file in the "
              "application's residence directory");
    EXPECT_EQ(messages.shown[1].text,
              "Unknown Error.  Could not execute /home/me/Wingmate/Glimmer");
    EXPECT_EQ(messages.shown[1].title, "Wingmate Error");
}

bool WaitForFile(const fs::path& path) {
    for (int i = 0; i < 200; ++i) {
        std::error_code error;
        if (fs::file_size(path, error) > 0 && !error)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(PosixProcessLauncher, StartsDetachedInANewSessionWithoutAShell) {
    const fs::path dir = fs::temp_directory_path() / ("launch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "out.txt";
    CPosixProcessLauncher launcher;
    // The words reach the program as they are: no shell expands "$$".
    const LaunchResult result = launcher.Launch(
        "sh", {"-c", "ps -o sid= -p $$ > \"$1\"; echo \"$2\" >> \"$1\"", "sh", out.string(), "$$"});
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_TRUE(WaitForFile(out));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(out);
    long sid = 0;
    std::string literal;
    in >> sid >> literal;
    EXPECT_NE(sid, long(::getsid(0))) << "the child has a session of its own";
    EXPECT_EQ(literal, "$$");
    fs::remove_all(dir);
}

TEST(PosixProcessLauncher, MissingProgramsFailWithTheirCause) {
    CPosixProcessLauncher launcher;
    const LaunchResult missingPath = launcher.Launch("/nonexistent/prog", {});
    EXPECT_FALSE(missingPath.ok);
    EXPECT_EQ(missingPath.error, ENOENT);
    const LaunchResult missingName = launcher.Launch("no-such-program-wingmate", {});
    EXPECT_FALSE(missingName.ok);
    EXPECT_EQ(missingName.error, ENOENT);
    EXPECT_FALSE(launcher.Launch("", {}).ok);
}

} // namespace
