#include "schedule/DueTimes.h"

#include "ScheduleTestUtil.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"
#include "library/MacroLibrary.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every second of [from, to] tested one by one, as IsDueAt sees the record
// when it never ran.
std::vector<int64_t> DueByTestingEverySecond(const CMacro& macro, int64_t from, int64_t to) {
    std::vector<int64_t> due;
    for (int64_t t = from; t <= to; ++t) {
        if (IsDueAt(macro, t))
            due.push_back(t);
    }
    return due;
}

std::vector<int64_t> DueFromSchedule(const CMacro& macro, int64_t from, int64_t to) {
    std::vector<int64_t> due;
    CDueTimeCursor cursor(macro);
    int64_t t = from;
    int64_t next = 0;
    while (t <= to && cursor.Next(t, to, next)) {
        due.push_back(next);
        t = next + 1;
    }
    return due;
}

struct Window {
    const char* label;
    const char* zone;
    int64_t from;
    int64_t to;
};

// Windows around daylight-saving shifts, month ends and the epoch.
const Window kWindows[] = {
    {"NewYorkFallBack", kNewYork, Utc(2010, 11, 7, 3), Utc(2010, 11, 7, 12)},
    {"NewYorkSpringForward", kNewYork, Utc(2010, 3, 14, 5), Utc(2010, 3, 14, 13)},
    {"BerlinAutumn", kBerlin, Utc(2010, 10, 30, 22), Utc(2010, 10, 31, 4)},
    {"LordHoweApril", kLordHowe, Utc(2010, 4, 3, 12), Utc(2010, 4, 3, 18)},
    {"LordHoweOctober", kLordHowe, Utc(2010, 10, 2, 13), Utc(2010, 10, 2, 18)},
    {"UtcMonthEnd", "UTC", Utc(2011, 1, 31, 22), Utc(2011, 2, 1, 2)},
    {"UtcEpoch", "UTC", -3600, 7200},
};

std::vector<CMacro> Records() {
    return {
        Repeated("1\\1\\2010", "0:0:0", 0, 1, "every second"),
        Repeated("1\\1\\2010", "0:3:0", 1, 7, "7 minutes"),
        Repeated("1\\1\\2010", "8:0:0", 2, 5, "5 hours"),
        Repeated("1\\1\\2010", "8:0:0", 3, 2, "2 days"),
        Repeated("10\\30\\2010", "1:30:0", 3, 1, "daily at 1:30"),
        Repeated("4\\3\\2010", "1:45:0", 3, 1, "daily at 1:45"),
        Repeated("1\\31\\2010", "2:30:0", 5, 1, "monthly 31st"),
        Repeated("10\\7\\2010", "1:30:0", 5, 4, "monthly 7th at 1:30"),
        Repeated("4\\3\\2009", "1:45:0", 6, 1, "yearly"),
        Repeated("11\\7\\2009", "1:10:0", 2, 7, "7 hours with anniversary"),
        Repeated("3\\14\\2010", "2:30:0", 1, 30, "from inside the gap"),
        Repeated("1\\1\\2010", "5:0:0", 0, 0, "frequency 0"),
        Repeated("1\\1\\2010", "0:0:0", 1, -3, "negative frequency"),
        Repeated("1\\1\\2010", "0:0:7", -1, 11, "negative unit"),
        Repeated("1\\1\\2010", "3:0:0", 9, 2, "unknown unit"),
        Repeated("1\\1\\1970", "0:0:0", 1, 15, "from the epoch"),
        Repeated("11\\7\\2010", "1:20:0", 0, 1, "starts in the repeated hour"),
        Repeated("1\\1\\2010", "0:0:0", 4, 1000, "long period"),
        Scheduled(ScheduleType::SingleOccurrence, "11\\7\\2010", "1:40:0", 0, 1, "once"),
        Scheduled(ScheduleType::SingleOccurrence, "4\\3\\2010", "1:50:0", 0, 1, "once more"),
        Scheduled(ScheduleType::SingleOccurrence, "1\\1\\1970", "0:0:5", 0, 1, "once early"),
        Scheduled(ScheduleType::NotScheduled, "1\\1\\2010", "0:0:0", 0, 1, "never"),
        Repeated("1\\1\\2010", "bad", 0, 1, "unreadable"),
    };
}

