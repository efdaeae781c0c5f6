#include "views/ManagerForm.h"

#include "ports/UiText.h"
#include "schedule/Schedule.h"

#include <cctype>
#include <cstdio>

PickerDateTime PickerFromTime(int64_t t) {
    const LocalParts parts = ToLocalParts(t);
    PickerDateTime at;
    if (!parts.ok)
        return at;
    at.year = static_cast<int>(parts.year);
    at.month = parts.month;
    at.day = parts.day;
    at.hour = parts.hour;
    at.minute = parts.minute;
    at.second = parts.second;
    return at;
}

PickerDateTime PickerStartFor(const CMacro& record, int64_t now) {
    int64_t start = 0;
    if (ParseStartTime(record, start)) {
        const LocalParts parts = ToLocalParts(start);
        // A year the pickers cannot hold falls back to now as well.
        if (parts.ok && parts.year >= 100 && parts.year <= 9999)
            return PickerFromTime(start);
    }
    return PickerFromTime(now);
}

std::string StartDateText(const PickerDateTime& at) {
    char text[48];
    std::snprintf(text, sizeof text, "%d\\%d\\%d", at.month, at.day, at.year);
    return text;
}

std::string StartTimeText(const PickerDateTime& at) {
    char text[48];
    std::snprintf(text, sizeof text, "%d:%d:%d", at.hour, at.minute, at.second);
    return text;
}

ManagerFormRead ReadManagerForm(const ManagerFormValues& values, int32_t shownId) {
    ManagerFormRead read;
    CMacro& record = read.record;
    record.name = values.name;
    record.executable = values.executable;
    record.scriptFile = values.scriptFile;
    record.description = values.description;
    record.triggerKey = values.triggerKey;
    record.lastRunText = values.lastRunText;
    if (values.prefixIndex >= 0)
        record.triggerPrefix = values.prefixIndex;
    if (values.unitIndex >= 0)
        record.unit = values.unitIndex;
    record.kind = static_cast<int32_t>(values.macroSet ? MacroKind::MacroSet : MacroKind::Macro);
    record.runAsScript = values.useTessera ? 1 : 0;
    record.startDate = StartDateText(values.start);
    record.startTime = StartTimeText(values.start);

    const FrequencyEntry frequency = ReadFrequencyEntry(values.frequencyText, record.unit);
    record.frequency = frequency.value;
    read.frequencyMessage = frequency.message;
    read.frequencyText =
        frequency.message.empty() ? values.frequencyText : std::to_string(frequency.value);

    record.scheduleType = values.scheduleType == 0 || values.scheduleType == 1
                              ? values.scheduleType
                              : static_cast<int32_t>(ScheduleType::Repeated);
    record.id = shownId;
    return read;
}

ManagerFormValues ManagerFormFor(const CMacro& record, int64_t now) {
    ManagerFormValues values;
    values.name = record.name;
    values.macroSet = record.IsMacroSet();
    values.scriptFile = record.scriptFile;
    values.executable = record.executable;
    values.useTessera = record.runAsScript != 0;
    values.description = record.description;
    values.prefixIndex =
        record.triggerPrefix >= 0 && record.triggerPrefix <= 2 ? record.triggerPrefix : -1;
    values.triggerKey = record.triggerKey;
    values.scheduleType =
        record.scheduleType == 1 || record.scheduleType == 2 ? record.scheduleType : 0;
    values.frequencyText = std::to_string(record.frequency);
    values.unitIndex = record.unit >= 0 && record.unit < kScheduleUnitCount ? record.unit : -1;
    values.start = PickerStartFor(record, now);
    values.lastRunText = record.lastRunText;
    return values;
}

ManagerFormValues BlankManagerForm(int64_t now) {
    ManagerFormValues values;
    values.start = PickerFromTime(now);
    return values;
}

bool ScheduleControlState::operator==(const ScheduleControlState& other) const {
    return frequency == other.frequency && pickers == other.pickers &&
           std::string(dateLabel) == other.dateLabel;
}

ScheduleControlState ScheduleTypeRule(int scheduleType) {
    ScheduleControlState state;
    if (scheduleType == static_cast<int>(ScheduleType::SingleOccurrence)) {
        state.pickers = true;
    } else if (scheduleType == static_cast<int>(ScheduleType::Repeated)) {
        state.frequency = true;
        state.pickers = true;
        state.dateLabel = UI_TEXT("Wingmate", "Starting Date:");
    }
    return state;
}

TreeIcon FormIcon(bool macroSet, int scheduleType) {
    if (macroSet)
        return TreeIcon::MacroSet;
    switch (scheduleType) {
    case 1:
        return TreeIcon::SingleOccurrence;
    case 2:
        return TreeIcon::Repeated;
    default:
        return TreeIcon::NotScheduled;
    }
}

ManagerControlState ManagerControls(bool macroSet, int scheduleType, bool useTessera) {
    ManagerControlState state;
    state.icon = FormIcon(macroSet, scheduleType);
    if (macroSet) {
        state.scriptFile = false;
        state.executable = false;
        state.useTessera = false;
        state.trigger = false;
        state.scheduleType = false;
        state.schedule.frequency = false;
        state.schedule.pickers = false;
        state.schedule.dateLabel = ScheduleTypeRule(scheduleType).dateLabel;
        return state;
    }
    state.schedule = ScheduleTypeRule(scheduleType);
    state.executable = !useTessera;
    return state;
}

bool MacroSetBoxEnabled(const CMacroNode& node) {
    return node.parent != nullptr && node.firstChild == nullptr;
}

std::string AddMacroError(const CMacro& record) {
    for (const char c : record.name)
        if (!std::isspace(static_cast<unsigned char>(c)))
            return {};
    return UiText(UI_TEXT("Wingmate", "Macro must have a Name"));
}

int32_t InsertAtCaret(CMacroLibrary& library, CMacro record, int32_t caretId,
                      InsertPosition* position, int32_t* targetId) {
    CMacroNode* root = library.Root();
    if (!root)
        return 0;
    CMacroNode* caret = caretId != 0 ? library.FindById(caretId) : nullptr;
    if (!caret)
        caret = root;
    const InsertPosition where =
        caret->IsMacroSet() || caret == root ? InsertPosition::Into : InsertPosition::After;
    record.id = 0;
    if (position)
        *position = where;
    if (targetId)
        *targetId = caret->id;
    return library.InsertRecord(record, caret->id, where);
}
