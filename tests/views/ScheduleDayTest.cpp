#include "views/ScheduleDay.h"

#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"
#include "library/LibraryTestUtil.h"
#include "schedule/Schedule.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

constexpr int32_t kSet = 2;

CMacro Scheduled(const std::string& name, int32_t type, const std::string& date,
                 const std::string& time, int32_t unit = 0, int32_t frequency = 1) {
    CMacro macro = Record(name);
    macro.scheduleType = type;
    macro.startDate = date;
    macro.startTime = time;
    macro.unit = unit;
    macro.frequency = frequency;
    return macro;
}

constexpr int32_t kNot = 0, kOnce = 1, kRep = 2;
constexpr int32_t kSeconds = 0, kHours = 2, kDays = 3, kWeeks = 4, kMonth = 5, kYear = 6;

// The rows as one line: fixed rows by their text, macro rows as [name].
std::string RowsLine(const std::vector<DayListRow>& rows) {
    std::string out;
    for (const DayListRow& row : rows) {
        if (!out.empty())
            out += ",";
        out += row.IsFixed() ? row.timeText : "[" + row.nameText + "]";
    }
    return out;
}

// "previous row > name > next row" for the macro's row; empty when absent.
std::string Placement(const std::vector<DayListRow>& rows, const std::string& name) {
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].IsFixed() || rows[i].nameText != name)
            continue;
        const std::string before = i > 0 ? rows[i - 1].timeText : "";
        const std::string after = i + 1 < rows.size() ? rows[i + 1].timeText : "";
        return before + ">" + name + ">" + after;
    }
    return "";
}

class ScheduleDayTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = lib.InsertRecord(Record("My Macros", kSet), -1, InsertPosition::Into);
    }
    int32_t Add(const CMacro& macro) { return lib.InsertRecord(macro, root, InsertPosition::Into); }

    ScopedTimeZone zone{"America/New_York"};
    CMacroLibrary lib;
    int32_t root = 0;
};

// ---- day list rows

TEST_F(ScheduleDayTest, EmptyLibraryHasTheRepeatedRowAnd25HourRowsAndNoBoldDay) {
    const auto rows = BuildDayList(lib, {2024, 3, 10});
    std::string expected = "Repeated";
    for (int hour = 0; hour <= 24; ++hour)
        expected += "," + std::to_string(hour) + ":00";
    EXPECT_EQ(RowsLine(rows), expected);
    EXPECT_EQ(rows.size(), size_t(kDayListFixedRows));
    for (const DayListRow& row : rows)
        EXPECT_EQ(row.id, 0);
    EXPECT_EQ(BoldDayMask(lib, 2024, 3), 0u);
}

struct PlacementCase {
    std::string label;
    CMacro macro;
    CalendarDate day;
    std::string placement; // empty: not listed
};

class DayListPlacement : public ScheduleDayTest,
                         public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(DayListPlacement, ListsTheMacroInItsGroup) {
    const PlacementCase& c = GetParam();
    CMacro macro = c.macro;
    macro.name = "m";
    Add(macro);
    EXPECT_EQ(Placement(BuildDayList(lib, c.day), "m"), c.placement);
}

