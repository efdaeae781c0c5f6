#include "schedule/Schedule.h"

#include "ScheduleTestUtil.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>

int64_t Utc(int64_t year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

namespace {

// ---- ParseStartTime

struct ParseCase {
    const char* label;
    const char* zone;
    std::string date;
    std::string time;
    bool ok;
    int64_t expected;
};

class ParseStartTimes : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseStartTimes, ReadsLocalTimeWithNormalisation) {
    const ParseCase& c = GetParam();
    ScopedTimeZone zone(c.zone);
    int64_t start = -12345;
    const bool ok = ParseStartTime(Scheduled(ScheduleType::Repeated, c.date, c.time), start);
    ASSERT_EQ(ok, c.ok);
    if (c.ok) {
        EXPECT_EQ(start, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseStartTimes,
    ::testing::Values(
        ParseCase{"Utc", "UTC", "3\\7\\2009", "13:5:9", true, Utc(2009, 3, 7, 13, 5, 9)},
        ParseCase{"NewYorkWinter", kNewYork, "1\\1\\2010", "8:0:0", true, Utc(2010, 1, 1, 13)},
        ParseCase{"NewYorkSummer", kNewYork, "7\\1\\2010", "8:0:0", true, Utc(2010, 7, 1, 12)},
        ParseCase{"BerlinSummer", kBerlin, "7\\1\\2010", "8:0:0", true, Utc(2010, 7, 1, 6)},
        ParseCase{"Day32RollsOver", "UTC", "1\\32\\2010", "8:0:0", true, Utc(2010, 2, 1, 8)},
        ParseCase{"Month13RollsOver", "UTC", "13\\1\\2010", "0:0:0", true, Utc(2011, 1, 1)},
        ParseCase{"Hour25RollsOver", "UTC", "1\\1\\2010", "25:0:0", true, Utc(2010, 1, 2, 1)},
        ParseCase{"LeadingZerosAndBlanks", "UTC", " 01\\ 02\\2010", "08: 07:+06", true,
                  Utc(2010, 1, 2, 8, 7, 6)},
        ParseCase{"TrailingTextIgnored", "UTC", "1\\2\\2010xyz", "8:0:0 pm", true,
                  Utc(2010, 1, 2, 8)},
        ParseCase{"EmptyDate", "UTC", "", "8:0:0", false, 0},
        ParseCase{"EmptyTime", "UTC", "1\\1\\2010", "", false, 0},
        ParseCase{"TwoTimeParts", "UTC", "1\\1\\2010", "8:0", false, 0},
        ParseCase{"SlashDate", "UTC", "1/1/2010", "8:0:0", false, 0},
        ParseCase{"BlankBeforeSeparator", "UTC", "1 \\1\\2010", "8:0:0", false, 0},
        ParseCase{"Letters", "UTC", "a\\b\\c", "8:0:0", false, 0},
        ParseCase{"NumberTooLarge", "UTC", "1\\1\\2010", "99999999999:0:0", false, 0},
        ParseCase{"YearTooLarge", "UTC", "1\\1\\2147483647", "0:0:0", true, Utc(2147483647, 1, 1)}),
    LabelName());

TEST(ParseStartTime, TimeInsideTheSpringGapStillGivesAStart) {
    ScopedTimeZone zone(kNewYork);
    int64_t start = 0;
    ASSERT_TRUE(ParseStartTime(Repeated("3\\14\\2010", "2:30:0", 0, 1), start));
    EXPECT_TRUE(start == Utc(2010, 3, 14, 6, 30) || start == Utc(2010, 3, 14, 7, 30)) << start;
}

// ---- ClampFrequency and the frequency box

struct ClampCase {
    const char* label;
    int32_t value;
    int32_t unit;
    int32_t expected;
};

class ClampFrequencies : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampFrequencies, BoundsPerUnit) {
    EXPECT_EQ(ClampFrequency(GetParam().value, GetParam().unit), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClampFrequencies,
    ::testing::Values(ClampCase{"Negative", -3, 0, 1}, ClampCase{"Lowest", INT32_MIN, 3, 1},
                      ClampCase{"ZeroStays", 0, 0, 0}, ClampCase{"SecondsLimit", 90000, 0, 86400},
                      ClampCase{"SecondsAtLimit", 86400, 0, 86400},
                      ClampCase{"MinutesLimit", 36001, 1, 36000},
                      ClampCase{"HoursLimit", 10001, 2, 10000},
                      ClampCase{"DaysLimit", 1001, 3, 1000}, ClampCase{"WeeksLimit", 5000, 4, 1000},
                      ClampCase{"MonthLimit", 2, 5, 1}, ClampCase{"YearLimit", 3, 6, 1},
                      ClampCase{"UnknownUnitUnbounded", 123456, 9, 123456}),
    LabelName());

struct BoxCase {
    const char* label;
    std::string text;
    int32_t unit;
    int32_t value;
    std::string message;
};

class FrequencyBox : public ::testing::TestWithParam<BoxCase> {};

TEST_P(FrequencyBox, ReadsAndBounds) {
    const FrequencyEntry entry = ReadFrequencyEntry(GetParam().text, GetParam().unit);
    EXPECT_EQ(entry.value, GetParam().value);
    EXPECT_EQ(entry.message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrequencyBox,
    ::testing::Values(BoxCase{"EmptyIsOne", "", 0, 1, ""}, BoxCase{"ZeroStays", "0", 0, 0, ""},
                      BoxCase{"NegativeBecomesOne", "-3", 0, 1,
                              "Frequency must be in range (0 > x >= 1) for this type"},
                      BoxCase{"AboveLimit", "90000", 0, 86400,
                              "Frequency must be in range (0 > x >= 86400) for this type"},
                      BoxCase{"NotANumberIsZero", "abc", 3, 0, ""},
                      BoxCase{"LeadingNumber", "12abc", 3, 12, ""},
                      BoxCase{"HugeSaturates", "99999999999999", 2, 10000,
                              "Frequency must be in range (0 > x >= 10000) for this type"}),
    LabelName());

// ---- ScheduleText

TEST(ScheduleText, OnlyRepeatedSchedulesWithAKnownUnit) {
    std::string text = "unchanged";
    EXPECT_FALSE(ScheduleText(Scheduled(ScheduleType::NotScheduled, "", "", 3, 7), text));
    EXPECT_FALSE(
        ScheduleText(Scheduled(ScheduleType::SingleOccurrence, "1\\1\\2010", "1:0:0", 3, 7), text));
    EXPECT_FALSE(ScheduleText(Repeated("", "", 7, 1), text));
    EXPECT_FALSE(ScheduleText(Repeated("", "", -1, 1), text));
    EXPECT_EQ(text, "unchanged");
    ASSERT_TRUE(ScheduleText(Repeated("", "", 3, 7), text));
    EXPECT_EQ(text, "Every 7 Day(s)");
    ASSERT_TRUE(ScheduleText(Repeated("", "", 5, 1), text));
    EXPECT_EQ(text, "Every 1 Month");
    ASSERT_TRUE(ScheduleText(Repeated("", "", 2, 2), text));
    EXPECT_EQ(text, "Every 2 Hour(s)");
}

// ---- IsOnRepeatBoundary

struct BoundaryCase {
    const char* label;
    int64_t start;
    int64_t t;
    int32_t frequency;
    int32_t unit;
    bool expected;
};

class RepeatBoundaries : public ::testing::TestWithParam<BoundaryCase> {};

TEST_P(RepeatBoundaries, MultiplesOfThePeriod) {
    const BoundaryCase& c = GetParam();
    EXPECT_EQ(IsOnRepeatBoundary(c.start, c.t, c.frequency, c.unit), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RepeatBoundaries,
                         ::testing::Values(BoundaryCase{"AtStart", 1000, 1000, 5, 0, true},
                                           BoundaryCase{"BeforeStart", 1000, 995, 5, 0, false},
                                           BoundaryCase{"FiveSeconds", 1000, 1015, 5, 0, true},
                                           BoundaryCase{"OffBySecond", 1000, 1016, 5, 0, false},
                                           BoundaryCase{"FrequencyZero", 1000, 1000, 0, 0, false},
                                           BoundaryCase{"Minutes", 0, 180, 3, 1, true},
                                           BoundaryCase{"MinutesOff", 0, 120, 3, 1, false},
                                           BoundaryCase{"Hours", 0, 7200, 2, 2, true},
                                           BoundaryCase{"Days", 0, 2 * 86400, 2, 3, true},
                                           BoundaryCase{"DaysOff", 0, 86400, 2, 3, false},
                                           BoundaryCase{"Weeks", 0, 604800, 1, 4, true},
                                           BoundaryCase{"MonthNeverBoundary", 0, 0, 1, 5, false},
                                           BoundaryCase{"YearNeverBoundary", 0, 0, 1, 6, false},
                                           BoundaryCase{"NegativeFrequency", 0, 10, -5, 0, true},
                                           BoundaryCase{"NoOverflow", INT64_MIN, INT64_MAX, 1, 0,
                                                        false}),
                         LabelName());

// ---- IsDueAt

struct DueCase {
    const char* label;
    const char* zone;
    CMacro macro;
    int64_t now;
    bool expected;
};

CMacro WithLastRun(CMacro macro, int64_t lastRunTime) {
    macro.lastRunTime = lastRunTime;
    return macro;
}

CMacro Ineligible(CMacro macro) {
    macro.eligible = 0;
    return macro;
}

void PrintTo(const DueCase& c, std::ostream* out) {
    *out << c.label;
}

class DueAt : public ::testing::TestWithParam<DueCase> {};

TEST_P(DueAt, Decides) {
    const DueCase& c = GetParam();
    ScopedTimeZone zone(c.zone);
    EXPECT_EQ(IsDueAt(c.macro, c.now), c.expected);
}

const CMacro kEverySecond = Repeated("1\\1\\2010", "0:0:0", 0, 1);
const CMacro kTwoDays = Repeated("1\\1\\2010", "8:0:0", 3, 2);
const CMacro kMonthly31 = Repeated("1\\31\\2010", "10:0:0", 5, 1);

INSTANTIATE_TEST_SUITE_P(
    Table, DueAt,
    ::testing::Values(
        DueCase{"EverySecondAnySecond", "UTC", kEverySecond, Utc(2012, 5, 6, 7, 8, 9), true},
        DueCase{"NotBeforeStart", "UTC", kEverySecond, Utc(2009, 12, 31, 23, 59, 59), false},
        DueCase{"SameSecondAsLastRun", "UTC", WithLastRun(kEverySecond, Utc(2012, 1, 1)),
                Utc(2012, 1, 1), false},
        DueCase{"LastRunEarlier", "UTC", WithLastRun(kEverySecond, Utc(2012, 1, 1)),
                Utc(2012, 1, 1, 0, 0, 1), true},
        DueCase{"Ineligible", "UTC", Ineligible(kEverySecond), Utc(2012, 1, 1), false},
        DueCase{"NotScheduled", "UTC", Scheduled(ScheduleType::NotScheduled, "1\\1\\2010", "0:0:0"),
                Utc(2010, 1, 1), false},
        DueCase{"BadStartNeverDue", "UTC", Repeated("1\\1\\2010", "0:0", 0, 1), Utc(2011, 1, 1),
                false},
        DueCase{"OtherTypeActsRepeated", "UTC",
                Scheduled(static_cast<ScheduleType>(3), "1\\1\\2010", "0:0:0", 0, 1),
                Utc(2011, 1, 1, 0, 0, 1), true},
        // Frequency 0: only the anniversaries of the start.
        DueCase{"FrequencyZeroOffAnniversary", "UTC", Repeated("1\\1\\2010", "0:0:0", 0, 0),
                Utc(2010, 1, 1, 0, 0, 1), false},
        DueCase{"FrequencyZeroAtStart", "UTC", Repeated("1\\1\\2010", "0:0:0", 0, 0),
                Utc(2010, 1, 1), true},
        DueCase{"FrequencyZeroAnniversary", "UTC", Repeated("1\\1\\2010", "0:0:0", 0, 0),
                Utc(2013, 1, 1), true},
        // Every 2 days from 8:00 EST counts seconds: after the spring shift
        // the runs fall at 9:00 EDT.
        DueCase{"TwoDaysStart", kNewYork, kTwoDays, Utc(2010, 1, 1, 13), true},
        DueCase{"TwoDaysThird", kNewYork, kTwoDays, Utc(2010, 1, 3, 13), true},
        DueCase{"TwoDaysSecondDayNot", kNewYork, kTwoDays, Utc(2010, 1, 2, 13), false},
        DueCase{"TwoDaysAfterShiftNineLocal", kNewYork, kTwoDays, Utc(2010, 3, 16, 13), true},
        DueCase{"TwoDaysAfterShiftNotEight", kNewYork, kTwoDays, Utc(2010, 3, 16, 12), false},
        DueCase{"TwoDaysBerlinAfterShift", kBerlin, kTwoDays, Utc(2010, 4, 1, 7), true},
        // Monthly on the 31st: no run in months without a 31st.
        DueCase{"MonthlyStart", "UTC", kMonthly31, Utc(2010, 1, 31, 10), true},
        DueCase{"MonthlyMarch", "UTC", kMonthly31, Utc(2010, 3, 31, 10), true},
        DueCase{"MonthlyNotMarch3", "UTC", kMonthly31, Utc(2010, 3, 3, 10), false},
        DueCase{"MonthlyNotApril30", "UTC", kMonthly31, Utc(2010, 4, 30, 10), false},
        DueCase{"MonthlyNotFeb28", "UTC", kMonthly31, Utc(2010, 2, 28, 10), false},
        DueCase{"MonthlyOtherSecond", "UTC", kMonthly31, Utc(2010, 3, 31, 10, 0, 1), false},
        DueCase{"MonthlyIgnoresFrequency", "UTC", Repeated("1\\31\\2010", "10:0:0", 5, 3),
                Utc(2010, 3, 31, 10), true},
        DueCase{"MonthlyLocalTimeAcrossShift", kNewYork, kMonthly31, Utc(2010, 3, 31, 14), true},
        DueCase{"MonthlyDay32IsFebFirst", "UTC", Repeated("1\\32\\2010", "10:0:0", 5, 1),
                Utc(2010, 3, 1, 10), true},
        DueCase{"YearlyAnniversary", "UTC", Repeated("2\\29\\2012", "6:0:0", 6, 1),
                Utc(2016, 2, 29, 6), true},
        DueCase{"YearlyNotOtherMonth", "UTC", Repeated("2\\29\\2012", "6:0:0", 6, 1),
                Utc(2016, 3, 29, 6), false},
        DueCase{"YearlyNotBeforeStart", "UTC", Repeated("2\\29\\2012", "6:0:0", 6, 1),
                Utc(2008, 2, 29, 6), false},
        // Seconds to weeks also run on every anniversary.
        DueCase{"HoursAnniversaryOffPeriod", kNewYork, Repeated("1\\1\\2010", "8:0:0", 2, 7),
                Utc(2011, 1, 1, 13), true},
        DueCase{"HoursOffPeriodNotAnniversary", kNewYork, Repeated("1\\1\\2010", "8:0:0", 2, 7),
                Utc(2011, 1, 2, 13), false},
        DueCase{"WeeksAnniversary", "UTC", Repeated("1\\1\\2010", "8:0:0", 4, 3),
                Utc(2011, 1, 1, 8), true},
        DueCase{"SingleExactSecond", "UTC",
                Scheduled(ScheduleType::SingleOccurrence, "6\\1\\2030", "12:0:0"),
                Utc(2030, 6, 1, 12), true},
        DueCase{"SingleSecondAfter", "UTC",
                Scheduled(ScheduleType::SingleOccurrence, "6\\1\\2030", "12:0:0"),
                Utc(2030, 6, 1, 12, 0, 1), false},
        DueCase{"SingleNoAnniversary", "UTC",
                Scheduled(ScheduleType::SingleOccurrence, "6\\1\\2030", "12:0:0"),
                Utc(2031, 6, 1, 12), false},
        DueCase{"SingleAtEpochNever", "UTC",
                Scheduled(ScheduleType::SingleOccurrence, "1\\1\\1970", "0:0:0"), 0, false}),
    LabelName());

// ---- Wall-clock instants

TEST(WallTimeInstants, GapsAndRepeatedHours) {
    ScopedTimeZone zone(kNewYork);
    int64_t out[kMaxWallInstants];
    ASSERT_EQ(WallTimeInstants(2010, 1, 5, 8, 0, 0, out), 1);
    EXPECT_EQ(out[0], Utc(2010, 1, 5, 13));
    EXPECT_EQ(WallTimeInstants(2010, 3, 14, 2, 30, 0, out), 0);
    ASSERT_EQ(WallTimeInstants(2010, 11, 7, 1, 30, 0, out), 2);
    EXPECT_EQ(out[0], Utc(2010, 11, 7, 5, 30));
    EXPECT_EQ(out[1], Utc(2010, 11, 7, 6, 30));
    EXPECT_EQ(WallTimeInstants(2010, 2, 30, 8, 0, 0, out), 0);
}

TEST(WallTimeInstants, HalfHourShift) {
    ScopedTimeZone zone(kLordHowe);
    int64_t out[kMaxWallInstants];
    // Clocks go from 2:00 to 2:30 on the first Sunday of October.
    EXPECT_EQ(WallTimeInstants(2010, 10, 3, 2, 15, 0, out), 0);
    EXPECT_EQ(WallTimeInstants(2010, 10, 3, 2, 45, 0, out), 1);
    // And from 2:00 back to 1:30 on the first Sunday of April.
    EXPECT_EQ(WallTimeInstants(2010, 4, 4, 1, 45, 0, out), 2);
}

} // namespace
