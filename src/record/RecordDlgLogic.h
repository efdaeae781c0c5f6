#pragma once
// The Record Script dialog's rules that need no window: the combination that
// stops a recording (a modifier from its list and the one character of its
// key box), the seconds box, and the script text taken from the view.

#include <cstdint>
#include <string>
#include <string_view>

// The modifier list in its order: "ALT", "CTRL", "SHIFT".
struct StopModifier {
    const char* text;
    uint16_t code; // virtual-key code
};
inline constexpr StopModifier kStopModifiers[] = {{"ALT", 0x12}, {"CTRL", 0x11}, {"SHIFT", 0x10}};
inline constexpr int kDefaultStopModifier = 1; // CTRL

// The key that types the first character of `box` on a US layout: low byte
// its virtual-key code, high byte 1 when Shift is needed for it. A letter
// names its key whatever its case, so "z" and "Z" both stop with CTRL+Z.
// 0 when the box is empty or the character has no key.
uint16_t StopKeyForText(std::string_view box);

// The first character of `box` (UTF-8, whole): the character whose key on
// the layout in use stops the recording. Empty when the box is empty or
// does not start with a valid character.
std::string StopCharacter(std::string_view box);

// Why recording cannot start with stop character `character`, which no key
// of the layout in use types; a sentence for a message box or a terminal.
std::string StopCharacterRefusal(std::string_view character);

// "CTRL+Z", "CTRL+#", "ALT+ä": the modifier's name, "+", the stop character
// (a letter in upper case, a blank as its key's name).
std::string StopKeyText(uint16_t modifier, std::string_view character);

// "CTRL+Z": the modifier's name, "+", the key's name. The key's shift state
// is not part of it: the recorder stops on the key whatever Shift does.
std::string StopKeyText(uint16_t modifier, uint16_t stopKey);

// The seconds box as a number: 0 when empty or not a number, capped at a day.
int32_t ParseIdleSeconds(std::string_view box);

// The view's text as script lines, each followed by `lineEnd`; lines are
// taken whole, however long. Empty when the view is empty.
std::string ScriptFromViewText(std::string_view viewText, std::string_view lineEnd);

// True when the text holds nothing but white space.
bool IsBlankScript(std::string_view text);
