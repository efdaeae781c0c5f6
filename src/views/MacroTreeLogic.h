#pragma once
// What the macro tree shows and does, as plain logic over the library: the
// icon of an entry, which commands an entry offers, what the library commands
// and a drag-and-drop move do, the order in which the tree is filled and how
// the selected icon follows the caret. The Qt tree only carries these out.

#include "library/MacroLibrary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Command identifiers shared by the tree's context menu and the main window's
// Macro menu; the main window dispatches on them.
namespace MacroCommand {
constexpr int kCut = 32771;
constexpr int kCopy = 32772;
constexpr int kDelete = 32773;
constexpr int kPasteIn = 32774;
constexpr int kPasteBefore = 32775;
constexpr int kPasteAfter = 32776;
constexpr int kEdit = 32777;
constexpr int kExecute = 32778;
} // namespace MacroCommand

// Icon roles of tree items, in the order the image list is built.
enum class TreeIcon : int {
    NotScheduled = 0,
    MacroSet = 1,
    NotScheduledSelected = 2,
    MacroSetSelected = 3,
    SingleOccurrence = 4,
    SingleOccurrenceSelected = 5,
    Repeated = 6,
    RepeatedSelected = 7,
};
constexpr int kTreeIconCount = 8;

// A macro set gets the set icon whatever its schedule; a macro gets the icon
// of its schedule type. No icon (the item keeps the one it has) for a macro
// whose schedule type is outside the known range.
std::optional<TreeIcon> IconFor(const CMacro& entry, bool selected);

// Which entry commands are available for one entry.
struct CommandAvailability {
    bool cut = false;
    bool copy = false;
    bool del = false;
    bool edit = false;
    bool execute = false;
    bool pasteIn = false;
    bool pasteAfter = false;
    bool pasteBefore = false;

    bool Any() const {
        return cut || copy || del || edit || execute || pasteIn || pasteAfter || pasteBefore;
    }
    bool IsEnabled(int command) const;
    bool operator==(const CommandAvailability&) const = default;
};

// The main window's Macro menu for the clicked entry: everything grey for no
// entry and for the root.
CommandAvailability MenuAvailability(const CMacroLibrary& library, int32_t id);
// The tree's context menu: like the menu, except that the root still offers
// Paste In while the clipboard holds something. Nothing for an unknown id.
CommandAvailability ContextAvailability(const CMacroLibrary& library, int32_t id);

// One line of the context menu: a command, a separator (command 0, no
// children), or the "&Paste" submenu (command 0 with children).
struct MenuEntry {
    int command = 0;
    std::string text;
    std::vector<MenuEntry> children;

    bool IsSeparator() const { return command == 0 && children.empty(); }
};
// The context menu for an entry, in display order; empty for the root with
// an empty clipboard and for an unknown id.
std::vector<MenuEntry> BuildContextMenu(const CMacroLibrary& library, int32_t id);

// How the view follows a change of the library.
struct TreeEdit {
    int32_t removedId = 0; // the item to remove with its children; 0 = none
    int32_t addTarget = 0; // paste: the clipboard subtree goes here...
    InsertPosition addPosition = InsertPosition::Into; // ...at this position
    bool addSubtree = false; // the clipboard subtree (fresh ids) is to be added
    int32_t movedId = 0;     // a drop: the new id of the moved entry

    bool Changed() const { return removedId != 0 || addSubtree; }
};

// Carries out Cut, Copy, Delete and the three pastes on the entry `id` and
// says what the tree must do. Cut and Delete do nothing on the root (the
// clipboard keeps its content); pastes do nothing with an empty clipboard or
// an unknown entry. Other commands are not library commands: no change.
TreeEdit ApplyLibraryCommand(CMacroLibrary& library, int command, int32_t id);

// A drop of `sourceId` onto `targetId` moves the source: a macro set takes it
// as its last child, a macro takes it just before itself. Refused (false):
// unknown source or target, the root as source, the source itself, and any
// entry inside the source (the target would be cut away with it).
bool CanDrop(const CMacroLibrary& library, int32_t sourceId, int32_t targetId);
// Moves the entry as a cut followed by a paste (the clipboard then holds the
// moved subtree, and the moved entries get fresh ids). No change when refused.
TreeEdit DropOn(CMacroLibrary& library, int32_t sourceId, int32_t targetId);

// The tree item's tooltip: the entry's abbreviation (and how it expands)
// and its window filter, a line each; empty when it has neither.
std::string EntryToolTip(const CMacro& entry);

// One item to add while filling the tree: the entry, and where it goes
// relative to an item already added.
struct FillStep {
    int32_t id = 0;
    int32_t relativeId = 0; // 0: at the top level
    InsertPosition position = InsertPosition::Into;
    const CMacroNode* node = nullptr;
    int parentStep = -1; // index of the parent's step; -1 for a top item
};
// The items for the whole library from the root: the root at the top level,
// a first child Into its parent, any later child After its previous sibling;
// parents always come before their children, and the children of one parent
// come in their order. nullopt when a node other than the root has no parent
// (the tree cannot show it). Linear: a view builds its items in one pass.
std::optional<std::vector<FillStep>> PlanFill(const CMacroNode* root);
// The same for a pasted subtree: `first` and its following siblings are the
// top items (parentStep -1), in their order, everything below them follows.
std::vector<FillStep> PlanSubtree(const CMacroNode* first);

// The selected icon follows the caret when the user confirms it (double
// click, Space).
struct SelectionChange {
    bool select = false;  // false: nothing to do
    int32_t unmarkId = 0; // item to give its normal icon again; 0 = none
    int32_t selectId = 0; // the entry to hand to the main window and mark
};
SelectionChange PlanSelectionSync(const CMacroLibrary& library, int32_t selectedId,
                                  int32_t caretId);
