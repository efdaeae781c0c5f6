#include "run/RunLog.h"

#include "program/AppSettings.h"

#include "fakes/FakeRunQueue.h"
#include "fakes/Fakes.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RunLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("runlog-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        log.SetPath((dir / "Wingmate.log").string());
        log.SetAutoClearLimit(&settings.autoClearLines);
        log.SetDisplay(&display);
    }
    void TearDown() override { fs::remove_all(dir); }

    void WriteFile(const std::string& content) {
        std::ofstream(log.Path(), std::ios::binary) << content;
    }
    std::string ReadFile() const {
        std::ifstream in(log.Path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir;
    CAppSettings settings;
    CRecordingLogDisplay display;
    CRunLog log;
};

TEST_F(RunLogTest, AutoClearZeroGrowsWithoutLimit) {
    settings.autoClearLines = 0;
    for (int i = 0; i < 1200; ++i)
        log.AppendLine("line " + std::to_string(i));
    const std::string text = ReadFile();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1200);
    EXPECT_EQ(text.substr(0, 7), "line 0\n");
}

TEST_F(RunLogTest, WithoutSettingsTheFileIsNeverCleared) {
    log.SetAutoClearLimit(nullptr);
    WriteFile("a\nb\nc\nd\n");
    log.AppendLine("e");
    EXPECT_EQ(ReadFile(), "a\nb\nc\nd\ne\n");
}

TEST_F(RunLogTest, MoreLinesThanAllowedLeaveTheLastLineAndTheNotice) {
    settings.autoClearLines = 3;
    WriteFile("one\ntwo\nthree\nfour\n");
    log.AppendLine("new");
    EXPECT_EQ(ReadFile(), "four\n===== Log File Auto Cleared at Line: 4 =====\nnew\n");
    EXPECT_EQ(display.lines,
              (std::vector<std::string>{"===== Log File Auto Cleared at Line: 4 =====", "new"}));
    // Three lines now: at the limit, not over it.
    log.AppendLine("next");
    EXPECT_EQ(ReadFile(), "four\n===== Log File Auto Cleared at Line: 4 =====\nnew\nnext\n");
}

TEST_F(RunLogTest, BlankLinesAreNotCounted) {
    settings.autoClearLines = 3;
    WriteFile("a\n\n  \n\t\nb\n\n\nc\n\n");
    log.AppendLine("d");
    EXPECT_EQ(ReadFile(), "a\n\n  \n\t\nb\n\n\nc\n\nd\n");
    log.AppendLine("e");
    EXPECT_EQ(ReadFile(), "d\n===== Log File Auto Cleared at Line: 4 =====\ne\n");
}

TEST_F(RunLogTest, ALineLongerThanTheBufferCountsOnceAndSurvivesWhole) {
    settings.autoClearLines = 2;
    const std::string longLine(10000, 'x');
    WriteFile("a\nb\n" + longLine + "\n");
    log.AppendLine("c");
    EXPECT_EQ(ReadFile(), longLine + "\n===== Log File Auto Cleared at Line: 3 =====\nc\n");
}

TEST_F(RunLogTest, TheKeptLineKeepsItsLeadingTabs) {
    settings.autoClearLines = 1;
    WriteFile("a\n\t\tUnnamed\n");
    log.AppendLine("b");
    EXPECT_EQ(ReadFile(), "\t\tUnnamed\n===== Log File Auto Cleared at Line: 2 =====\nb\n");
}

struct DisplayCase {
    const char* label;
    std::string text;
    std::vector<std::string> pieces;
};

class RunLogDisplay : public RunLogTest, public ::testing::WithParamInterface<DisplayCase> {};

