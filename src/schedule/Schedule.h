#pragma once
// When a macro is due: the stored start texts as a time, the frequency bound,
// the one-line schedule text and the due test. Pure functions; calendar parts
// are taken in local time (TZ honoured).

#include "library/Macro.h"

#include <cstdint>
#include <string>

constexpr int32_t kScheduleUnitCount = 7;

// "Second(s)" ... "Year"; nullptr for a unit outside 0 to 6.
const char* UnitListText(int32_t unit);

// Largest frequency the pages accept for the unit; no bound outside 0 to 6.
int32_t FrequencyLimit(int32_t unit);

// The start texts ("%d\%d\%d" month, day, year and "%d:%d:%d" hour, minute,
// second) as a time, through the C library's normalising local-time
// conversion. false when a text is empty, unreadable or not representable.
bool ParseStartTime(const CMacro& macro, int64_t& start);

// Negative values give 1, values above the unit's limit give the limit.
int32_t ClampFrequency(int32_t value, int32_t unit);

// "Every %d %s" for a Repeated schedule with a known unit; false otherwise.
bool ScheduleText(const CMacro& macro, std::string& text);

// True when t - start is a non-negative multiple of frequency periods of the
// unit (seconds to weeks). Month and Year have no fixed period: false.
bool IsOnRepeatBoundary(int64_t start, int64_t t, int32_t frequency, int32_t unit);

// frequency steps of the unit in seconds (signed as frequency); meaningful
// for seconds to weeks only.
int64_t RepeatPeriod(int32_t frequency, int32_t unit);

// Whether the macro is due at the second `now`.
bool IsDueAt(const CMacro& macro, int64_t now);

// The frequency box as the pages read it: empty is 1, other text is a decimal
// integer (not a number: 0), then bounded. `message` is the error to show
// when the bounded value differs from the value read, else empty.
struct FrequencyEntry {
    int32_t value = 1;
    std::string message;
};
FrequencyEntry ReadFrequencyEntry(const std::string& boxText, int32_t unit);

// ---- Building blocks for callers that test many seconds or many entries.

// Local calendar parts of a time; `ok` false when it cannot be converted.
struct LocalParts {
    bool ok = false;
    int64_t year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // of month
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalParts ToLocalParts(int64_t t);

// A record's start, parsed once: the time and its local calendar parts.
struct ParsedStart {
    bool ok = false;
    int64_t time = 0;
    LocalParts parts;
};
ParsedStart PrepareStart(const CMacro& macro);

// IsDueAt with the start parsed beforehand and, optionally, the local parts
// of `now` (computed when needed if null). Gives exactly IsDueAt's answer
// when `start` is PrepareStart(macro).
bool IsDueAtPrepared(const CMacro& macro, int64_t now, const ParsedStart& start,
                     const LocalParts* nowParts);

// Every instant whose local time is the given wall-clock time, in order:
// none inside a daylight-saving gap, two in a repeated hour.
constexpr int kMaxWallInstants = 4;
int WallTimeInstants(int64_t year, int month, int day, int hour, int minute, int second,
                     int64_t out[kMaxWallInstants]);

// Days from 1970-01-01 to the given proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int month, int day);
int DaysInMonth(int64_t year, int month);
