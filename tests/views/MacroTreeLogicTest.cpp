#include "views/MacroTreeLogic.h"

#include "fakes/TestSupport.h"
#include "library/LibraryTestUtil.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

constexpr int32_t kSet = 2;

// R (set) { A (set) { a1, a2 }, B, E (empty set) }
class TreeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root = lib.InsertRecord(Record("R", kSet), -1, InsertPosition::Into);
        a = lib.InsertRecord(Record("A", kSet), root, InsertPosition::Into);
        a1 = lib.InsertRecord(Record("a1"), a, InsertPosition::Into);
        a2 = lib.InsertRecord(Record("a2"), a, InsertPosition::Into);
        b = lib.InsertRecord(Record("B"), root, InsertPosition::Into);
        e = lib.InsertRecord(Record("E", kSet), root, InsertPosition::Into);
    }
    std::string TreeShape() const { return Shape(lib.Root()); }

    CMacroLibrary lib;
    int32_t root = 0, a = 0, a1 = 0, a2 = 0, b = 0, e = 0;
};

// ---- icons

struct IconCase {
    std::string label;
    int32_t kind;
    int32_t scheduleType;
    std::optional<TreeIcon> normal;
    std::optional<TreeIcon> selected;
};

class IconTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconTest, IconFollowsKindThenScheduleType) {
    const IconCase& c = GetParam();
    CMacro entry;
    entry.kind = c.kind;
    entry.scheduleType = c.scheduleType;
    EXPECT_EQ(IconFor(entry, false), c.normal);
    EXPECT_EQ(IconFor(entry, true), c.selected);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, IconTest,
    ::testing::Values(
        IconCase{"set", 2, 0, TreeIcon::MacroSet, TreeIcon::MacroSetSelected},
        IconCase{"scheduled_set_is_still_a_set", 2, 2, TreeIcon::MacroSet,
                 TreeIcon::MacroSetSelected},
        IconCase{"set_with_unknown_schedule", 2, 9, TreeIcon::MacroSet, TreeIcon::MacroSetSelected},
        IconCase{"not_scheduled", 1, 0, TreeIcon::NotScheduled, TreeIcon::NotScheduledSelected},
        IconCase{"single", 1, 1, TreeIcon::SingleOccurrence, TreeIcon::SingleOccurrenceSelected},
        IconCase{"repeated", 1, 2, TreeIcon::Repeated, TreeIcon::RepeatedSelected},
        IconCase{"unknown_schedule_keeps_icon", 1, 3, std::nullopt, std::nullopt},
        IconCase{"negative_schedule_keeps_icon", 1, -1, std::nullopt, std::nullopt}),
    LabelName());

// ---- availability

enum class Pick { None, Root, Set, EmptySet, Macro, Unknown };

struct AvailabilityCase {
    std::string label;
    Pick entry;
    bool clipboardFull;
    CommandAvailability menu;
    CommandAvailability context;
};

class AvailabilityTest : public TreeFixture,
                         public ::testing::WithParamInterface<AvailabilityCase> {};

CommandAvailability Make(bool cut, bool edit, bool in, bool afterBefore) {
    CommandAvailability s;
    s.cut = s.copy = s.del = cut;
    s.edit = s.execute = edit;
    s.pasteIn = in;
    s.pasteAfter = s.pasteBefore = afterBefore;
    return s;
}

