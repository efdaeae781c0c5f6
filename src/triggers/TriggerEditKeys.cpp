#include "triggers/TriggerEditKeys.h"

#include "triggers/KeyNames.h"

#include <array>

namespace {

// Values of Qt::Key (stable across Qt versions), kept here so that core
// needs no Qt headers.
namespace qtkey {
constexpr int Escape = 0x01000000;
constexpr int Tab = 0x01000001;
constexpr int Backtab = 0x01000002;
constexpr int Backspace = 0x01000003;
constexpr int Return = 0x01000004;
constexpr int Enter = 0x01000005;
constexpr int Insert = 0x01000006;
constexpr int Delete = 0x01000007;
constexpr int Pause = 0x01000008;
constexpr int Print = 0x01000009;
constexpr int SysReq = 0x0100000a;
constexpr int Clear = 0x0100000b;
constexpr int Home = 0x01000010;
constexpr int End = 0x01000011;
constexpr int Left = 0x01000012;
constexpr int Up = 0x01000013;
constexpr int Right = 0x01000014;
constexpr int Down = 0x01000015;
constexpr int PageUp = 0x01000016;
constexpr int PageDown = 0x01000017;
constexpr int Shift = 0x01000020;
constexpr int Control = 0x01000021;
constexpr int Meta = 0x01000022;
constexpr int Alt = 0x01000023;
constexpr int CapsLock = 0x01000024;
constexpr int NumLock = 0x01000025;
constexpr int ScrollLock = 0x01000026;
constexpr int F1 = 0x01000030;
constexpr int F24 = 0x01000047;
constexpr int SuperL = 0x01000053;
constexpr int SuperR = 0x01000054;
constexpr int Menu = 0x01000055;
} // namespace qtkey

struct KeyPair {
    int qtKey;
    int code;
};

// Keys that mean the same wherever they are. AltGr is not Alt: it types
// characters, and has no code.
constexpr std::array<KeyPair, 31> kNamedKeys{{
    {qtkey::Escape, vk::Esc},
    {qtkey::Tab, vk::Tab},
    {qtkey::Backtab, vk::Tab},
    {qtkey::Backspace, vk::Backspace},
    {qtkey::Return, vk::Enter},
    {qtkey::Enter, vk::Enter},
    {qtkey::Insert, vk::Insert},
    {qtkey::Pause, vk::Pause},
    {qtkey::Print, vk::PrintScreen},
    {qtkey::SysReq, vk::PrintScreen},
    {qtkey::Clear, vk::Center},
    {qtkey::Home, vk::Home},
    {qtkey::End, vk::End},
    {qtkey::Left, vk::Left},
    {qtkey::Up, vk::Up},
    {qtkey::Right, vk::Right},
    {qtkey::Down, vk::Down},
    {qtkey::PageUp, vk::PageUp},
    {qtkey::PageDown, vk::PageDown},
    {qtkey::Shift, vk::Shift},
    {qtkey::Control, vk::Ctrl},
    {qtkey::Meta, vk::Alt},
    {qtkey::Alt, vk::Alt},
    {qtkey::CapsLock, vk::Caps},
    {qtkey::NumLock, vk::NumLock},
    {qtkey::ScrollLock, vk::ScrollLock},
    {qtkey::SuperL, vk::LeftWin},
    {qtkey::SuperR, vk::RightWin},
    {qtkey::Menu, vk::Apps},
    {' ', vk::Space},
    {qtkey::Delete, vk::Delete},
}};

// Keypad keys whose keysym differs from the main keyboard's.
int KeypadCode(int qtKey) {
    if (qtKey >= '0' && qtKey <= '9')
        return vk::Numpad0 + (qtKey - '0');
    switch (qtKey) {
    case '*':
        return vk::Multiply;
    case '+':
        return vk::Add;
    case '-':
        return vk::Subtract;
    case '/':
        return vk::Divide;
    case '.':
        return vk::Decimal;
    case ',':
        return vk::Separator;
    default:
        return 0;
    }
}

} // namespace

int VirtualKeyForQtKey(int qtKey, bool keypad) {
    if (keypad) {
        if (const int code = KeypadCode(qtKey))
            return code;
    }
    if (qtKey >= 'A' && qtKey <= 'Z')
        return qtKey;
    if (qtKey >= '0' && qtKey <= '9')
        return qtKey;
    if (qtKey >= qtkey::F1 && qtKey <= qtkey::F24)
        return vk::F1 + (qtKey - qtkey::F1);
    for (const KeyPair& pair : kNamedKeys)
        if (pair.qtKey == qtKey)
            return pair.code;
    // Printable keys off the keypad: the US key that carries the character.
    bool shifted = false;
    return qtKey > ' ' && qtKey < 0x7F ? UsKeyForCharacter(static_cast<char>(qtKey), shifted) : 0;
}

bool AppendKeyToken(std::string& text, int code, bool upperCase, bool allowRepeat) {
    const std::string token = KeyToken(code, upperCase);
    if (token.empty())
        return false;
    if (!allowRepeat && text.find(token) != std::string::npos)
        return false;
    text += token;
    return true;
}
