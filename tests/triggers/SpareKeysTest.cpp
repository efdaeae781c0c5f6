#include "triggers/SpareKeys.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

namespace {

struct Typed {
    int writes = 0;  // keyboard map changes
    int settles = 0; // waits for the applications
    std::string error;
};

// Types `text` (each letter a keysym no key has; an upper-case letter a
// named key) the way playback does, and checks the reuse rule on the way:
// a keysym typed since the last settle stays on its slot.
Typed TypeThrough(CSpareKeys& spare, const std::string& text) {
    Typed result;
    std::map<unsigned long, CSpareKeys::Slot> typedSinceSettle;
    auto check = [&] {
        for (const auto& [keysym, slot] : typedSinceSettle)
            if (spare.On(slot.keycode)[slot.level] != keysym)
                result.error = std::string("replaced unsettled ") + static_cast<char>(keysym);
    };
    for (size_t at = 0; at < text.size() && result.error.empty(); ++at) {
        CSpareKeys::Slot slot;
        const bool plain = std::isupper(static_cast<unsigned char>(text[at]));
        while (!spare.Find(text[at], slot) || (plain && slot.level != 0)) {
            std::vector<CSpareKeys::Need> upcoming;
            for (size_t next = at; next < text.size(); ++next)
                upcoming.push_back({static_cast<unsigned long>(text[next]),
                                    std::isupper(static_cast<unsigned char>(text[next])) != 0});
            const CSpareKeys::Change change = spare.Place(upcoming);
            if (change.mustSettle) {
                spare.Settled();
                typedSinceSettle.clear();
                ++result.settles;
                continue;
            }
            check();
            if (!change.placed) {
                result.error = std::string("no slot for ") + text[at];
                return result;
            }
            result.writes += change.keycodes.empty() ? 0 : 1;
        }
        spare.Typed(slot);
        typedSinceSettle[static_cast<unsigned long>(text[at])] = slot;
    }
    return result;
}

struct SpareCase {
    std::string label;
    int keycodes;
    int levels;
    std::string text;
    int writes;
    int settles;
};

class SpareKeysReuse : public ::testing::TestWithParam<SpareCase> {};

TEST_P(SpareKeysReuse, TypedKeysymsStayUntilSettledAndChangesAreBatched) {
    const SpareCase& c = GetParam();
    CSpareKeys spare;
    std::vector<CSpareKeys::Spare> keycodes;
    for (int n = 0; n < c.keycodes; ++n)
        keycodes.push_back({100 + static_cast<unsigned>(n) * 7, {}});
    spare.SetKeycodes(keycodes, c.levels);
    const Typed result = TypeThrough(spare, c.text);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.writes, c.writes);
    EXPECT_EQ(result.settles, c.settles);
}

INSTANTIATE_TEST_SUITE_P(Texts, SpareKeysReuse,
                         ::testing::Values(
                             // Everything fits, both levels used: one change for the whole text.
                             SpareCase{"OneBatch", 2, 2, "abcdabcdcba", 1, 0},
                             // Twice the room: one wait for the applications between two changes.
                             SpareCase{"TwoBatches", 2, 2, "abcdefghhgfe", 2, 1},
                             // No Shift key: one keysym a keycode, and what comes next is kept.
                             SpareCase{"PlainLevelOnly", 2, 1, "abcabc", 3, 2},
                             SpareCase{"NamedKeysOnThePlainLevel", 2, 2, "abPQab", 1, 0}),
                         LabelName());

// Reading the layout again takes the keycodes as the server has them: what
// another program put on a lent keycode is not ours to type or give back.
TEST(SpareKeys, TrustsOnlyWhatTheServerStillHas) {
    CSpareKeys spare;
    spare.SetKeycodes({{93, {}}, {97, {}}}, 2);
    ASSERT_TRUE(spare.Place({{'x', false}, {'y', false}, {'z', false}}).placed);
    const auto on93 = spare.On(93);
    spare.SetKeycodes({{93, on93}, {97, {}}}, 2);
    EXPECT_EQ(spare.Lent(), std::vector<unsigned>{93});
    CSpareKeys::Slot slot;
    EXPECT_FALSE(spare.Find('y', slot)); // 97 was emptied by someone else
    ASSERT_TRUE(spare.Find('z', slot));
    EXPECT_EQ(slot.keycode, 93u);
    EXPECT_EQ(slot.level, 1);
    spare.SetKeycodes({}, 2);
    EXPECT_TRUE(spare.Lent().empty());
    EXPECT_FALSE(spare.Place({{'x', false}}).placed);
}

} // namespace
