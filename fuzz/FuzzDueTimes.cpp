// The due seconds computed from a schedule must be exactly the seconds at
// which IsDueAt holds. Input: unit, frequency, schedule type, zone, window
// start and length, then "startDate|startTime".
#include "schedule/DueTimes.h"
#include "schedule/Schedule.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {
const char* const kZones[] = {"UTC", "EST5EDT,M3.2.0,M11.1.0", "CET-1CEST,M3.5.0,M10.5.0/3",
                              "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0"};
const char* currentZone = nullptr;

void UseZone(const char* zone) {
    if (zone == currentZone)
        return;
    ::setenv("TZ", zone, 1);
    ::tzset();
    currentZone = zone;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 11;
    if (size < kHeader)
        return 0;
    CMacro macro;
    macro.unit = static_cast<int8_t>(data[0]);
    int16_t frequency = 0;
    std::memcpy(&frequency, data + 1, 2);
    macro.frequency = frequency;
    macro.scheduleType = data[3] % 4;
    UseZone(kZones[data[4] % 4]);
    int32_t offset = 0;
    std::memcpy(&offset, data + 5, 4);
    uint16_t length = 0;
    std::memcpy(&length, data + 9, 2);
    const std::string rest(reinterpret_cast<const char*>(data + kHeader), size - kHeader);
    const size_t bar = rest.find('|');
    macro.startDate = rest.substr(0, bar);
    macro.startTime = bar == std::string::npos ? "" : rest.substr(bar + 1);

    const int64_t from = 1262304000 + int64_t{offset} * 8; // around 2010 +- 540 years
    const int64_t to = from + length % 4000;
    CDueTimeCursor cursor(macro);
    int64_t t = from;
    int64_t next = 0;
    bool haveNext = cursor.Next(t, to, next);
    for (int64_t second = from; second <= to; ++second) {
        const bool due = IsDueAt(macro, second);
        const bool predicted = haveNext && next == second;
        if (due != predicted)
            std::abort();
        if (predicted)
            haveNext = cursor.Next(second + 1, to, next);
    }
    if (haveNext)
        std::abort();
    return 0;
}
