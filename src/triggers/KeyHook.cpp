#include "triggers/KeyHook.h"

#include "library/MacroLibrary.h"
#include "ports/KeyHook.h"
#include "schedule/RunQueuePorts.h"
#include "triggers/KeyNames.h"
#include "triggers/TriggerMatch.h"

#include <algorithm>
#include <thread>

namespace {

constexpr uint8_t kDown = 0x80;

intptr_t CurrentThreadId() {
    return static_cast<intptr_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

bool ValidCode(int code) {
    return code >= 0 && code < 256;
}

} // namespace

CKeyHook::CKeyHook(IKeyHook& hookPort, CMacroLibrary& macroLibrary, IRunQueue& macroQueue,
                   std::function<bool()> enabled)
    : port(hookPort), library(macroLibrary), runQueue(macroQueue),
      triggersEnabled(std::move(enabled)) {}

int CKeyHook::Install() {
    if (!mainWindow)
        return 0;
    Release();
    port.SetHandle(mainWindow);
    port.SetType(1);
    port.InitKeybHook(CurrentThreadId());
    return 1;
}

int CKeyHook::Release() {
    port.SetHandle(0);
    port.SetType(0);
    port.ReleaseKeybHook();
    return 1;
}

void CKeyHook::ResetKeys() {
    keyState.fill(0);
    heldCount = 0;
}

int CKeyHook::OnHookCommand(int identifier, int code) {
    switch (identifier) {
    case kKeyDown:
        OnKeyDown(code);
        return 1;
    case kKeyUp:
        OnKeyUp(code);
        return 1;
    case kOtherEvent:
        return 1;
    default:
        return 0;
    }
}

std::string CKeyHook::KeyCombination() {
    if (stickyPrefix == TriggerPrefix::Ctrl)
        keyState[vk::Ctrl] = keyState[vk::LeftCtrl] = keyState[vk::RightCtrl] = 0;
    else if (stickyPrefix == TriggerPrefix::Shift)
        keyState[vk::Shift] = keyState[vk::LeftShift] = keyState[vk::RightShift] = 0;
    std::string combination;
    for (int code = 0; code < 256; ++code)
        if (keyState[code])
            combination += KeyToken(code, true);
    return combination;
}

void CKeyHook::OnKeyDown(int code) {
    // Whether this press began with a lone Ctrl or Shift: only such a key,
    // released before any other went down, arms the sticky prefix.
    if (heldCount > 0) {
        loneModifier = 0;
    } else if (vk::IsCtrl(code)) {
        loneModifier = 1;
        ctrlCountdown = kPrefixTicks;
        shiftCountdown = 0;
    } else if (vk::IsShift(code)) {
        loneModifier = 1;
        shiftCountdown = kPrefixTicks;
        ctrlCountdown = 0;
    } else {
        loneModifier = 0;
    }
    ++heldCount;
    // A code outside the table cannot be held; it still counts as a press.
    if (ValidCode(code))
        keyState[code] = kDown;

    const std::string combination = KeyCombination();
    const std::optional<ActiveWindow> window =
        activeWindow ? activeWindow() : std::optional<ActiveWindow>();
    const CMacroNode* match =
        FindByTrigger(library, combination, stickyPrefix, window ? &*window : nullptr);
    if (!match || match->id == 0) {
        UpdateTakenKeys();
        return;
    }
    const int32_t id = match->id;
    stickyPrefix = TriggerPrefix::None;
    ctrlCountdown = shiftCountdown = 0;
    UpdateTakenKeys();
    if (!triggersEnabled || !triggersEnabled())
        return;
    // The hook is off while the macro is queued and started, so that keys the
    // macro itself types cannot trigger anything meanwhile.
    if (control)
        control->Release();
    else
        Release();
    runQueue.EnqueueUnattended(id);
    runQueue.RunNextQueued();
    if (control)
        control->Install();
    else
        Install();
}

void CKeyHook::OnKeyUp(int code) {
    ResetKeys();
    if (!loneModifier)
        stickyPrefix = TriggerPrefix::None;
    else if (vk::IsCtrl(code))
        stickyPrefix = TriggerPrefix::Ctrl;
    else if (vk::IsShift(code))
        stickyPrefix = TriggerPrefix::Shift;
    UpdateTakenKeys();
}

void CKeyHook::TickPrefix() {
    if (--ctrlCountdown <= 0) {
        ctrlCountdown = 0;
        if (stickyPrefix == TriggerPrefix::Ctrl) {
            stickyPrefix = TriggerPrefix::None;
            loneModifier = 0;
        }
    }
    if (--shiftCountdown <= 0) {
        shiftCountdown = 0;
        if (stickyPrefix == TriggerPrefix::Shift) {
            stickyPrefix = TriggerPrefix::None;
            loneModifier = 0;
        }
    }
    UpdateTakenKeys();
}

void CKeyHook::SetTaking(bool on) {
    if (taking == on)
        return;
    taking = on;
    takenValid = false;
    UpdateTakenKeys();
}

void CKeyHook::UpdateTakenKeys() {
    const bool triggersChanged = !takenValid || triggersRevision != library.Revision();
    if (triggersChanged && taking) {
        triggers = TriggersToTake(library);
        anyFiltered = std::any_of(triggers.begin(), triggers.end(),
                                  [](const TriggerKeys& each) { return !each.filter.Empty(); });
    }
    // The focused window matters only to triggers limited to some windows.
    const std::optional<ActiveWindow> window =
        taking && anyFiltered && activeWindow ? activeWindow() : std::optional<ActiveWindow>();
    if (!triggersChanged && takenPrefix == stickyPrefix && window == takenWindow)
        return;
    triggersRevision = library.Revision();
    takenPrefix = stickyPrefix;
    takenWindow = window;
    const ActiveWindow* focused = window ? &*window : nullptr;
    std::vector<TakenKey> wanted =
        taking ? KeysToTake(triggers, stickyPrefix, focused) : std::vector<TakenKey>{};
    if (takenValid && wanted == taken)
        return;
    takenValid = true;
    const std::vector<TakenKey> refused = port.SetTakenKeys(wanted);
    taken = std::move(wanted);
    if (!taking)
        return;
    // A trigger's keys held elsewhere are told once; it still fires through
    // the hook.
    for (const TriggerKeys& trigger : triggers)
        if (TriggerApplies(trigger, stickyPrefix, focused))
            heldElsewhere.erase(trigger.id);
    for (const TriggerKeys* trigger : RefusedTriggers(triggers, stickyPrefix, refused, focused)) {
        heldElsewhere.insert(trigger->id);
        if (reported.insert({trigger->id, trigger->triggerKey}).second && heldElsewhereReport)
            heldElsewhereReport(*trigger);
    }
}
