#include "triggers/KeyNames.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    std::string label;
    int code;
    bool upperCase;
    std::string name;
};

class KeyNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(KeyNameTable, NamesTheKey) {
    const NameCase& c = GetParam();
    EXPECT_EQ(KeyName(c.code, c.upperCase), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyNameTable,
    ::testing::Values(
        NameCase{"Backspace", 8, true, "BKSP"}, NameCase{"Tab", 9, true, "TAB"},
        NameCase{"Center", 12, true, "CENTER"}, NameCase{"Shift", 16, true, "SHIFT"},
        NameCase{"Ctrl", 17, false, "CTRL"}, NameCase{"Alt", 18, true, "ALT"},
        NameCase{"Caps", 20, true, "CAPS"}, NameCase{"Esc", 27, true, "ESC"},
        NameCase{"Space", 32, true, "SPACE"}, NameCase{"PageDown", 34, true, "PGDN"},
        NameCase{"PrintScreen", 44, true, "PRISC"}, NameCase{"Delete", 46, true, "DEL"},
        NameCase{"Apps", 93, true, "APPS"}, NameCase{"NumpadStar", 106, true, "*"},
        NameCase{"NumpadPlus", 107, true, "+"}, NameCase{"NumpadMinus", 109, true, "-"},
        NameCase{"NumpadSlash", 111, true, "/"}, NameCase{"F1", 112, true, "F1"},
        NameCase{"F12", 123, true, "F12"}, NameCase{"F13", 124, true, ""},
        NameCase{"NumLock", 144, true, "NUM"}, NameCase{"ScrollLock", 145, true, "SCROLL"},
        NameCase{"LetterUpper", 'X', true, "X"}, NameCase{"LetterLower", 'X', false, "x"},
        NameCase{"Digit", '7', true, "7"}, NameCase{"Numpad3", 99, true, "3"},
        NameCase{"NumpadDecimal", 110, true, "."}, NameCase{"Enter", 13, true, "\r"},
        NameCase{"Semicolon", 186, true, ";"}, NameCase{"Equals", 187, true, "="},
        NameCase{"Comma", 188, true, ","}, NameCase{"Minus", 189, true, "-"},
        NameCase{"Period", 190, true, "."}, NameCase{"Slash", 191, true, "/"},
        NameCase{"Grave", 192, true, "`"}, NameCase{"BracketLeft", 219, true, "["},
        NameCase{"Backslash", 220, true, "\\"}, NameCase{"BracketRight", 221, true, "]"},
        NameCase{"Quote", 222, true, "'"}, NameCase{"LeftShift", 160, true, ""},
        NameCase{"RightAlt", 165, true, ""}, NameCase{"Pause", 19, true, ""},
        NameCase{"Zero", 0, true, ""}, NameCase{"Unmapped", 255, true, ""},
        NameCase{"Negative", -3, true, ""}, NameCase{"Huge", 4096, true, ""}),
    LabelName());

TEST(KeyToken, WrapsTheNameAndIsEmptyWithoutOne) {
    EXPECT_EQ(KeyToken(17, true), "<CTRL>");
    EXPECT_EQ(KeyToken('A', true), "<A>");
    EXPECT_EQ(KeyToken(162, true), "");
}

TEST(KeyCodeForName, FindsMultiCharacterNamesInAnyCase) {
    EXPECT_EQ(KeyCodeForName("ENTER"), 13);
    EXPECT_EQ(KeyCodeForName("enter"), 13);
    EXPECT_EQ(KeyCodeForName("PgUp"), 33);
    EXPECT_EQ(KeyCodeForName("F10"), 121);
    EXPECT_EQ(KeyCodeForName("CTRL"), 17);
    EXPECT_EQ(KeyCodeForName("F13"), 0);
    EXPECT_EQ(KeyCodeForName("*"), 0); // single characters are typed, not named
    EXPECT_EQ(KeyCodeForName(""), 0);
    EXPECT_EQ(KeyCodeForName("CONTROL"), 0);
}

} // namespace
