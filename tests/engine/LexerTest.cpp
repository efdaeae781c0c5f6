#include "engine/Lexer.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessera;

namespace {

std::string Kinds(const std::string& source) {
    std::string out;
    for (const Token& t : Tokenize(source)) {
        if (!out.empty())
            out += " ";
        out += TokName(t.kind);
    }
    return out;
}

TEST(Lexer, OperatorsAreLongestMatch) {
    EXPECT_EQ(Kinds("a+=b++ <= >= == != && || -- -= ! %= /="),
              "identifier += identifier ++ <= >= == != && || -- -= ! %= /= end of file");
}

TEST(Lexer, KeywordsAreCaseSensitive) {
    EXPECT_EQ(Kinds("if If function Function exit"),
              "if identifier function identifier exit end of file");
}

TEST(Lexer, PositionsCountLinesAndColumns) {
    auto tokens = Tokenize("a\n  /* x\n y */ b\r\n\tc");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[0].line, 1);
    EXPECT_EQ(tokens[1].line, 3);
    EXPECT_EQ(tokens[1].column, 7);
    EXPECT_EQ(tokens[2].line, 4);
    EXPECT_EQ(tokens[2].column, 2);
}

TEST(Lexer, NumbersAndStrings) {
    auto tokens = Tokenize("0x7fffffffffffffff 0xFFFFFFFFFFFFFFFF 12 1e3 3.25 \"a\\x41\\n\"");
    EXPECT_EQ(tokens[0].intValue, INT64_MAX);
    EXPECT_EQ(tokens[1].intValue, -1);
    EXPECT_EQ(tokens[2].intValue, 12);
    EXPECT_EQ(tokens[3].kind, Tok::FloatLit);
    EXPECT_DOUBLE_EQ(tokens[3].floatValue, 1000);
    EXPECT_DOUBLE_EQ(tokens[4].floatValue, 3.25);
    EXPECT_EQ(tokens[5].text, "aA\n");
}

TEST(Lexer, StringsKeepEmbeddedZeroBytes) {
    auto tokens = Tokenize("\"a\\0b\"");
    EXPECT_EQ(tokens[0].text, std::string("a\0b", 3));
}

struct LexError {
    std::string label;
    std::string source;
    int line;
    int column;
    std::string message;
};

class LexerErrors : public ::testing::TestWithParam<LexError> {};

TEST_P(LexerErrors, ReportPlaceAndCause) {
    const LexError& c = GetParam();
    try {
        Tokenize(c.source);
        FAIL() << "no error";
    } catch (const CompileError& e) {
        EXPECT_EQ(e.line, c.line);
        EXPECT_EQ(e.column, c.column);
        EXPECT_EQ(std::string(e.what()), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LexerErrors,
    ::testing::Values(
        LexError{"unterminated_string", "x = \"abc", 1, 5, "unterminated string"},
        LexError{"newline_in_string", "\"ab\ncd\"", 1, 1, "unterminated string"},
        LexError{"bad_hex_escape", "\"\\xZ1\"", 1, 2,
                 "malformed \\x escape (needs two hex digits)"},
        LexError{"lone_ampersand", "a & b", 1, 3, "unexpected character '&'"},
        LexError{"control_byte", "a \x01", 1, 3, "unexpected character 0x01"},
        LexError{"hex_too_long", "0x1FFFFFFFFFFFFFFFF", 1, 1, "integer literal too large"},
        LexError{"decimal_too_large", "99999999999999999999", 1, 1, "integer literal too large"},
        LexError{"letters_after_number", "12ab", 1, 1, "malformed number"},
        LexError{"empty_hex", "0x", 1, 1, "malformed hexadecimal number"},
        LexError{"open_comment", "\n  /* never", 2, 3, "unterminated comment"}),
    LabelName());

// The editor's view of the text: spans of the same rules, never failing.
std::string Spans(std::string_view text, bool& inComment) {
    std::string out;
    for (const LexemeSpan& span : ScanLexemes(text, inComment)) {
        static const char* const kNames[] = {"_", "C", "S", "W", "N", "P"};
        out += kNames[static_cast<int>(span.kind)];
        if (!span.finished)
            out += '~';
        out += std::string(text.substr(span.begin, span.end - span.begin)) + "|";
    }
    return out;
}

TEST(Lexemes, FollowTheLexersRulesOnUnfinishedText) {
    struct Case {
        const char* text;
        bool inComment, commentAfter;
        const char* spans;
    };
    const Case cases[] = {
        {R"(x="a\"b"; # c)", false, false, R"(Wx|P=|S"a\"b"|P;|_ |C# c|)"},
        {R"("a // b" // c)", false, false, R"(S"a // b"|_ |C// c|)"},
        {R"(s = "open)", false, false, R"(Ws|_ |P=|_ |S~"open|)"},
        {"f(/* a", false, true, "Wf|P(|C~/* a|"},
        {"b */ h\xC3\xA9llo 2.5", true, false, "Cb */|_ |Wh\xC3\xA9llo|_ |N2.5|"},
        {"*/", true, false, "C*/|"},
    };
    for (const Case& c : cases) {
        bool inComment = c.inComment;
        EXPECT_EQ(Spans(c.text, inComment), c.spans) << c.text;
        EXPECT_EQ(inComment, c.commentAfter) << c.text;
    }
    const auto& words = Keywords();
    EXPECT_NE(std::find(words.begin(), words.end(), "continue"), words.end());
    EXPECT_TRUE(IsTypeKeyword("var"));
    EXPECT_FALSE(IsTypeKeyword("break"));
}

} // namespace
