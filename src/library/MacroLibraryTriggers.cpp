#include "library/MacroLibrary.h"
#include "triggers/TriggerMatch.h"

CMacroNode* CMacroLibrary::FindByTrigger(const std::string& combination,
                                         TriggerPrefix prefix) const {
    CMacroNode* found = nullptr;
    ForEachPreOrder(root, [&](CMacroNode& node) {
        if (!MacroMatchesTrigger(node, combination, prefix))
            return true;
        found = &node;
        return false;
    });
    return found;
}
