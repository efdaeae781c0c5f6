#include "schedule/DueTimes.h"

#include "schedule/DueScan.h"

#include <queue>
#include <vector>

CDueTimeCursor::CDueTimeCursor(const CMacro& macro) {
    if (macro.scheduleType == static_cast<int32_t>(ScheduleType::NotScheduled))
        return;
    start = PrepareStart(macro);
    if (!start.ok)
        return;
    if (macro.scheduleType == static_cast<int32_t>(ScheduleType::SingleOccurrence)) {
        kind = start.time != 0 ? Kind::Once : Kind::Never;
        return;
    }
    kind = Kind::Repeated;
    if (macro.frequency != 0 && macro.unit <= 4) {
        const int64_t p = RepeatPeriod(macro.frequency, macro.unit);
        period = p < 0 ? -p : p;
    }
    everyMonth = macro.unit == static_cast<int32_t>(ScheduleUnit::Month);
}

bool CDueTimeCursor::NextBoundary(int64_t t, int64_t& due) const {
    if (period == 0)
        return false;
    if (t <= start.time) {
        due = start.time;
        return true;
    }
    const int64_t elapsed = t - start.time;
    const int64_t steps = elapsed / period + (elapsed % period != 0);
    if (__builtin_mul_overflow(steps, period, &due) ||
        __builtin_add_overflow(due, start.time, &due))
        return false;
    return true;
}

bool CDueTimeCursor::NextAnniversary(int64_t t, int64_t limit, int64_t& due) {
    if (!start.parts.ok)
        return false;
    if (anniversaryKnown && t >= anniversaryFrom &&
        (anniversaryFound ? t <= anniversaryAt : limit <= anniversaryLimit)) {
        due = anniversaryAt;
        return anniversaryFound && anniversaryAt <= limit;
    }
    anniversaryKnown = true;
    anniversaryFrom = t;
    anniversaryLimit = limit;
    anniversaryFound = false;

    // Candidate local dates from a little before t (offsets are under two
    // days) until their wall time lies well past the limit.
    const LocalParts from = ToLocalParts(t - 2 * 86400);
    if (!from.ok)
        return false;
    const LocalParts& s = start.parts;
    int64_t year = from.year;
    int month = everyMonth ? from.month : s.month;
    for (;;) {
        if (s.day <= DaysInMonth(year, month)) {
            const int64_t naive = DaysFromCivil(year, month, s.day) * 86400 + s.hour * 3600 +
                                  s.minute * 60 + s.second;
            if (naive - 2 * 86400 > limit)
                return false;
            int64_t instants[kMaxWallInstants];
            const int count =
                WallTimeInstants(year, month, s.day, s.hour, s.minute, s.second, instants);
            for (int i = 0; i < count; ++i) {
                if (instants[i] >= t) {
                    anniversaryFound = true;
                    anniversaryAt = instants[i];
                    due = instants[i];
                    return due <= limit;
                }
            }
        } else if (DaysFromCivil(year, month, 1) * 86400 - 2 * 86400 > limit) {
            return false;
        }
        if (everyMonth && month < 12) {
            ++month;
        } else {
            ++year;
            month = everyMonth ? 1 : s.month;
        }
    }
}

bool CDueTimeCursor::Next(int64_t t, int64_t limit, int64_t& due) {
    if (t > limit)
        return false;
    switch (kind) {
    case Kind::Never:
        return false;
    case Kind::Once:
        due = start.time;
        return start.time >= t && start.time <= limit;
    case Kind::Repeated:
        break;
    }
    if (t < start.time)
        t = start.time;
    // A record never run has lastRunTime 0, so second 0 is never due.
    if (t == 0)
        t = 1;
    if (t > limit)
        return false;
    int64_t boundary = 0;
    int64_t anniversary = 0;
    const bool haveBoundary = NextBoundary(t, boundary) && boundary <= limit;
    const bool haveAnniversary = NextAnniversary(t, limit, anniversary);
    if (!haveBoundary && !haveAnniversary)
        return false;
    due = !haveBoundary      ? anniversary
          : !haveAnniversary ? boundary
                             : std::min(boundary, anniversary);
    return true;
}

void ForEachDueBetween(CMacroNode* root, int64_t from, int64_t to,
                       const std::function<void(int64_t, const CMacroNode&)>& visit) {
    struct Track {
        CDueTimeCursor cursor;
        const CMacroNode* node;
    };
    std::vector<Track> tracks;
    ForEachInPassOrder(root, [&](CMacroNode& node) {
        if (node.scheduleType != static_cast<int32_t>(ScheduleType::NotScheduled))
            tracks.push_back({CDueTimeCursor(node), &node});
    });

    // Earliest second first; within a second the pass order (track index).
    using Pending = std::pair<int64_t, size_t>;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending;
    for (size_t i = 0; i < tracks.size(); ++i) {
        int64_t due = 0;
        if (tracks[i].cursor.Next(from, to, due))
            pending.push({due, i});
    }
    while (!pending.empty()) {
        const auto [due, index] = pending.top();
        pending.pop();
        visit(due, *tracks[index].node);
        int64_t next = 0;
        if (due < to && tracks[index].cursor.Next(due + 1, to, next))
            pending.push({next, index});
    }
}