TEST_P(RunLogDisplay, SplitsAtLineBreaks) {
    settings.autoClearLines = 0;
    log.AppendLine(GetParam().text);
    EXPECT_EQ(display.lines, GetParam().pieces);
    EXPECT_EQ(log.DisplayLineCount(), static_cast<int>(GetParam().pieces.size()));
    EXPECT_EQ(ReadFile(), GetParam().text + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunLogDisplay,
    ::testing::Values(DisplayCase{"Plain", "Monday\t\tBackup", {"Monday\t\tBackup"}},
                      DisplayCase{"EmptyShowsNothing", "", {}},
                      DisplayCase{"CrLfGivesAnEmptyLine", "a\r\nb", {"a", "", "b"}},
                      DisplayCase{"TrailingBreakDropped", "a\n", {"a"}},
                      DisplayCase{"TrailingCrLf", "a\r\n", {"a", ""}},
                      DisplayCase{"LoneBreak", "\n", {""}},
                      DisplayCase{"CarriageReturn", "a\rb", {"a", "b"}}),
    LabelName());

TEST_F(RunLogTest, TheDisplayEmptiesItselfAfterTwoHundredLines) {
    settings.autoClearLines = 0;
    for (int i = 0; i < 201; ++i)
        log.AppendLine("x");
    EXPECT_EQ(display.clears, 0);
    EXPECT_EQ(log.DisplayLineCount(), 201);
    log.AppendLine("y");
    EXPECT_EQ(display.clears, 1);
    EXPECT_EQ(display.lines, std::vector<std::string>{"y"});
    EXPECT_EQ(log.DisplayLineCount(), 1);
    // The file is untouched by the display's clearing.
    const std::string text = ReadFile();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 202);
}

TEST_F(RunLogTest, ClearDisplayResetsTheCount) {
    log.AppendLine("a\nb");
    log.ClearDisplay();
    EXPECT_EQ(log.DisplayLineCount(), 0);
    EXPECT_TRUE(display.lines.empty());
    EXPECT_EQ(ReadFile(), "a\nb\n");
}

TEST_F(RunLogTest, ClearFileEmptiesIt) {
    log.AppendLine("a");
    EXPECT_TRUE(log.ClearFile());
    EXPECT_EQ(ReadFile(), "");
    EXPECT_TRUE(fs::exists(log.Path()));
}

TEST_F(RunLogTest, AnUnwritableLogLosesTheLineButStillShowsIt) {
    log.SetPath((dir / "missing" / "Wingmate.log").string());
    settings.autoClearLines = 1;
    log.AppendLine("shown");
    EXPECT_EQ(display.lines, std::vector<std::string>{"shown"});
    EXPECT_FALSE(log.ClearFile());
}

// A full disk (/dev/full fails the flush) or a folder gone: the loss is
// told once with the system's reason, not for every line, and told again
// only after a line got through in between.
TEST_F(RunLogTest, LostLinesAreToldOncePerRunOfFailures) {
    const std::string good = log.Path();
    struct Failure {
        std::string path;
        std::string reason;
    } const failures[] = {{"/dev/full", "No space left on device"},
                          {(dir / "gone" / "Wingmate.log").string(), "No such file or directory"}};
    std::vector<std::string> told;
    log.SetWriteProblemReporter([&](const std::string& problem) { told.push_back(problem); });
    settings.autoClearLines = 0;
    for (const Failure& failure : failures) {
        told.clear();
        log.SetPath(failure.path);
        for (int line = 0; line < 3; ++line)
            log.AppendLine("lost");
        ASSERT_EQ(told.size(), 1u) << failure.path;
        EXPECT_NE(told[0].find(failure.path + ": " + failure.reason), std::string::npos) << told[0];
        log.SetPath(good);
        log.AppendLine("written");
        log.AppendLine("written");
        ASSERT_EQ(told.size(), 2u);
        EXPECT_EQ(told[1], "");
    }
    EXPECT_EQ(ReadFile(), "written\nwritten\nwritten\nwritten\n");
}

TEST_F(RunLogTest, SaveCopyAsOverwritesAndReportsFailure) {
    CRecordingMessageBox box;
    log.AppendLine("kept");
    const std::string target = (dir / "copy.log").string();
    std::ofstream(target) << "old content that is longer";
    EXPECT_TRUE(log.SaveCopyAs(target, box));
    std::ifstream in(target);
    std::string copied((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(copied, "kept\n");
    EXPECT_TRUE(box.shown.empty());

    EXPECT_FALSE(log.SaveCopyAs((dir / "no" / "such" / "dir.log").string(), box));
    EXPECT_FALSE(log.SaveCopyAs(log.Path(), box)); // onto itself
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(box.shown[0].text, "Could not save Log File");
    EXPECT_EQ(box.shown[0].title, "Wingmate Error");
    EXPECT_EQ(ReadFile(), "kept\n");
}

} // namespace
