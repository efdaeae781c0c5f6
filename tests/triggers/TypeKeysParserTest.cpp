#include "triggers/TypeKeysParser.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct ParseCase {
    std::string label;
    std::string text;
    std::string plan; // described actions, blank separated; or "error: ..." prefix
};

std::string Describe(const TypeKeysPlan& plan) {
    if (!plan.Ok())
        return "error: " + plan.error;
    std::string out;
    for (const KeyAction& action : plan.actions)
        out += (out.empty() ? "" : " ") + DescribeKeyAction(action);
    return out;
}

class TypeKeysSyntax : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TypeKeysSyntax, Plans) {
    EXPECT_EQ(Describe(ParseTypeKeys(GetParam().text)), GetParam().plan);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypeKeysSyntax,
    ::testing::Values(
        ParseCase{"Empty", "", ""}, ParseCase{"Plain", "aB!", "'a' 'B' '!'"},
        ParseCase{"Enter", "x<ENTER>", "'x' ENTER"},
        ParseCase{"NamesIgnoreCase", "<Tab><esc>", "TAB ESC"},
        ParseCase{"FunctionKeys", "<F1><F12>", "F1 F12"},
        ParseCase{"ChordWithLetter", "<CTRL>c", "+CTRL C -CTRL"},
        ParseCase{"ChordLetterCaseDoesNotMatter", "<CTRL><C>", "+CTRL C -CTRL"},
        ParseCase{"ThreeKeyChord", "<CTRL><ALT><x>y", "+CTRL +ALT X -ALT -CTRL 'y'"},
        ParseCase{"ShiftChordKeepsCaseOut", "<CTRL><SHIFT>t", "+CTRL +SHIFT T -SHIFT -CTRL"},
        ParseCase{"ChordWithNamedKey", "<ALT><F4>", "+ALT F4 -ALT"},
        ParseCase{"ChordWithPunctuation", "<CTRL>+", "+CTRL '+' -CTRL"},
        ParseCase{"RepeatedModifierPressedOnce", "<CTRL><CTRL>a", "+CTRL A -CTRL"},
        ParseCase{"ModifierAloneIsTapped", "<LWIN>", "+LWIN -LWIN"},
        ParseCase{"SingleCharacterTokens", "<a><<><>>", "'a' '<' '>'"},
        ParseCase{"LoneAngleIsTyped", "a < b", "'a' ' ' '<' ' ' 'b'"},
        ParseCase{"UnknownTokenIsTyped", "<FOO>", "'<' 'F' 'O' 'O' '>'"},
        ParseCase{"UnclosedToken", "<ENTER", "'<' 'E' 'N' 'T' 'E' 'R'"},
        ParseCase{"LineBreaks", "a\nb\r\nc\td", "'a' ENTER 'b' ENTER 'c' TAB 'd'"},
        ParseCase{"Utf8", "\xC3\xA9\xE2\x82\xAC", "U+00E9 U+20AC"},
        ParseCase{"Utf8Token", "<\xC3\xA9>", "U+00E9"},
        ParseCase{"BadUtf8", "ab\xC3(", "error: invalid UTF-8 at byte 2"},
        ParseCase{"Overlong", "\xC0\xAF", "error: invalid UTF-8 at byte 0"},
        ParseCase{"ControlCharacter", "a\x01", "error: cannot type the control character 0x01"},
        ParseCase{"Delete", "\x7F", "error: cannot type the control character 0x7F"}),
    LabelName());

} // namespace
