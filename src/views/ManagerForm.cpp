#include "views/ManagerForm.h"

#include "library/WindowFilter.h"
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

ManagerFormRead ReadManagerForm(const ManagerFormValues& values, int32_t shownId,
                                const MacroExtras* stored) {
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
    record.extras = ExtrasToStore(values.extras, stored ? *stored : MacroExtras());
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
    values.extras = record.extras;
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

// Each field is judged alone, so a bad one does not hide another's state.
ExtrasFieldProblems ExtrasProblems(const MacroExtras& extras) {
    ExtrasFieldProblems problems;
    MacroExtras abbreviation;
    abbreviation.abbreviation = extras.abbreviation;
    problems.abbreviation = ExtrasProblem(abbreviation);
    MacroExtras replacement;
    replacement.replaceWithText = extras.replaceWithText;
    problems.replacement = ExtrasProblem(replacement);
    problems.filter = WindowFilterError(extras.filter);
    return problems;
}

// `good` with each field that has a problem in `typed` taken from `bad`.
static MacroExtras MergeByProblems(const MacroExtras& typed, const MacroExtras& good,
                                   const MacroExtras& bad) {
    const ExtrasFieldProblems problems = ExtrasProblems(typed);
    MacroExtras merged = good;
    if (!problems.abbreviation.empty())
        merged.abbreviation = bad.abbreviation;
    if (!problems.replacement.empty())
        merged.replaceWithText = bad.replaceWithText;
    if (!problems.filter.empty())
        merged.filter = bad.filter;
    return merged;
}

MacroExtras ExtrasToStore(const MacroExtras& typed, const MacroExtras& stored) {
    return MergeByProblems(typed, typed, stored);
}

MacroExtras KeepBadExtras(const MacroExtras& stored, const MacroExtras& typed) {
    return MergeByProblems(typed, stored, typed);
}

bool CommitFormExtras(CMacroLibrary& library, const CMacro& record) {
    const CMacroNode* node = library.FindById(record.id);
    if (!node)
        return false;
    // An unchanged entry stays unchanged (no edit to save).
    if (node->extras != record.extras)
        library.SetExtras(record.id, record.extras);
    return true;
}

std::string PatternForPickedWindow(const PickedWindow& window, bool byTitle) {
    const std::string& name = byTitle                    ? window.title
                              : window.className.empty() ? window.instanceName
                                                         : window.className;
    if (name.rfind("re:", 0) != 0)
        return name;
    // Every character but letters and digits escaped: all literal in PCRE2.
    std::string pattern = "re:^";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x80 && !std::isalnum(static_cast<unsigned char>(c)))
            pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}