const PlacementCase kPlacements[] = {
    {"SingleAt2330EndsTheLastGroup",
     Scheduled("", kOnce, "3\\10\\2024", "23:30:0"),
     {2024, 3, 10},
     "23:00>m>24:00"},
    {"SingleAtMidnight",
     Scheduled("", kOnce, "3\\10\\2024", "0:0:0"),
     {2024, 3, 10},
     "0:00>m>1:00"},
    {"SingleAt7", Scheduled("", kOnce, "3\\10\\2024", "7:15:0"), {2024, 3, 10}, "7:00>m>8:00"},
    {"SingleOnAnotherDay", Scheduled("", kOnce, "3\\10\\2024", "7:15:0"), {2024, 3, 11}, ""},
    {"SingleNormalisedDay32",
     Scheduled("", kOnce, "1\\32\\2024", "9:0:0"),
     {2024, 2, 1},
     "9:00>m>10:00"},
    {"SingleUnparsable", Scheduled("", kOnce, "", "9:0:0"), {2024, 2, 1}, ""},
    {"Every2DaysOnThe1st",
     Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 2),
     {2024, 1, 1},
     "Repeated>m>0:00"},
    {"Every2DaysOnThe3rd",
     Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 2),
     {2024, 1, 3},
     "Repeated>m>0:00"},
    {"Every2DaysOnThe5th",
     Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 2),
     {2024, 1, 5},
     "Repeated>m>0:00"},
    {"Every2DaysNotOnThe2nd",
     Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 2),
     {2024, 1, 2},
     ""},
    {"Every2DaysNotBeforeStart",
     Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 2),
     {2023, 12, 30},
     ""},
    // Clocks go forward on 10 March 2024 in New York: the days still count.
    {"Every2DaysAfterSpringForward",
     Scheduled("", kRep, "3\\1\\2024", "8:0:0", kDays, 2),
     {2024, 3, 11},
     "Repeated>m>0:00"},
    {"Every2DaysOddDayAfterSpringForward",
     Scheduled("", kRep, "3\\1\\2024", "8:0:0", kDays, 2),
     {2024, 3, 12},
     ""},
    {"DailyAfterFallBack",
     Scheduled("", kRep, "10\\30\\2024", "23:30:0", kDays, 1),
     {2024, 11, 5},
     "Repeated>m>0:00"},
    {"WeeklyAWeekLater",
     Scheduled("", kRep, "1\\3\\2024", "8:0:0", kWeeks, 1),
     {2024, 1, 10},
     "Repeated>m>0:00"},
    {"WeeklyNotMidweek", Scheduled("", kRep, "1\\3\\2024", "8:0:0", kWeeks, 1), {2024, 1, 11}, ""},
    {"DaysWithFrequency0", Scheduled("", kRep, "1\\1\\2024", "8:0:0", kDays, 0), {2024, 1, 1}, ""},
    {"HoursEveryDayEvenBeforeStart",
     Scheduled("", kRep, "6\\1\\2030", "8:0:0", kHours, 3),
     {2024, 1, 1},
     "Repeated>m>0:00"},
    {"SecondsWithUnparsableStart",
     Scheduled("", kRep, "", "", kSeconds, 5),
     {2024, 1, 1},
     "Repeated>m>0:00"},
    {"DaysWithUnparsableStart", Scheduled("", kRep, "x", "8:0:0", kDays, 1), {2024, 1, 1}, ""},
    {"MonthlyOn31stOfMarch",
     Scheduled("", kRep, "1\\31\\2024", "8:0:0", kMonth),
     {2024, 3, 31},
     "Repeated>m>0:00"},
    {"MonthlyOn31stNotOn30thOfApril",
     Scheduled("", kRep, "1\\31\\2024", "8:0:0", kMonth),
     {2024, 4, 30},
     ""},
    {"MonthlyOn31stNotOn29thOfFebruary",
     Scheduled("", kRep, "1\\31\\2024", "8:0:0", kMonth),
     {2024, 2, 29},
     ""},
    {"MonthlyNotBeforeStartMonth",
     Scheduled("", kRep, "1\\31\\2024", "8:0:0", kMonth),
     {2023, 12, 31},
     ""},
    {"MonthlyFromNovemberInJanuary",
     Scheduled("", kRep, "11\\15\\2023", "8:0:0", kMonth),
     {2024, 1, 15},
     "Repeated>m>0:00"},
    {"YearlyOnLeapDay",
     Scheduled("", kRep, "2\\29\\2024", "8:0:0", kYear),
     {2028, 2, 29},
     "Repeated>m>0:00"},
    {"YearlyNotBeforeStart", Scheduled("", kRep, "7\\4\\2024", "8:0:0", kYear), {2023, 7, 4}, ""},
    {"YearlyNotAnotherMonth", Scheduled("", kRep, "7\\4\\2024", "8:0:0", kYear), {2025, 8, 4}, ""},
    {"NotScheduled", Scheduled("", kNot, "3\\10\\2024", "7:0:0"), {2024, 3, 10}, ""},
};
INSTANTIATE_TEST_SUITE_P(Rows, DayListPlacement, ::testing::ValuesIn(kPlacements), LabelName());

