#include "triggers/SpareKeys.h"

#include <algorithm>

void CSpareKeys::SetKeycodes(const std::vector<Spare>& spares, int levelsPerKeycode) {
    levels = std::clamp(levelsPerKeycode, 1, 2);
    std::vector<Key> now;
    for (const Spare& spare : spares) {
        Key key{spare.keycode, spare.keysyms, {}};
        if (levels < 2)
            key.keysyms[1] = 0; // the Shift level is not used: free to overwrite
        // A keysym typed since the last settle stays marked.
        for (const Key& known : keys)
            if (known.keycode == key.keycode)
                for (int level = 0; level < 2; ++level)
                    key.typed[level] = known.typed[level] && known.keysyms[level] &&
                                       known.keysyms[level] == spare.keysyms[level];
        now.push_back(key);
    }
    keys = std::move(now);
}

bool CSpareKeys::Find(unsigned long keysym, Slot& slot) const {
    for (int level = 0; level < levels; ++level) // the plain level wherever it is
        for (const Key& key : keys)
            if (keysym && key.keysyms[level] == keysym) {
                slot = Slot{key.keycode, level};
                return true;
            }
    return false;
}

void CSpareKeys::Typed(const Slot& slot) {
    for (Key& key : keys)
        if (key.keycode == slot.keycode && slot.level >= 0 && slot.level < 2)
            key.typed[slot.level] = true;
}

bool CSpareKeys::Unsettled() const {
    return std::any_of(keys.begin(), keys.end(),
                       [](const Key& key) { return key.typed[0] || key.typed[1]; });
}

void CSpareKeys::Settled() {
    for (Key& key : keys)
        key.typed = {};
}

CSpareKeys::Change CSpareKeys::Place(const std::vector<Need>& upcoming) {
    Change change;
    // The next needs that fit, each once.
    std::vector<Need> window;
    for (const Need& need : upcoming) {
        if (window.size() >= Capacity())
            break;
        if (std::none_of(window.begin(), window.end(),
                         [&](const Need& each) { return each.keysym == need.keysym; }))
            window.push_back(need);
    }
    auto inWindow = [&](unsigned long keysym) {
        return std::any_of(window.begin(), window.end(),
                           [&](const Need& each) { return each.keysym == keysym; });
    };
    // What is missing: a named key needs the plain level.
    std::vector<Need> missing;
    for (const Need& need : window) {
        Slot slot;
        if (!Find(need.keysym, slot) || (need.plain && slot.level != 0))
            missing.push_back(need);
    }
    // Slots that may take a new keysym: empty ones first, then those whose
    // keysym is not needed soon; the plain level before the Shift level.
    struct Free {
        size_t key;
        int level;
        bool typed;
    };
    std::vector<Free> free;
    for (int pass = 0; pass < 2; ++pass)
        for (int level = 0; level < levels; ++level)
            for (size_t at = 0; at < keys.size(); ++at) {
                const unsigned long keysym = keys[at].keysyms[level];
                const bool empty = keysym == 0;
                if ((pass == 0) == empty && (empty || !inWindow(keysym)))
                    free.push_back({at, level, keys[at].typed[level]});
            }
    // Named keys first: only plain levels serve them.
    std::stable_partition(missing.begin(), missing.end(), [](const Need& n) { return n.plain; });
    std::vector<std::pair<Free, unsigned long>> plan;
    std::vector<bool> taken(free.size(), false);
    bool needsTyped = false;
    for (const Need& need : missing) {
        size_t best = free.size();
        for (size_t at = 0; at < free.size(); ++at) {
            if (taken[at] || (need.plain && free[at].level != 0))
                continue;
            // An untyped slot if any; a typed one only after settling.
            if (best == free.size() || (free[best].typed && !free[at].typed))
                best = at;
            if (!free[best].typed)
                break;
        }
        if (best == free.size())
            continue; // does not fit: placed in a later batch
        needsTyped = needsTyped || free[best].typed;
        taken[best] = true;
        plan.push_back({free[best], need.keysym});
    }
    if (needsTyped) {
        change.mustSettle = true;
        return change;
    }
    for (const auto& [slot, keysym] : plan) {
        Key& key = keys[slot.key];
        key.keysyms[slot.level] = keysym;
        if (std::find(change.keycodes.begin(), change.keycodes.end(), key.keycode) ==
            change.keycodes.end())
            change.keycodes.push_back(key.keycode);
    }
    Slot slot;
    change.placed = !upcoming.empty() && Find(upcoming.front().keysym, slot) &&
                    (!upcoming.front().plain || slot.level == 0);
    return change;
}

std::array<unsigned long, 2> CSpareKeys::On(unsigned keycode) const {
    for (const Key& key : keys)
        if (key.keycode == keycode)
            return key.keysyms;
    return {};
}

std::vector<unsigned> CSpareKeys::Lent() const {
    std::vector<unsigned> lent;
    for (const Key& key : keys)
        if (key.keysyms[0] || key.keysyms[1])
            lent.push_back(key.keycode);
    return lent;
}

void CSpareKeys::Clear() {
    for (Key& key : keys)
        key = Key{key.keycode, {}, {}};
}