TEST_P(AvailabilityTest, MenuAndContextMenuOfferTheRightCommands) {
    const AvailabilityCase& c = GetParam();
    if (c.clipboardFull)
        lib.CopyToClipboard(b);
    const std::map<Pick, int32_t> ids{{Pick::None, 0},   {Pick::Root, root},
                                      {Pick::Set, a},    {Pick::EmptySet, e},
                                      {Pick::Macro, a1}, {Pick::Unknown, 999}};
    const int32_t id = ids.at(c.entry);
    EXPECT_EQ(MenuAvailability(lib, id), c.menu);
    EXPECT_EQ(ContextAvailability(lib, id), c.context);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AvailabilityTest,
    ::testing::Values(
        AvailabilityCase{"nothing_empty_clip", Pick::None, false, {}, {}},
        AvailabilityCase{"nothing_full_clip", Pick::None, true, {}, {}},
        AvailabilityCase{"unknown_full_clip", Pick::Unknown, true, {}, {}},
        AvailabilityCase{"root_empty_clip", Pick::Root, false, {}, {}},
        AvailabilityCase{"root_full_clip", Pick::Root, true, {}, Make(false, false, true, false)},
        AvailabilityCase{"set_empty_clip", Pick::Set, false, Make(true, false, false, false),
                         Make(true, false, false, false)},
        AvailabilityCase{"set_full_clip", Pick::Set, true, Make(true, false, true, true),
                         Make(true, false, true, true)},
        AvailabilityCase{"empty_set_full_clip", Pick::EmptySet, true, Make(true, false, true, true),
                         Make(true, false, true, true)},
        AvailabilityCase{"macro_empty_clip", Pick::Macro, false, Make(true, true, false, false),
                         Make(true, true, false, false)},
        AvailabilityCase{"macro_full_clip", Pick::Macro, true, Make(true, true, false, true),
                         Make(true, true, false, true)}),
    LabelName());

std::vector<std::string> Texts(const std::vector<MenuEntry>& menu) {
    std::vector<std::string> texts;
    for (const MenuEntry& entry : menu) {
        texts.push_back(entry.IsSeparator() ? "-" : entry.text);
        for (const MenuEntry& child : entry.children)
            texts.push_back(">" + child.text);
    }
    return texts;
}

// The tooltip names the abbreviation and which windows the filter means
// (an excluding filter must never read as an including one).
TEST(EntryToolTipTest, NamesTheAbbreviationAndTheWindows) {
    struct Case {
        MacroExtras extras;
        std::string tip;
    };
    MacroExtras both;
    both.abbreviation = ";sig";
    both.expandImmediately = true;
    both.filter = {"*Mousepad*", true, true};
    MacroExtras caseOnly;
    caseOnly.abbreviation = "@@";
    caseOnly.matchCase = true;
    const Case cases[] = {
        {MacroExtras(), ""},
        {both, "Abbreviation: ;sig, expands immediately\nIn all windows but titles matching "
               "*Mousepad*"},
        {caseOnly, "Abbreviation: @@, matches case"},
        {MacroExtras{"", false, false, "", {"xterm", false, false}},
         "Only in windows of class xterm"},
    };
    for (const Case& each : cases) {
        CMacro entry = Record("m");
        entry.extras = each.extras;
        EXPECT_EQ(EntryToolTip(entry), each.tip);
    }
}

TEST_F(TreeFixture, ContextMenuOfAMacroWithAFullClipboard) {
    lib.CopyToClipboard(b);
    const auto menu = BuildContextMenu(lib, a1);
    EXPECT_EQ(Texts(menu),
              (std::vector<std::string>{"&Edit", "E&xecute", "-", "&Cut", "C&opy", "&Delete",
                                        "&Paste", ">Paste &After", ">Paste &Before"}));
    EXPECT_EQ(menu[0].command, MacroCommand::kEdit);
    EXPECT_EQ(menu[1].command, MacroCommand::kExecute);
    EXPECT_EQ(menu[6].children[1].command, MacroCommand::kPasteBefore);
}

TEST_F(TreeFixture, ContextMenuOfASetAndOfTheRoot) {
    EXPECT_EQ(Texts(BuildContextMenu(lib, a)),
              (std::vector<std::string>{"&Cut", "C&opy", "&Delete"}));
    EXPECT_TRUE(BuildContextMenu(lib, root).empty());
    lib.CopyToClipboard(b);
    EXPECT_EQ(Texts(BuildContextMenu(lib, root)),
              (std::vector<std::string>{"&Paste", ">Paste &In"}));
    EXPECT_EQ(Texts(BuildContextMenu(lib, a)),
              (std::vector<std::string>{"&Cut", "C&opy", "&Delete", "&Paste", ">Paste &In",
                                        ">Paste &After", ">Paste &Before"}));
}

