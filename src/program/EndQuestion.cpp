#include "program/EndQuestion.h"

#include "library/MacroLibrary.h"
#include "ports/UiText.h"
#include "schedule/Schedule.h"

bool HasComingSchedule(CMacroNode* root, int64_t now) {
    bool found = false;
    CMacroLibrary::ForEachPreOrder(root, [&](CMacroNode& node) {
        if (node.IsMacroSet())
            return true;
        const auto type = static_cast<ScheduleType>(node.scheduleType);
        if (type != ScheduleType::SingleOccurrence && type != ScheduleType::Repeated)
            return true;
        int64_t start = 0;
        if (!ParseStartTime(node, start))
            return true;
        found = type == ScheduleType::Repeated || (start != 0 && start >= now);
        return !found;
    });
    return found;
}

std::string EscapeQuestion(const EscapeSituation& situation) {
    const bool schedules = situation.schedulerEnabled && situation.comingSchedule;
    if (!schedules && !situation.unsavedEdits)
        return {};
    // Whole sentences, so that each can be translated as one.
    if (!situation.unsavedEdits)
        return UiText(UI_TEXT(
            "Wingmate", "End Wingmate? Scheduled macros will not run until it is started again."));
    if (!schedules)
        return UiText(
            UI_TEXT("Wingmate", "End Wingmate?\nThe changes to the macros have not been saved."));
    return UiText(UI_TEXT("Wingmate",
                          "End Wingmate? Scheduled macros will not run until it is started "
                          "again.\nThe changes to the macros have not been saved."));
}
