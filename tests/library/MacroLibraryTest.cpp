#include "LibraryTestUtil.h"

#include "fakes/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>
#include <vector>

namespace {

// Root "R" (id 1) with macro sets A(a1,a2) and macro B.
class LibraryTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = lib.InsertRecord(Record("R", 2), -1, InsertPosition::Into);
        a = lib.InsertRecord(Record("A", 2), root, InsertPosition::Into);
        a1 = lib.InsertRecord(Record("a1"), a, InsertPosition::Into);
        a2 = lib.InsertRecord(Record("a2"), a, InsertPosition::Into);
        b = lib.InsertRecord(Record("B"), root, InsertPosition::Into);
    }
    CMacroLibrary lib;
    int32_t root = 0, a = 0, a1 = 0, a2 = 0, b = 0;
};

} // namespace

TEST(MacroRecord, DefaultsMatchTheRecordTable) {
    CMacro macro;
    EXPECT_EQ(macro.triggerPrefix, 0);
    EXPECT_EQ(macro.eligible, 1);
    EXPECT_EQ(macro.frequency, 1);
    EXPECT_EQ(macro.id, 0);
    EXPECT_EQ(macro.kind, 1);
    EXPECT_EQ(macro.runAsScript, 1);
    EXPECT_EQ(macro.scheduleType, 0);
    EXPECT_EQ(macro.unit, 0);
    EXPECT_EQ(macro.lastRunTime, 0);
    EXPECT_TRUE(macro.description.empty());
}

TEST(MacroRecord, AssignFromKeepsEligibleAndParentIdButCopiesTheRest) {
    CMacro target;
    target.eligible = 0;
    target.parentId = 9;
    CMacro source;
    source.eligible = 1;
    source.parentId = 4;
    source.id = 17;
    source.name = "n";
    source.extra = "x";
    source.lastRunTime = 1234;
    source.lastRunText = "t";
    source.triggerKey = "<F5>";
    target.AssignFrom(source);
    EXPECT_EQ(target.eligible, 0);
    EXPECT_EQ(target.parentId, 9);
    EXPECT_EQ(target.id, 17);
    EXPECT_EQ(target.name, "n");
    EXPECT_EQ(target.extra, "x");
    EXPECT_EQ(target.lastRunTime, 1234);
    EXPECT_EQ(target.lastRunText, "t");
    EXPECT_EQ(target.triggerKey, "<F5>");
}

TEST(MacroLibrary, StartsEmptyAndTheFirstRootGetsIdOne) {
    CMacroLibrary lib;
    EXPECT_EQ(lib.Root(), nullptr);
    EXPECT_EQ(lib.Clipboard(), nullptr);
    EXPECT_EQ(lib.NextId(), 0);
    EXPECT_EQ(lib.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into), 1);
    EXPECT_EQ(lib.Root()->parentId, 1);
}

TEST(MacroLibrary, ResetNextIdFollowsTheArgumentOrTheLargestId) {
    CMacroLibrary lib;
    lib.InsertRecord(Record("R", 2, 40), -1, InsertPosition::Into);
    lib.InsertRecord(Record("x", 1, 75), 40, InsertPosition::Into);
    lib.ResetNextId(-1);
    EXPECT_EQ(lib.AllocateId(), 77);
    lib.ResetNextId(3);
    EXPECT_EQ(lib.AllocateId(), 5);
    CMacroLibrary empty;
    empty.ResetNextId(-1);
    EXPECT_EQ(empty.AllocateId(), 3) << "floor 1 gives nextId 2";
}

TEST_F(LibraryTree, IntoAppendsAsLastChild) {
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),B)");
    EXPECT_TRUE(LinksConsistent(lib.Root()));
}

struct InsertCase {
    const char* label;
    const char* target; // name of the target entry
    InsertPosition position;
    const char* shape;
};

class InsertPositions : public LibraryTree, public ::testing::WithParamInterface<InsertCase> {};

