#pragma once
// The run queue every macro start passes through, and the scheduler pass
// that fills it from the library four times a second.

#include "library/MacroLibrary.h"
#include "ports/Clock.h"
#include "schedule/DueScan.h"
#include "schedule/DueTimes.h"
#include "schedule/RunQueuePorts.h"

#include <array>
#include <cstdint>
#include <map>
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
    int EnqueueUnattended(int32_t id) override;
    // Starts the head entry. A head whose entry has been removed from the
    // library meanwhile is dropped and the next one tried, so a vanished
    // entry never blocks the queue.
    int RunNextQueued() override;
    // Starts a macro that is not in the library (an editor's script) as the
    // head of the queue starts: recorded in the run log, and nothing queued
    // starts before it ends. 0 when a macro is running already.
    int RunOutsideLibrary(const CMacro& macro);
    void ClearRunQueue();

    // Seconds a pass looks back for seconds it did not see (a busy window
    // thread, a small clock step). A longer gap is the computer sleeping or
    // the clock set forward.
    static constexpr int64_t kCatchUpSeconds = 600;

    // One scheduler pass: queue every entry due in any second since the
    // previous pass (up to kCatchUpSeconds back; only now on the first pass,
    // after the clock went back or after a longer gap), each entry at most
    // once a pass, then start the head when nothing runs. After a longer gap,
    // entries that fell due during it are queued once when runMissedAfterSleep
    // is set, and skipped otherwise.
    void RunDuePass();
    void SetRunMissedAfterSleep(bool run) { runMissedAfterSleep = run; }

    // The running macro reported its end (command 22000).
    void OnMacroFinished();

    bool IsRunning() const { return running; }
    // The macro started last while it runs; an empty record (id 0) otherwise.
    const CMacro& RunningMacro() const { return current; }
    // Whether the last start of the entry came from the scheduler or a
    // trigger (nobody watching); false for an entry never started.
    bool StartedUnattended(int32_t id) const;
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
    void Start(const CMacro& head);
    void TakeDue(CMacroNode& entry);
    void FindMissedDuring(CMacroNode* root, int64_t from, int64_t to);

    CMacroLibrary& library;
    const IClock& clock;
    Ports ports;
    int Enqueue(int32_t id, bool unattended);

    std::array<CMacro, kSlots> slots;
    std::array<bool, kSlots> unattendedSlots{};
    CMacro current;
    std::map<int32_t, bool> lastStartUnattended;
    int32_t count = 0;
    bool running = false;
    bool schedulerEnabled = true;
    bool runMissedAfterSleep = false;
    // The second of the previous pass; 0 before the first.
    int64_t lastPassSecond = 0;
    CDueScanner scanner;
    std::vector<CMacroNode*> dueEntries;
};
