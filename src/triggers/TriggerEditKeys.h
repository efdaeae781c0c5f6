#pragma once
// The trigger-key edit box as plain logic: which virtual-key code a Qt key
// press stands for, and how its token joins the box's text.

#include <string>

// The virtual-key code of a key press reported by Qt as `qtKey` (the value
// of Qt::Key), `keypad` when it came from the numeric keypad. Shifted
// symbols give the code of their key on a US keyboard (the "!" key is "1"),
// so that the box records what the key hook reports for the same key. 0 when
// the key has no code.
int VirtualKeyForQtKey(int qtKey, bool keypad);

// Appends the key's token to `text`: nothing for a key without a name, and
// nothing when the token is already there unless `allowRepeat`. true when
// the text changed.
bool AppendKeyToken(std::string& text, int code, bool upperCase, bool allowRepeat);
