#include "Commands.h"
#include "library/MacroLibrary.h"
#include "schedule/DueScan.h"
#include "schedule/Schedule.h"

#include "fakes/ScopedTimeZone.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kNewYork = "EST5EDT,M3.2.0,M11.1.0";

struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

CtlRun RunCtl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunWingmateCtl(args, CtlStreams{out, err});
    return {status, out.str(), err.str()};
}

CMacro Record(const std::string& name, int32_t type, const std::string& date,
              const std::string& time, int32_t unit, int32_t frequency, int32_t kind = 1) {
    CMacro macro;
    macro.name = name;
    macro.kind = kind;
    macro.scheduleType = type;
    macro.startDate = date;
    macro.startTime = time;
    macro.unit = unit;
    macro.frequency = frequency;
    return macro;
}

class DueCommandTest : public ::testing::Test {
protected:
    DueCommandTest() : zone(kNewYork) {}

    void SetUp() override {
        dir = fs::temp_directory_path() / ("wingmatectl-due-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        library.File().SetPaths(dir.string());
        CMacro root;
        root.kind = 2;
        root.name = "My Macros";
        library.InsertRecord(root, -1, InsertPosition::Into);
        daily = library.InsertRecord(Record("Daily", 2, "1\\1\\2010", "0:0:0", 2, 1, 2), 1,
                                     InsertPosition::Into);
        backup = library.InsertRecord(Record("Backup", 2, "1\\1\\2010", "8:0:0", 3, 2), daily,
                                      InsertPosition::Into);
        solo = library.InsertRecord(Record("Solo", 1, "1\\3\\2010", "8:0:0", 0, 1), daily,
                                    InsertPosition::Into);
        tabbed = library.InsertRecord(Record("Tab\tname", 2, "1\\1\\2010", "8:0:0", 2, 12), 1,
                                      InsertPosition::Into);
        library.InsertRecord(Record("Half past", 2, "1\\1\\2010", "0:30:0", 2, 1), 1,
                             InsertPosition::Into);
        library.InsertRecord(Record("Unscheduled", 0, "", "", 0, 1), 1, InsertPosition::Into);
        Save();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Save() {
        ASSERT_EQ(library.Save(), 1);
        file = (dir / "Macros.mcf").string();
    }
    CtlRun Due(const std::string& from, const std::string& to) {
        return RunCtl({"due", "--file", file, "--from", from, "--to", to});
    }

    ScopedTimeZone zone;
    fs::path dir;
    std::string file;
    CMacroLibrary library;
    int32_t daily = 0, backup = 0, solo = 0, tabbed = 0;
};

std::string Line(const char* when, int32_t id, const char* name) {
    return std::string(when) + "\t" + std::to_string(id) + "\t" + name + "\n";
}

TEST_F(DueCommandTest, ListsEverySecondInTimeThenPassOrder) {
    const CtlRun run = Due("2010-01-03 07:00:00", "2010-01-03 08:00:00");
    ASSERT_EQ(run.status, 0) << run.err;
    const int32_t half = tabbed + 1;
    EXPECT_EQ(run.out, Line("2010-01-03 07:00:00", daily, "Daily") +
                           Line("2010-01-03 07:30:00", half, "Half past") +
                           Line("2010-01-03 08:00:00", backup, "Backup") +
                           Line("2010-01-03 08:00:00", solo, "Solo") +
                           Line("2010-01-03 08:00:00", daily, "Daily") +
                           Line("2010-01-03 08:00:00", tabbed, "Tab name"));
}

TEST_F(DueCommandTest, ARepeatedLocalHourIsCoveredWhole) {
    const CtlRun run = Due("2010-11-07 01:30:00", "2010-11-07 01:30:00");
    ASSERT_EQ(run.status, 0) << run.err;
    const int32_t half = tabbed + 1;
    // From the first 1:30 (EDT) to the second (EST), through 1:00 EST.
    EXPECT_EQ(run.out, Line("2010-11-07 01:30:00", half, "Half past") +
                           Line("2010-11-07 01:00:00", daily, "Daily") +
                           Line("2010-11-07 01:30:00", half, "Half past"));
}

TEST_F(DueCommandTest, AgreesWithTestingEverySecondAcrossAShift) {
    const std::string from = "2010-11-06 22:00:00";
    const std::string to = "2010-11-07 04:00:00";
    const CtlRun run = Due(from, to);
    ASSERT_EQ(run.status, 0) << run.err;

    std::string expected;
    const int64_t start = 1289095200; // 2010-11-06 22:00:00 EDT
    const int64_t end = 1289120400;   // 2010-11-07 04:00:00 EST
    for (int64_t t = start; t <= end; ++t) {
        ForEachInPassOrder(library.Root(), [&](CMacroNode& node) {
            if (!IsDueAt(node, t))
                return;
            const LocalParts p = ToLocalParts(t);
            char when[32];
            std::snprintf(when, sizeof when, "%04lld-%02d-%02d %02d:%02d:%02d",
                          static_cast<long long>(p.year), p.month, p.day, p.hour, p.minute,
                          p.second);
            expected +=
                Line(when, node.id, node.name == "Tab\tname" ? "Tab name" : node.name.c_str());
        });
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_FALSE(expected.empty());
}

TEST_F(DueCommandTest, ALongestRangeOfAYearIsAccepted) {
    const CtlRun run = Due("2010-01-01 00:00:00", "2011-01-01 23:59:59");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2010-12-31 23:00:00\t" + std::to_string(daily)), std::string::npos);
}

struct BadCase {
    const char* label;
    std::vector<std::string> args; // after "due --file FILE"
    const char* message;
};

class DueCommandErrors : public DueCommandTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(DueCommandErrors, ExitTwoWithAClearMessage) {
    std::vector<std::string> args{"due", "--file", file};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    const CtlRun run = RunCtl(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, DueCommandErrors,
    ::testing::Values(
        BadCase{"MissingTo", {"--from", "2010-01-01 00:00:00"}, "needs --from and --to"},
        BadCase{"MissingValue", {"--from"}, "unexpected argument"},
        BadCase{"Month13",
                {"--from", "2010-13-01 00:00:00", "--to", "2010-01-02 00:00:00"},
                "--from '2010-13-01 00:00:00' is not a date"},
        BadCase{"February30",
                {"--from", "2010-01-01 00:00:00", "--to", "2010-02-30 00:00:00"},
                "--to '2010-02-30 00:00:00' is not a date"},
        BadCase{"Hour24",
                {"--from", "2010-01-01 24:00:00", "--to", "2010-01-02 00:00:00"},
                "is not a date"},
        BadCase{"Words", {"--from", "yesterday", "--to", "2010-01-02 00:00:00"}, "is not a date"},
        BadCase{"NoSeconds",
                {"--from", "2010-01-01 00:00", "--to", "2010-01-02 00:00:00"},
                "is not a date"},
        BadCase{"InsideTheGap",
                {"--from", "2010-03-14 02:30:00", "--to", "2010-03-15 00:00:00"},
                "does not exist in the local time zone"},
        BadCase{"EndsBeforeStart",
                {"--from", "2010-01-02 00:00:00", "--to", "2010-01-01 23:59:59"},
                "ends (2010-01-01 23:59:59) before it starts"},
        BadCase{"LongerThan366Days",
                {"--from", "2010-01-01 00:00:00", "--to", "2011-01-02 00:00:01"},
                "longer than 366 days"}),
    LabelName());

TEST_F(DueCommandTest, AMissingLibraryFails) {
    const CtlRun run = RunCtl({"due", "--file", (dir / "none.mcf").string(), "--from",
                               "2010-01-01 00:00:00", "--to", "2010-01-01 00:00:01"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Could not load Macro File\n");
}

} // namespace