TEST_F(ScheduleDayTest, MacrosKeepLibraryOrderWithinAGroupAndSetsGetNoRow) {
    Add(Scheduled("A", kOnce, "5\\9\\2024", "7:0:0"));
    Add(Scheduled("B", kRep, "", "", kHours, 2));
    const int32_t set = Add(Record("S", kSet));
    lib.InsertRecord(Scheduled("C", kOnce, "5\\9\\2024", "7:45:10"), set, InsertPosition::Into);
    CMacro scheduledSet = Scheduled("T", kOnce, "5\\9\\2024", "7:0:0");
    scheduledSet.kind = kSet;
    Add(scheduledSet);
    Add(Scheduled("D", kRep, "5\\7\\2024", "1:0:0", kDays, 2));

    const auto rows = BuildDayList(lib, {2024, 5, 9});
    EXPECT_EQ(RowsLine(rows).rfind("Repeated,[B],[D],0:00,1:00,", 0), 0u) << RowsLine(rows);
    EXPECT_NE(RowsLine(rows).find(",7:00,[A],[C],8:00,"), std::string::npos) << RowsLine(rows);
    EXPECT_EQ(rows.size(), size_t(kDayListFixedRows + 4));

    const DayListRow& b = rows[1];
    EXPECT_EQ(b.runTimeText, "Every 2 Hour(s)");
    EXPECT_EQ(b.scheduleType, kRep);
    EXPECT_EQ(b.timeText, "");
    const DayListRow& a = rows[11]; // after Repeated, B, D and the rows of 0:00 to 7:00
    EXPECT_EQ(a.nameText, "A");
    EXPECT_EQ(a.runTimeText, "5\\9\\2024 at 7:0:0");
    EXPECT_GT(a.id, 0);
}

// ---- bold days

struct BoldCase {
    std::string label;
    CMacro macro;
    int year;
    int month;
    uint32_t mask;
};

class BoldDays : public ScheduleDayTest, public ::testing::WithParamInterface<BoldCase> {};

TEST_P(BoldDays, MarksTheScheduledDays) {
    const BoldCase& c = GetParam();
    Add(c.macro);
    EXPECT_EQ(BoldDayMask(lib, c.year, c.month), c.mask);
}

constexpr uint32_t Day(int d) {
    return uint32_t{1} << (d - 1);
}

const BoldCase kBoldCases[] = {
    {"SingleInItsMonth", Scheduled("s", kOnce, "3\\15\\2024", "8:0:0"), 2024, 3, Day(15)},
    {"SingleNotNextMonth", Scheduled("s", kOnce, "3\\15\\2024", "8:0:0"), 2024, 4, 0},
    {"SingleNotSameMonthNextYear", Scheduled("s", kOnce, "3\\15\\2024", "8:0:0"), 2025, 3, 0},
    {"SingleLateOnLastDayOfMonth", Scheduled("s", kOnce, "3\\31\\2024", "23:59:59"), 2024, 3,
     Day(31)},
    {"MonthlyOn31stInJanuary", Scheduled("m", kRep, "1\\31\\2024", "8:0:0", kMonth), 2024, 1,
     Day(31)},
    {"MonthlyOn31stInMarch", Scheduled("m", kRep, "1\\31\\2024", "8:0:0", kMonth), 2024, 3,
     Day(31)},
    {"MonthlyNotBeforeStart", Scheduled("m", kRep, "1\\31\\2024", "8:0:0", kMonth), 2023, 12, 0},
    {"MonthlyFromNovemberBoldInJanuary", Scheduled("m", kRep, "11\\20\\2023", "8:0:0", kMonth),
     2024, 1, Day(20)},
    {"YearlyInItsMonth", Scheduled("y", kRep, "7\\4\\2020", "8:0:0", kYear), 2024, 7, Day(4)},
    {"YearlyNotInOtherMonths", Scheduled("y", kRep, "7\\4\\2020", "8:0:0", kYear), 2024, 6, 0},
    {"YearlyNotBeforeStart", Scheduled("y", kRep, "7\\4\\2020", "8:0:0", kYear), 2019, 7, 0},
    {"WeeklyMarksNoDay", Scheduled("w", kRep, "3\\1\\2024", "8:0:0", kWeeks), 2024, 3, 0},
    {"DailyMarksNoDay", Scheduled("d", kRep, "3\\1\\2024", "8:0:0", kDays), 2024, 3, 0},
    {"NotScheduledMarksNoDay", Scheduled("n", kNot, "3\\1\\2024", "8:0:0"), 2024, 3, 0},
    {"UnparsableMarksNoDay", Scheduled("u", kOnce, "3\\1", "8:0:0"), 2024, 3, 0},
};
INSTANTIATE_TEST_SUITE_P(Calendar, BoldDays, ::testing::ValuesIn(kBoldCases), LabelName());

