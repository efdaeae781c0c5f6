#include "schedule/Schedule.h"

#include "ports/UiText.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <ctime>

namespace {

struct UnitInfo {
    const char* listText;
    int32_t limit;
};

constexpr UnitInfo kUnits[kScheduleUnitCount] = {
    {UI_TEXT("Wingmate", "Second(s)"), 86400}, {UI_TEXT("Wingmate", "Minute(s)"), 36000},
    {UI_TEXT("Wingmate", "Hour(s)"), 10000},   {UI_TEXT("Wingmate", "Day(s)"), 1000},
    {UI_TEXT("Wingmate", "Week(s)"), 1000},    {UI_TEXT("Wingmate", "Month"), 1},
    {UI_TEXT("Wingmate", "Year"), 1},
};

bool KnownUnit(int32_t unit) {
    return unit >= 0 && unit < kScheduleUnitCount;
}

// Reads one integer the way "%d" does: leading white space, an optional
// sign, at least one digit. Numbers outside int32 count as unreadable.
bool ScanInt(const std::string& text, size_t& pos, int32_t& value) {
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    const size_t digitsStart = pos;
    int64_t magnitude = 0;
    bool overflow = false;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        magnitude = magnitude * 10 + (text[pos++] - '0');
        if (magnitude > int64_t{INT32_MAX} + 1)
            overflow = true, magnitude = int64_t{INT32_MAX} + 1;
    }
    if (pos == digitsStart || overflow)
        return false;
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

// Three integers separated by `separator`, as sscanf with "%d<sep>%d<sep>%d".
bool ScanTriple(const std::string& text, char separator, int32_t parts[3]) {
    size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != separator)
                return false;
            ++pos;
        }
        if (!ScanInt(text, pos, parts[i]))
            return false;
    }
    return true;
}

} // namespace

const char* UnitListText(int32_t unit) {
    return KnownUnit(unit) ? kUnits[unit].listText : nullptr;
}

int32_t FrequencyLimit(int32_t unit) {
    return KnownUnit(unit) ? kUnits[unit].limit : INT32_MAX;
}

bool ParseStartTime(const CMacro& macro, int64_t& start) {
    if (macro.startTime.empty() || macro.startDate.empty())
        return false;
    int32_t clock[3];
    int32_t date[3];
    if (!ScanTriple(macro.startTime, ':', clock) || !ScanTriple(macro.startDate, '\\', date))
        return false;
    const int64_t tmYear = int64_t{date[2]} - 1900;
    const int64_t tmMonth = int64_t{date[0]} - 1;
    if (tmYear < INT_MIN || tmYear > INT_MAX || tmMonth < INT_MIN)
        return false;
    std::tm local{};
    local.tm_year = static_cast<int>(tmYear);
    local.tm_mon = static_cast<int>(tmMonth);
    local.tm_mday = date[1];
    local.tm_hour = clock[0];
    local.tm_min = clock[1];
    local.tm_sec = clock[2];
    local.tm_isdst = -1;
    local.tm_wday = -1; // mktime sets it only on success
    const time_t result = std::mktime(&local);
    if (result == static_cast<time_t>(-1) && local.tm_wday == -1)
        return false;
    start = static_cast<int64_t>(result);
    return true;
}

int32_t ClampFrequency(int32_t value, int32_t unit) {
    if (value < 0)
        return 1;
    return std::min(value, FrequencyLimit(unit));
}

bool ScheduleText(const CMacro& macro, std::string& text) {
    if (macro.scheduleType != static_cast<int32_t>(ScheduleType::Repeated))
        return false;
    const char* unitText = UnitListText(macro.unit);
    if (!unitText)
        return false;
    text = "Every " + std::to_string(macro.frequency) + " " + unitText;
    return true;
}

bool IsOnRepeatBoundary(int64_t start, int64_t t, int32_t frequency, int32_t unit) {
    int64_t elapsed = 0;
    if (__builtin_sub_overflow(t, start, &elapsed) || elapsed < 0)
        return false;
    if (frequency == 0 || unit > 4)
        return false;
    return elapsed % RepeatPeriod(frequency, unit) == 0;
}

int64_t RepeatPeriod(int32_t frequency, int32_t unit) {
    int64_t period = frequency;
    if (unit >= 1)
        period *= 60;
    if (unit >= 2)
        period *= 60;
    if (unit >= 3)
        period *= 24;
    if (unit >= 4)
        period *= 7;
    return period;
}

LocalParts ToLocalParts(int64_t t) {
    LocalParts parts;
    const time_t value = static_cast<time_t>(t);
    std::tm local{};
    if (!localtime_r(&value, &local))
        return parts;
    parts.ok = true;
    parts.year = int64_t{local.tm_year} + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    parts.second = local.tm_sec;
    return parts;
}

