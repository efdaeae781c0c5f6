// The wizard's file names and generated scripts: the exact text written,
// that the engine compiles it, and what each kind does when it runs.
#include "wizard/WizardScripts.h"
#include "engine/EngineTestUtil.h"
#include "fakes/FakeDesktop.h"
#include "fakes/TestSupport.h"
#include "run/RunTestUtil.h"
#include "triggers/TypeKeysParser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace wizard;

namespace {

// Compiles the script as the runner would load it; the error text when not.
std::string CompileError(const std::string& script) {
    CCaptureStream stream;
    CScript compiled(&stream, &stream);
    if (compiled.LoadSource("wizard.tsc", script.c_str()) != 0)
        return {};
    return stream.err + stream.out + " (compile failed)";
}

struct NameCase {
    std::string label;
    std::string name;
    std::string stem;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.label;
}

class ScriptFileStemTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ScriptFileStemTest, ReplacesWhatAFileNameCannotHold) {
    EXPECT_EQ(ScriptFileStem(GetParam().name), GetParam().stem);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScriptFileStemTest,
    ::testing::Values(NameCase{"Plain", "Backup", "Backup"},
                      NameCase{"BlanksAndPunctuation", "Copy a/b.txt now!", "Copy_a_b_txt_now_"},
                      NameCase{"HashAndUnderscoreStay", "#tag_1", "#tag_1"},
                      NameCase{"EveryReplacedCharacter", "!@$%^&*()-+={}[]:;'|\\<>,./?~\"` ",
                               std::string(31, '_')},
                      NameCase{"DotsCannotClimbFolders", "../../etc", "______etc"},
                      NameCase{"Utf8Stays", "Grüße", "Grüße"}),
    LabelName());

TEST(ScriptFilePath, NamesTheScriptsFolderOfTheHome) {
    EXPECT_EQ(ScriptFilePath("/home/u/Wingmate", "Daily report"),
              "/home/u/Wingmate/Scripts/Daily_report.tsc");
    EXPECT_EQ(TrimName(" \t Daily report \r\n"), "Daily report");
    EXPECT_EQ(TrimName(" \t\n"), "");
}

enum class Kind { App, Alert, Keys, KeyCombination, Copy };

struct GenerateCase {
    std::string label;
    Kind kind;
    std::string first;                // executable, alert text, keys
    std::string second;               // parameters, destination
    std::vector<std::string> entries; // copy list, top to bottom
    std::string expected;             // lines after the header
    std::string refusal = {};         // set: the generator must refuse with it
};

void PrintTo(const GenerateCase& c, std::ostream* out) {
    *out << c.label;
}

bool Generate(const GenerateCase& c, std::string& script, std::string& refusal) {
    switch (c.kind) {
    case Kind::App:
        return AppendOpenApplication(script, c.first, c.second, refusal);
    case Kind::Alert:
        AppendAlert(script, c.first);
        return true;
    case Kind::Keys:
        return AppendTypeKeys(script, c.first, TypeKeysFrom::Text, refusal);
    case Kind::KeyCombination:
        return AppendTypeKeys(script, c.first, TypeKeysFrom::Combination, refusal);
    case Kind::Copy:
        return AppendCopy(script, c.entries, c.second, refusal);
    }
    return false;
}

class GeneratorTest : public ::testing::TestWithParam<GenerateCase> {};