TEST_F(ScheduleDayTest, BoldDaysOfSeveralMacrosAddUpAndSetsMarkNothing) {
    Add(Scheduled("a", kOnce, "3\\2\\2024", "8:0:0"));
    Add(Scheduled("b", kRep, "2\\9\\2024", "8:0:0", kMonth));
    CMacro set = Scheduled("s", kOnce, "3\\20\\2024", "8:0:0");
    set.kind = kSet;
    Add(set);
    EXPECT_EQ(BoldDayMask(lib, 2024, 3), Day(2) | Day(9));
}

// ---- drops

struct DropCase {
    std::string label;
    int32_t scheduleType; // of the dropped macro before the drop
    std::string hitRow;   // the Time text of the hit row, or "[name]" for a macro row
    MessageAnswer answer;
    bool changed;
    bool asked;
    int32_t expectType;
    std::string expectTime;
};

class Drop : public ScheduleDayTest, public ::testing::WithParamInterface<DropCase> {
protected:
    int RowIndex(const std::vector<DayListRow>& rows, const std::string& text) {
        for (size_t i = 0; i < rows.size(); ++i)
            if ((rows[i].IsFixed() ? rows[i].timeText : "[" + rows[i].nameText + "]") == text)
                return static_cast<int>(i);
        return -1;
    }
};

TEST_P(Drop, SchedulesFromTheRow) {
    const DropCase& c = GetParam();
    Add(Scheduled("at7", kOnce, "5\\9\\2024", "7:20:0"));
    Add(Scheduled("daily", kRep, "5\\1\\2024", "1:0:0", kDays, 1));
    const auto rows = BuildDayList(lib, {2024, 5, 9});

    CMacro macro = Scheduled("x", c.scheduleType, "1\\1\\2020", "1:2:3", kHours, 3);
    const CMacro before = macro;
    CRecordingMessageBox messages;
    messages.answer = c.answer;
    // 2024-05-09 14:05:06 in New York (UTC-4).
    const int64_t now = 1715277906;
    EXPECT_EQ(ApplyDrop(macro, rows, RowIndex(rows, c.hitRow), {2024, 5, 9}, now, messages),
              c.changed);
    ASSERT_EQ(messages.shown.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(messages.shown[0].text, "Overwrite scheduling information?");
        EXPECT_EQ(messages.shown[0].title, "Wingmate");
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    }
    if (!c.changed) {
        EXPECT_EQ(macro.scheduleType, before.scheduleType);
        EXPECT_EQ(macro.startDate, before.startDate);
        EXPECT_EQ(macro.startTime, before.startTime);
        EXPECT_EQ(macro.unit, before.unit);
        return;
    }
    EXPECT_EQ(macro.scheduleType, c.expectType);
    EXPECT_EQ(macro.startDate, "5\\9\\2024");
    EXPECT_EQ(macro.startTime, c.expectTime);
    EXPECT_EQ(macro.frequency, 3);
    EXPECT_EQ(macro.unit, c.expectType == kRep ? kDays : kHours);
}

