#include "triggers/TriggerMatch.h"

#include "fakes/TestSupport.h"
#include "library/MacroLibrary.h"

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    std::string label;
    std::string combination;
    std::string triggerKey;
    bool matches;
};

class KeysMatch : public ::testing::TestWithParam<MatchCase> {};

TEST_P(KeysMatch, Decides) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(CombinationMatchesKeys(c.combination, c.triggerKey), c.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeysMatch,
    ::testing::Values(MatchCase{"Same", "<CTRL><ALT><X>", "<CTRL><ALT><X>", true},
                      MatchCase{"OrderDoesNotMatter", "<CTRL><ALT><X>", "<X><CTRL><ALT>", true},
                      MatchCase{"EmptyNeverMatches", "", "", false},
                      MatchCase{"EmptyAgainstKeys", "", "<A>", false},
                      MatchCase{"ShorterCombination", "<CTRL>", "<CTRL><X>", false},
                      MatchCase{"LongerCombination", "<CTRL><X>", "<X>", false},
                      MatchCase{"SameLengthOtherKey", "<CTRL><Y>", "<CTRL><X>", false},
                      MatchCase{"F1IsNotF11", "<ALT><F1>", "<F11><ALT>", false},
                      MatchCase{"NoClosingBracket", "<CTRL><X", "<CTRL><X>", false},
                      MatchCase{"NoOpeningBracket", "CTRL>", "CTRL>", false},
                      MatchCase{"TextBeforeTokens", "ab<X>", "ab<X>", false},
                      MatchCase{"SingleCharacter", "<\r>", "<\r>", true},
                      MatchCase{"Punctuation", "<CTRL><;>", "<;><CTRL>", true}),
    LabelName());

TEST(MacroMatchesTrigger, NeedsTheSamePrefixAndAMacro) {
    CMacro macro;
    macro.triggerKey = "<X>";
    macro.triggerPrefix = 1;
    EXPECT_TRUE(MacroMatchesTrigger(macro, "<X>", TriggerPrefix::Ctrl));
    EXPECT_FALSE(MacroMatchesTrigger(macro, "<X>", TriggerPrefix::None));
    EXPECT_FALSE(MacroMatchesTrigger(macro, "<X>", TriggerPrefix::Shift));
    macro.kind = static_cast<int32_t>(MacroKind::MacroSet);
    EXPECT_FALSE(MacroMatchesTrigger(macro, "<X>", TriggerPrefix::Ctrl));
}

// Root R { set S { s1 <F5> }, m1 <F5>, m2 <F5> prefix Shift }.
TEST(FindByTrigger, ReturnsTheFirstMatchInPreOrder) {
    CMacroLibrary lib;
    auto add = [&](const char* name, int32_t kind, int32_t target, const char* keys,
                   int32_t prefix = 0) {
        CMacro macro;
        macro.name = name;
        macro.kind = kind;
        macro.triggerKey = keys;
        macro.triggerPrefix = prefix;
        return lib.InsertRecord(macro, target, InsertPosition::Into);
    };
    const int32_t root = add("R", 2, -1, "");
    const int32_t set = add("S", 2, root, "<F5>");
    const int32_t s1 = add("s1", 1, set, "<F5>");
    const int32_t m1 = add("m1", 1, root, "<F5>");
    const int32_t m2 = add("m2", 1, root, "<F5>", 2);

    ASSERT_NE(FindByTrigger(lib, "<F5>", TriggerPrefix::None), nullptr);
    EXPECT_EQ(FindByTrigger(lib, "<F5>", TriggerPrefix::None)->id, s1);
    EXPECT_EQ(FindByTrigger(lib, "<F5>", TriggerPrefix::Shift)->id, m2);
    EXPECT_EQ(FindByTrigger(lib, "<F5>", TriggerPrefix::Ctrl), nullptr);
    EXPECT_EQ(FindByTrigger(lib, "", TriggerPrefix::None), nullptr);
    lib.RemoveNode(s1);
    EXPECT_EQ(FindByTrigger(lib, "<F5>", TriggerPrefix::None)->id, m1);

    CMacroLibrary empty;
    EXPECT_EQ(FindByTrigger(empty, "<F5>", TriggerPrefix::None), nullptr);
}

} // namespace