TEST_P(InsertPositions, PlaceTheNewEntry) {
    const InsertCase& c = GetParam();
    int32_t target = 0;
    CMacroLibrary::ForEachPreOrder(lib.Root(), [&](CMacroNode& node) {
        if (node.name == c.target)
            target = node.id;
        return target == 0;
    });
    const int32_t id = lib.InsertRecord(Record("N"), target, c.position);
    EXPECT_EQ(Shape(lib.Root()), c.shape);
    EXPECT_TRUE(LinksConsistent(lib.Root()));
    ASSERT_NE(lib.FindById(id), nullptr);
    EXPECT_EQ(lib.FindById(id)->name, "N");
}

INSTANTIATE_TEST_SUITE_P(
    Table, InsertPositions,
    ::testing::Values(
        InsertCase{"AfterRootGoesIntoRoot", "R", InsertPosition::After, "R(A(a1,a2),B,N)"},
        InsertCase{"BeforeRootGoesIntoRoot", "R", InsertPosition::Before, "R(A(a1,a2),B,N)"},
        InsertCase{"BeforeFirstChildBecomesFirst", "a1", InsertPosition::Before, "R(A(N,a1,a2),B)"},
        InsertCase{"BeforeLaterChildFollowsPredecessor", "a2", InsertPosition::Before,
                   "R(A(a1,N,a2),B)"},
        InsertCase{"AfterMiddle", "a1", InsertPosition::After, "R(A(a1,N,a2),B)"},
        InsertCase{"AfterLast", "B", InsertPosition::After, "R(A(a1,a2),B,N)"},
        InsertCase{"IntoSet", "A", InsertPosition::Into, "R(A(a1,a2,N),B)"},
        InsertCase{"IntoMacroStillNests", "B", InsertPosition::Into, "R(A(a1,a2),B(N))"},
        InsertCase{"UnknownTargetGoesIntoRoot", "nobody", InsertPosition::After,
                   "R(A(a1,a2),B,N)"}),
    LabelName());

TEST_F(LibraryTree, AnyOtherPositionValueActsAsInto) {
    lib.InsertRecord(Record("N"), a, static_cast<InsertPosition>(7));
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2,N),B)");
}

TEST_F(LibraryTree, ReinsertingBeforeSkipsTheNumberDrawnForTheDiscardedNode) {
    const int32_t next = lib.NextId();
    const int32_t id = lib.InsertRecord(Record("N"), a2, InsertPosition::Before);
    EXPECT_EQ(id, next + 2);
}

TEST_F(LibraryTree, NonZeroIdIsKeptOnInsert) {
    EXPECT_EQ(lib.InsertRecord(Record("N", 1, 500), a, InsertPosition::Into), 500);
    CMacroLibrary fresh;
    EXPECT_EQ(fresh.InsertRecord(Record("R", 2, -5), -1, InsertPosition::Into), 1)
        << "a root id below 1 draws a new number";
}

TEST_F(LibraryTree, FindByIdSearchesSubtreeThenFollowingSiblingsOnly) {
    CMacroNode* nodeA = lib.FindById(a);
    ASSERT_NE(nodeA, nullptr);
    EXPECT_EQ(lib.FindById(b, nodeA)->name, "B") << "following sibling";
    EXPECT_EQ(lib.FindById(a1, nodeA)->name, "a1");
    EXPECT_EQ(lib.FindById(a, lib.FindById(b)), nullptr) << "earlier sibling is not searched";
    EXPECT_EQ(lib.FindById(999), nullptr);
}

