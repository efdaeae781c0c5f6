#pragma once
// What the run queue needs from the rest of the program. The program core
// implements these (telling its views, holding the key hook wrapper);
// tests use recording fakes.

#include "library/Macro.h"

#include <cstdint>
#include <string>

// Starts one macro (a script on a worker thread, or a program). Receives its
// own copy of the record. 1 when started, 0 when a program failed to start.
// The end of every run is reported back through CRunQueue::OnMacroFinished,
// possibly from inside Run itself.
class IMacroRunner {
public:
    virtual ~IMacroRunner() = default;
    virtual int Run(CMacro macro) = 0;
};

// The visible effects of starting macros.
class IRunQueueView {
public:
    virtual ~IRunQueueView() = default;
    // The Stop command: enabled while a macro runs, greyed otherwise.
    virtual void SetStopEnabled(bool enabled) = 0;
    // The tray icon text/state reflects running and scheduler state.
    virtual void RefreshTrayState() = 0;
    // Output page: empty the output box (and restore its limit).
    virtual void ClearOutput() = 0;
    // Output page: the "Last Macro Run" line.
    virtual void SetLastRun(const std::string& text) = 0;
    // The entry's last run was stamped; the Manager page refreshes its Last
    // Run box when it shows this entry.
    virtual void LastRunChanged(int32_t id, const std::string& lastRunText) = 0;
};

// The global key hook, released while a macro runs.
class IKeyHookControl {
public:
    virtual ~IKeyHookControl() = default;
    virtual void Install() = 0;
    virtual void Release() = 0;
    // Forget which keys were seen pressed.
    virtual void ResetKeys() = 0;
    // The trigger box gained or lost the focus: trigger keys reach it then.
    virtual void SetTriggerBoxFocus(bool) {}
};

// One line for the run log (file and Log page). CRunLog implements it.
class IRunLogWriter {
public:
    virtual ~IRunLogWriter() = default;
    virtual void AppendLine(const std::string& text) = 0;
};

// What the trigger hook, Execute and the quick menu call to start a macro:
// EnqueueMacro(id) then RunNextQueued().
class IRunQueue {
public:
    virtual ~IRunQueue() = default;
    // 1 when the entry was queued; 0 when it does not exist, is a macro set
    // or the queue is full.
    virtual int EnqueueMacro(int32_t id) = 0;
    // The same for a start nobody watches (a trigger): its failure is
    // reported by a desktop notification.
    virtual int EnqueueUnattended(int32_t id) { return EnqueueMacro(id); }
    // Starts the head of the queue: 1 when one started, else 0.
    virtual int RunNextQueued() = 0;
};
