#include "triggers/KeyNames.h"

#include <array>
#include <cctype>

namespace {

struct NamedKey {
    int code;
    const char* name;
};

constexpr std::array<NamedKey, 27> kNamedKeys{{
    {vk::Backspace, "BKSP"}, {vk::Tab, "TAB"},       {vk::Center, "CENTER"},
    {vk::Shift, "SHIFT"},    {vk::Ctrl, "CTRL"},     {vk::Alt, "ALT"},
    {vk::Caps, "CAPS"},      {vk::Esc, "ESC"},       {vk::Space, "SPACE"},
    {vk::PageUp, "PGUP"},    {vk::PageDown, "PGDN"}, {vk::End, "END"},
    {vk::Home, "HOME"},      {vk::Left, "LEFT"},     {vk::Up, "UP"},
    {vk::Right, "RIGHT"},    {vk::Down, "DOWN"},     {vk::PrintScreen, "PRISC"},
    {vk::Insert, "INS"},     {vk::Delete, "DEL"},    {vk::LeftWin, "LWIN"},
    {vk::RightWin, "RWIN"},  {vk::Apps, "APPS"},     {vk::Multiply, "*"},
    {vk::Add, "+"},          {vk::Subtract, "-"},    {vk::Divide, "/"},
}};

const char* TableName(int code) {
    for (const NamedKey& key : kNamedKeys)
        if (key.code == code)
            return key.name;
    if (code >= vk::F1 && code < vk::F1 + 12) {
        static const char* const kFunctionNames[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                     "F7", "F8", "F9", "F10", "F11", "F12"};
        return kFunctionNames[code - vk::F1];
    }
    if (code == vk::NumLock)
        return "NUM";
    if (code == vk::ScrollLock)
        return "SCROLL";
    return nullptr;
}

// The US layout's digit, punctuation and space keys: the character without
// and with Shift, and the key's code. The one table every key mapping uses.
struct UsKey {
    char plain;
    char shifted;
    int code;
};
constexpr UsKey kUsKeys[] = {
    {'1', '!', '1'},  {'2', '@', '2'},     {'3', '#', '3'}, {'4', '$', '4'},  {'5', '%', '5'},
    {'6', '^', '6'},  {'7', '&', '7'},     {'8', '*', '8'}, {'9', '(', '9'},  {'0', ')', '0'},
    {';', ':', 186},  {'=', '+', 187},     {',', '<', 188}, {'-', '_', 189},  {'.', '>', 190},
    {'/', '?', 191},  {'`', '~', 192},     {'[', '{', 219}, {'\\', '|', 220}, {']', '}', 221},
    {'\'', '"', 222}, {' ', 0, vk::Space},
};

// The character a US keyboard gives for the key with no modifier held; 0 when
// none. Letters come out lower case.
char UsCharacter(int code) {
    if (code >= 'A' && code <= 'Z')
        return static_cast<char>(code - 'A' + 'a');
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9)
        return static_cast<char>('0' + code - vk::Numpad0);
    if (code == vk::Enter)
        return '\r';
    if (code == vk::Decimal)
        return '.';
    for (const UsKey& key : kUsKeys)
        if (key.code == code && code != vk::Space)
            return key.plain;
    return 0;
}

} // namespace

std::string KeyName(int code, bool upperCase) {
    if (const char* name = TableName(code))
        return name;
    const char character = UsCharacter(code);
    if (!character)
        return {};
    return std::string(1, upperCase ? static_cast<char>(std::toupper(character)) : character);
}

std::string KeyToken(int code, bool upperCase) {
    std::string name = KeyName(code, upperCase);
    return name.empty() ? name : "<" + name + ">";
}

int KeyCodeForName(std::string_view name) {
    auto same = [&](std::string_view other) {
        if (other.size() != name.size())
            return false;
        for (size_t i = 0; i < name.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(name[i])) != other[i])
                return false;
        return true;
    };
    if (name.size() < 2)
        return 0;
    if (same("ENTER"))
        return vk::Enter;
    for (int code = 0; code < 256; ++code) {
        const char* tableName = TableName(code);
        if (tableName && same(tableName))
            return code;
    }
    return 0;
}

int UsKeyForCharacter(char character, bool& shifted) {
    for (const UsKey& key : kUsKeys) {
        if (character == key.plain || (key.shifted && character == key.shifted)) {
            shifted = character != key.plain;
            return key.code;
        }
    }
    return 0;
}