// ---- library commands

TEST_F(TreeFixture, CutRemovesTheEntryAndKeepsItsSubtreeOnTheClipboard) {
    const TreeEdit edit = ApplyLibraryCommand(lib, MacroCommand::kCut, a);
    EXPECT_EQ(edit.removedId, a);
    EXPECT_FALSE(edit.addSubtree);
    EXPECT_EQ(TreeShape(), "R(B,E)");
    EXPECT_EQ(Shape(lib.Clipboard()), "A(a1,a2)");
}

TEST_F(TreeFixture, CutAndDeleteOfTheRootDoNothingAndKeepTheClipboard) {
    lib.CopyToClipboard(b);
    for (int command : {MacroCommand::kCut, MacroCommand::kDelete}) {
        const TreeEdit edit = ApplyLibraryCommand(lib, command, root);
        EXPECT_FALSE(edit.Changed());
    }
    EXPECT_EQ(TreeShape(), "R(A(a1,a2),B,E)");
    EXPECT_EQ(Shape(lib.Clipboard()), "B");
}

TEST_F(TreeFixture, PasteWithAnEmptyClipboardOrUnknownEntryChangesNothing) {
    for (int command :
         {MacroCommand::kPasteIn, MacroCommand::kPasteAfter, MacroCommand::kPasteBefore})
        EXPECT_FALSE(ApplyLibraryCommand(lib, command, a).Changed());
    lib.CopyToClipboard(b);
    EXPECT_FALSE(ApplyLibraryCommand(lib, MacroCommand::kPasteIn, 999).Changed());
    EXPECT_FALSE(ApplyLibraryCommand(lib, MacroCommand::kPasteIn, 0).Changed());
    EXPECT_EQ(TreeShape(), "R(A(a1,a2),B,E)");
}

TEST_F(TreeFixture, PastingTwiceAfterAnEntryGivesTwoCopiesWithFreshIds) {
    ApplyLibraryCommand(lib, MacroCommand::kCopy, a);
    const TreeEdit first = ApplyLibraryCommand(lib, MacroCommand::kPasteAfter, b);
    const int32_t firstId = lib.Clipboard()->id;
    const TreeEdit second = ApplyLibraryCommand(lib, MacroCommand::kPasteAfter, b);
    const int32_t secondId = lib.Clipboard()->id;
    EXPECT_TRUE(first.addSubtree && second.addSubtree);
    EXPECT_EQ(second.addTarget, b);
    EXPECT_EQ(second.addPosition, InsertPosition::After);
    EXPECT_NE(firstId, secondId);
    // The second copy lands between the entry and the first copy.
    EXPECT_EQ(TreeShape(), "R(A(a1,a2),B,A(a1,a2),A(a1,a2),E)");
    EXPECT_EQ(lib.FindById(b)->next->id, secondId);
    std::set<int32_t> ids;
    CMacroLibrary::ForEachPreOrder(lib.Root(), [&](CMacroNode& node) {
        EXPECT_TRUE(ids.insert(node.id).second) << "duplicate id " << node.id;
        return true;
    });
    EXPECT_TRUE(LinksConsistent(lib.Root()));
}

TEST_F(TreeFixture, PasteBeforeTheFirstChildPutsTheSubtreeFirst) {
    lib.CopyToClipboard(b);
    ApplyLibraryCommand(lib, MacroCommand::kPasteBefore, a1);
    ApplyLibraryCommand(lib, MacroCommand::kPasteBefore, a2);
    EXPECT_EQ(TreeShape(), "R(A(B,a1,B,a2),B,E)");
}

TEST_F(TreeFixture, PasteInAppendsAsLastChild) {
    lib.CopyToClipboard(b);
    const TreeEdit edit = ApplyLibraryCommand(lib, MacroCommand::kPasteIn, e);
    EXPECT_EQ(edit.addPosition, InsertPosition::Into);
    EXPECT_EQ(TreeShape(), "R(A(a1,a2),B,E(B))");
}

