#include "app/OptionsLogic.h"
#include "app/TrayState.h"

#include "fakes/Fakes.h"
#include "fakes/TestSupport.h"

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

} // namespace
