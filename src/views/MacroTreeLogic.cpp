#include "views/MacroTreeLogic.h"

#include "ports/UiText.h"

#include <utility>

namespace {
bool IsRoot(const CMacroNode* node) {
    return node && node->parent == nullptr;
}

bool ClipboardHolds(const CMacroLibrary& library) {
    return library.Clipboard() != nullptr;
}

bool IsInside(const CMacroNode* node, const CMacroNode* ancestor) {
    for (const CMacroNode* up = node; up; up = up->parent) {
        if (up == ancestor)
            return true;
    }
    return false;
}
} // namespace

std::optional<TreeIcon> IconFor(const CMacro& entry, bool selected) {
    if (entry.IsMacroSet())
        return selected ? TreeIcon::MacroSetSelected : TreeIcon::MacroSet;
    switch (static_cast<ScheduleType>(entry.scheduleType)) {
    case ScheduleType::NotScheduled:
        return selected ? TreeIcon::NotScheduledSelected : TreeIcon::NotScheduled;
    case ScheduleType::SingleOccurrence:
        return selected ? TreeIcon::SingleOccurrenceSelected : TreeIcon::SingleOccurrence;
    case ScheduleType::Repeated:
        return selected ? TreeIcon::RepeatedSelected : TreeIcon::Repeated;
    }
    return std::nullopt;
}

bool CommandAvailability::IsEnabled(int command) const {
    switch (command) {
    case MacroCommand::kCut:
        return cut;
    case MacroCommand::kCopy:
        return copy;
    case MacroCommand::kDelete:
        return del;
    case MacroCommand::kEdit:
        return edit;
    case MacroCommand::kExecute:
        return execute;
    case MacroCommand::kPasteIn:
        return pasteIn;
    case MacroCommand::kPasteAfter:
        return pasteAfter;
    case MacroCommand::kPasteBefore:
        return pasteBefore;
    default:
        return false;
    }
}

CommandAvailability MenuAvailability(const CMacroLibrary& library, int32_t id) {
    CommandAvailability state;
    const CMacroNode* node = id == 0 ? nullptr : library.FindById(id);
    if (!node || IsRoot(node))
        return state;
    state.cut = state.copy = state.del = true;
    if (!node->IsMacroSet())
        state.edit = state.execute = true;
    if (!ClipboardHolds(library))
        return state;
    state.pasteIn = node->IsMacroSet();
    state.pasteAfter = state.pasteBefore = true;
    return state;
}

CommandAvailability ContextAvailability(const CMacroLibrary& library, int32_t id) {
    const CMacroNode* node = id == 0 ? nullptr : library.FindById(id);
    if (!node)
        return {};
    if (!IsRoot(node))
        return MenuAvailability(library, id);
    CommandAvailability state;
    state.pasteIn = ClipboardHolds(library) && node->IsMacroSet();
    return state;
}

std::vector<MenuEntry> BuildContextMenu(const CMacroLibrary& library, int32_t id) {
    const CommandAvailability state = ContextAvailability(library, id);
    std::vector<MenuEntry> menu;
    if (state.edit) {
        menu.push_back({MacroCommand::kEdit, UI_TEXT("Wingmate", "&Edit"), {}});
        menu.push_back({MacroCommand::kExecute, UI_TEXT("Wingmate", "E&xecute"), {}});
        menu.push_back({});
    }
    if (state.cut) {
        menu.push_back({MacroCommand::kCut, UI_TEXT("Wingmate", "&Cut"), {}});
        menu.push_back({MacroCommand::kCopy, UI_TEXT("Wingmate", "C&opy"), {}});
        menu.push_back({MacroCommand::kDelete, UI_TEXT("Wingmate", "&Delete"), {}});
    }
    MenuEntry paste{0, UI_TEXT("Wingmate", "&Paste"), {}};
    if (state.pasteIn)
        paste.children.push_back({MacroCommand::kPasteIn, UI_TEXT("Wingmate", "Paste &In"), {}});
    if (state.pasteAfter)
        paste.children.push_back(
            {MacroCommand::kPasteAfter, UI_TEXT("Wingmate", "Paste &After"), {}});
    if (state.pasteBefore)
        paste.children.push_back(
            {MacroCommand::kPasteBefore, UI_TEXT("Wingmate", "Paste &Before"), {}});
    if (!paste.children.empty())
        menu.push_back(std::move(paste));
    return menu;
}

TreeEdit ApplyLibraryCommand(CMacroLibrary& library, int command, int32_t id) {
    TreeEdit edit;
    CMacroNode* node = id == 0 ? nullptr : library.FindById(id);
    if (!node)
        return edit;
    auto paste = [&](InsertPosition position) {
        if (!library.Clipboard())
            return;
        library.PasteClipboard(library.Clipboard(), id, position);
        edit.addSubtree = true;
        edit.addTarget = id;
        edit.addPosition = position;
    };
    switch (command) {
    case MacroCommand::kCut:
        if (IsRoot(node))
            break;
        library.CutToClipboard(id);
        edit.removedId = id;
        break;
    case MacroCommand::kCopy:
        library.CopyToClipboard(id);
        break;
    case MacroCommand::kDelete:
        if (IsRoot(node))
            break;
        library.RemoveNode(id);
        edit.removedId = id;
        break;
    case MacroCommand::kPasteIn:
        paste(InsertPosition::Into);
        break;
    case MacroCommand::kPasteAfter:
        paste(InsertPosition::After);
        break;
    case MacroCommand::kPasteBefore:
        paste(InsertPosition::Before);
        break;
    default:
        break;
    }
    return edit;
}