// ---- drops

struct DropCase {
    std::string label;
    std::string source;
    std::string target;
    bool moves;
    std::string shape; // the library afterwards
};

class DropTest : public TreeFixture, public ::testing::WithParamInterface<DropCase> {
protected:
    int32_t Id(const std::string& name) {
        if (name == "none")
            return 0;
        if (name == "unknown")
            return 999;
        int32_t found = 0;
        CMacroLibrary::ForEachPreOrder(lib.Root(), [&](CMacroNode& node) {
            if (node.name != name)
                return true;
            found = node.id;
            return false;
        });
        return found;
    }
};

TEST_P(DropTest, DropMovesOrRefuses) {
    const DropCase& c = GetParam();
    lib.CopyToClipboard(b);
    const int32_t source = Id(c.source), target = Id(c.target);
    EXPECT_EQ(CanDrop(lib, source, target), c.moves);
    const TreeEdit edit = DropOn(lib, source, target);
    EXPECT_EQ(edit.Changed(), c.moves);
    EXPECT_EQ(TreeShape(), c.shape);
    EXPECT_TRUE(LinksConsistent(lib.Root()));
    if (!c.moves) {
        EXPECT_EQ(Shape(lib.Clipboard()), "B") << "a refused drop keeps the clipboard";
        return;
    }
    EXPECT_EQ(edit.removedId, source);
    EXPECT_EQ(edit.addTarget, target);
    // The moved entry is renumbered, and the clipboard holds what moved.
    EXPECT_NE(edit.movedId, source);
    EXPECT_EQ(lib.FindById(edit.movedId)->name, c.source);
    EXPECT_EQ(lib.FindById(source), nullptr);
    EXPECT_EQ(lib.Clipboard()->name, c.source);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DropTest,
    ::testing::Values(DropCase{"onto_itself", "A", "A", false, "R(A(a1,a2),B,E)"},
                      DropCase{"onto_own_child", "A", "a2", false, "R(A(a1,a2),B,E)"},
                      DropCase{"root_as_source", "R", "E", false, "R(A(a1,a2),B,E)"},
                      DropCase{"no_target", "B", "none", false, "R(A(a1,a2),B,E)"},
                      DropCase{"unknown_target", "B", "unknown", false, "R(A(a1,a2),B,E)"},
                      DropCase{"unknown_source", "unknown", "A", false, "R(A(a1,a2),B,E)"},
                      DropCase{"macro_onto_set_goes_last", "B", "A", true, "R(A(a1,a2,B),E)"},
                      DropCase{"macro_onto_macro_goes_before", "a2", "a1", true, "R(A(a2,a1),B,E)"},
                      DropCase{"macro_onto_later_macro", "a1", "B", true, "R(A(a2),a1,B,E)"},
                      DropCase{"set_with_children_onto_empty_set", "A", "E", true,
                               "R(B,E(A(a1,a2)))"},
                      DropCase{"onto_root_goes_last", "a1", "R", true, "R(A(a2),B,E,a1)"},
                      DropCase{"onto_own_parent_goes_last", "a1", "A", true, "R(A(a2,a1),B,E)"}),
    LabelName());

// ---- fill order

// Places the planned items the way the tree view does and returns the shape.
std::string ShapeFromPlan(const CMacroLibrary& lib, const std::vector<FillStep>& steps) {
    struct Item {
        int32_t parent = 0;
        std::vector<int32_t> children;
    };
    std::map<int32_t, Item> items;
    std::vector<int32_t> top;
    for (const FillStep& step : steps) {
        auto relative = items.find(step.relativeId);
        EXPECT_TRUE(step.relativeId == 0 || relative != items.end())
            << "item " << step.id << " planned before its relative " << step.relativeId;
        items[step.id];
        if (step.relativeId == 0 || relative == items.end()) {
            top.push_back(step.id);
        } else if (step.position == InsertPosition::After) {
            auto& siblings = items[relative->second.parent].children;
            siblings.insert(std::find(siblings.begin(), siblings.end(), step.relativeId) + 1,
                            step.id);
            items[step.id].parent = relative->second.parent;
        } else {
            items[step.relativeId].children.push_back(step.id);
            items[step.id].parent = step.relativeId;
        }
    }
    std::function<std::string(const std::vector<int32_t>&)> describe =
        [&](const std::vector<int32_t>& list) {
            std::string out;
            for (size_t i = 0; i < list.size(); ++i) {
                out += lib.FindById(list[i])->name;
                if (!items[list[i]].children.empty())
                    out += "(" + describe(items[list[i]].children) + ")";
                if (i + 1 < list.size())
                    out += ",";
            }
            return out;
        };
    return describe(top);
}

