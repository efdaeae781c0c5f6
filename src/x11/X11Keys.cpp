#include "x11/X11Keys.h"

#include "triggers/KeyNames.h"

#include <X11/keysym.h>

#include <X11/XKBlib.h>
#include <X11/Xutil.h>

#ifdef WINGMATE_HAVE_XKBCOMMON
#include <xkbcommon/xkbcommon.h>
#endif

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
