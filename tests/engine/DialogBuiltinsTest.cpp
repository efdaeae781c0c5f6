// The dialog builtins against the recording fake: answers, cancels, bad
// arguments, failures and a Stop while a dialog is open.
#include "EngineTestUtil.h"

#include "fakes/FakeDialogs.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

ScriptRun RunWith(CRecordingDialogs* dialogs, const std::string& source) {
    return RunScript(source,
                     [dialogs](CScript& script) { script.GetEngine()->SetDialogs(dialogs); });
}

TEST(DialogBuiltins, AnswersAndCancels) {
    CRecordingDialogs dialogs;
    dialogs.answers = {"1", "", "yes", "no", "/tmp/a.txt", "", "/tmp"};
    ScriptRun run = RunWith(&dialogs, R"tsc(
        Print(Choose("Fruit?", ["apple", "pear", "fig"], "fig"), "|",
              Choose("Again?", ["apple"]), "|");
        Print(Confirm("Sure?"), Confirm(42));
        Print(ChooseFile("/tmp", "Text (*.txt)"), "|", ChooseFile(), "|", ChooseFolder("/"));
        Notify("Backup", "done");
    )tsc");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "pear||\ntruefalse\n/tmp/a.txt||/tmp\n");
    EXPECT_EQ(dialogs.calls, (std::vector<std::string>{
                                 "Choose Fruit? apple|pear|fig @2", "Choose Again? apple @0",
                                 "Confirm Sure?", "Confirm 42", "ChooseFile /tmp Text (*.txt)",
                                 "ChooseFile  ", "ChooseFolder /", "Notify Backup done"}));
}

// Bad arguments are errors before any dialog opens; a failing port names the
// function.
TEST(DialogBuiltins, BadArgumentsAndFailuresNameTheFunction) {
    const struct {
        const char* call;
        const char* error;
    } cases[] = {
        {"Choose(\"p\", [])", "Choose: the list is empty"},
        {"Choose(\"p\", [\"a\", 2])", "Choose: element 1 is an int, not a string"},
        {"Choose(\"p\", [\"a\", [\"b\"]])", "Choose: element 1 is a list, not a string"},
        {"Choose(\"p\", [\"a\", \"b\"], \"c\")", "Choose: the default \"c\" is not in the list"},
        {"Choose(\"p\", \"a\")", "Choose: argument 2 must be a list, not a string"},
        {"ChooseFile(\"/no/such/folder\")", "ChooseFile: no folder '/no/such/folder'"},
        {"ChooseFolder(1)", "ChooseFolder: argument 1 must be a string, not an int"},
        {"ChooseFile(\"\", 3)", "ChooseFile: argument 2 must be a string, not an int"},
    };
    for (const auto& c : cases) {
        CRecordingDialogs dialogs;
        ScriptRun run = RunWith(&dialogs, std::string("try { ") + c.call +
                                              "; } catch (string e) { Print(e); }");
        EXPECT_EQ(run.out, std::string(c.error) + "\n") << c.call;
        EXPECT_TRUE(dialogs.calls.empty()) << c.call;
    }
    CRecordingDialogs failing;
    failing.failWith = "the Wingmate window is gone";
    ScriptRun run = RunWith(&failing, "try { Confirm(\"x\"); } catch (string e) { Print(e); }\n"
                                      "Notify(\"t\", \"x\");");
    EXPECT_EQ(run.out, "Confirm: the Wingmate window is gone\n");
    EXPECT_NE(run.err.find("Notify: the Wingmate window is gone"), std::string::npos) << run.err;
    ScriptRun none = RunScript("Confirm(\"x\");");
    EXPECT_NE(none.err.find("Confirm: no display or terminal to ask on"), std::string::npos);
}

// A Stop while the dialog is open ends the script (not a cancelled answer
// the script would go on with).
TEST(DialogBuiltins, StopWhileADialogIsOpenEndsTheScript) {
    CRecordingDialogs dialogs;
    dialogs.waitUntilStopped = true;
    ScriptRun run = RunAndStop("Choose(\"p\", [\"a\"]);\nPrint(\"after\");",
                               [&](CScript& script) { script.GetEngine()->SetDialogs(&dialogs); });
    EXPECT_EQ(run.outcome, ScriptOutcome::Stopped);
    EXPECT_EQ(run.out, "");
}

TEST(DialogBuiltins, FileFilters) {
    const struct {
        const char* name;
        const char* filter;
        bool matches;
    } cases[] = {
        {"notes.txt", "", true},
        {"notes.txt", "*.txt *.md", true},
        {"notes.md", "*.txt;*.md", true},
        {"notes.TXT", "*.txt", false},
        {"photo.png", "Text (*.txt *.md);;Images (*.png)", true},
        {"Text", "Text (*.txt)", false},
        {".hidden.txt", "*.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesFileFilter(c.name, c.filter), c.matches) << c.name << " " << c.filter;
}

} // namespace
