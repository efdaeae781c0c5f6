#pragma once
// The run queue every macro start passes through, and the scheduler pass
// that fills it from the library four times a second.

#include "library/MacroLibrary.h"
#include "ports/Clock.h"
#include "schedule/DueScan.h"
#include "schedule/RunQueuePorts.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CRunQueue : public IRunQueue {
public:
    static constexpr int kSlots = 5;

    struct Ports {
        IMacroRunner& runner;
        IRunQueueView& view;
        IKeyHookControl& keyHook;
        IRunLogWriter& runLog;
    };

    CRunQueue(CMacroLibrary& library, const IClock& clock, Ports ports);

    int EnqueueMacro(int32_t id) override;
    // Starts the head entry. A head whose entry has been removed from the
    // library meanwhile is dropped and the next one tried, so a vanished
    // entry never blocks the queue.
    int RunNextQueued() override;
    void ClearRunQueue();

    // One scheduler pass: queue every entry due now, start the head when
    // nothing runs.
    void RunDuePass();

    // The running macro reported its end (command 22000).
    void OnMacroFinished();

    bool IsRunning() const { return running; }
    bool SchedulerEnabled() const { return schedulerEnabled; }
    // Switching the scheduler off also empties the queue; either way the
    // tray state is refreshed.
    void SetSchedulerEnabled(bool enabled);

    int32_t Count() const { return count; }
    // Slot 0 is the head; a slot whose id is 0 is free.
    const CMacro& Slot(int index) const { return slots.at(static_cast<size_t>(index)); }

    // "Error: More than maximum 5 macros scheduled to run"
    static std::string QueueFullMessage();
    // "%A, %B %d, %Y; at %H:%M:%S" in local time, English names; empty when
    // the time cannot be converted.
    static std::string FormatLastRunText(int64_t time);

private:
    void DropHead();

    CMacroLibrary& library;
    const IClock& clock;
    Ports ports;
    std::array<CMacro, kSlots> slots;
    int32_t count = 0;
    bool running = false;
    bool schedulerEnabled = true;
    CDueScanner scanner;
    std::vector<CMacroNode*> dueEntries;
};