bool CanDrop(const CMacroLibrary& library, int32_t sourceId, int32_t targetId) {
    if (sourceId == 0 || targetId == 0 || sourceId == targetId)
        return false;
    const CMacroNode* source = library.FindById(sourceId);
    const CMacroNode* target = library.FindById(targetId);
    if (!source || !target || IsRoot(source))
        return false;
    return !IsInside(target, source);
}

TreeEdit DropOn(CMacroLibrary& library, int32_t sourceId, int32_t targetId) {
    TreeEdit edit;
    if (!CanDrop(library, sourceId, targetId))
        return edit;
    const InsertPosition position =
        library.FindById(targetId)->IsMacroSet() ? InsertPosition::Into : InsertPosition::Before;
    library.CutToClipboard(sourceId);
    edit.removedId = sourceId;
    if (!library.Clipboard())
        return edit;
    library.PasteClipboard(library.Clipboard(), targetId, position);
    edit.addSubtree = true;
    edit.addTarget = targetId;
    edit.addPosition = position;
    edit.movedId = library.Clipboard()->id;
    return edit;
}

// Iterative so that a long sibling list or a deep tree cannot exhaust the
// stack; a node's following sibling is planned before its children, so each
// parent's children are planned in their order.
static std::optional<std::vector<FillStep>> Plan(const CMacroNode* first, bool wholeLibrary) {
    struct Pending {
        const CMacroNode* node;
        const CMacroNode* previous;
        int parentStep;
    };
    std::vector<FillStep> steps;
    std::vector<Pending> pending;
    if (first)
        pending.push_back({first, nullptr, -1});
    while (!pending.empty()) {
        const Pending current = pending.back();
        pending.pop_back();
        const CMacroNode* node = current.node;
        const bool isRoot = !node->parent && node->id == node->parentId;
        if (wholeLibrary && !node->parent && !isRoot)
            return std::nullopt;
        FillStep step;
        step.id = node->id;
        step.node = node;
        step.parentStep = current.parentStep;
        if ((wholeLibrary && isRoot) || (!current.previous && current.parentStep < 0)) {
            step.relativeId = 0;
        } else if (current.previous) {
            step.relativeId = current.previous->id;
            step.position = InsertPosition::After;
        } else {
            step.relativeId = node->parent ? node->parent->id : 0;
            step.position = InsertPosition::Into;
        }
        const int index = static_cast<int>(steps.size());
        steps.push_back(step);
        if (node->firstChild)
            pending.push_back({node->firstChild, nullptr, index});
        if (node->next)
            pending.push_back({node->next, node, current.parentStep});
    }
    return steps;
}

std::optional<std::vector<FillStep>> PlanFill(const CMacroNode* root) {
    return Plan(root, true);
}

std::vector<FillStep> PlanSubtree(const CMacroNode* first) {
    return *Plan(first, false);
}

SelectionChange PlanSelectionSync(const CMacroLibrary& library, int32_t selectedId,
                                  int32_t caretId) {
    SelectionChange change;
    if (caretId == 0 || caretId == selectedId)
        return change;
    if (!library.FindById(caretId))
        return change;
    change.select = true;
    change.selectId = caretId;
    if (selectedId != 0 && library.FindById(selectedId))
        change.unmarkId = selectedId;
    return change;
}

std::string EntryToolTip(const CMacro& entry) {
    const MacroExtras& extras = entry.extras;
    std::string tip;
    if (!extras.abbreviation.empty()) {
        tip = UiFormat(UI_TEXT("Wingmate", "Abbreviation: %1"), {extras.abbreviation});
        if (extras.expandImmediately)
            tip += UiText(UI_TEXT("Wingmate", ", expands immediately"));
        if (extras.matchCase)
            tip += UiText(UI_TEXT("Wingmate", ", matches case"));
    }
    if (!extras.filter.Empty()) {
        const WindowFilter& filter = extras.filter;
        const char* pattern =
            filter.exclude
                ? (filter.matchTitle
                       ? UI_TEXT("Wingmate", "In all windows but titles matching %1")
                       : UI_TEXT("Wingmate", "In all windows but classes matching %1"))
                : (filter.matchTitle ? UI_TEXT("Wingmate", "Only in windows titled %1")
                                     : UI_TEXT("Wingmate", "Only in windows of class %1"));
        if (!tip.empty())
            tip += '\n';
        tip += UiFormat(pattern, {filter.pattern});
    }
    return tip;
}
