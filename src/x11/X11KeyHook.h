#pragma once
// The global key hook on X11: the RECORD extension, read on a thread of its
// own. Every key going down or up is reported as 1300 / 1400 with its
// virtual-key code (modifiers as the generic 16, 17, 18), and what a press
// types as 1350 (the character) or 1360 (a break: a shortcut, a caret key,
// a click), through the report callback, which runs on the hook thread and
// must only queue the report to the user-interface thread. Nothing typed is
// ever stored or logged.

#include "library/WindowFilter.h"
#include "ports/KeyHook.h"
#include "x11/X11KeyGrabs.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

class CX11KeyHook : public IKeyHook {
public:
    // receiver: the handle given to SetHandle; identifier: 1300 or 1400.
    using ReportFn = std::function<void(intptr_t receiver, int identifier, int code)>;

    // `displayName` empty: $DISPLAY. Opens nothing until InitKeybHook.
    explicit CX11KeyHook(ReportFn report, std::string displayName = {});
    ~CX11KeyHook() override;
    CX11KeyHook(const CX11KeyHook&) = delete;
    CX11KeyHook& operator=(const CX11KeyHook&) = delete;

    // Empty when a hook can run on the display, else what is missing
    // ("Trigger keys are unavailable: DISPLAY is not set.").
    static std::string Probe(const std::string& displayName = {});

    void SetHandle(intptr_t receiver) override { handle.store(receiver); }
    void SetType(int type) override { hookType.store(type); }
    // Starts the hook thread (stopping a running one first) and returns once
    // the server records keys, so no key pressed after it is missed.
    // Call InitKeybHook and ReleaseKeybHook from one thread.
    void InitKeybHook(intptr_t threadId) override;
    void ReleaseKeybHook() override;
    // Passive grabs on a connection of their own, kept while the hook
    // restarts (the keys stay taken while a macro runs).
    std::vector<TakenKey> SetTakenKeys(const std::vector<TakenKey>& keys) override {
        return grabs.Take(keys);
    }

    bool Running() const { return session != nullptr; }
    // Why the last InitKeybHook could not start; empty after a good start.
    const std::string& LastError() const { return lastError; }

    struct Session;

private:
    ReportFn report;
    std::string displayName;
    std::atomic<intptr_t> handle{0};
    std::atomic<int> hookType{0};
    std::unique_ptr<Session> session;
    std::string lastError;
    CX11KeyGrabs grabs{displayName};
};

// The code the hook reports for X keycode `keycode` under the layout active
// now (for the trigger box); 0 without a display. Opens its connection at
// the first call.
int HookCodeForKeycode(unsigned keycode, const std::string& displayName = {});

// The window that has the focus now, its title and class (for window
// filters and abbreviations); nothing without a display or a window.
std::optional<ActiveWindow> ActiveWindowNow(const std::string& displayName = {});

// The X11 hook when it can run on $DISPLAY, else the null hook; `why` then
// receives the message to show.
std::unique_ptr<IKeyHook> MakeKeyHook(CX11KeyHook::ReportFn report, std::string* why);
