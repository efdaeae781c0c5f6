// Keeping a script's bytes through the editor, and reading the engine's
// compile messages.

#include "editor/ScriptBytes.h"
#include "editor/ScriptCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

struct RoundTrip {
    const char* name;
    std::string bytes;
    bool utf8;
    bool crlf;
};

class ScriptBytesRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(ScriptBytesRoundTrip, TextWritesBackTheSameBytes) {
    const RoundTrip& c = GetParam();
    const ScriptFormat format = DetectScriptFormat(c.bytes);
    EXPECT_EQ(format.utf8, c.utf8);
    EXPECT_EQ(format.crlf, c.crlf);
    const std::string text = ScriptBytesToText(c.bytes, format);
    EXPECT_EQ(text.find('\r') == std::string::npos || !c.crlf, true);
    std::string bytes;
    ASSERT_TRUE(ScriptTextToBytes(text, format, bytes, nullptr));
    EXPECT_EQ(bytes, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptBytesRoundTrip,
    ::testing::Values(RoundTrip{"lf", "a = 1;\nb;\n", true, false},
                      RoundTrip{"crlf", "a = 1;\r\nb;\r\n", true, true},
                      RoundTrip{"noFinalNewline", "a;\r\nb;", true, true},
                      RoundTrip{"latin1", "s = \"caf\xe9\";\n\xff\xfe", false, false},
                      RoundTrip{"mixedEnds", "a;\r\nb;\nc;\r\n", true, false},
                      RoundTrip{"loneCr", "a;\rb;\r", true, false},
                      RoundTrip{"utf8", "s = \"\xc3\xa9\xe2\x82\xac\";\r\n", true, true},
                      RoundTrip{"empty", "", true, false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ScriptBytes, EditedCrlfScriptKeepsCrlf) {
    const ScriptFormat format = DetectScriptFormat("a;\r\n");
    std::string bytes;
    ASSERT_TRUE(ScriptTextToBytes("a;\nnew;\n", format, bytes, nullptr));
    EXPECT_EQ(bytes, "a;\r\nnew;\r\n");
}

TEST(ScriptBytes, Latin1ScriptRefusesCharactersItCannotStore) {
    ScriptFormat latin1;
    latin1.utf8 = false;
    std::string bytes, error;
    EXPECT_FALSE(ScriptTextToBytes("\xe2\x82\xac", latin1, bytes, &error)); // the euro sign
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(ScriptTextToBytes("\xc3\xa9", latin1, bytes, &error));
    EXPECT_EQ(bytes, "\xe9");
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
