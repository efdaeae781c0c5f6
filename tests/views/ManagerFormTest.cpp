#include "views/ManagerForm.h"

#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"
#include "library/LibraryTestUtil.h"
#include "schedule/Schedule.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kSet = 2;
// 2024-05-09 14:05:06 in New York.
constexpr int64_t kNow = 1715277906;

class ManagerFormTest : public ::testing::Test {
protected:
    ScopedTimeZone zone{"America/New_York"};
};

// ---- the frequency rule on reading the form

struct FrequencyCase {
    std::string label;
    std::string text;
    int unitIndex;
    int32_t frequency;
    std::string message;
    std::string boxAfter;
};

class FormFrequency : public ManagerFormTest,
                      public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FormFrequency, IsReadThroughTheUnitsBound) {
    const FrequencyCase& c = GetParam();
    ManagerFormValues values = BlankManagerForm(kNow);
    values.frequencyText = c.text;
    values.unitIndex = c.unitIndex;
    const ManagerFormRead read = ReadManagerForm(values, 7);
    EXPECT_EQ(read.record.frequency, c.frequency);
    EXPECT_EQ(read.frequencyMessage, c.message);
    EXPECT_EQ(read.frequencyText, c.boxAfter);
}

const FrequencyCase kFrequencies[] = {
    {"EmptyIsOne", "", 3, 1, "", ""},
    {"ZeroStays", "0", 3, 0, "", "0"},
    {"NotANumberIsZero", "abc", 3, 0, "", "abc"},
    {"LeadingNumber", "12abc", 3, 12, "", "12abc"},
    {"NegativeIsOne", "-3", 3, 1, "Frequency must be in range (0 > x >= 1) for this type", "1"},
    {"AboveSeconds", "90000", 0, 86400, "Frequency must be in range (0 > x >= 86400) for this type",
     "86400"},
    {"MinutesLimit", "36000", 1, 36000, "", "36000"},
    {"MonthIsAtMostOne", "2", 5, 1, "Frequency must be in range (0 > x >= 1) for this type", "1"},
    {"NoUnitSelectedUsesSeconds", "90000", -1, 86400,
     "Frequency must be in range (0 > x >= 86400) for this type", "86400"},
};
INSTANTIATE_TEST_SUITE_P(Read, FormFrequency, ::testing::ValuesIn(kFrequencies), LabelName());

// ---- record to form and back

TEST_F(ManagerFormTest, ARecordShownAndReadBackKeepsItsFields) {
    CMacro macro = Record("Backup", 1, 42);
    macro.scriptFile = "Scripts/backup.tsc ARGS=1";
    macro.executable = "/usr/bin/env";
    macro.runAsScript = 0;
    macro.description = "line one\nline two";
    macro.triggerPrefix = 2;
    macro.triggerKey = "<CTRL><ALT><B>";
    macro.scheduleType = 2;
    macro.unit = 4;
    macro.frequency = 3;
    macro.startDate = "03\\07\\2009";
    macro.startTime = "8:05:00";
    macro.lastRunText = "Monday, March 09, 2009; at 08:05:00";

    const ManagerFormValues values = ManagerFormFor(macro, kNow);
    EXPECT_EQ(values.start, (PickerDateTime{2009, 3, 7, 8, 5, 0}));
    const ManagerFormRead read = ReadManagerForm(values, macro.id);
    const CMacro& back = read.record;
    EXPECT_TRUE(read.frequencyMessage.empty());
    EXPECT_EQ(back.id, 42);
    EXPECT_EQ(back.name, macro.name);
    EXPECT_EQ(back.kind, 1);
    EXPECT_EQ(back.scriptFile, macro.scriptFile);
    EXPECT_EQ(back.executable, macro.executable);
    EXPECT_EQ(back.runAsScript, 0);
    EXPECT_EQ(back.description, macro.description);
    EXPECT_EQ(back.triggerPrefix, 2);
    EXPECT_EQ(back.triggerKey, macro.triggerKey);
    EXPECT_EQ(back.scheduleType, 2);
    EXPECT_EQ(back.unit, 4);
    EXPECT_EQ(back.frequency, 3);
    EXPECT_EQ(back.startDate, "3\\7\\2009");
    EXPECT_EQ(back.startTime, "8:5:0");
    EXPECT_EQ(back.lastRunText, macro.lastRunText);
}

