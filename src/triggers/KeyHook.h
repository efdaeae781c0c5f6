#pragma once
// CKeyHook: the hook wrapper. It receives the hook's key reports on the
// user-interface thread, rebuilds the combination held at that moment, and
// starts the first macro whose trigger matches. A lone tap of Ctrl or Shift
// arms a sticky prefix for the next key press, counted down by TickPrefix.
//
// Everything here runs on the user-interface thread.

#include "library/Macro.h"
#include "library/WindowFilter.h"
#include "triggers/TakenKeys.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CMacroLibrary;
class IKeyHook;
class IKeyHookControl;
class IRunQueue;

class CKeyHook {
public:
    static constexpr int kKeyDown = 1300;
    static constexpr int kKeyUp = 1400;
    static constexpr int kOtherEvent = 1600;
    // What a key press typed, for abbreviations (not the hook wrapper's):
    // the character's code point (8 for Backspace), or a break in the typing
    // (a shortcut, a key that moves the caret, a click).
    static constexpr int kTyped = 1350;
    static constexpr int kTypingBreak = 1360;
    static constexpr int kPrefixTicks = 5;

    // `triggersEnabled` answers whether the Disable Triggers command is
    // unchecked; it is asked at each match.
    CKeyHook(IKeyHook& port, CMacroLibrary& library, IRunQueue& runQueue,
             std::function<bool()> triggersEnabled);

    // The receiver handle given to the port (the main window); 0 = not set,
    // and Install then refuses.
    void SetMainWindow(intptr_t handle) { mainWindow = handle; }
    // The owner that keeps track of whether the hook is installed; when set,
    // the release and install around a trigger go through it, so its record
    // stays true (Disable Triggers must find the hook it has to release).
    void SetControl(IKeyHookControl* owner) { control = owner; }

    int Install();
    int Release();
    void ResetKeys();
    // Nonzero when the command was the hook's (1300, 1400, 1600).
    int OnHookCommand(int identifier, int code);
    // Every tick of the main window's 250 ms timer.
    void TickPrefix();

    // Whether the keys of the triggers are taken from the focused
    // application at all: off while triggers are disabled, the trigger box
    // has the focus, or a recording runs. Independent of Install/Release,
    // so the keys stay taken while a macro runs.
    void SetTaking(bool on);
    // Takes the keys of the triggers that apply now (the library's, read
    // again when it changed, and those of the armed sticky prefix). Called
    // on every tick and whenever the prefix changes.
    void UpdateTakenKeys();
    // Told once for each trigger whose keys another program holds.
    void SetHeldElsewhereReport(std::function<void(const TriggerKeys&)> report) {
        heldElsewhereReport = std::move(report);
    }
    // Where the hook learns which window has the focus, for triggers limited
    // to some windows; asked at each match and, while such triggers exist,
    // at each tick (their keys are taken only where they apply). Without
    // it no window is known.
    void SetActiveWindowSource(std::function<std::optional<ActiveWindow>()> source) {
        activeWindow = std::move(source);
        takenValid = false;
    }

    // True when another program held macro `id`'s keys at the last try.
    bool HeldElsewhere(int32_t id) const { return heldElsewhere.count(id) != 0; }

    // The tokens of every held key in ascending code order, less the key of
    // the armed sticky prefix.
    std::string KeyCombination();

    int HeldCount() const { return heldCount; }
    TriggerPrefix StickyPrefix() const { return stickyPrefix; }
    int CtrlCountdown() const { return ctrlCountdown; }
    int ShiftCountdown() const { return shiftCountdown; }

private:
    void OnKeyDown(int code);
    void OnKeyUp(int code);

    IKeyHook& port;
    CMacroLibrary& library;
    IRunQueue& runQueue;
    std::function<bool()> triggersEnabled;

    int heldCount = 0;
    int loneModifier = 0;
    TriggerPrefix stickyPrefix = TriggerPrefix::None;
    intptr_t mainWindow = 0;
    IKeyHookControl* control = nullptr;
    std::array<uint8_t, 256> keyState{};
    int shiftCountdown = 0;
    int ctrlCountdown = 0;

    // The keys taken from the focused application and what they came from.
    bool taking = false;
    bool takenValid = false; // false: the port has not been told yet
    uint64_t triggersRevision = 0;
    TriggerPrefix takenPrefix = TriggerPrefix::None;
    std::vector<TriggerKeys> triggers;
    std::vector<TakenKey> taken;
    std::set<std::pair<int32_t, std::string>> reported;
    std::set<int32_t> heldElsewhere;
    std::function<void(const TriggerKeys&)> heldElsewhereReport;
    std::function<std::optional<ActiveWindow>()> activeWindow;
    bool anyFiltered = false; // a trigger to take is limited to some windows
    std::optional<ActiveWindow> takenWindow;
};