// FindById goes through an index that every edit keeps up to date; it must
// answer as a walk of the tree would, duplicate ids included (the first in
// tree order wins), after each kind of edit.
TEST_F(LibraryTree, FindByIdAnswersAsAWalkAfterEveryEdit) {
    const auto walk = [&](int32_t id) {
        CMacroNode* found = nullptr;
        CMacroLibrary::ForEachPreOrder(lib.Root(), [&](CMacroNode& node) {
            found = node.id == id ? &node : nullptr;
            return !found;
        });
        return found;
    };
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"duplicate id after the first",
         [&] { lib.InsertRecord(Record("dupB", 1, a1), b, InsertPosition::After); }},
        {"duplicate id before the first",
         [&] { lib.InsertRecord(Record("dupA", 1, b), a, InsertPosition::Before); }},
        {"remove the first of a pair", [&] { lib.RemoveNode(lib.FindById(a)->firstChild->id); }},
        {"remove a set", [&] { lib.RemoveNode(a); }},
        {"paste twice",
         [&] {
             lib.CopyToClipboard(root);
             lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::Into);
             lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::After);
         }},
        {"cut and paste back",
         [&] {
             lib.CutToClipboard(b);
             lib.PasteClipboard(lib.Clipboard(), root, InsertPosition::Into);
         }},
        {"update",
         [&] {
             CMacro copy = *lib.Root()->firstChild;
             copy.name = "renamed";
             lib.UpdateRecord(copy);
         }},
        {"load from bytes",
         [&] {
             lib.LoadFromBytes(FileBytes(
                 {Entry("R", 1, 1, 2), Entry("x", 7, 1), Entry("y", 7, 1), Entry("z", 8, 7)}));
         }},
        {"remove after load", [&] { lib.RemoveNode(7); }},
        {"new root",
         [&] {
             lib.MakeRoot(Record("S", 2, 3));
             lib.InsertRecord(Record("t", 1, 4), 3, InsertPosition::Into);
         }},
    };
    for (const auto& [label, edit] : edits) {
        edit();
        ASSERT_TRUE(LinksConsistent(lib.Root())) << label;
        for (int32_t id = -1; id <= lib.NextId() + 1; ++id)
            EXPECT_EQ(lib.FindById(id), walk(id)) << label << ", id " << id;
    }
}

TEST_F(LibraryTree, UpdateRecordWritesBackWithoutMovingTheEntry) {
    CMacro copy = *lib.FindById(a1);
    copy.name = "renamed";
    copy.parentId = b;
    copy.eligible = 0;
    copy.lastRunTime = 99;
    lib.FindById(a1)->eligible = 1;
    EXPECT_EQ(lib.UpdateRecord(copy), 1);
    const CMacroNode* node = lib.FindById(a1);
    EXPECT_EQ(node->name, "renamed");
    EXPECT_EQ(node->parentId, a);
    EXPECT_EQ(node->eligible, 1);
    EXPECT_EQ(node->lastRunTime, 99);
    EXPECT_EQ(Shape(lib.Root()), "R(A(renamed,a2),B)");

    CMacro missing;
    missing.id = 4242;
    EXPECT_EQ(lib.UpdateRecord(missing), 0);
}

TEST_F(LibraryTree, RemoveNodeUnlinksFirstMiddleAndIgnoresRootAndUnknown) {
    lib.RemoveNode(root);
    lib.RemoveNode(777);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),B)");
    lib.RemoveNode(a2);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1),B)");
    lib.RemoveNode(a);
    EXPECT_EQ(Shape(lib.Root()), "R(B)");
    EXPECT_EQ(lib.FindById(a1), nullptr);
    EXPECT_TRUE(LinksConsistent(lib.Root()));
}

TEST_F(LibraryTree, CopyTakesTheSubtreeButNotTheSourceSiblings) {
    lib.CopyToClipboard(a);
    ASSERT_NE(lib.Clipboard(), nullptr);
    EXPECT_EQ(Shape(lib.Clipboard()), "A(a1,a2)");
    lib.CopyToClipboard(a1);
    EXPECT_EQ(Shape(lib.Clipboard()), "a1") << "a2 is a sibling, not copied";
}

