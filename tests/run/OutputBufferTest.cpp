#include "run/OutputBuffer.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kBad = "\xEF\xBF\xBD"; // U+FFFD

// The newest `keep` code points of well-formed UTF-8 `text`: what the box
// shows of it, computed the slow way.
std::string NewestChars(const std::string& text, size_t keep) {
    std::vector<size_t> starts;
    for (size_t at = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            starts.push_back(at);
    return starts.size() <= keep ? text : text.substr(starts[starts.size() - keep]);
}

struct TakeCase {
    std::string label;
    size_t limit;
    std::vector<std::string> appended;
    std::string taken;
};

class OutputBufferTakeTest : public ::testing::TestWithParam<TakeCase> {};

TEST_P(OutputBufferTakeTest, KeepsTheNewestCharactersWhole) {
    const TakeCase& c = GetParam();
    COutputBuffer buffer(c.limit);
    for (const std::string& text : c.appended) {
        buffer.Append(text);
        EXPECT_LE(buffer.PendingChars(), 2 * c.limit);
    }
    EXPECT_EQ(buffer.Take(), c.taken);
    EXPECT_EQ(buffer.LastText(), c.appended.back());
    EXPECT_EQ(buffer.Take(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputBufferTakeTest,
    ::testing::Values(
        TakeCase{"WithinTheLimit", 10, {"ab", "cd\n"}, "abcd\n"},
        TakeCase{"OldestDropped", 4, {"abc", "def"}, "cdef"},
        TakeCase{"OneTextLongerThanTheLimit", 3, {"abcdef"}, "def"},
        // Twice the limit in one piece after another: trimmed while pending.
        TakeCase{"ManyPiecesBeyondTwiceTheLimit", 2, {"ab", "cd", "ef", "g"}, "fg"},
        TakeCase{"TwoByteCharactersNeverCut",
                 3,
                 {"a\xC3\xA9\xC3\xBC", "\xE2\x82\xAC"},
                 "\xC3\xA9\xC3\xBC\xE2\x82\xAC"},
        TakeCase{"FourByteCharacterCountsAsOne", 2, {"x\xF0\x9F\x98\x80y"}, "\xF0\x9F\x98\x80y"},
        TakeCase{"LineEndsMadeNewLines", 20, {"a\r\nb\r", "\nc\rd"}, "a\nb\n\nc\nd"},
        // Half a character at the end of one write is not joined to the next.
        TakeCase{"SplitCharacterReplacedPerWrite", 10, {"a\xC3", "\xA9"}, "a" + kBad + kBad},
        TakeCase{"OverlongAndSurrogateReplaced",
                 10,
                 {"\xC0\xAF|\xED\xA0\x80"},
                 kBad + kBad + "|" + kBad + kBad + kBad},
        TakeCase{"NulBytesKept", 10, {std::string("a\0b", 3)}, std::string("a\0b", 3)}),
    LabelName());

// The box's end content does not depend on how often it is drained: what
// the buffer hands on, joined, ends with the newest `limit` characters of
// everything written.
TEST(OutputBuffer, DrainsInAnyRhythmEndWithTheSameText) {
    const size_t limit = 1000;
    for (size_t drainEvery : {1u, 7u, 300u, 100000u}) {
        COutputBuffer buffer(limit);
        std::string written, shown;
        for (size_t line = 0; line < 5000; ++line) {
            const std::string text =
                (line % 3 ? std::string("l\xC3\xA9gume ") : std::string("\xE2\x82\xAC ")) +
                std::to_string(line) + "\n";
            written += text;
            buffer.Append(text);
            ASSERT_LE(buffer.PendingChars(), 2 * limit);
            if (line % drainEvery == 0)
                shown += buffer.Take();
        }
        shown += buffer.Take();
        EXPECT_EQ(NewestChars(shown, limit), NewestChars(written, limit)) << drainEvery;
    }
}

TEST(OutputBuffer, WakesTheReaderOncePerDrainAndKeepsOrder) {
    COutputBuffer buffer(100);
    EXPECT_TRUE(buffer.Append("one "));
    EXPECT_FALSE(buffer.Append("two "));
    EXPECT_EQ(buffer.Take(), "one two ");
    EXPECT_TRUE(buffer.Append("three "));
    EXPECT_FALSE(buffer.Append("four"));
    EXPECT_EQ(buffer.Take(), "three four");
    EXPECT_EQ(buffer.LastText(), "four");
}

// A new run empties the box: what the last run left pending goes with it,
// the last output text stays as given.
TEST(OutputBuffer, ClearDropsWhatIsPending) {
    COutputBuffer buffer(100);
    buffer.Append("old run\r\n");
    buffer.Clear();
    EXPECT_EQ(buffer.PendingChars(), 0u);
    EXPECT_EQ(buffer.LastText(), "old run\r\n");
    buffer.Append("new run\n");
    EXPECT_EQ(buffer.Take(), "new run\n");
}

// Writers on two threads and a reader draining meanwhile: each writer's
// lines arrive whole and in its order.
TEST(OutputBuffer, WritersAndReaderOnThreadsKeepEachWritersOrder) {
    COutputBuffer buffer(1000000);
    auto write = [&](char tag) {
        for (int i = 0; i < 2000; ++i)
            buffer.Append(std::string(1, tag) + std::to_string(i) + "\n");
    };
    std::thread first(write, 'a'), second(write, 'b');
    std::string shown;
    for (int i = 0; i < 50; ++i)
        shown += buffer.Take();
    first.join();
    second.join();
    shown += buffer.Take();
    int next[2] = {0, 0};
    size_t lines = 0;
    for (size_t at = 0; at < shown.size(); ++lines) {
        const size_t end = shown.find('\n', at);
        ASSERT_NE(end, std::string::npos);
        const int writer = shown[at] == 'a' ? 0 : 1;
        EXPECT_EQ(shown.substr(at + 1, end - at - 1), std::to_string(next[writer]++));
        at = end + 1;
    }
    EXPECT_EQ(lines, 4000u);
}

} // namespace
