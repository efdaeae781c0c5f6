#include "triggers/TakenKeys.h"

#include "library/MacroLibrary.h"
#include "triggers/KeyNames.h"

#include <algorithm>
#include <map>

namespace {

// Every code by its token name; a name can have several codes ("1" is the
// digit-row key and the keypad key).
const std::multimap<std::string, int>& CodesByName() {
    static const std::multimap<std::string, int> codes = [] {
        std::multimap<std::string, int> byName;
        for (int code = 0; code < 256; ++code)
            if (std::string name = KeyName(code, true); !name.empty())
                byName.emplace(std::move(name), code);
        return byName;
    }();
    return codes;
}

int ModifierOf(int code) {
    switch (code) {
    case vk::Shift:
        return TakenKey::Shift;
    case vk::Ctrl:
        return TakenKey::Ctrl;
    case vk::Alt:
        return TakenKey::Alt;
    case vk::LeftWin:
    case vk::RightWin:
        return TakenKey::Win;
    default:
        return 0;
    }
}

} // namespace

bool TriggerApplies(const TriggerKeys& trigger, TriggerPrefix armed, const ActiveWindow* window) {
    return (trigger.prefix == TriggerPrefix::None || trigger.prefix == armed) &&
           WindowFilterAllows(trigger.filter, window);
}

std::vector<TakenKey> KeysOfTrigger(std::string_view triggerKey) {
    int modifiers = 0;
    std::string keyName;
    std::vector<std::string_view> seen;
    size_t at = 0;
    while (at < triggerKey.size()) {
        const size_t close = triggerKey.find('>', at + 1);
        if (triggerKey[at] != '<' || close == std::string_view::npos)
            return {};
        const std::string_view token = triggerKey.substr(at, close - at + 1);
        const std::string name(token.substr(1, token.size() - 2));
        if (std::find(seen.begin(), seen.end(), token) != seen.end())
            return {}; // a held combination never repeats a token
        seen.push_back(token);
        at = close + 1;
        const auto found = CodesByName().find(name);
        if (found == CodesByName().end())
            return {};
        if (const int modifier = ModifierOf(found->second)) {
            modifiers |= modifier;
        } else if (keyName.empty()) {
            keyName = name;
        } else {
            return {}; // two keys held together: no single key to take
        }
    }
    std::vector<TakenKey> keys;
    if (keyName.empty())
        return keys; // modifiers alone would take every combination they begin
    const auto [first, last] = CodesByName().equal_range(keyName);
    for (auto it = first; it != last; ++it)
        keys.push_back({modifiers, it->second});
    return keys;
}

std::vector<TriggerKeys> TriggersToTake(const CMacroLibrary& library) {
    std::vector<TriggerKeys> triggers;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        if (node.id > 0 && !node.IsMacroSet() && !node.triggerKey.empty() &&
            node.triggerPrefix >= 0 && node.triggerPrefix <= 2) {
            std::vector<TakenKey> keys = KeysOfTrigger(node.triggerKey);
            if (!keys.empty())
                triggers.push_back({node.id, node.name, node.triggerKey,
                                    static_cast<TriggerPrefix>(node.triggerPrefix), std::move(keys),
                                    node.extras.filter});
        }
        return true;
    });
    return triggers;
}

std::vector<TakenKey> KeysToTake(const std::vector<TriggerKeys>& triggers, TriggerPrefix armed,
                                 const ActiveWindow* window) {
    std::vector<TakenKey> keys;
    for (const TriggerKeys& trigger : triggers)
        if (TriggerApplies(trigger, armed, window))
            keys.insert(keys.end(), trigger.keys.begin(), trigger.keys.end());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

std::vector<const TriggerKeys*> RefusedTriggers(const std::vector<TriggerKeys>& triggers,
                                                TriggerPrefix armed,
                                                const std::vector<TakenKey>& refused,
                                                const ActiveWindow* window) {
    std::vector<const TriggerKeys*> found;
    for (const TriggerKeys& trigger : triggers) {
        const bool held = std::any_of(trigger.keys.begin(), trigger.keys.end(), [&](auto& key) {
            return std::find(refused.begin(), refused.end(), key) != refused.end();
        });
        if (TriggerApplies(trigger, armed, window) && held)
            found.push_back(&trigger);
    }
    return found;
}
