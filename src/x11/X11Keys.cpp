#include "x11/X11Keys.h"

#include "triggers/KeyNames.h"

#include <X11/keysym.h>

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#ifdef WINGMATE_HAVE_XKBCOMMON
#include <xkbcommon/xkbcommon.h>
#endif

#include <array>

namespace {

struct KeyPair {
    KeySym keysym;
    int code;
};

// Named keys. The first entry for a code is the one that plays it.
constexpr std::array<KeyPair, 61> kKeys{{
    {XK_BackSpace, vk::Backspace},
    {XK_Tab, vk::Tab},
    {XK_ISO_Left_Tab, vk::Tab},
    {XK_KP_Begin, vk::Center},
    {XK_Return, vk::Enter},
    {XK_KP_Enter, vk::Enter},
    {XK_Shift_L, vk::Shift},
    {XK_Shift_R, vk::Shift},
    {XK_Control_L, vk::Ctrl},
    {XK_Control_R, vk::Ctrl},
    {XK_Alt_L, vk::Alt},
    {XK_Alt_R, vk::Alt},
    {XK_Meta_L, vk::Alt},
    {XK_Meta_R, vk::Alt},
    {XK_Pause, vk::Pause},
    {XK_Caps_Lock, vk::Caps},
    {XK_Escape, vk::Esc},
    {XK_space, vk::Space},
    {XK_Prior, vk::PageUp},
    {XK_Next, vk::PageDown},
    {XK_End, vk::End},
    {XK_Home, vk::Home},
    {XK_Left, vk::Left},
    {XK_Up, vk::Up},
    {XK_Right, vk::Right},
    {XK_Down, vk::Down},
    {XK_Print, vk::PrintScreen},
    {XK_Insert, vk::Insert},
    {XK_Delete, vk::Delete},
    {XK_Super_L, vk::LeftWin},
    {XK_Super_R, vk::RightWin},
    {XK_Menu, vk::Apps},
    {XK_KP_Multiply, vk::Multiply},
    {XK_KP_Add, vk::Add},
    {XK_KP_Separator, vk::Separator},
    {XK_KP_Subtract, vk::Subtract},
    {XK_KP_Decimal, vk::Decimal},
    {XK_KP_Divide, vk::Divide},
    {XK_Num_Lock, vk::NumLock},
    {XK_Scroll_Lock, vk::ScrollLock},
    {XK_semicolon, 186},
    {XK_equal, 187},
    {XK_comma, 188},
    {XK_minus, 189},
    {XK_period, 190},
    {XK_slash, 191},
    {XK_grave, 192},
    {XK_bracketleft, 219},
    {XK_backslash, 220},
    {XK_bracketright, 221},
    {XK_apostrophe, 222},
    {XK_KP_Home, vk::Home},
    {XK_KP_End, vk::End},
    {XK_KP_Insert, vk::Insert},
    {XK_KP_Delete, vk::Delete},
    {XK_KP_Left, vk::Left},
    {XK_KP_Up, vk::Up},
    {XK_KP_Right, vk::Right},
    {XK_KP_Down, vk::Down},
    {XK_KP_Prior, vk::PageUp},
    {XK_KP_Next, vk::PageDown},
}};

} // namespace

int CodeForKeysym(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<int>(keysym - XK_a) + 'A';
    if (keysym >= XK_A && keysym <= XK_Z)
        return static_cast<int>(keysym - XK_A) + 'A';
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<int>(keysym - XK_0) + '0';
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<int>(keysym - XK_KP_0) + vk::Numpad0;
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return static_cast<int>(keysym - XK_F1) + vk::F1;
    for (const KeyPair& pair : kKeys)
        if (pair.keysym == keysym)
            return pair.code;
    return vk::Unmapped;
}

KeySym KeysymForCode(int code) {
    if (code >= 'A' && code <= 'Z')
        return XK_a + static_cast<KeySym>(code - 'A');
    if (code >= '0' && code <= '9')
        return XK_0 + static_cast<KeySym>(code - '0');
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9)
        return XK_KP_0 + static_cast<KeySym>(code - vk::Numpad0);
    if (code >= vk::F1 && code < vk::F1 + 24)
        return XK_F1 + static_cast<KeySym>(code - vk::F1);
    for (const KeyPair& pair : kKeys)
        if (pair.code == code)
            return pair.keysym;
    return NoSymbol;
}