TEST_P(GeneratorTest, WritesTheLinesAndTheEngineCompilesThem) {
    const GenerateCase& c = GetParam();
    std::string script = kScriptHeader;
    std::string refusal;
    const bool generated = Generate(c, script, refusal);
    if (!c.refusal.empty()) {
        EXPECT_FALSE(generated);
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_EQ(script, kScriptHeader) << "a refusal must leave the script as it was";
        return;
    }
    ASSERT_TRUE(generated) << refusal;
    EXPECT_EQ(script, std::string(kScriptHeader) + c.expected);
    EXPECT_EQ(CompileError(script), "");
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, GeneratorTest,
    ::testing::Values(
        GenerateCase{"AppPlain",
                     Kind::App,
                     "/usr/bin/gedit",
                     "",
                     {},
                     "string sExec = \"/usr/bin/gedit\";\nRun(sExec);\n"},
        GenerateCase{"AppWithParameters",
                     Kind::App,
                     "gedit",
                     "-s /tmp/notes.txt",
                     {},
                     "string sExec = \"gedit -s /tmp/notes.txt\";\nRun(sExec);\n"},
        GenerateCase{"AppBlankInPathQuoted",
                     Kind::App,
                     "/opt/My App/run",
                     "x",
                     {},
                     "string sExec = \"'/opt/My App/run' x\";\nRun(sExec);\n"},
        GenerateCase{"AppShellCharactersQuoted",
                     Kind::App,
                     "/opt/a;b$c&d",
                     "",
                     {},
                     "string sExec = \"'/opt/a;b$c&d'\";\nRun(sExec);\n"},
        GenerateCase{"AppApostropheInPath",
                     Kind::App,
                     "/opt/it's",
                     "",
                     {},
                     "string sExec = \"'/opt/it'\\\\''s'\";\nRun(sExec);\n"},
        GenerateCase{"AppQuoteAndBackslash",
                     Kind::App,
                     "/opt/a\"b\\c",
                     "\"x y\"",
                     {},
                     "string sExec = \"'/opt/a\\\"b\\\\c' \\\"x y\\\"\";\nRun(sExec);\n"},
        GenerateCase{"AppAlreadyQuotedByUser",
                     Kind::App,
                     "'/opt/My App/run'",
                     "",
                     {},
                     "string sExec = \"'/opt/My App/run'\";\nRun(sExec);\n"},
        GenerateCase{"AppHomeTildeKept",
                     Kind::App,
                     "~/bin/tool",
                     "",
                     {},
                     "string sExec = \"~/bin/tool\";\nRun(sExec);\n"},
        GenerateCase{
            "AppEmptyRefused", Kind::App, "", "file.txt", {}, "", "Must enter an application name"},
        GenerateCase{"AlertTwoLines",
                     Kind::Alert,
                     "Two\nlines",
                     "",
                     {},
                     "string sAlert = \"Two\\nlines\";\nAlert(sAlert);\n"},
        GenerateCase{"AlertCrLfTabBackslashQuote",
                     Kind::Alert,
                     "a\r\nb\tc\\d\"e\"",
                     "",
                     {},
                     "string sAlert = \"a\\nb\\tc\\\\d\\\"e\\\"\";\nAlert(sAlert);\n"},
        GenerateCase{
            "AlertEmpty", Kind::Alert, "", "", {}, "string sAlert = \"\";\nAlert(sAlert);\n"},
        GenerateCase{
            "KeysLinesBecomeEnter",
            Kind::Keys,
            "Dear Sir\r\n\tRegards \"me\"",
            "",
            {},
            "string sText = \"Dear Sir<ENTER>\\tRegards \\\"me\\\"\";\nTypeKeys(sText);\n"},
        GenerateCase{"KeysCombination",
                     Kind::KeyCombination,
                     "<CTRL>s",
                     "",
                     {},
                     "string sText = \"<CTRL>s\";\nTypeKeys(sText);\n"},
        GenerateCase{"KeysEmptyRefused",
                     Kind::Keys,
                     "",
                     "",
                     {},
                     "",
                     "Must enter TypeKeyse text in selected box"},
        GenerateCase{"CopyFolderThenTwoFiles",
                     Kind::Copy,
                     "",
                     "/backup/",
                     {"/data/folder/", "/data/two.txt", "/data/one.txt"},
                     "CopyDir(\"/data/folder\",\"/backup\");\n\r"
                     "CopyFile(\"/data/two.txt\",\"/backup/two.txt\");\n\r"
                     "CopyFile(\"/data/one.txt\",\"/backup/one.txt\");\n\r"},
        GenerateCase{"CopyRootKeepsItsSlash",
                     Kind::Copy,
                     "",
                     "/backup/",
                     {"/"},
                     "CopyDir(\"/\",\"/backup\");\n\r"},
        GenerateCase{"CopyFileToNamedTarget",
                     Kind::Copy,
                     "",
                     "/backup/new.txt",
                     {"/data/one.txt"},
                     "CopyFile(\"/data/one.txt\",\"/backup/new.txt\");\n\r"},
        GenerateCase{"CopyBareFileName",
                     Kind::Copy,
                     "",
                     "/b/",
                     {"notes.txt"},
                     "CopyFile(\"notes.txt\",\"/b/notes.txt\");\n\r"},
        GenerateCase{"CopyQuoteBackslashNewlineInNames",
                     Kind::Copy,
                     "",
                     "/b \"x\"/",
                     {"/d/a\\b\"c\nd"},
                     "CopyFile(\"/d/a\\\\b\\\"c\\nd\",\"/b \\\"x\\\"/a\\\\b\\\"c\\nd\");\n\r"},
        GenerateCase{"CopyEmptyListWritesNothing", Kind::Copy, "", "/b/", {}, ""},
        GenerateCase{"CopyNoDestinationRefused",
                     Kind::Copy,
                     "",
                     "",
                     {"/data/one.txt"},
                     "",
                     "Must enter an a destination location"}),
    LabelName());