TEST_F(TreeFixture, FillPlanRebuildsTheLibraryShape) {
    lib.InsertRecord(Record("a3", kSet), a, InsertPosition::Into);
    lib.InsertRecord(Record("deep"), lib.Root()->firstChild->firstChild->next->next->id,
                     InsertPosition::Into);
    const auto steps = PlanFill(lib.Root());
    ASSERT_TRUE(steps);
    EXPECT_EQ(steps->size(), 8u);
    EXPECT_EQ(steps->front().id, root);
    EXPECT_EQ(steps->front().relativeId, 0);
    EXPECT_EQ(ShapeFromPlan(lib, *steps), TreeShape());
}

TEST(FillPlan, ANodeWithoutParentThatIsNotTheRootFails) {
    CMacroNode root, stray;
    root.id = root.parentId = 1;
    stray.id = 2;
    stray.parentId = 7;
    root.next = &stray;
    EXPECT_FALSE(PlanFill(&root));
    EXPECT_TRUE(PlanFill(nullptr));
    EXPECT_TRUE(PlanFill(nullptr)->empty());
}

TEST(FillPlan, LongChainsAndDeepNestingDoNotExhaustTheStack) {
    // Linked by hand: building this through the library would take a while.
    constexpr int kCount = 200000;
    std::vector<CMacroNode> nodes(2 * kCount + 1);
    CMacroNode& root = nodes[0];
    root.id = root.parentId = 1;
    CMacroNode* deepest = &root;
    for (int i = 1; i <= kCount; ++i) {
        CMacroNode& node = nodes[i];
        node.id = i + 1;
        node.parent = deepest;
        node.parentId = deepest->id;
        deepest->firstChild = &node;
        deepest = &node;
    }
    CMacroNode* last = nullptr;
    for (int i = kCount + 1; i <= 2 * kCount; ++i) {
        CMacroNode& node = nodes[i];
        node.id = i + 1;
        node.parent = &root; // siblings of the first nested set
        node.parentId = root.id;
        if (last)
            last->next = &node;
        else
            nodes[1].next = &node;
        last = &node;
    }
    const auto steps = PlanFill(&root);
    ASSERT_TRUE(steps);
    EXPECT_EQ(steps->size(), nodes.size());
}

// ---- selection sync

TEST_F(TreeFixture, SelectionFollowsTheCaretOnlyWhenItMoved) {
    EXPECT_FALSE(PlanSelectionSync(lib, 0, 0).select);
    EXPECT_FALSE(PlanSelectionSync(lib, a1, a1).select);
    EXPECT_FALSE(PlanSelectionSync(lib, a1, 999).select);

    SelectionChange first = PlanSelectionSync(lib, 0, a1);
    EXPECT_TRUE(first.select);
    EXPECT_EQ(first.selectId, a1);
    EXPECT_EQ(first.unmarkId, 0);

    SelectionChange next = PlanSelectionSync(lib, a1, b);
    EXPECT_EQ(next.unmarkId, a1);
    EXPECT_EQ(next.selectId, b);

    // The marked entry was cut away: nothing to unmark.
    lib.CutToClipboard(a1);
    SelectionChange afterCut = PlanSelectionSync(lib, a1, b);
    EXPECT_TRUE(afterCut.select);
    EXPECT_EQ(afterCut.unmarkId, 0);
}

} // namespace
