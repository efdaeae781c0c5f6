#pragma once
// Escape ends the program without saving. A stray press must not end the
// schedules or drop edits unasked: this decides whether it asks first, and
// what.

#include "library/Macro.h"

#include <cstdint>
#include <string>

// A macro (not a set) whose schedule still has a run to come at `now` or
// later: a repeated one, or a single occurrence not yet passed. An entry
// whose start does not parse never runs and does not count.
bool HasComingSchedule(CMacroNode* root, int64_t now);

struct EscapeSituation {
    bool schedulerEnabled = true;
    bool comingSchedule = false; // HasComingSchedule
    bool unsavedEdits = false;   // library or form changed since the last save
};

// The question to ask before ending, or empty when nothing would be lost and
// Escape ends at once. Schedules count only while the scheduler runs: when
// disabled, ending stops nothing that would have run.
std::string EscapeQuestion(const EscapeSituation& situation);