// Typed text reaches the desktop character for character, markup-like
// angle brackets included; line breaks press Enter.
TEST(WizardKeys, TypedTextIsTypedAsItStands) {
    const std::string prefix = "string sText = \"";
    for (const std::string text :
         {"<b>bold</b>", "<CTRL>s", "a<ENTER>", "<<>", "x <", "1 < 2 > 0"}) {
        std::string script, refusal;
        ASSERT_TRUE(AppendTypeKeys(script, text, TypeKeysFrom::Text, refusal));
        const size_t start = script.find(prefix) + prefix.size();
        const std::string literal = script.substr(start, script.find("\";\n", start) - start);
        const TypeKeysPlan plan = ParseTypeKeys(literal);
        ASSERT_TRUE(plan.Ok()) << plan.error;
        std::string typed;
        for (const KeyAction& action : plan.actions) {
            ASSERT_EQ(action.code, 0) << text << " pressed a named key";
            typed += char(action.character);
        }
        EXPECT_EQ(typed, text);
    }
}

// The scripts do what they say once run.
TEST(WizardScriptRun, AlertAndKeysReachTheDesktop) {
    std::string script = kScriptHeader;
    AppendAlert(script, "Backup done\n\"ok\"");
    std::string refusal;
    ASSERT_TRUE(AppendTypeKeys(script, "ab\nc", TypeKeysFrom::Text, refusal));
    CRecordingDesktop desktop;
    const ScriptRun run = RunScript(
        script, [&desktop](CScript& loaded) { loaded.GetEngine()->SetDesktop(&desktop); });
    ASSERT_TRUE(run.loaded) << run.err;
    EXPECT_EQ(run.outcome, ScriptOutcome::Finished) << run.err;
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"Alert Backup done\n\"ok\"", "TypeKeys ab<ENTER>c"}));
}

TEST(WizardScriptRun, CopiesRealFilesAndFolders) {
    CTempHome home;
    fs::create_directories(home / "src/my folder/inner");
    fs::create_directories(home / "dest");
    WriteText(home / "src/one.txt", "1");
    WriteText(home / "src/two \"q\".txt", "2");
    WriteText(home / "src/my folder/inner/x.txt", "x");
    std::string script = kScriptHeader;
    std::string refusal;
    ASSERT_TRUE(AppendCopy(
        script, {home / "src/my folder/", home / "src/two \"q\".txt", home / "src/one.txt"},
        home / "dest/", refusal));
    const ScriptRun run = RunScript(script);
    ASSERT_TRUE(run.loaded) << run.err;
    EXPECT_EQ(run.outcome, ScriptOutcome::Finished) << run.err;
    EXPECT_EQ(ReadText(home / "dest/one.txt"), "1");
    EXPECT_EQ(ReadText(home / "dest/two \"q\".txt"), "2");
    EXPECT_EQ(ReadText(home / "dest/inner/x.txt"), "x");
}

TEST(WizardScriptRun, OpensAnApplicationWithABlankInItsPathWithoutWaiting) {
    CTempHome home;
    fs::create_directories(home / "my apps");
    const std::string program = home / "my apps/write it";
    // Writes its argument into a file once the test lets it (at most 10 s):
    // a script that waited for it would not end before that.
    WriteText(program, "#!/bin/sh\ni=0\nwhile [ ! -e \"$1.go\" ] && [ $i -lt 100 ]; do sleep 0.1; "
                       "i=$((i+1)); done\nprintf started > \"$1\"\n");
    fs::permissions(program, fs::perms::owner_all);
    const std::string output = home / "started.txt";
    std::string script = kScriptHeader;
    std::string refusal;
    ASSERT_TRUE(AppendOpenApplication(script, program, output, refusal));
    const ScriptRun run = RunScript(script);
    ASSERT_TRUE(run.loaded) << run.err;
    EXPECT_EQ(run.outcome, ScriptOutcome::Finished) << run.err;
    EXPECT_FALSE(fs::exists(output)) << "the script waited for the application";
    WriteText(output + ".go", "");
    for (int i = 0; i < 400 && ReadText(output) != "started"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    EXPECT_EQ(ReadText(output), "started");
}

} // namespace