KeySym KeysymForCharacter(char32_t character) {
    if (character < 0x20 || (character >= 0x7F && character < 0xA0))
        return NoSymbol;
    // Latin-1 keysyms equal their code points; the rest are 0x01000000 + code.
    if (character <= 0xFF)
        return character;
    return 0x01000000 + character;
}

namespace {

KeySym SymAt(XkbDescPtr xkb, unsigned keycode, int group, int level) {
    if (group >= XkbKeyNumGroups(xkb, keycode) || level >= XkbKeyGroupWidth(xkb, keycode, group))
        return NoSymbol;
    return XkbKeySymEntry(xkb, keycode, level, group);
}

bool IsKeypadDigit(KeySym keysym) {
    return (keysym >= XK_KP_0 && keysym <= XK_KP_9) || keysym == XK_KP_Decimal ||
           keysym == XK_KP_Separator;
}

// The code of a key in one group: keypad keys by NumLock, letters by their
// letter, digit-row keys by their digit even where the digit needs Shift
// (AZERTY), everything else by the unshifted keysym.
int CodeInGroup(XkbDescPtr xkb, unsigned keycode, int group, bool numLock) {
    const KeySym plain = SymAt(xkb, keycode, group, 0);
    const KeySym shifted = SymAt(xkb, keycode, group, 1);
    if (IsKeypadDigit(shifted) && IsKeypadKey(plain))
        return CodeForKeysym(numLock ? shifted : plain);
    const int code = CodeForKeysym(plain != NoSymbol ? plain : shifted);
    if (code >= 'A' && code <= 'Z')
        return code;
    if (shifted >= XK_0 && shifted <= XK_9)
        return static_cast<int>(shifted - XK_0) + '0';
    return code;
}

} // namespace

int CodeForKeycode(XkbDescPtr xkb, unsigned keycode, int group, bool numLock) {
    if (!xkb || !xkb->map || keycode < xkb->min_key_code || keycode > xkb->max_key_code)
        return vk::Unmapped;
    const int groups = XkbKeyNumGroups(xkb, keycode);
    if (groups <= 0)
        return vk::Unmapped;
    const int active = (group < 0 ? 0 : group) % groups;
    int code = CodeInGroup(xkb, keycode, active, numLock);
    // A key with no code on the active layout (Cyrillic letters) is named
    // after another layout's key in the same place.
    for (int other = 0; code == vk::Unmapped && other < groups; ++other)
        if (other != active)
            code = CodeInGroup(xkb, keycode, other, numLock);
    return code;
}

// The UTF-8 text of `keysym`; empty for keys that produce no character.
std::string KeysymText(KeySym keysym) {
#ifdef WINGMATE_HAVE_XKBCOMMON
    char buffer[8] = {};
    const int written =
        xkb_keysym_to_utf8(static_cast<xkb_keysym_t>(keysym), buffer, sizeof buffer);
    return written > 1 ? std::string(buffer) : std::string();
#else
    // Latin-1 and Unicode keysyms only.
    char32_t code = 0;
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        code = static_cast<char32_t>(keysym);
    else if (keysym >= 0x01000100 && keysym <= 0x0110FFFF)
        code = static_cast<char32_t>(keysym - 0x01000000);
    else if (keysym == XK_EuroSign)
        code = 0x20AC;
    std::string out;
    if (code)
        AppendUtf8(out, code);
    return out;
#endif
}

std::vector<unsigned> KeycodesTyping(XkbDescPtr xkb, int group, const std::string& character) {
    std::vector<unsigned> keycodes;
    if (!xkb || !xkb->map || character.empty())
        return keycodes;
    // A letter names its key whatever its case.
    KeySym lower = NoSymbol, upper = NoSymbol;
    for (unsigned keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        const int groups = XkbKeyNumGroups(xkb, keycode);
        if (groups <= 0)
            continue;
        const int active = (group < 0 ? 0 : group) % groups;
        bool types = false;
        for (int level = 0; !types && level < XkbKeyGroupWidth(xkb, keycode, active); ++level) {
            const KeySym keysym = SymAt(xkb, keycode, active, level);
            XConvertCase(keysym, &lower, &upper);
            types = keysym != NoSymbol &&
                    (KeysymText(lower) == character || KeysymText(upper) == character);
        }
        if (types)
            keycodes.push_back(keycode);
    }
    return keycodes;
}
