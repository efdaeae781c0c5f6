#include "schedule/RunQueue.h"

#include <cstdio>
#include <ctime>

CRunQueue::CRunQueue(CMacroLibrary& libraryRef, const IClock& clockRef, Ports portsRef)
    : library(libraryRef), clock(clockRef), ports(portsRef) {}

std::string CRunQueue::QueueFullMessage() {
    return "Error: More than maximum " + std::to_string(kSlots) + " macros scheduled to run";
}

std::string CRunQueue::FormatLastRunText(int64_t time) {
    // Fixed English names: the text goes into the run log and the library
    // file, which must not change with the user's locale.
    static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
    const time_t value = static_cast<time_t>(time);
    std::tm local{};
    if (!localtime_r(&value, &local))
        return "";
    char text[96];
    std::snprintf(text, sizeof text, "%s, %s %02d, %lld; at %02d:%02d:%02d", kDays[local.tm_wday],
                  kMonths[local.tm_mon], local.tm_mday,
                  static_cast<long long>(local.tm_year) + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec);
    return text;
}

int CRunQueue::EnqueueMacro(int32_t id) {
    return Enqueue(id, false);
}

int CRunQueue::EnqueueUnattended(int32_t id) {
    return Enqueue(id, true);
}

bool CRunQueue::StartedUnattended(int32_t id) const {
    const auto found = lastStartUnattended.find(id);
    return found != lastStartUnattended.end() && found->second;
}

int CRunQueue::Enqueue(int32_t id, bool unattended) {
    if (id == 0)
        return 0; // id 0 marks a free slot and names no entry
    const CMacroNode* node = library.FindById(id);
    if (!node || node->IsMacroSet() || count >= kSlots)
        return 0;
    slots[static_cast<size_t>(count)] = *node;
    unattendedSlots[static_cast<size_t>(count)] = unattended;
    ++count;
    return 1;
}

void CRunQueue::DropHead() {
    for (int i = 1; i < kSlots; ++i) {
        slots[static_cast<size_t>(i - 1)] = slots[static_cast<size_t>(i)];
        unattendedSlots[static_cast<size_t>(i - 1)] = unattendedSlots[static_cast<size_t>(i)];
    }
    slots[kSlots - 1] = CMacro();
    unattendedSlots[kSlots - 1] = false;
    --count;
}

int CRunQueue::RunNextQueued() {
    ports.keyHook.Install();
    ports.view.SetStopEnabled(false);
    running = false;
    current = CMacro();
    ports.view.RefreshTrayState();

    // Skip heads whose entries were removed from the library since queued.
    while (count > 0 && !library.FindById(slots[0].id))
        DropHead();
    if (count == 0)
        return 0;

    const CMacro head = slots[0];
    lastStartUnattended[head.id] = unattendedSlots[0];
    DropHead();
    Start(head);
    return 1;
}

int CRunQueue::RunOutsideLibrary(const CMacro& macro) {
    if (running)
        return 0;
    Start(macro);
    return 1;
}

// Everything a start does, whether the macro came from the queue or not.
void CRunQueue::Start(const CMacro& head) {
    const int64_t now = clock.Now();
    running = true;
    ports.view.SetStopEnabled(true);
    ports.view.RefreshTrayState();
    ports.view.ClearOutput();
    ports.keyHook.Release();

    current = head;
    ports.runner.Run(head);

    // The runner may have reported the end of a program run from inside
    // Run, starting the next macro; look the entry up again.
    const std::string lastRunText = FormatLastRunText(now);
    if (CMacroNode* node = library.FindById(head.id)) {
        node->lastRunText = lastRunText;
        node->lastRunTime = now;
    }
    ports.view.SetLastRun(head.name + ": Run on " + lastRunText);
    ports.view.LastRunChanged(head.id, lastRunText);
    ports.runLog.AppendLine(lastRunText + "\t\t" + head.name);
    ports.keyHook.ResetKeys();
}

void CRunQueue::ClearRunQueue() {
    slots.fill(CMacro());
    unattendedSlots.fill(false);
    count = 0;
}

// Takes one due entry for the pass: made ineligible, so that no later
// second of the same pass takes it again, and queued unless it is a set.
void CRunQueue::TakeDue(CMacroNode& entry) {
    entry.eligible = 0;
    if (entry.IsMacroSet())
        return; // a scheduled macro set is taken but never queued
    if (!EnqueueUnattended(entry.id) && count >= kSlots) {
        const std::string message = QueueFullMessage();
        ports.runLog.AppendLine(entry.name + ": " + message);
        entry.lastRunText = message;
    }
}

// Entries with a due second in [from, to], in pass order: what fell due
// while the computer slept. Computed from each schedule, so a gap of days
// costs no more than one of minutes.
void CRunQueue::FindMissedDuring(CMacroNode* root, int64_t from, int64_t to) {
    ForEachInPassOrder(root, [&](CMacroNode& node) {
        if (node.eligible == 0 ||
            node.scheduleType == static_cast<int32_t>(ScheduleType::NotScheduled))
            return;
        CDueTimeCursor cursor(node);
        int64_t due = 0;
        if (cursor.Next(from, to, due))
            dueEntries.push_back(&node);
    });
}

void CRunQueue::RunDuePass() {
    const int64_t now = clock.Now();
    CMacroNode* root = library.Root();
    if (!root)
        return;
    int64_t first = now;
    if (lastPassSecond != 0 && now > lastPassSecond) {
        if (now - lastPassSecond <= kCatchUpSeconds) {
            first = lastPassSecond + 1;
        } else if (runMissedAfterSleep) {
            FindMissedDuring(root, lastPassSecond + 1, now - 1);
            for (CMacroNode* entry : dueEntries)
                TakeDue(*entry);
        }
    }
    // After the clock went back only now is looked at; a second that comes
    // round again cannot start an entry twice, as its lastRunTime holds it.
    lastPassSecond = now;
    for (int64_t second = first; second <= now; ++second) {
        scanner.FindDue(root, second, dueEntries);
        for (CMacroNode* entry : dueEntries)
            TakeDue(*entry);
    }
    dueEntries.clear();
    if (!running)
        RunNextQueued();
    CMacroLibrary::ResetEligible(library.Root());
}

void CRunQueue::OnMacroFinished() {
    running = false;
    current = CMacro();
    RunNextQueued();
}

void CRunQueue::SetSchedulerEnabled(bool enabled) {
    schedulerEnabled = enabled;
    lastPassSecond = 0; // seconds while it was off are not caught up
    if (!enabled)
        ClearRunQueue();
    ports.view.RefreshTrayState();
}