TEST_F(ManagerFormTest, AStartThatDoesNotParseShowsNow) {
    CMacro macro = Record("x");
    macro.startDate = "3\\7";
    macro.startTime = "8:0:0";
    EXPECT_EQ(ManagerFormFor(macro, kNow).start, (PickerDateTime{2024, 5, 9, 14, 5, 6}));
}

TEST_F(ManagerFormTest, AStartInTheSkippedHourIsShownAsTheClockReadsIt) {
    CMacro macro = Record("x");
    macro.startDate = "3\\10\\2024"; // 2:30 does not exist in New York that day
    macro.startTime = "2:30:0";
    const PickerDateTime shown = ManagerFormFor(macro, kNow).start;
    EXPECT_EQ(shown.day, 10);
    EXPECT_TRUE(shown.hour == 1 || shown.hour == 3) << shown.hour;
}

TEST_F(ManagerFormTest, BlankFormIsAScriptMacroEveryDayNotScheduled) {
    const ManagerFormValues blank = BlankManagerForm(kNow);
    const CMacro read = ReadManagerForm(blank, 0).record;
    EXPECT_EQ(read.id, 0);
    EXPECT_EQ(read.kind, 1);
    EXPECT_EQ(read.runAsScript, 1);
    EXPECT_EQ(read.scheduleType, 0);
    EXPECT_EQ(read.unit, 3);
    EXPECT_EQ(read.frequency, 1);
    EXPECT_EQ(read.triggerPrefix, 0);
    EXPECT_EQ(read.startDate, "5\\9\\2024");
    EXPECT_EQ(read.startTime, "14:5:6");
    EXPECT_TRUE(read.name.empty() && read.triggerKey.empty() && read.lastRunText.empty());
}

TEST_F(ManagerFormTest, ListsWithoutASelectionKeepTheDefaults) {
    ManagerFormValues values = BlankManagerForm(kNow);
    values.prefixIndex = -1;
    values.unitIndex = -1;
    const CMacro read = ReadManagerForm(values, 0).record;
    EXPECT_EQ(read.triggerPrefix, 0);
    EXPECT_EQ(read.unit, 0);
}

// ---- enabled controls

struct ControlsCase {
    std::string label;
    bool macroSet;
    int scheduleType;
    bool useTessera;
    bool executable;
    bool others; // file, trigger, Use Tessera, radio buttons
    bool frequency;
    bool pickers;
    std::string dateLabel;
    TreeIcon icon;
};

class Controls : public ManagerFormTest, public ::testing::WithParamInterface<ControlsCase> {};

TEST_P(Controls, FollowTheRules) {
    const ControlsCase& c = GetParam();
    const ManagerControlState state = ManagerControls(c.macroSet, c.scheduleType, c.useTessera);
    EXPECT_EQ(state.executable, c.executable);
    EXPECT_EQ(state.scriptFile, c.others);
    EXPECT_EQ(state.trigger, c.others);
    EXPECT_EQ(state.useTessera, c.others);
    EXPECT_EQ(state.scheduleType, c.others);
    EXPECT_EQ(state.schedule.frequency, c.frequency);
    EXPECT_EQ(state.schedule.pickers, c.pickers);
    EXPECT_EQ(std::string(state.schedule.dateLabel), c.dateLabel);
    EXPECT_EQ(state.icon, c.icon);
}

const ControlsCase kControls[] = {
    {"NotScheduled", false, 0, true, false, true, false, false, "On Date:", TreeIcon::NotScheduled},
    {"SingleOccurrence", false, 1, true, false, true, false, true,
     "On Date:", TreeIcon::SingleOccurrence},
    {"Repeated", false, 2, true, false, true, true, true, "Starting Date:", TreeIcon::Repeated},
    {"WithoutTesseraEnablesExecutable", false, 0, false, true, true, false, false,
     "On Date:", TreeIcon::NotScheduled},
    {"MacroSetDisablesMacroFields", true, 2, false, false, false, false, false,
     "Starting Date:", TreeIcon::MacroSet},
};
INSTANTIATE_TEST_SUITE_P(Manager, Controls, ::testing::ValuesIn(kControls), LabelName());