TEST_F(LibraryTree, CopyOfUnknownIdLeavesOneDefaultRecord) {
    lib.CopyToClipboard(a);
    lib.CopyToClipboard(12345);
    ASSERT_NE(lib.Clipboard(), nullptr);
    EXPECT_EQ(Shape(lib.Clipboard()), "");
    EXPECT_EQ(lib.Clipboard()->firstChild, nullptr);
    EXPECT_EQ(lib.Clipboard()->kind, 1);
}

TEST_F(LibraryTree, PastingTwiceGivesTwoSubtreesWithDistinctIds) {
    lib.CopyToClipboard(a);
    lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::After);
    lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::Before);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),A(a1,a2),B,A(a1,a2))");
    EXPECT_TRUE(LinksConsistent(lib.Root()));
    std::set<int32_t> ids;
    int count = 0;
    CMacroLibrary::ForEachPreOrder(lib.Root(), [&](CMacroNode& node) {
        ids.insert(node.id);
        ++count;
        return true;
    });
    EXPECT_EQ(static_cast<int>(ids.size()), count);
    EXPECT_EQ(Shape(lib.Clipboard()), "A(a1,a2)") << "the clipboard keeps its content";
}

TEST_F(LibraryTree, PasteIntoAppendsCopyWithSameOrder) {
    lib.CopyToClipboard(a);
    lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::Into);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),B(A(a1,a2)))");
}

TEST_F(LibraryTree, CutOfRootOnlyCopiesIt) {
    lib.CutToClipboard(root);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),B)");
    EXPECT_EQ(Shape(lib.Clipboard()), "R(A(a1,a2),B)");
}

TEST_F(LibraryTree, CutThenPasteMovesAnEntry) {
    lib.CutToClipboard(a1);
    lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::Into);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a2),B(a1))");
    EXPECT_EQ(lib.FindById(a1), nullptr) << "the moved entry has a fresh id";
}

TEST_F(LibraryTree, PasteWithEmptyClipboardDoesNothing) {
    lib.PasteClipboard(lib.Clipboard(), b, InsertPosition::After);
    EXPECT_EQ(Shape(lib.Root()), "R(A(a1,a2),B)");
}

TEST_F(LibraryTree, ResetEligibleCoversDescendantsAndFollowingSiblings) {
    CMacroLibrary::ForEachPreOrder(lib.Root(), [](CMacroNode& node) {
        node.eligible = 0;
        return true;
    });
    CMacroLibrary::ResetEligible(lib.FindById(a1));
    EXPECT_EQ(lib.FindById(a1)->eligible, 1);
    EXPECT_EQ(lib.FindById(a2)->eligible, 1);
    EXPECT_EQ(lib.FindById(a)->eligible, 0);
    EXPECT_EQ(lib.FindById(b)->eligible, 0);
}

TEST_F(LibraryTree, NewRootDropsThePreviousTree) {
    lib.MakeRoot(Record("Other", 2, 30));
    EXPECT_EQ(Shape(lib.Root()), "Other");
    EXPECT_EQ(lib.FindById(a1), nullptr);
}

TEST(MacroLibrary, DeepTreesAreWalkedCopiedAndFreedWithoutRecursion) {
    // A chain of 200,000 nested sets, built through the linear loader.
    std::vector<CMacro> records;
    for (int32_t id = 1; id <= 200000; ++id) {
        CMacro macro = Record("s", 2, id);
        macro.parentId = id == 1 ? 1 : id - 1;
        records.push_back(macro);
    }
    CMacroLibrary lib;
    ASSERT_EQ(lib.LoadFromBytes(FileBytes(records)), 1);
    EXPECT_EQ(lib.FindById(200000)->name, "s");
    EXPECT_EQ(CMacroLibrary::MaxId(lib.Root(), 0), 200000);
    lib.CopyToClipboard(2);
    EXPECT_EQ(CMacroLibrary::MaxId(lib.Clipboard(), 0), 200000);
    lib.RemoveNode(2);
    EXPECT_EQ(lib.Root()->firstChild, nullptr);
}

