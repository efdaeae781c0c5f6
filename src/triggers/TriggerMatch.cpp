#include "triggers/TriggerMatch.h"

bool CombinationMatchesKeys(std::string_view combination, std::string_view triggerKey) {
    if (combination.empty() || combination.size() != triggerKey.size())
        return false;
    // Tokens are taken from the end: from the last "<" to the last ">" after it.
    std::string_view rest = combination;
    while (!rest.empty()) {
        const size_t open = rest.rfind('<');
        if (open == std::string_view::npos)
            return false;
        const size_t close = rest.rfind('>');
        if (close == std::string_view::npos || close < open)
            return false;
        if (triggerKey.find(rest.substr(open, close - open + 1)) == std::string_view::npos)
            return false;
        rest = rest.substr(0, open);
    }
    return true;
}

bool MacroMatchesTrigger(const CMacro& macro, std::string_view combination, TriggerPrefix prefix,
                         const ActiveWindow* window) {
    return !macro.IsMacroSet() && macro.triggerPrefix == static_cast<int32_t>(prefix) &&
           CombinationMatchesKeys(combination, macro.triggerKey) &&
           WindowFilterAllows(macro.extras.filter, window);
}

CMacroNode* FindByTrigger(const CMacroLibrary& library, std::string_view combination,
                          TriggerPrefix prefix, const ActiveWindow* window) {
    CMacroNode* found = nullptr;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        if (!MacroMatchesTrigger(node, combination, prefix, window))
            return true;
        found = &node;
        return false;
    });
    return found;
}
