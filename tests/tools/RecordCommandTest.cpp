// wingmatectl record: usage and the failures found before anything is
// recorded. Recording itself is tested under Xvfb (tests/x11).
#include "Commands.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

struct UsageCase {
    std::string label;
    std::vector<std::string> args;
};

class RecordUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(RecordUsage, BadUsageExitsTwoAndRecordsNothing) {
    std::vector<std::string> args{"record"};
    args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunWingmateCtl(args, CtlStreams{out, err}), kExitUsage);
    EXPECT_NE(err.str().find("wingmatectl: record: "), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordUsage,
    ::testing::Values(UsageCase{"NoFile", {}}, UsageCase{"TwoFiles", {"a.tsc", "b.tsc"}},
                      UsageCase{"UnknownOption", {"a.tsc", "--fast"}},
                      UsageCase{"StopWithoutKey", {"a.tsc", "--stop", "CTRL+"}},
                      UsageCase{"StopWithoutModifier", {"a.tsc", "--stop", "Z"}},
                      UsageCase{"StopWithUnknownModifier", {"a.tsc", "--stop", "META+Z"}},
                      UsageCase{"StopOnAModifier", {"a.tsc", "--stop", "CTRL+SHIFT"}},
                      UsageCase{"StopOnTwoCharacters", {"a.tsc", "--stop", "CTRL+ab"}},
                      UsageCase{"StopValueMissing", {"a.tsc", "--stop"}},
                      UsageCase{"NegativeDelay", {"a.tsc", "--delay", "-1"}},
                      UsageCase{"DelayTooLong", {"a.tsc", "--delay", "600001"}},
                      UsageCase{"DelayNotANumber", {"a.tsc", "--delay", "5ms"}},
                      UsageCase{"IdleZero", {"a.tsc", "--idle", "0"}},
                      UsageCase{"WaitTimeoutTooLong", {"a.tsc", "--wait-timeout", "600001"}},
                      UsageCase{"WaitTimeoutMissing", {"a.tsc", "--wait-timeout"}}),
    LabelName());

TEST(RecordCommand, WithoutADisplayOrAWritableFolderSaysWhyAndWritesNothing) {
    const std::string file = ::testing::TempDir() + "/record-nodisplay.tsc";
    std::filesystem::remove(file);
    const char* saved = std::getenv("DISPLAY");
    const std::string savedDisplay = saved ? saved : "";
    unsetenv("DISPLAY");
    // Any one character is a stop key; only a display can tell whether the
    // layout has it.
    int status = 0;
    std::ostringstream out, err;
    for (const char* stop : {"alt+q", "CTRL+\xC3\xA4", "ctrl+#"}) {
        err.str({});
        status = RunWingmateCtl({"record", file, "--stop", stop}, CtlStreams{out, err});
        EXPECT_NE(err.str().find("Recording is unavailable"), std::string::npos) << stop;
    }
    std::ostringstream out2, err2;
    const int missingFolder = RunWingmateCtl(
        {"record", ::testing::TempDir() + "/no/such/folder/x.tsc"}, CtlStreams{out2, err2});
    if (saved)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    EXPECT_EQ(status, kExitFailure);
    EXPECT_NE(err.str().find("Recording is unavailable"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(missingFolder, kExitFailure);
    EXPECT_NE(err2.str().find("does not exist"), std::string::npos) << err2.str();
}

} // namespace
