#include "run/CommandLine.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::string label;
    std::string text;
    std::vector<std::string> words;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsLikeAShell) {
    std::vector<std::string> words{"stale"};
    std::string error;
    ASSERT_TRUE(SplitCommandLine(GetParam().text, &words, &error)) << error;
    EXPECT_EQ(words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Words, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"OnlyBlanks", " \t ", {}},
        SplitCase{"Plain", "a bb  ccc", {"a", "bb", "ccc"}},
        SplitCase{"SingleQuotesKeepEverything", R"('a b' '\"$x\')", {"a b", R"(\"$x\)"}},
        SplitCase{"DoubleQuotesEscapeFourCharacters", R"("a \"b\" \\ \$ \n")", {R"(a "b" \ $ \n)"}},
        SplitCase{"BackslashOutsideQuotes", R"(a\ b \'c)", {"a b", "'c"}},
        SplitCase{"QuotesJoinTheWord", R"(pre"mid dle"'post')", {"premid dlepost"}},
        SplitCase{"EmptyQuotesAreAnEmptyWord", R"(a "" '' b)", {"a", "", "", "b"}},
        SplitCase{"NothingExpanded", "$HOME ~ *.txt", {"$HOME", "~", "*.txt"}},
        SplitCase{"BackslashNewlineJoins", "a\\\nb", {"ab"}},
        SplitCase{
            "Utf8", "\xC3\xA9t\xC3\xA9 'na\xC3\xAFve'", {"\xC3\xA9t\xC3\xA9", "na\xC3\xAFve"}}),
    LabelName());

struct BadCase {
    std::string label;
    std::string text;
    std::string error;
};

class SplitCommandLineErrorTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(SplitCommandLineErrorTest, RefusesMalformedText) {
    std::vector<std::string> words{"kept"};
    std::string error;
    EXPECT_FALSE(SplitCommandLine(GetParam().text, &words, &error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(words, std::vector<std::string>{"kept"});
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, SplitCommandLineErrorTest,
    ::testing::Values(BadCase{"OpenSingleQuote", "a 'b c", "unterminated ' quote at column 3"},
                      BadCase{"OpenDoubleQuote", "\"a \\\"", "unterminated \" quote at column 1"},
                      BadCase{"TrailingBackslash", "a b\\", "trailing backslash"}),
    LabelName());

} // namespace
