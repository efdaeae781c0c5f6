#pragma once
// Keysyms that no key of the layout types are lent spare keycodes (keycodes
// without symbols), up to two on each: the plain level and the Shift level.
//
// Every change of the keyboard map makes every client, the window manager
// too, fetch the map again, and a client that fetches it late reads older
// key events with the newer map. So keysyms are placed in batches (one map
// change for many characters), and a keysym that was typed is replaced only
// after the caller has made sure the applications read its keys (Settled).
// Plain logic: the X11 adapter writes what this decides.

#include <array>
#include <cstddef>
#include <vector>

class CSpareKeys {
public:
    struct Slot {
        unsigned keycode = 0;
        int level = 0; // 1: pressed with Shift
    };
    struct Need {
        unsigned long keysym = 0;
        bool plain = false; // a named key: pressed without Shift, so the plain level
    };
    struct Change {
        std::vector<unsigned> keycodes; // whose keysyms changed: write them
        bool mustSettle = false;        // nothing changed: settle first, then place again
        bool placed = false;            // the first need has a slot now
    };

    // A spare keycode as the server has it: empty, or holding what this
    // object placed there.
    struct Spare {
        unsigned keycode = 0;
        std::array<unsigned long, 2> keysyms{};
    };
    // The spare keycodes and how many levels each may hold (2 when a Shift
    // key exists); what was placed on other keycodes is forgotten.
    void SetKeycodes(const std::vector<Spare>& spares, int levelsPerKeycode);

    bool Find(unsigned long keysym, Slot& slot) const;
    // `slot` was typed: its keysym stays until the next Settled().
    void Typed(const Slot& slot);
    bool Unsettled() const;
    void Settled();

    // Places `upcoming` (the keysyms still to type that no key has, in order
    // of use, the first one needed now) so that as many as fit sit on spare
    // keycodes, keeping those that already sit there and replacing only
    // keysyms not among them.
    Change Place(const std::vector<Need>& upcoming);

    // The keysyms on `keycode` (0 for none), plain level first.
    std::array<unsigned long, 2> On(unsigned keycode) const;
    // Keycodes that hold keysyms (to give back), and forgetting them.
    std::vector<unsigned> Lent() const;
    void Clear();
    size_t Capacity() const { return keys.size() * static_cast<size_t>(levels); }

private:
    struct Key {
        unsigned keycode = 0;
        std::array<unsigned long, 2> keysyms{};
        std::array<bool, 2> typed{}; // since the last settle
    };
    std::vector<Key> keys;
    int levels = 2;
};
