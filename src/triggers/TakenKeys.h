#pragma once
// Which key combinations the triggers take from the focused application:
// pure functions over the library's triggers. A trigger can be taken when it
// is modifiers (Shift, Ctrl, Alt, Win) plus exactly one other key; the hook
// still sees the others and they fire as before, but they reach the
// application too.

#include "library/Macro.h"
#include "library/WindowFilter.h"
#include "ports/KeyHook.h"

#include <string>
#include <string_view>
#include <vector>

class CMacroLibrary;

// One macro's trigger as keys to take.
struct TriggerKeys {
    int32_t id = 0;
    std::string name;
    std::string triggerKey;
    TriggerPrefix prefix = TriggerPrefix::None;
    // Every key that types the trigger (a digit is on the digit row and on
    // the keypad); empty when the trigger cannot be taken.
    std::vector<TakenKey> keys;
    WindowFilter filter; // the windows it applies in
};

// The keys of one trigger text ("<CTRL><ALT><K>"); empty when it is not
// modifiers plus one key of a known name, each token once.
std::vector<TakenKey> KeysOfTrigger(std::string_view triggerKey);

// Every macro with a trigger that can be taken, in library order.
std::vector<TriggerKeys> TriggersToTake(const CMacroLibrary& library);

// Whether `trigger` is taken while `armed` is the sticky prefix and `window`
// has the focus (null: not known): it has no prefix, or the armed one, and
// its window filter lets it apply there. A trigger limited to the terminal
// leaves its keys to every other program.
bool TriggerApplies(const TriggerKeys& trigger, TriggerPrefix armed,
                    const ActiveWindow* window = nullptr);

// The keys to take while `armed` is the sticky prefix: those of the triggers
// without a prefix, and of those with the armed one, that apply in
// `window`. Sorted, each once.
std::vector<TakenKey> KeysToTake(const std::vector<TriggerKeys>& triggers, TriggerPrefix armed,
                                 const ActiveWindow* window = nullptr);

// The triggers among those taken while `armed` that have a key in `refused`.
std::vector<const TriggerKeys*> RefusedTriggers(const std::vector<TriggerKeys>& triggers,
                                                TriggerPrefix armed,
                                                const std::vector<TakenKey>& refused,
                                                const ActiveWindow* window = nullptr);
