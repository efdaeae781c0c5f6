#include "triggers/VirtualKeymap.h"

#include "triggers/KeyNames.h"
#include "triggers/Keysyms.h"

#include <cstdio>
#include <set>
#include <utility>

namespace {

constexpr uint32_t kFirstKeycode = 9;
constexpr uint32_t kLastKeycode = 255;

// US keys with a second symbol on their Shift level, as unshifted, shifted.
constexpr std::pair<char, char> kShifted[] = {
    {'1', '!'}, {'2', '@'},  {'3', '#'}, {'4', '$'},  {'5', '%'}, {'6', '^'}, {'7', '&'},
    {'8', '*'}, {'9', '('},  {'0', ')'}, {'`', '~'},  {'-', '_'}, {'=', '+'}, {'[', '{'},
    {']', '}'}, {'\\', '|'}, {';', ':'}, {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'},
};

std::string Sym(uint32_t keysym) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", static_cast<unsigned>(keysym));
    return buffer;
}

// The fixed keys: modifiers first (on the keycodes the class names), then
// every named key, letters and digits with their US Shift level.
struct FixedKey {
    uint32_t plain;
    uint32_t shifted; // 0: one level
};

std::vector<FixedKey> FixedKeys() {
    std::vector<FixedKey> keys{{0xffe1, 0}, {0xffe3, 0}, {0xffe9, 0}, {0xffeb, 0}, {0xffec, 0}};
    std::set<uint32_t> placed{0xffe1, 0xffe3, 0xffe9, 0xffeb, 0xffec};
    for (int code = 1; code < 256; ++code) {
        const uint32_t keysym = KeysymForCode(code);
        if (!keysym || !placed.insert(keysym).second)
            continue;
        uint32_t shifted = 0;
        if (keysym >= 'a' && keysym <= 'z')
            shifted = keysym - 'a' + 'A';
        for (const auto& [plain, withShift] : kShifted)
            if (keysym == static_cast<uint32_t>(plain))
                shifted = static_cast<uint32_t>(withShift);
        keys.push_back({keysym, shifted});
    }
    return keys;
}

const std::vector<FixedKey>& Fixed() {
    static const std::vector<FixedKey> keys = FixedKeys();
    return keys;
}

} // namespace

size_t CVirtualKeymap::ExtraCapacity() {
    return kLastKeycode - kFirstKeycode + 1 - Fixed().size();
}

CVirtualKeymap::CVirtualKeymap(const std::vector<uint32_t>& extra) {
    std::string symbols;
    uint32_t keycode = kFirstKeycode;
    auto add = [&](uint32_t plain, uint32_t shifted) {
        strokes.emplace(plain, VirtualStroke{keycode, false});
        std::string type = "ONE_LEVEL";
        std::string syms = Sym(plain);
        if (shifted) {
            strokes.emplace(shifted, VirtualStroke{keycode, true});
            type = plain >= 'a' && plain <= 'z' ? "ALPHABETIC" : "TWO_LEVEL";
            syms += ", " + Sym(shifted);
        }
        symbols += "    key <I" + std::to_string(keycode) + "> { type = \"" + type + "\", [ " +
                   syms + " ] };\n";
        ++keycode;
    };
    for (const FixedKey& key : Fixed())
        add(key.plain, key.shifted);
    for (uint32_t keysym : extra)
        if (keysym && keycode <= kLastKeycode && !strokes.count(keysym))
            add(keysym, 0);
    std::string keycodes;
    for (uint32_t code = kFirstKeycode; code < keycode; ++code)
        keycodes += "    <I" + std::to_string(code) + "> = " + std::to_string(code) + ";\n";
    text = "xkb_keymap {\n"
           "xkb_keycodes \"wingmate\" {\n    minimum = 8;\n    maximum = 255;\n" +
           keycodes +
           "};\n"
           "xkb_types \"wingmate\" { include \"complete\" };\n"
           "xkb_compatibility \"wingmate\" { include \"complete\" };\n"
           "xkb_symbols \"wingmate\" {\n" +
           symbols +
           "    modifier_map Shift { <I9> };\n"
           "    modifier_map Control { <I10> };\n"
           "    modifier_map Mod1 { <I11> };\n"
           "    modifier_map Mod4 { <I12>, <I13> };\n"
           "};\n"
           "};\n";
}

bool CVirtualKeymap::Find(uint32_t keysym, VirtualStroke& stroke) const {
    const auto found = strokes.find(keysym);
    if (found == strokes.end())
        return false;
    stroke = found->second;
    return true;
}

uint32_t CVirtualKeymap::KeysymOf(const KeyAction& action) {
    return action.code ? KeysymForCode(action.code) : KeysymForCharacter(action.character);
}

std::vector<uint32_t> CVirtualKeymap::Upcoming(const std::vector<KeyAction>& actions, size_t from) {
    static const CVirtualKeymap fixed;
    std::vector<uint32_t> needed;
    std::set<uint32_t> seen;
    VirtualStroke stroke;
    for (size_t at = from; at < actions.size() && needed.size() < ExtraCapacity(); ++at) {
        const uint32_t keysym = KeysymOf(actions[at]);
        if (keysym && !fixed.Find(keysym, stroke) && seen.insert(keysym).second)
            needed.push_back(keysym);
    }
    return needed;
}
