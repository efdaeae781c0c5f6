// The Qt key to virtual-key mapping of the trigger box, against Qt's own key
// values, and how tokens join the box's text.

#include "triggers/TriggerEditKeys.h"

#include "fakes/TestSupport.h"
#include "triggers/KeyNames.h"

#include <QtCore/qnamespace.h>

#include <gtest/gtest.h>

namespace {

struct QtKeyCase {
    std::string label;
    int qtKey;
    bool keypad;
    int code;
};

class QtKeys : public ::testing::TestWithParam<QtKeyCase> {};

TEST_P(QtKeys, MapToTheHooksCode) {
    const QtKeyCase& c = GetParam();
    EXPECT_EQ(VirtualKeyForQtKey(c.qtKey, c.keypad), c.code);
}

const QtKeyCase kQtKeys[] = {
    {"LetterA", Qt::Key_A, false, 'A'},
    {"LetterZ", Qt::Key_Z, false, 'Z'},
    {"Digit5", Qt::Key_5, false, '5'},
    {"Keypad5", Qt::Key_5, true, vk::Numpad0 + 5},
    {"F1", Qt::Key_F1, false, vk::F1},
    {"F12", Qt::Key_F12, false, vk::F1 + 11},
    {"Escape", Qt::Key_Escape, false, vk::Esc},
    {"Backspace", Qt::Key_Backspace, false, vk::Backspace},
    {"Delete", Qt::Key_Delete, false, vk::Delete},
    {"KeypadDelete", Qt::Key_Delete, true, vk::Delete},
    {"Insert", Qt::Key_Insert, false, vk::Insert},
    {"Left", Qt::Key_Left, false, vk::Left},
    {"Up", Qt::Key_Up, false, vk::Up},
    {"Right", Qt::Key_Right, false, vk::Right},
    {"Down", Qt::Key_Down, false, vk::Down},
    {"KeypadHome", Qt::Key_Home, true, vk::Home},
    {"PageDown", Qt::Key_PageDown, false, vk::PageDown},
    {"Shift", Qt::Key_Shift, false, vk::Shift},
    {"Control", Qt::Key_Control, false, vk::Ctrl},
    {"Alt", Qt::Key_Alt, false, vk::Alt},
    {"MetaIsAlt", Qt::Key_Meta, false, vk::Alt},
    {"AltGrIsNotAlt", Qt::Key_AltGr, false, 0},
    {"SuperL", Qt::Key_Super_L, false, vk::LeftWin},
    {"SuperR", Qt::Key_Super_R, false, vk::RightWin},
    {"Menu", Qt::Key_Menu, false, vk::Apps},
    {"CapsLock", Qt::Key_CapsLock, false, vk::Caps},
    {"NumLock", Qt::Key_NumLock, false, vk::NumLock},
    {"Print", Qt::Key_Print, false, vk::PrintScreen},
    {"Pause", Qt::Key_Pause, false, vk::Pause},
    {"KeypadBegin", Qt::Key_Clear, true, vk::Center},
    {"Return", Qt::Key_Return, false, vk::Enter},
    {"KeypadEnter", Qt::Key_Enter, true, vk::Enter},
    {"Space", Qt::Key_Space, false, vk::Space},
    {"Tab", Qt::Key_Tab, false, vk::Tab},
    {"BacktabIsTab", Qt::Key_Backtab, false, vk::Tab},
    {"ExclamIs1", Qt::Key_Exclam, false, '1'},
    {"AsteriskIs8", Qt::Key_Asterisk, false, '8'},
    {"KeypadAsterisk", Qt::Key_Asterisk, true, vk::Multiply},
    {"PlusIsEqualKey", Qt::Key_Plus, false, 187},
    {"KeypadPlus", Qt::Key_Plus, true, vk::Add},
    {"KeypadMinus", Qt::Key_Minus, true, vk::Subtract},
    {"KeypadSlash", Qt::Key_Slash, true, vk::Divide},
    {"Minus", Qt::Key_Minus, false, 189},
    {"Semicolon", Qt::Key_Semicolon, false, 186},
    {"QuoteDbl", Qt::Key_QuoteDbl, false, 222},
    {"BraceRight", Qt::Key_BraceRight, false, 221},
    {"Tilde", Qt::Key_AsciiTilde, false, 192},
    {"Unknown", Qt::Key_unknown, false, 0},
    {"VolumeUp", Qt::Key_VolumeUp, false, 0},
    {"NonLatinLetter", 0x416, false, 0},
};
INSTANTIATE_TEST_SUITE_P(TriggerEdit, QtKeys, ::testing::ValuesIn(kQtKeys), LabelName());

struct AppendCase {
    std::string label;
    std::string before;
    int code;
    bool upperCase;
    bool allowRepeat;
    std::string after;
};

class Append : public ::testing::TestWithParam<AppendCase> {};

TEST_P(Append, JoinsTokensInPressOrder) {
    const AppendCase& c = GetParam();
    std::string text = c.before;
    EXPECT_EQ(AppendKeyToken(text, c.code, c.upperCase, c.allowRepeat), c.after != c.before);
    EXPECT_EQ(text, c.after);
}

const AppendCase kAppends[] = {
    {"FirstKey", "", 'A', true, false, "<A>"},
    {"LowerCase", "", 'A', false, false, "<a>"},
    {"SecondKeyAfterFirst", "<X>", vk::Ctrl, true, false, "<X><CTRL>"},
    {"RepeatedKeyOnce", "<A>", 'A', true, false, "<A>"},
    {"RepeatedKeyAllowed", "<A>", 'A', true, true, "<A><A>"},
    {"BackspaceIsAToken", "<A>", vk::Backspace, true, false, "<A><BKSP>"},
    {"DeleteIsAToken", "<A>", vk::Delete, true, false, "<A><DEL>"},
    {"UnnamedKeyAddsNothing", "<A>", 0, true, true, "<A>"},
    {"SideModifierAddsNothing", "", vk::LeftShift, true, false, ""},
};
INSTANTIATE_TEST_SUITE_P(TriggerEdit, Append, ::testing::ValuesIn(kAppends), LabelName());

} // namespace
