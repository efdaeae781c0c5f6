#pragma once
// Matching a held key combination against a macro's trigger: pure functions.

#include "library/MacroLibrary.h"

#include <string_view>

// True when `combination` (a row of "<NAME>" tokens) has at least one token,
// has the trigger's length, and every one of its tokens occurs in
// `triggerKey`; token order does not matter.
bool CombinationMatchesKeys(std::string_view combination, std::string_view triggerKey);

// The whole test for one entry: a macro (never a macro set) whose prefix is
// `prefix` and whose keys match.
bool MacroMatchesTrigger(const CMacro& macro, std::string_view combination, TriggerPrefix prefix);

// The first entry of `library` in tree order that the combination starts;
// null when none does.
CMacroNode* FindByTrigger(const CMacroLibrary& library, std::string_view combination,
                          TriggerPrefix prefix);