class DueTimesAgree : public ::testing::TestWithParam<Window> {};

TEST_P(DueTimesAgree, WithTestingEverySecond) {
    const Window& window = GetParam();
    ScopedTimeZone zone(window.zone);
    for (const CMacro& macro : Records()) {
        EXPECT_EQ(DueFromSchedule(macro, window.from, window.to),
                  DueByTestingEverySecond(macro, window.from, window.to))
            << macro.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, DueTimesAgree, ::testing::ValuesIn(kWindows), LabelName());

TEST(DueTimes, RepeatedHourRunsTwice) {
    ScopedTimeZone zone(kNewYork);
    const CMacro monthly = Repeated("10\\7\\2010", "1:30:0", 5, 1);
    const auto due = DueFromSchedule(monthly, Utc(2010, 11, 7), Utc(2010, 11, 8));
    // 1:30 local time happens twice on the day clocks go back.
    EXPECT_EQ(due, (std::vector<int64_t>{Utc(2010, 11, 7, 5, 30), Utc(2010, 11, 7, 6, 30)}));
}

TEST(DueTimes, MonthlyOnThe31stOverAYear) {
    ScopedTimeZone zone(kBerlin);
    const CMacro monthly = Repeated("1\\31\\2010", "10:0:0", 5, 1);
    const auto due = DueFromSchedule(monthly, Utc(2010, 1, 1), Utc(2010, 12, 31, 23, 59, 59));
    ASSERT_EQ(due.size(), 7u); // January, March, May, July, August, October, December
    EXPECT_EQ(due[1], Utc(2010, 3, 31, 8));
    EXPECT_EQ(due[6], Utc(2010, 12, 31, 9));
}

TEST(DueTimes, LeapDayYearlyWaitsForLeapYears) {
    ScopedTimeZone zone("UTC");
    const CMacro yearly = Repeated("2\\29\\2096", "6:0:0", 6, 1);
    EXPECT_EQ(DueFromSchedule(yearly, Utc(2097, 1, 1), Utc(2103, 12, 31)).size(), 0u);
    EXPECT_EQ(DueFromSchedule(yearly, Utc(2097, 1, 1), Utc(2104, 12, 31)),
              (std::vector<int64_t>{Utc(2104, 2, 29, 6)}));
}

TEST(DueTimes, ListedInTimeThenPassOrder) {
    ScopedTimeZone zone("UTC");
    CMacroLibrary library;
    CMacro root;
    root.kind = 2;
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    CMacro set = Repeated("1\\1\\2010", "0:0:0", 1, 1, "set");
    set.kind = 2;
    const int32_t setId = library.InsertRecord(set, 1, InsertPosition::Into);
    library.InsertRecord(Repeated("1\\1\\2010", "0:0:0", 1, 2, "inner"), setId,
                         InsertPosition::Into);
    library.InsertRecord(Repeated("1\\1\\2010", "0:0:30", 0, 30, "after"), 1, InsertPosition::Into);

    std::vector<std::string> seen;
    ForEachDueBetween(library.Root(), Utc(2010, 1, 1, 0, 0, 0), Utc(2010, 1, 1, 0, 1, 0),
                      [&](int64_t t, const CMacroNode& node) {
                          seen.push_back(std::to_string(t - Utc(2010, 1, 1)) + " " + node.name);
                      });
    EXPECT_EQ(seen,
              (std::vector<std::string>{"0 inner", "0 set", "30 after", "60 set", "60 after"}));
}

} // namespace