const DropCase kDrops[] = {
    {"UnscheduledOnHour7WithoutAsking", kNot, "7:00", MessageAnswer::No, true, false, kOnce,
     "7:00:00"},
    {"ScheduledOnHour7AsksYes", kRep, "7:00", MessageAnswer::Yes, true, true, kOnce, "7:00:00"},
    {"ScheduledOnHour7AsksNo", kOnce, "7:00", MessageAnswer::No, false, true, 0, ""},
    {"OnHour0", kNot, "0:00", MessageAnswer::Yes, true, false, kOnce, "0:00:00"},
    {"OnHour24", kNot, "24:00", MessageAnswer::Yes, true, false, kOnce, "24:00:00"},
    {"OnRepeatedRowTakesNow", kNot, "Repeated", MessageAnswer::Yes, true, false, kRep, "14:5:6"},
    {"OnMacroRowTakesItsGroupHour", kNot, "[at7]", MessageAnswer::Yes, true, false, kOnce,
     "7:00:00"},
    {"OnRepeatedMacroRowRepeats", kNot, "[daily]", MessageAnswer::Yes, true, false, kRep, "14:5:6"},
    {"OutsideTheRows", kNot, "nowhere", MessageAnswer::Yes, false, false, 0, ""},
};
INSTANTIATE_TEST_SUITE_P(DayList, Drop, ::testing::ValuesIn(kDrops), LabelName());

TEST_F(ScheduleDayTest, DroppedMacroSetChangesNothingAndAsksNothing) {
    const auto rows = BuildDayList(lib, {2024, 5, 9});
    CMacro set = Record("S", kSet);
    CRecordingMessageBox messages;
    EXPECT_FALSE(ApplyDrop(set, rows, 8, {2024, 5, 9}, 0, messages));
    EXPECT_EQ(set.scheduleType, 0);
    EXPECT_TRUE(set.startDate.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScheduleDayTest, DropOnRepeatedKeepsTheFrequencyWithinTheDayLimit) {
    const auto rows = BuildDayList(lib, {2024, 5, 9});
    CMacro macro = Scheduled("x", kNot, "", "", kSeconds, 5000);
    CRecordingMessageBox messages;
    ASSERT_TRUE(ApplyDrop(macro, rows, 0, {2024, 5, 9}, 0, messages));
    EXPECT_EQ(macro.frequency, 1000);
}

TEST_F(ScheduleDayTest, DroppedMacroIsListedWhereItWasDropped) {
    const int32_t id = Add(Record("x"));
    auto rows = BuildDayList(lib, {2024, 5, 9});
    CRecordingMessageBox messages;
    CMacroNode* node = lib.FindById(id);
    ASSERT_TRUE(ApplyDrop(*node, rows, 1 + 18, // the row of 18:00
                          {2024, 5, 9}, 0, messages));
    EXPECT_EQ(Placement(BuildDayList(lib, {2024, 5, 9}), "x"), "18:00>x>19:00");
}

// ---- schedule form

TEST_F(ScheduleDayTest, ScheduleFormWritesZeroPaddedTimeAndBoundsTheFrequency) {
    ScheduleFormValues values;
    values.scheduleType = 2;
    values.frequencyText = "90000";
    values.unitIndex = kSeconds;
    values.start = PickerDateTime{2009, 3, 7, 8, 5, 0};
    const ScheduleFormRead read = ReadScheduleForm(values, kDays);
    EXPECT_EQ(read.startDate, "3\\7\\2009");
    EXPECT_EQ(read.startTime, "08:05:00");
    EXPECT_EQ(read.unit, kSeconds);
    EXPECT_EQ(read.frequency, 86400);
    EXPECT_EQ(read.frequencyMessage, "Frequency must be in range (0 > x >= 86400) for this type");
    EXPECT_EQ(read.frequencyText, "86400");

    CMacro macro = Scheduled("x", kNot, "", "");
    ApplyScheduleFields(macro, read);
    int64_t start = 0;
    ASSERT_TRUE(ParseStartTime(macro, start));
    EXPECT_EQ(PickerFromTime(start), values.start);
}

TEST_F(ScheduleDayTest, ScheduleFormWithoutAUnitKeepsTheMacrosUnit) {
    ScheduleFormValues values;
    values.frequencyText = "";
    values.unitIndex = -1;
    const ScheduleFormRead read = ReadScheduleForm(values, kWeeks);
    EXPECT_EQ(read.unit, kWeeks);
    EXPECT_EQ(read.frequency, 1);
    EXPECT_TRUE(read.frequencyMessage.empty());
    EXPECT_EQ(read.frequencyText, "");
}

} // namespace