TEST_F(ManagerFormTest, MacroSetBoxIsFixedForTheRootAndForSetsWithEntries) {
    CMacroLibrary lib;
    const int32_t root = lib.InsertRecord(Record("My Macros", kSet), -1, InsertPosition::Into);
    const int32_t full = lib.InsertRecord(Record("Full", kSet), root, InsertPosition::Into);
    lib.InsertRecord(Record("inner"), full, InsertPosition::Into);
    const int32_t empty = lib.InsertRecord(Record("Empty", kSet), root, InsertPosition::Into);
    const int32_t macro = lib.InsertRecord(Record("m"), root, InsertPosition::Into);
    EXPECT_FALSE(MacroSetBoxEnabled(*lib.FindById(root)));
    EXPECT_FALSE(MacroSetBoxEnabled(*lib.FindById(full)));
    EXPECT_TRUE(MacroSetBoxEnabled(*lib.FindById(empty)));
    EXPECT_TRUE(MacroSetBoxEnabled(*lib.FindById(macro)));
}

TEST_F(ManagerFormTest, AddMacroNeedsANameThatIsNotBlank) {
    EXPECT_EQ(AddMacroError(Record("")), "Macro must have a Name");
    EXPECT_EQ(AddMacroError(Record("  \t")), "Macro must have a Name");
    EXPECT_EQ(AddMacroError(Record(" x")), "");
}

// ---- where Add Macro puts the entry

struct CaretCase {
    std::string label;
    std::string caret; // name of the caret entry; empty: none
    std::string shape;
    InsertPosition position;
};

class Caret : public ManagerFormTest, public ::testing::WithParamInterface<CaretCase> {};

TEST_P(Caret, PlacesTheNewEntry) {
    const CaretCase& c = GetParam();
    CMacroLibrary lib;
    std::map<std::string, int32_t> ids;
    ids["R"] = lib.InsertRecord(Record("R", kSet), -1, InsertPosition::Into);
    ids["S"] = lib.InsertRecord(Record("S", kSet), ids["R"], InsertPosition::Into);
    ids["s1"] = lib.InsertRecord(Record("s1"), ids["S"], InsertPosition::Into);
    ids["m"] = lib.InsertRecord(Record("m"), ids["R"], InsertPosition::Into);
    ids["z"] = lib.InsertRecord(Record("z"), ids["R"], InsertPosition::Into);
    const int32_t caret = c.caret.empty() ? 0 : (c.caret == "?" ? 999 : ids[c.caret]);
    InsertPosition position{};
    CMacro record = Record("new", 1, 77);
    const int32_t id = InsertAtCaret(lib, record, caret, &position);
    EXPECT_EQ(Shape(lib.Root()), c.shape);
    EXPECT_EQ(position, c.position);
    EXPECT_GT(id, ids["z"]);
    ASSERT_NE(lib.FindById(id), nullptr);
    EXPECT_EQ(lib.FindById(id)->name, "new");
}

const CaretCase kCarets[] = {
    {"NoCaret", "", "R(S(s1),m,z,new)", InsertPosition::Into},
    {"UnknownCaret", "?", "R(S(s1),m,z,new)", InsertPosition::Into},
    {"RootCaret", "R", "R(S(s1),m,z,new)", InsertPosition::Into},
    {"MacroCaret", "m", "R(S(s1),m,new,z)", InsertPosition::After},
    {"SetCaret", "S", "R(S(s1,new),m,z)", InsertPosition::Into},
    {"MacroInSet", "s1", "R(S(s1,new),m,z)", InsertPosition::After},
};
INSTANTIATE_TEST_SUITE_P(AddMacro, Caret, ::testing::ValuesIn(kCarets), LabelName());

} // namespace
