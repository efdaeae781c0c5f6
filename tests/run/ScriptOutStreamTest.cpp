#include "run/ScriptOutStream.h"

#include "RunTestUtil.h"
#include "fakes/FakeRunPorts.h"
#include "fakes/TestSupport.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

class ScriptOutStreamTest : public ::testing::Test {
protected:
    CTempHome home;
    CFakeMainWindowPorts window;
    CScriptOutStream stream{&window, &window};
};

TEST_F(ScriptOutStreamTest, WriteGoesToTheBoxAndOneLogLine) {
    ASSERT_TRUE(stream.OpenScriptLog(home / "job.log"));
    stream.Write("first", 1);
    stream.Write("second", 0);
    stream.WriteText(" third");
    stream.LogDisp("fourth");
    EXPECT_EQ(window.Output(), "first\nsecond thirdfourth\n");
    EXPECT_EQ(ReadText(home / "job.log"), "first\nsecond\n third\nfourth\n");
    EXPECT_EQ(stream.LastOutputText(), "fourth\n");
}

TEST_F(ScriptOutStreamTest, TextWithNulBytesReachesTheBoxAndTheLogWhole) {
    ASSERT_TRUE(stream.OpenScriptLog(home / "job.log"));
    const std::string text("a\0b", 3);
    stream.Write(text, 1);
    EXPECT_EQ(window.Output(), text + "\n");
    EXPECT_EQ(ReadText(home / "job.log"), text + "\n");
}

TEST_F(ScriptOutStreamTest, WriteWithoutALogStillReachesTheBox) {
    stream.Write("shown", 1);
    EXPECT_EQ(window.Output(), "shown\n");
}

TEST_F(ScriptOutStreamTest, InputShowsTheLastOutputAndLogsTwoLines) {
    ASSERT_TRUE(stream.OpenScriptLog(home / "job.log"));
    window.answers = {"Ada", ""};
    stream.Write("Your name?", 0);
    char buffer[16] = "garbage";
    EXPECT_EQ(stream.ReadInput(buffer, sizeof buffer), 3);
    EXPECT_STREQ(buffer, "Ada");
    // An empty entry still answers, with both log lines.
    EXPECT_EQ(stream.ReadInput(buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(window.Prompts(), (std::vector<std::string>{"Your name?", "Ada\n"}));
    EXPECT_EQ(window.Output(), "Your name?Ada\n\n");
    EXPECT_EQ(ReadText(home / "job.log"), "Your name?\nAda\n\n\n\n\n\n");
}

struct CapacityCase {
    std::string label;
    std::string entered;
    int capacity;
    int result;
};

class ScriptOutStreamCapacityTest : public ScriptOutStreamTest,
                                    public ::testing::WithParamInterface<CapacityCase> {};

TEST_P(ScriptOutStreamCapacityTest, RefusesAnEntryThatDoesNotFit) {
    window.answers = {GetParam().entered};
    std::vector<char> buffer(16, 'x');
    int result = stream.ReadInput(buffer.data(), GetParam().capacity);
    EXPECT_EQ(result, GetParam().result);
    if (result < 0) {
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_EQ(window.Output(), "");
    } else {
        EXPECT_EQ(std::string(buffer.data()), GetParam().entered);
    }
}

INSTANTIATE_TEST_SUITE_P(Capacity, ScriptOutStreamCapacityTest,
                         ::testing::Values(CapacityCase{"ShorterFits", "abc", 4, 3},
                                           CapacityCase{"AsLongAsCapacity", "abcd", 4, -1},
                                           CapacityCase{"Longer", "abcdefgh", 4, -1},
                                           CapacityCase{"EmptyInOne", "", 1, 0}),
                         LabelName());

TEST_F(ScriptOutStreamTest, ClosingInputEndsAPendingRequest) {
    char buffer[8] = "x";
    int result = 0;
    std::thread worker([&] { result = stream.ReadInput(buffer, sizeof buffer); });
    ASSERT_TRUE(window.PumpUntil([&] { return window.Prompts().size() == 1; }));
    stream.CloseInput();
    worker.join();
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(buffer, "");
    // Later requests are refused at once.
    EXPECT_EQ(stream.ReadInput(buffer, sizeof buffer), -1);
    EXPECT_EQ(window.Prompts().size(), 1u);
}

TEST(ScriptOutStreamWithoutPorts, WritesOnlyTheLogAndHasNoInput) {
    CTempHome home;
    CScriptOutStream stream(nullptr, nullptr);
    ASSERT_TRUE(stream.OpenScriptLog(home / "x.log"));
    stream.Write("t", 1);
    char buffer[4];
    EXPECT_EQ(stream.ReadInput(buffer, 4), -1);
    EXPECT_EQ(ReadText(home / "x.log"), "t\n");
}

} // namespace
