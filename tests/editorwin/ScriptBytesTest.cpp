// Keeping a script's bytes through the editor, and reading the engine's
// compile messages.

#include "editor/ScriptBytes.h"
#include "editor/ScriptCheck.h"
#include "editor/ScriptNames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct RoundTrip {
    const char* name;
    std::string bytes;
    ScriptEncoding encoding;
    bool bom;
    LineEnd lineEnd;
};

class ScriptBytesRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ScriptBytesRoundTrip, TextWritesBackTheSameBytes) {
    const RoundTrip& c = GetParam();
    const ScriptFormat format = DetectScriptFormat(c.bytes);
    EXPECT_EQ(format.encoding, c.encoding);
    EXPECT_EQ(format.bom, c.bom);
    EXPECT_EQ(format.lineEnd, c.lineEnd);
    std::string text;
    ASSERT_TRUE(ScriptBytesToText(c.bytes, format, text));
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("\xEF\xBB\xBF"), std::string::npos);
    std::string bytes;
    ASSERT_TRUE(ScriptTextToBytes(text, format, bytes, nullptr, c.bytes, &format));
    EXPECT_EQ(bytes, c.bytes);
}

using E = ScriptEncoding;
INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptBytesRoundTrip,
    ::testing::Values(
        RoundTrip{"lf", "a = 1;\nb;\n", E::Utf8, false, LineEnd::Lf},
        RoundTrip{"crlf", "a = 1;\r\nb;\r\n", E::Utf8, false, LineEnd::CrLf},
        RoundTrip{"noFinalNewline", "a;\r\nb;", E::Utf8, false, LineEnd::CrLf},
        RoundTrip{"latin1", "s = \"caf\xe9\";\n\xff\xfe\x81\xa0", E::Windows1252, false,
                  LineEnd::Lf},
        RoundTrip{"mixedEnds", "a;\r\nb;\nc;\r\n", E::Utf8, false, LineEnd::CrLf},
        RoundTrip{"loneCr", "a;\rb;\r", E::Utf8, false, LineEnd::Cr},
        RoundTrip{"bom", "\xEF\xBB\xBFuse \"a.dec\";\r\n", E::Utf8, true, LineEnd::CrLf},
        RoundTrip{"utf8", "s = \"\xc3\xa9\xe2\x82\xac\";\r\n", E::Utf8, false, LineEnd::CrLf},
        RoundTrip{"empty", "", E::Utf8, false, LineEnd::Lf}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// An edit changes the bytes of the edited lines only: the mark, every other
// line's own break and bytes stay; new lines get the break most used.
struct EditedSave {
    const char* name;
    std::string bytes;
    std::string from, to; // the edit, on the editor's text
    std::string expected;
};

class ScriptBytesEditedSave : public ::testing::TestWithParam<EditedSave> {};

TEST_P(ScriptBytesEditedSave, KeepsTheBytesNobodyEdited) {
    const EditedSave& c = GetParam();
    const ScriptFormat format = DetectScriptFormat(c.bytes);
    std::string text;
    ASSERT_TRUE(ScriptBytesToText(c.bytes, format, text));
    const size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, c.from.size(), c.to);
    std::string bytes, error;
    ASSERT_TRUE(ScriptTextToBytes(text, format, bytes, &error, c.bytes, &format)) << error;
    EXPECT_EQ(bytes, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptBytesEditedSave,
    ::testing::Values(
        EditedSave{"bom",
                   "\xEF\xBB\xBF"
                   "a;\nb;\n",
                   "a;", "a2;",
                   "\xEF\xBB\xBF"
                   "a2;\nb;\n"},
        EditedSave{"crlfLineAdded", "a;\r\nb;\r\n", "b;", "b;\nc;", "a;\r\nb;\r\nc;\r\n"},
        EditedSave{"mixedEnds", "a;\r\nb;\nc;\r\nd;\r\n", "b;", "B;", "a;\r\nB;\nc;\r\nd;\r\n"},
        EditedSave{"mixedLineAddedAtEnd", "a;\nb;\r\nc;\r\n", "c;\n", "c;\nd;\n",
                   "a;\nb;\r\nc;\r\nd;\r\n"},
        EditedSave{"mixedLineRemoved", "a;\nb;\r\nc;\n", "b;\n", "", "a;\nc;\n"},
        EditedSave{"latin1", "caf\xe9;\n\x80\xa0;\n", "caf\xc3\xa9;", "caf\xc3\xa9x;",
                   "caf\xe9x;\n\x80\xa0;\n"},
        EditedSave{"cp1252EuroTyped", "\xe9;\r\n", "\xc3\xa9;", "\xe2\x82\xac;", "\x80;\r\n"},
        EditedSave{"invalidUtf8", "ok;\n\xff\xfe\xc3( bad\n", "ok;", "fine;",
                   "fine;\n\xff\xfe\xc3( bad\n"},
        EditedSave{"loneCr", "a;\rb;\r", "a;", "A;", "A;\rb;\r"},
        EditedSave{"emptyFile", "", "", "x", "x"}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ScriptBytes, OneByteEncodingsRefuseCharactersTheyCannotStore) {
    const struct {
        ScriptEncoding encoding;
        std::string text;
        bool stored;
        std::string bytes;
    } cases[] = {
        {E::Latin1, "\xc3\xa9", true, "\xe9"},
        {E::Latin1, "ok\n\xe2\x82\xac", false, ""}, // the euro sign
        {E::Windows1252, "\xe2\x82\xac", true, "\x80"},
        {E::Windows1252, "\xe2\x86\x92", false, ""}, // an arrow
        {E::Utf8, "\xe2\x86\x92", true, "\xe2\x86\x92"},
    };
    for (const auto& c : cases) {
        ScriptFormat format;
        format.encoding = c.encoding;
        std::string bytes, error;
        EXPECT_EQ(ScriptTextToBytes(c.text, format, bytes, &error), c.stored) << c.text;
        if (c.stored)
            EXPECT_EQ(bytes, c.bytes);
        else
            EXPECT_NE(error.find(c.text.find('\n') == std::string::npos ? "Line 1" : "Line 2"),
                      std::string::npos)
                << error;
    }
}

// A file that is not UTF-8 read as UTF-8 is refused rather than garbled.
TEST(ScriptBytes, ReadingInvalidBytesAsUtf8IsRefused) {
    ScriptFormat utf8;
    std::string text, error;
    EXPECT_FALSE(ScriptBytesToText("a\n\xff", utf8, text, &error));
    EXPECT_NE(error.find("Line 2"), std::string::npos) << error;
}

TEST(ScriptBytes, MalformedUtf8IsNotUtf8) {
    const struct {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"\xe2\x82\xac", true}, {"\xc0\xaf", false},         {"\xed\xa0\x80", false},
        {"\xe2\x82", false},    {"\xf4\x90\x80\x80", false}, {"\xf0\x9f\x98\x80", true},
        {"plain ascii", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

TEST(ScriptCheck, DiagnosticsNameTheirPlace) {
    const struct {
        std::string text;
        std::string file;
        int line, column;
        std::string message;
    } cases[] = {
        {"dir/a.tsc:3:7: error: expected ';'", "dir/a.tsc", 3, 7, "expected ';'"},
        {"/x:y/a.tsc:12:1: error: unknown name", "/x:y/a.tsc", 12, 1, "unknown name"},
        {"a.tsc: error: cannot open script: gone", "", 0, 0,
         "a.tsc: error: cannot open script: gone"},
        {"/d/a.tsc:4: runtime error: division by zero", "/d/a.tsc", 4, 0, "division by zero"},
        {"a.tsc:2: runtime error: bad: x.tsc:1:1: error: y", "a.tsc", 2, 0,
         "bad: x.tsc:1:1: error: y"},
        {"Could not Execute", "", 0, 0, "Could not Execute"},
    };
    for (const auto& c : cases) {
        const ScriptDiagnostic d = ParseDiagnostic(c.text);
        EXPECT_TRUE(d.failed);
        EXPECT_EQ(d.file, c.file) << c.text;
        EXPECT_EQ(d.line, c.line) << c.text;
        EXPECT_EQ(d.column, c.column) << c.text;
        EXPECT_EQ(d.message, c.message) << c.text;
    }
}

TEST(ScriptCheck, CompilesWithoutRunning) {
    EXPECT_FALSE(CheckScript("/nowhere/a.tsc", "int x = 1;\nPrint(x);\n").failed);
    const ScriptDiagnostic broken = CheckScript("/nowhere/a.tsc", "int x = 1;\nx = ;\n");
    EXPECT_TRUE(broken.failed);
    EXPECT_EQ(broken.file, "/nowhere/a.tsc");
    EXPECT_EQ(broken.line, 2);
    // Compiling only: a script that would delete a file leaves it alone.
    const auto victim = std::filesystem::temp_directory_path() / "script_check_victim.txt";
    std::ofstream(victim) << "keep";
    EXPECT_FALSE(
        CheckScript("/nowhere/b.tsc", "DeleteFile(\"" + victim.string() + "\");\n").failed);
    EXPECT_TRUE(std::filesystem::exists(victim));
    std::filesystem::remove(victim);
}

} // namespace

TEST(ScriptNames, FindsTheScriptsOwnNamesOutsideStringsAndComments) {
    const ScriptNames names =
        FindScriptNames("define LIMIT = 3;\n"
                        "function int Twice(int value, string label) { return value * 2; }\n"
                        "function void Say() { }\n"
                        "list items; var any = 1; // int notAName\n"
                        "string s = \"int alsoNot\";\n"
                        "for (int i = 0; i < LIMIT; i++) { items += Twice(i, s); }\n"
                        "int late = \"unfinished\n");
    EXPECT_EQ(names.functions, (std::vector<std::string>{"Say", "Twice"}));
    EXPECT_EQ(names.defines, std::vector<std::string>{"LIMIT"});
    EXPECT_EQ(names.variables,
              (std::vector<std::string>{"any", "i", "items", "label", "late", "s", "value"}));
}
