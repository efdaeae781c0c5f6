#pragma once
// Port: the global keyboard hook. Four operations; results are not reported,
// the adapter says once, when it is made, whether it can work at all.
//
// While hooking (type 1, a receiver handle set, started by InitKeybHook) the
// adapter reports every key going down as identifier 1300 and every key going
// up as 1400, with the virtual-key code (modifiers as the generic 16, 17, 18),
// to the receiver; an adapter that can tell what a press types also reports
// that as 1350 (the character, 8 for Backspace) or 1360 (a shortcut, a key
// that moves the caret, a click). Reports arrive on the adapter's own thread; whoever wires
// the receiver queues them to the user-interface thread, where
// CKeyHook::OnHookCommand handles them.

#include <cstdint>
#include <vector>

// A key combination taken from the focused application: a key (virtual-key
// code) pressed while exactly these modifiers are held. Lock keys (Caps,
// Num, Scroll) do not matter.
struct TakenKey {
    enum Modifier : int { Shift = 1, Ctrl = 2, Alt = 4, Win = 8 };
    int modifiers = 0;
    int code = 0;
    auto operator<=>(const TakenKey&) const = default;
};

class IKeyHook {
public:
    virtual ~IKeyHook() = default;

    // The receiver of the reports; 0 detaches it (reports are dropped).
    virtual void SetHandle(intptr_t receiver) = 0;
    // 1 while hooking for triggers, 0 when stopped.
    virtual void SetType(int type) = 0;
    // Starts the hook; `threadId` names the calling user-interface thread.
    virtual void InitKeybHook(intptr_t threadId) = 0;
    // Stops the hook; no report is made once it returns.
    virtual void ReleaseKeybHook() = 0;
    // Takes exactly `keys` from the focused application from now on (an
    // empty list gives every key back); independent of the hook's start and
    // stop, the hook keeps reporting them. Returns the keys another program
    // already holds, which therefore still reach the application.
    virtual std::vector<TakenKey> SetTakenKeys(const std::vector<TakenKey>& keys) = 0;
};
