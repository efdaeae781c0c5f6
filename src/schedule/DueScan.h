#pragma once
// The scheduler pass's search: which entries are due at a second, in the
// order the pass takes them.

#include "library/Macro.h"
#include "schedule/Schedule.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// Visits the tree from `root` in the scheduler's search order: each sibling
// list top to bottom, the contents of a macro set before the set itself.
// Only macro sets are descended into. Iterative, so deep trees are safe.
template <class Visit> void ForEachInPassOrder(CMacroNode* root, Visit&& visit) {
    std::vector<CMacroNode*> openSets;
    CMacroNode* node = root;
    for (;;) {
        while (node) {
            if (node->IsMacroSet()) {
                openSets.push_back(node);
                node = node->firstChild;
                continue;
            }
            visit(*node);
            node = node->next;
        }
        if (openSets.empty())
            return;
        CMacroNode* set = openSets.back();
        openSets.pop_back();
        visit(*set);
        node = set->next;
    }
}

// Finds every due entry of a pass. A search from the root that returns the
// first due entry, repeated with each found entry made ineligible, yields
// the entries in exactly this order, because nothing else the pass does
// changes whether an entry is due; one walk gives the same list.
//
// Each entry's parsed start is cached by id together with the texts it was
// parsed from, and parsed again whenever those texts change, so the answers
// are IsDueAt's. Call Clear() after a change of time zone.
class CDueScanner {
public:
    void FindDue(CMacroNode* root, int64_t now, std::vector<CMacroNode*>& due);
    void Clear() { cache.clear(); }
    size_t CachedEntries() const { return cache.size(); }

private:
    struct CachedStart {
        std::string startDate;
        std::string startTime;
        ParsedStart start;
        uint64_t lastPass = 0;
    };
    const ParsedStart& StartOf(const CMacroNode& node);

    std::unordered_map<int32_t, CachedStart> cache;
    uint64_t passNumber = 0;
    size_t scheduledThisPass = 0;
};
