#pragma once
// Matching a held key combination against a macro's trigger: pure functions.

#include "library/MacroLibrary.h"
#include "library/WindowFilter.h"

#include <string_view>

// True when `combination` (a row of "<NAME>" tokens) has at least one token,
// has the trigger's length, and every one of its tokens occurs in
// `triggerKey`; token order does not matter.
bool CombinationMatchesKeys(std::string_view combination, std::string_view triggerKey);

// The whole test for one entry: a macro (never a macro set) whose prefix is
// `prefix`, whose keys match, and whose window filter lets it apply in
// `window` (null: the active window is not known).
bool MacroMatchesTrigger(const CMacro& macro, std::string_view combination, TriggerPrefix prefix,
                         const ActiveWindow* window = nullptr);

// The first entry of `library` in tree order that the combination starts in
// `window`; null when none does. So the same keys can start one macro in
// one window and another elsewhere.
CMacroNode* FindByTrigger(const CMacroLibrary& library, std::string_view combination,
                          TriggerPrefix prefix, const ActiveWindow* window = nullptr);