// An entry read from a file may carry a negative id; New, Paste and a drop
// aimed at it insert next to it and never replace the whole library.
struct NegativeTarget {
    const char* label;
    void (*command)(CMacroLibrary& lib);
    const char* shape;
};

class NegativeIds : public ::testing::TestWithParam<NegativeTarget> {};

TEST_P(NegativeIds, CommandsAimedAtThemKeepTheRoot) {
    CMacro set = Record("neg", 2, -5);
    set.parentId = 1;
    CMacro macro = Record("m", 1, -1);
    macro.parentId = 1;
    std::string bytes = FileBytes({[] {
                                       CMacro root = Record("R", 2, 1);
                                       root.parentId = 1;
                                       return root;
                                   }(),
                                   set, macro});
    CMacroLibrary lib;
    ASSERT_EQ(lib.LoadFromBytes(bytes), 1);
    GetParam().command(lib);
    EXPECT_EQ(Shape(lib.Root()), GetParam().shape);
    EXPECT_TRUE(LinksConsistent(lib.Root()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NegativeIds,
    ::testing::Values(NegativeTarget{"NewIntoNegativeSet",
                                     [](CMacroLibrary& lib) {
                                         lib.InsertRecord(Record("new"), -5, InsertPosition::Into);
                                     },
                                     "R(neg(new),m)"},
                      NegativeTarget{"NewAfterMinusOne",
                                     [](CMacroLibrary& lib) {
                                         lib.InsertRecord(Record("new"), -1, InsertPosition::After);
                                     },
                                     "R(neg,m,new)"},
                      NegativeTarget{"UnknownNegativeGoesIntoTheRoot",
                                     [](CMacroLibrary& lib) {
                                         lib.InsertRecord(Record("new"), -77, InsertPosition::Into);
                                     },
                                     "R(neg,m,new)"},
                      NegativeTarget{"PasteBeforeMinusOne",
                                     [](CMacroLibrary& lib) {
                                         lib.CopyToClipboard(-5);
                                         lib.PasteClipboard(lib.Clipboard(), -1,
                                                            InsertPosition::Before);
                                     },
                                     "R(neg,neg,m)"},
                      NegativeTarget{"DropOntoNegativeSet",
                                     [](CMacroLibrary& lib) {
                                         lib.CutToClipboard(-1);
                                         lib.PasteClipboard(lib.Clipboard(), -5,
                                                            InsertPosition::Into);
                                     },
                                     "R(neg(m))"}),
    LabelName());

// Past INT32_MAX the counter hands out the lowest free id, never one in use,
// never one below 1, and never overflows.
TEST(MacroLibrary, SpentCounterTakesTheLowestFreeId) {
    CMacro root = Record("R", 2, 1);
    root.parentId = 1;
    CMacro top = Record("top", 1, INT32_MAX);
    top.parentId = 1;
    CMacro two = Record("two", 1, 2);
    two.parentId = 1;
    CMacro negative = Record("neg", 1, -3);
    negative.parentId = 1;
    CMacroLibrary lib;
    ASSERT_EQ(lib.LoadFromBytes(FileBytes({root, top, two, negative})), 1);
    EXPECT_EQ(lib.NextId(), INT32_MAX);
    EXPECT_EQ(lib.InsertRecord(Record("a"), 1, InsertPosition::Into), 3);
    EXPECT_EQ(lib.InsertRecord(Record("b"), 1, InsertPosition::Into), 4);
    lib.RemoveNode(2);
    EXPECT_EQ(lib.AllocateId(), 2);
    EXPECT_EQ(lib.NextId(), INT32_MAX);
    lib.ResetNextId(INT32_MAX);
    EXPECT_EQ(lib.NextId(), INT32_MAX);
    EXPECT_GE(lib.AllocateId(), 1);
}
