#pragma once
// The key syntax of TypeKeys, turned into a plan of key actions that a
// desktop adapter carries out. Pure: no display involved.
//
// Characters are typed as they stand; "<NAME>" presses a named key; "<x>"
// types the single character x. Modifier tokens (CTRL, SHIFT, ALT, LWIN,
// RWIN) stay down until the next other key has been typed. While a modifier
// is held, a letter is its key, whatever its case ("<CTRL>C" is Ctrl+C;
// "<CTRL><SHIFT>c" is Ctrl+Shift+C). A "<" that begins no token is typed.

#include <string>
#include <string_view>
#include <vector>

struct KeyAction {
    enum class Type { Press, Release, Tap };
    Type type = Type::Tap;
    // A virtual-key code, or 0 when the action types `character` (a Unicode
    // code point; the adapter adds whatever modifiers the character needs).
    int code = 0;
    char32_t character = 0;

    static KeyAction Press(int code) { return {Type::Press, code, 0}; }
    static KeyAction Release(int code) { return {Type::Release, code, 0}; }
    static KeyAction TapKey(int code) { return {Type::Tap, code, 0}; }
    static KeyAction TapCharacter(char32_t character) { return {Type::Tap, 0, character}; }
    bool operator==(const KeyAction&) const = default;
};

struct TypeKeysPlan {
    std::vector<KeyAction> actions;
    // Empty when the text was understood; else why not (nothing is typed).
    std::string error;
    bool Ok() const { return error.empty(); }
};

TypeKeysPlan ParseTypeKeys(std::string_view text);

// The action as text for messages and tests: "+CTRL", "-CTRL", "ENTER", "'a'",
// "U+20AC".
std::string DescribeKeyAction(const KeyAction& action);
