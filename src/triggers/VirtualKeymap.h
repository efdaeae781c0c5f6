#pragma once
// A keyboard map of our own for a virtual keyboard: the named keys, the US
// letters, digits and punctuation (so chords reach applications as Latin
// keys), and one key for each further character to type. With it any
// character is typed exactly, whatever layout the user has. Pure: the map
// is xkb keymap source text that the desktop adapter compiles.

#include "triggers/TypeKeysParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// How to type a keysym on the map: an X keycode (8 above the evdev code)
// and whether Shift must be held.
struct VirtualStroke {
    uint32_t keycode = 0;
    bool shift = false;
};

class CVirtualKeymap {
public:
    // The keycodes the named modifiers are on.
    static constexpr uint32_t kShift = 9, kCtrl = 10, kAlt = 11, kLeftWin = 12, kRightWin = 13;

    // The fixed keys and `extra` keysyms (those not already on a fixed key),
    // as many as fit: Fits() says how many.
    explicit CVirtualKeymap(const std::vector<uint32_t>& extra = {});

    // How many keysyms beyond the fixed keys a map can hold.
    static size_t ExtraCapacity();

    bool Find(uint32_t keysym, VirtualStroke& stroke) const;
    const std::string& Text() const { return text; }

    // The keysym an action presses: a named key's or the character's; 0
    // when there is none.
    static uint32_t KeysymOf(const KeyAction& action);
    // The keysyms beyond the fixed keys that actions from `from` on need,
    // in order, without repeats, until a map of them would be full.
    static std::vector<uint32_t> Upcoming(const std::vector<KeyAction>& actions, size_t from);

private:
    std::string text;
    std::unordered_map<uint32_t, VirtualStroke> strokes;
};
