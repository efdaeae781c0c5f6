#include "program/EndQuestion.h"
#include "program/OptionsLogic.h"
#include "views/TrayState.h"

#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"
#include "library/LibraryTestUtil.h"

#include <gtest/gtest.h>

namespace {

// ---- number boxes

struct NumberCase {
    std::string label;
    std::string text;
    uint32_t value;
};

class NumberBoxTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberBoxTest, ReadsLikeAtoiTakenAsUnsigned) {
    EXPECT_EQ(NumberBoxValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberBoxTest,
    ::testing::Values(NumberCase{"empty", "", 0}, NumberCase{"zero", "0", 0},
                      NumberCase{"plain", "600000", 600000},
                      NumberCase{"leading_blanks_and_tail", "  42ms", 42},
                      NumberCase{"plus_sign", "+7", 7},
                      NumberCase{"minus_one_wraps", "-1", 4294967295u},
                      NumberCase{"too_large_saturates", "99999999999999999999", 2147483647u},
                      NumberCase{"too_small_saturates", "-99999999999", 2147483648u},
                      NumberCase{"letters_only", "abc", 0}),
    LabelName());

// ---- Options OK

class OptionsOk : public ::testing::Test {
protected:
    void SetUp() override { store.exists = true; }
    OptionsForm Form(const std::string& delay, const std::string& lines = "1000") {
        OptionsForm form = OptionsFormFrom(settings);
        form.delayText = delay;
        form.linesText = lines;
        return form;
    }
    CAppSettings settings;
    CMemorySettingsStore store;
    CRecordingMessageBox messages;
};

TEST_F(OptionsOk, TheLimitItselfIsAcceptedSilently) {
    ApplyOptions(settings, Form("600000"), messages, store);
    EXPECT_EQ(settings.defaultDelay, 600000u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(store.values.at("DefDel"), "600000");
}

TEST_F(OptionsOk, AboveTheLimitIsCutWithTheMessage) {
    for (const char* text : {"600001", "-5"}) {
        messages.shown.clear();
        ApplyOptions(settings, Form(text), messages, store);
        EXPECT_EQ(settings.defaultDelay, 600000u) << text;
        ASSERT_EQ(messages.shown.size(), 1u) << text;
        EXPECT_EQ(messages.shown[0].text,
                  "Maximum delay is 600000 milliseconds.\nValue set to 600000");
        EXPECT_EQ(messages.shown[0].title, "Wingmate Error");
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    }
}

TEST_F(OptionsOk, EmptyBoxesStoreZero) {
    ApplyOptions(settings, Form("", ""), messages, store);
    EXPECT_EQ(settings.defaultDelay, 0u);
    EXPECT_EQ(settings.autoClearLines, 0u);
    EXPECT_EQ(store.values.at("AutoClear"), "0");
}

TEST_F(OptionsOk, FlagsAreStoredAndPackedIntoSet1) {
    OptionsForm form = Form("200");
    form.enableTriggers = true;
    form.enableScheduler = false;
    form.hideAtStartup = true;
    ApplyOptions(settings, form, messages, store);
    EXPECT_EQ(settings.enableTriggers, 1);
    EXPECT_EQ(settings.enableScheduler, 0);
    EXPECT_EQ(settings.hideAtStartup, 1);
    EXPECT_EQ(store.values.at("Set1"), "13"); // triggers 1 + spare 4 + hide 8
}

TEST_F(OptionsOk, WithoutAStoreTheRunningSettingsStillChange) {
    store.exists = false;
    ApplyOptions(settings, Form("300", "5"), messages, store);
    EXPECT_EQ(settings.defaultDelay, 300u);
    EXPECT_EQ(settings.autoClearLines, 5u);
    EXPECT_TRUE(store.writes.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST(OptionsForm, OpensWithTheSettings) {
    CAppSettings settings;
    settings.enableScheduler = 0;
    settings.defaultDelay = 1234;
    settings.autoClearLines = 0;
    const OptionsForm form = OptionsFormFrom(settings);
    EXPECT_TRUE(form.enableTriggers);
    EXPECT_FALSE(form.enableScheduler);
    EXPECT_FALSE(form.hideAtStartup);
    EXPECT_EQ(form.delayText, "1234");
    EXPECT_EQ(form.linesText, "0");
}

// ---- tray

struct TrayCase {
    std::string label;
    ProgramState state;
    TrayIcon icon;
    std::string tooltip;
};

class TrayTest : public ::testing::TestWithParam<TrayCase> {};

TEST_P(TrayTest, FirstMatchingStateWins) {
    const TrayLook look = DecideTrayLook(GetParam().state);
    EXPECT_EQ(look.icon, GetParam().icon);
    EXPECT_EQ(look.tooltip, GetParam().tooltip);
}

INSTANTIATE_TEST_SUITE_P(
    States, TrayTest,
    ::testing::Values(
        TrayCase{"idle", {false, false, true, true, ""}, TrayIcon::Idle, "Tessera Wingmate"},
        TrayCase{"running_beats_all",
                 {true, true, false, false, "F12"},
                 TrayIcon::Running,
                 "Tessera Wingmate - Running Macro"},
        TrayCase{"recording",
                 {false, true, false, false, "<CTRL><F12>"},
                 TrayIcon::Recording,
                 "Tessera Wingmate - Recording\n(<CTRL><F12> to stop)"},
        TrayCase{"both_disabled",
                 {false, false, false, false, ""},
                 TrayIcon::Disabled,
                 "Tessera Wingmate - Disabled"},
        TrayCase{"triggers_disabled",
                 {false, false, false, true, ""},
                 TrayIcon::TriggersDisabled,
                 "Tessera Wingmate - Triggers Disabled"},
        TrayCase{"scheduler_disabled",
                 {false, false, true, false, ""},
                 TrayIcon::SchedulerDisabled,
                 "Tessera Wingmate - Scheduler Disabled"}),
    LabelName());

TEST(TrayTooltip, LongStopKeyIsCutWithoutSplittingACharacter) {
    ProgramState state;
    state.recording = true;
    state.stopKeyText = std::string(90, 'x') + "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";
    const TrayLook look = DecideTrayLook(state);
    EXPECT_LE(look.tooltip.size(), kMaxTooltipBytes);
    EXPECT_GE(look.tooltip.size(), kMaxTooltipBytes - 1);
    // The cut never leaves half of a two-byte character at the end.
    const auto last = static_cast<unsigned char>(look.tooltip.back());
    EXPECT_TRUE(last < 0x80 || (last & 0xC0) == 0x80);
    if ((last & 0xC0) == 0x80) {
        EXPECT_EQ(static_cast<unsigned char>(look.tooltip[look.tooltip.size() - 2]), 0xC3);
    }
}

TEST(RunButtons, FollowTheStateAndTheSelection) {
    ProgramState idle;
    EXPECT_TRUE(DecideRunButtons(idle, true).run);
    EXPECT_TRUE(DecideRunButtons(idle, true).edit);
    EXPECT_FALSE(DecideRunButtons(idle, true).stop);
    EXPECT_FALSE(DecideRunButtons(idle, false).run);
    ProgramState running;
    running.running = true;
    EXPECT_FALSE(DecideRunButtons(running, true).run);
    EXPECT_TRUE(DecideRunButtons(running, true).stop);
    ProgramState recording;
    recording.recording = true;
    EXPECT_FALSE(DecideRunButtons(recording, true).run);
    EXPECT_FALSE(DecideRunButtons(recording, true).stop);
}

// ---- Escape: what would be lost decides whether it asks

struct ComingCase {
    std::string label;
    int32_t kind;
    int32_t scheduleType;
    std::string startDate;
    std::string startTime;
    bool inASet;
    bool coming;
};

class ComingScheduleTest : public ::testing::TestWithParam<ComingCase> {};

// Now is 11\14\2023 22:13:20 UTC.
TEST_P(ComingScheduleTest, OnlyARunStillToComeCounts) {
    const ScopedTimeZone zone("UTC0");
    const ComingCase& c = GetParam();
    CMacroLibrary library;
    const int32_t root = library.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
    const int32_t set = library.InsertRecord(Record("Set", 2), root, InsertPosition::Into);
    library.InsertRecord(Record("Plain"), root, InsertPosition::Into);
    CMacro entry = Record("Entry", c.kind);
    entry.scheduleType = c.scheduleType;
    entry.startDate = c.startDate;
    entry.startTime = c.startTime;
    library.InsertRecord(entry, c.inASet ? set : root, InsertPosition::Into);
    EXPECT_EQ(HasComingSchedule(library.Root(), 1700000000), c.coming);
}

INSTANTIATE_TEST_SUITE_P(
    Escape, ComingScheduleTest,
    ::testing::Values(ComingCase{"NotScheduled", 1, 0, "11\\14\\2023", "23:00:00", false, false},
                      ComingCase{"SingleLaterToday", 1, 1, "11\\14\\2023", "23:00:00", false, true},
                      ComingCase{"SingleThisSecond", 1, 1, "11\\14\\2023", "22:13:20", false, true},
                      ComingCase{"SinglePassed", 1, 1, "11\\14\\2023", "22:13:19", false, false},
                      ComingCase{"RepeatedStartedLongAgo", 1, 2, "1\\1\\2020", "08:00:00", false,
                                 true},
                      ComingCase{"UnreadableStart", 1, 2, "14\\45\\2023", "", false, false},
                      ComingCase{"DeepInASet", 1, 1, "12\\1\\2023", "08:00:00", true, true},
                      ComingCase{"ASetNeverRuns", 2, 2, "1\\1\\2020", "08:00:00", false, false}),
    LabelName());

TEST(EscapeQuestion, AsksOnlyWhenSchedulesWouldStopOrEditsBeLost) {
    const std::string schedules =
        "End Wingmate? Scheduled macros will not run until it is started again.";
    const std::string edits = "\nThe changes to the macros have not been saved.";
    struct Case {
        bool schedulerEnabled, coming, unsaved;
        std::string question;
    } const cases[] = {
        {true, false, false, ""},
        {true, true, false, schedules},
        {false, true, false, ""}, // the scheduler is off: nothing stops
        {true, false, true, "End Wingmate?" + edits},
        {false, true, true, "End Wingmate?" + edits},
        {true, true, true, schedules + edits},
    };
    for (const Case& c : cases) {
        EscapeSituation situation;
        situation.schedulerEnabled = c.schedulerEnabled;
        situation.comingSchedule = c.coming;
        situation.unsavedEdits = c.unsaved;
        EXPECT_EQ(EscapeQuestion(situation), c.question)
            << c.schedulerEnabled << c.coming << c.unsaved;
    }
}

} // namespace