ParsedStart PrepareStart(const CMacro& macro) {
    ParsedStart start;
    start.ok = ParseStartTime(macro, start.time);
    if (start.ok)
        start.parts = ToLocalParts(start.time);
    return start;
}

bool IsDueAtPrepared(const CMacro& macro, int64_t now, const ParsedStart& start,
                     const LocalParts* nowParts) {
    if (macro.lastRunTime == now || macro.eligible == 0)
        return false;
    if (macro.scheduleType == static_cast<int32_t>(ScheduleType::NotScheduled) || !start.ok)
        return false;
    if (macro.scheduleType == static_cast<int32_t>(ScheduleType::SingleOccurrence))
        return start.time != 0 && now == start.time;
    if (now < start.time)
        return false;
    if (IsOnRepeatBoundary(start.time, now, macro.frequency, macro.unit))
        return true;

    // Anniversaries: same day of month and time of day (and month, unless
    // the unit is Month).
    LocalParts computed;
    if (!nowParts) {
        computed = ToLocalParts(now);
        nowParts = &computed;
    }
    const LocalParts& a = *nowParts;
    const LocalParts& b = start.parts;
    if (!a.ok || !b.ok)
        return false;
    if (a.second != b.second || a.minute != b.minute || a.hour != b.hour || a.day != b.day)
        return false;
    if (macro.unit == static_cast<int32_t>(ScheduleUnit::Month))
        return true;
    return a.month == b.month;
}

bool IsDueAt(const CMacro& macro, int64_t now) {
    // The cheap refusals first, so unscheduled entries cost no parsing.
    if (macro.lastRunTime == now || macro.eligible == 0 ||
        macro.scheduleType == static_cast<int32_t>(ScheduleType::NotScheduled))
        return false;
    return IsDueAtPrepared(macro, now, PrepareStart(macro), nullptr);
}

FrequencyEntry ReadFrequencyEntry(const std::string& boxText, int32_t unit) {
    FrequencyEntry entry;
    int32_t read = 1;
    if (!boxText.empty()) {
        // Leading decimal number, as atoi reads it; beyond int32 saturates.
        size_t pos = 0;
        while (pos < boxText.size() && std::isspace(static_cast<unsigned char>(boxText[pos])))
            ++pos;
        bool negative = false;
        if (pos < boxText.size() && (boxText[pos] == '+' || boxText[pos] == '-'))
            negative = boxText[pos++] == '-';
        int64_t magnitude = 0;
        while (pos < boxText.size() && std::isdigit(static_cast<unsigned char>(boxText[pos]))) {
            magnitude =
                std::min<int64_t>(magnitude * 10 + (boxText[pos++] - '0'), int64_t{INT32_MAX} + 1);
        }
        const int64_t value = negative ? -magnitude : std::min<int64_t>(magnitude, INT32_MAX);
        read = static_cast<int32_t>(value);
    }
    entry.value = ClampFrequency(read, unit);
    if (entry.value != read) {
        entry.message =
            UiFormat(UI_TEXT("Wingmate", "Frequency must be in range (0 > x >= %1) for this type"),
                     {std::to_string(entry.value)});
    }
    return entry;
}

int64_t DaysFromCivil(int64_t year, int month, int day) {
    // Howard Hinnant's days_from_civil.
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int DaysInMonth(int64_t year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return kDays[month - 1];
}

int WallTimeInstants(int64_t year, int month, int day, int hour, int minute, int second,
                     int64_t out[kMaxWallInstants]) {
    // The wall time read as UTC; each real instant is that minus the UTC
    // offset in force at it. Offsets in force within a day and a bit either
    // side are sampled, and each candidate is checked by converting back.
    const int64_t naive =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    long offsets[24];
    int offsetCount = 0;
    for (int step = -10; step <= 10; ++step) {
        const time_t sample = static_cast<time_t>(naive + step * 3 * 3600);
        std::tm local{};
        if (!localtime_r(&sample, &local))
            continue;
        if (std::find(offsets, offsets + offsetCount, local.tm_gmtoff) == offsets + offsetCount)
            offsets[offsetCount++] = local.tm_gmtoff;
    }
    int count = 0;
    for (int i = 0; i < offsetCount && count < kMaxWallInstants; ++i) {
        const int64_t candidate = naive - offsets[i];
        const LocalParts parts = ToLocalParts(candidate);
        if (parts.ok && parts.year == year && parts.month == month && parts.day == day &&
            parts.hour == hour && parts.minute == minute && parts.second == second &&
            std::find(out, out + count, candidate) == out + count)
            out[count++] = candidate;
    }
    std::sort(out, out + count);
    return count;
}
