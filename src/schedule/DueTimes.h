#pragma once
// The seconds of a time range at which library entries are due, computed
// from each schedule instead of testing every second (wingmatectl due).

#include "library/Macro.h"
#include "schedule/Schedule.h"

#include <cstdint>
#include <functional>

// Walks the due seconds of one record in increasing order, as IsDueAt sees
// the record with `lastRunTime` 0 and `eligible` 1.
class CDueTimeCursor {
public:
    explicit CDueTimeCursor(const CMacro& macro);

    // The first due second in [t, limit]; false when there is none.
    bool Next(int64_t t, int64_t limit, int64_t& due);

private:
    bool NextBoundary(int64_t t, int64_t& due) const;
    bool NextAnniversary(int64_t t, int64_t limit, int64_t& due);

    enum class Kind { Never, Once, Repeated };
    Kind kind = Kind::Never;
    ParsedStart start;
    int64_t period = 0; // 0: no fixed period
    bool everyMonth = false;
    // The last anniversary found, reused while queries stay before it.
    bool anniversaryKnown = false;
    int64_t anniversaryFrom = 0;
    int64_t anniversaryLimit = 0;
    int64_t anniversaryAt = 0;
    bool anniversaryFound = false;
};

// Calls `visit` for every second in [from, to] and every entry due in it, in
// time order and, within a second, in the scheduler pass's order.
void ForEachDueBetween(CMacroNode* root, int64_t from, int64_t to,
                       const std::function<void(int64_t, const CMacroNode&)>& visit);
