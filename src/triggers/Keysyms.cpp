#include "triggers/Keysyms.h"

#include "triggers/KeyNames.h"

#include <array>

namespace {

struct KeyPair {
    uint32_t keysym;
    int code;
};

constexpr uint32_t kLowerA = 0x61, kUpperA = 0x41, kUpperZ = 0x5a, kLowerZ = 0x7a;
constexpr uint32_t kDigit0 = 0x30, kDigit9 = 0x39;
constexpr uint32_t kKeypad0 = 0xffb0, kKeypad9 = 0xffb9, kF1 = 0xffbe, kF24 = 0xffd5;

// Named keys. The first entry for a code is the one that plays it.
constexpr std::array<KeyPair, 61> kKeys{{
    {0xff08, vk::Backspace},   // BackSpace
    {0xff09, vk::Tab},         // Tab
    {0xfe20, vk::Tab},         // ISO_Left_Tab
    {0xff9d, vk::Center},      // KP_Begin
    {0xff0d, vk::Enter},       // Return
    {0xff8d, vk::Enter},       // KP_Enter
    {0xffe1, vk::Shift},       // Shift_L
    {0xffe2, vk::Shift},       // Shift_R
    {0xffe3, vk::Ctrl},        // Control_L
    {0xffe4, vk::Ctrl},        // Control_R
    {0xffe9, vk::Alt},         // Alt_L
    {0xffea, vk::Alt},         // Alt_R
    {0xffe7, vk::Alt},         // Meta_L
    {0xffe8, vk::Alt},         // Meta_R
    {0xff13, vk::Pause},       // Pause
    {0xffe5, vk::Caps},        // Caps_Lock
    {0xff1b, vk::Esc},         // Escape
    {0x0020, vk::Space},       // space
    {0xff55, vk::PageUp},      // Prior
    {0xff56, vk::PageDown},    // Next
    {0xff57, vk::End},         // End
    {0xff50, vk::Home},        // Home
    {0xff51, vk::Left},        // Left
    {0xff52, vk::Up},          // Up
    {0xff53, vk::Right},       // Right
    {0xff54, vk::Down},        // Down
    {0xff61, vk::PrintScreen}, // Print
    {0xff63, vk::Insert},      // Insert
    {0xffff, vk::Delete},      // Delete
    {0xffeb, vk::LeftWin},     // Super_L
    {0xffec, vk::RightWin},    // Super_R
    {0xff67, vk::Apps},        // Menu
    {0xffaa, vk::Multiply},    // KP_Multiply
    {0xffab, vk::Add},         // KP_Add
    {0xffac, vk::Separator},   // KP_Separator
    {0xffad, vk::Subtract},    // KP_Subtract
    {0xffae, vk::Decimal},     // KP_Decimal
    {0xffaf, vk::Divide},      // KP_Divide
    {0xff7f, vk::NumLock},     // Num_Lock
    {0xff14, vk::ScrollLock},  // Scroll_Lock
    {0x003b, 186},             // semicolon
    {0x003d, 187},             // equal
    {0x002c, 188},             // comma
    {0x002d, 189},             // minus
    {0x002e, 190},             // period
    {0x002f, 191},             // slash
    {0x0060, 192},             // grave
    {0x005b, 219},             // bracketleft
    {0x005c, 220},             // backslash
    {0x005d, 221},             // bracketright
    {0x0027, 222},             // apostrophe
    {0xff95, vk::Home},        // KP_Home
    {0xff9c, vk::End},         // KP_End
    {0xff9e, vk::Insert},      // KP_Insert
    {0xff9f, vk::Delete},      // KP_Delete
    {0xff96, vk::Left},        // KP_Left
    {0xff97, vk::Up},          // KP_Up
    {0xff98, vk::Right},       // KP_Right
    {0xff99, vk::Down},        // KP_Down
    {0xff9a, vk::PageUp},      // KP_Prior
    {0xff9b, vk::PageDown},    // KP_Next
}};

} // namespace

int CodeForKeysym(uint32_t keysym) {
    if (keysym >= kLowerA && keysym <= kLowerZ)
        return static_cast<int>(keysym - kLowerA) + 'A';
    if (keysym >= kUpperA && keysym <= kUpperZ)
        return static_cast<int>(keysym - kUpperA) + 'A';
    if (keysym >= kDigit0 && keysym <= kDigit9)
        return static_cast<int>(keysym - kDigit0) + '0';
    if (keysym >= kKeypad0 && keysym <= kKeypad9)
        return static_cast<int>(keysym - kKeypad0) + vk::Numpad0;
    if (keysym >= kF1 && keysym <= kF24)
        return static_cast<int>(keysym - kF1) + vk::F1;
    for (const KeyPair& pair : kKeys)
        if (pair.keysym == keysym)
            return pair.code;
    return vk::Unmapped;
}

uint32_t KeysymForCode(int code) {
    if (code >= 'A' && code <= 'Z')
        return kLowerA + static_cast<uint32_t>(code - 'A');
    if (code >= '0' && code <= '9')
        return kDigit0 + static_cast<uint32_t>(code - '0');
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9)
        return kKeypad0 + static_cast<uint32_t>(code - vk::Numpad0);
    if (code >= vk::F1 && code < vk::F1 + 24)
        return kF1 + static_cast<uint32_t>(code - vk::F1);
    for (const KeyPair& pair : kKeys)
        if (pair.code == code)
            return pair.keysym;
    return 0;
}

uint32_t KeysymForCharacter(char32_t character) {
    if (character < 0x20 || (character >= 0x7F && character < 0xA0) || character > 0x10FFFF)
        return 0;
    // Latin-1 keysyms equal their code points; the rest are 0x01000000 + code.
    if (character <= 0xFF)
        return character;
    return 0x01000000 + character;
}
