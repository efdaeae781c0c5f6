#pragma once
// Shared by the schedule tests: time zones and record builders.

#include "library/Macro.h"

#include <cstdint>
#include <string>

// POSIX rules, so the tests need no zoneinfo files.
inline constexpr const char* kNewYork = "EST5EDT,M3.2.0,M11.1.0";
inline constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
// Half-hour daylight saving shift.
inline constexpr const char* kLordHowe = "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0";

inline CMacro Scheduled(ScheduleType type, const std::string& date, const std::string& time,
                        int32_t unit = 0, int32_t frequency = 1, const std::string& name = "M") {
    CMacro macro;
    macro.name = name;
    macro.scheduleType = static_cast<int32_t>(type);
    macro.startDate = date;
    macro.startTime = time;
    macro.unit = unit;
    macro.frequency = frequency;
    return macro;
}

inline CMacro Repeated(const std::string& date, const std::string& time, int32_t unit,
                       int32_t frequency, const std::string& name = "M") {
    return Scheduled(ScheduleType::Repeated, date, time, unit, frequency, name);
}

// Seconds since the epoch of a UTC calendar time.
int64_t Utc(int64_t year, int month, int day, int hour = 0, int minute = 0, int second = 0);
