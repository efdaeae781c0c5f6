#include "editor/UseScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ScanCase {
    const char* what;
    std::vector<std::string> lines;
    const char* useList;
    bool usesSeen;
};

const ScanCase kScanCases[] = {
    {"plain use statement", {R"(use "menus.dec";)"}, "menus.dec::", true},
    {"blanks around the statement", {"  use  \"a.dec\"  ;  // note\r"}, "a.dec::", true},
    {"same file twice is listed once", {R"(use "a.dec";)", R"(use "a.dec";)"}, "a.dec::", true},
    {"two files in order", {R"(use "a.dec";)", R"(use "b.dec";)"}, "a.dec::b.dec::", true},
    {"a name that ends another is its own file",
     {R"(use "ab.dec";)", R"(use "b.dec";)"},
     "ab.dec::b.dec::",
     true},
    {"semicolon inside a later string is skipped", {R"(use "a.dec"; x = "p;q")"}, "a.dec::", true},
    {"only the last statement of a line counts", {R"(use "a.dec"; x = 1;)"}, "", true},
    {"a semicolon in a trailing comment ends nothing",
     {R"(use "a.dec"; // a; b)", R"(use "b.dec"; # "c;)"},
     "a.dec::b.dec::",
     true},
    {"escaped quote stays in the name", {R"(use "a\"b.dec";)"}, R"(a\"b.dec::)", true},
    {"use behind an assignment is no statement", {R"(x = 1; use "a.dec";)"}, "", false},
    {"no semicolon, no statement", {R"(use "a.dec")"}, "", false},
    {"only semicolon inside a string", {R"(use "a;b.dec")"}, "", false},
    {"upper-case keyword", {R"(USE "a.dec";)"}, "", false},
    {"tab after the keyword", {"use\t\"a.dec\";"}, "", false},
    {"unquoted name sets the flag only", {"use a.dec;"}, "", true},
    {"empty name sets the flag only", {R"(use "";)"}, "", true},
    {"unclosed quote hides the semicolon", {R"(use "a.dec;)"}, "", false},
    {"empty line", {""}, "", false},
    {"statement past the line limit", {std::string(4096, ' ') + R"(use "a.dec";)"}, "", false},
    {"statement cut by the line limit",
     {R"(use "a.dec")" + std::string(4090, ' ') + ";"},
     "",
     false},
};

class UseScanTable : public testing::TestWithParam<ScanCase> {};

TEST_P(UseScanTable, BuildsTheUseListAndFlag) {
    const ScanCase& c = GetParam();
    CScriptUses uses;
    for (const auto& line : c.lines)
        uses.ScanLine(line);
    EXPECT_EQ(uses.UseList(), c.useList) << c.what;
    EXPECT_EQ(uses.UsesSeen(), c.usesSeen) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Lines, UseScanTable, testing::ValuesIn(kScanCases));

TEST(UseScanner, QuoteTestCountsEscapesOnlyInsideStrings) {
    const std::string s = R"(a "b\"c" \"d)";
    EXPECT_FALSE(IsInsideString(s, -3));
    EXPECT_FALSE(IsInsideString(s, 2));   // before the first quote
    EXPECT_TRUE(IsInsideString(s, 6));    // after \" inside the string
    EXPECT_FALSE(IsInsideString(s, 9));   // after the closing quote
    EXPECT_TRUE(IsInsideString(s, 12));   // \" outside a string opens one
    EXPECT_TRUE(IsInsideString(s, 1000)); // past the end: the whole text
}

TEST(UseScanner, TakingTheListClearsTheFlagAndRescanEmptiesIt) {
    CScriptUses uses;
    uses.ScanLine(R"(use "a.dec";)");
    EXPECT_EQ(uses.TakeUseList(), "a.dec::");
    EXPECT_FALSE(uses.UsesSeen());
    EXPECT_EQ(uses.UseList(), "a.dec::");
    uses.BeginRescan();
    uses.ScanLine(R"(use "b.dec";)");
    EXPECT_EQ(uses.UseList(), "b.dec::");
}

TEST(UseScanner, UseListSplitsIntoFilesAndScriptsGiveTheirFolder) {
    EXPECT_EQ(UseListFiles("a.dec::sub/b.dec::tail"),
              (std::vector<std::string>{"a.dec", "sub/b.dec"}));
    EXPECT_TRUE(UseListFiles("").empty());
    EXPECT_EQ(ScriptFolder("/home/u/Scripts/x.tsc"), "/home/u/Scripts");
    EXPECT_EQ(ScriptFolder(""), "");
    EXPECT_FALSE(ScriptFolder("x.tsc").empty()); // relative: the current folder, made absolute
}

} // namespace
