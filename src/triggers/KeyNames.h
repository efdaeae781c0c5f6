#pragma once
// Key names and tokens over virtual-key codes (the key code space of core).

#include <string>
#include <string_view>

namespace vk {
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Center = 12;
inline constexpr int Enter = 13;
inline constexpr int Shift = 16;
inline constexpr int Ctrl = 17;
inline constexpr int Alt = 18;
inline constexpr int Pause = 19;
inline constexpr int Caps = 20;
inline constexpr int Esc = 27;
inline constexpr int Space = 32;
inline constexpr int PageUp = 33;
inline constexpr int PageDown = 34;
inline constexpr int End = 35;
inline constexpr int Home = 36;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int PrintScreen = 44;
inline constexpr int Insert = 45;
inline constexpr int Delete = 46;
inline constexpr int LeftWin = 91;
inline constexpr int RightWin = 92;
inline constexpr int Apps = 93;
inline constexpr int Numpad0 = 96;
inline constexpr int Multiply = 106;
inline constexpr int Add = 107;
inline constexpr int Separator = 108;
inline constexpr int Subtract = 109;
inline constexpr int Decimal = 110;
inline constexpr int Divide = 111;
inline constexpr int F1 = 112;
inline constexpr int NumLock = 144;
inline constexpr int ScrollLock = 145;
inline constexpr int LeftShift = 160;
inline constexpr int RightShift = 161;
inline constexpr int LeftCtrl = 162;
inline constexpr int RightCtrl = 163;
inline constexpr int LeftAlt = 164;
inline constexpr int RightAlt = 165;
// Reported for a key that has no virtual-key code; it has no name.
inline constexpr int Unmapped = 255;

inline bool IsCtrl(int code) {
    return code == Ctrl || code == LeftCtrl || code == RightCtrl;
}
inline bool IsShift(int code) {
    return code == Shift || code == LeftShift || code == RightShift;
}
} // namespace vk

// The name of a key: the fixed name table, else the US-layout character of the
// key with no modifier held (upper-cased when `upperCase`), else empty.
std::string KeyName(int code, bool upperCase);

// The US-layout key of a digit, punctuation character or space, and whether
// it needs Shift ('!' is Shift+1); 0 for any other character.
int UsKeyForCharacter(char character, bool& shifted);

// "<" + name + ">", or empty when the key has no name.
std::string KeyToken(int code, bool upperCase);

// The code of a multi-character key name from the table ("ENTER" included),
// matched without regard to case; 0 when there is none.
int KeyCodeForName(std::string_view name);
