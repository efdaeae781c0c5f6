#include "views/ScheduleDay.h"

#include "ports/UiText.h"
#include "schedule/Schedule.h"

#include <cstdio>
#include <utility>

namespace {

bool MonthNotEarlier(int64_t year, int month, int64_t fromYear, int fromMonth) {
    return year > fromYear || (year == fromYear && month >= fromMonth);
}

bool IsRepeated(const CMacro& macro) {
    return macro.scheduleType == static_cast<int32_t>(ScheduleType::Repeated);
}

bool IsSingle(const CMacro& macro) {
    return macro.scheduleType == static_cast<int32_t>(ScheduleType::SingleOccurrence);
}

DayListRow MacroRow(const CMacro& macro) {
    DayListRow row;
    row.id = macro.id;
    row.scheduleType = macro.scheduleType;
    row.nameText = macro.name;
    // In the user's language, as the page shows it.
    if (IsRepeated(macro)) {
        if (const char* unit = UnitListText(macro.unit))
            row.runTimeText = UiFormat(UI_TEXT("Wingmate", "Every %1 %2"),
                                       {std::to_string(macro.frequency), UiText(unit)});
    } else {
        row.runTimeText =
            UiFormat(UI_TEXT("Wingmate", "%1 at %2"), {macro.startDate, macro.startTime});
    }
    return row;
}

} // namespace

uint32_t BoldDayMask(const CMacroLibrary& library, int year, int month) {
    uint32_t mask = 0;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        if (node.IsMacroSet() || (!IsSingle(node) && !IsRepeated(node)))
            return true;
        const ParsedStart start = PrepareStart(node);
        if (!start.ok || !start.parts.ok)
            return true;
        const LocalParts& at = start.parts;
        if (at.day < 1 || at.day > 31)
            return true;
        bool bold = false;
        if (IsSingle(node)) {
            bold = at.month == month && at.year == year;
        } else if (MonthNotEarlier(year, month, at.year, at.month)) {
            bold = node.unit == static_cast<int32_t>(ScheduleUnit::Month) ||
                   (node.unit == static_cast<int32_t>(ScheduleUnit::Year) && at.month == month);
        }
        if (bold)
            mask |= uint32_t{1} << (at.day - 1);
        return true;
    });
    return mask;
}

std::string HourRowText(int hour) {
    return std::to_string(hour) + ":00";
}

bool RepeatedShownOn(const CMacro& macro, CalendarDate selected) {
    const int32_t unit = macro.unit;
    if (unit >= static_cast<int32_t>(ScheduleUnit::Seconds) &&
        unit <= static_cast<int32_t>(ScheduleUnit::Hours))
        return true;
    const ParsedStart start = PrepareStart(macro);
    if (!start.ok || !start.parts.ok)
        return false;
    const LocalParts& at = start.parts;
    if (unit == static_cast<int32_t>(ScheduleUnit::Days) ||
        unit == static_cast<int32_t>(ScheduleUnit::Weeks)) {
        if (macro.frequency <= 0)
            return false;
        const int64_t days = DaysFromCivil(selected.year, selected.month, selected.day) -
                             DaysFromCivil(at.year, at.month, at.day);
        const int64_t step =
            int64_t{macro.frequency} * (unit == static_cast<int32_t>(ScheduleUnit::Weeks) ? 7 : 1);
        return days >= 0 && days % step == 0;
    }
    if (unit == static_cast<int32_t>(ScheduleUnit::Month))
        return selected.day == at.day &&
               MonthNotEarlier(selected.year, selected.month, at.year, at.month);
    if (unit == static_cast<int32_t>(ScheduleUnit::Year))
        return selected.month == at.month && selected.day == at.day && selected.year >= at.year;
    return false;
}

// Each macro row ends the group under its fixed row, so the groups are
// gathered apart and joined once: a row never has to be searched for or
// inserted into the middle.
std::vector<DayListRow> BuildDayList(const CMacroLibrary& library, CalendarDate selected) {
    // groups[i] follows fixed row i: 0 "Repeated", h + 1 the hour h.
    std::vector<std::vector<DayListRow>> groups(kDayListFixedRows);
    size_t listed = 0;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode& node) {
        if (node.IsMacroSet())
            return true;
        int group = -1;
        if (IsSingle(node)) {
            const ParsedStart start = PrepareStart(node);
            if (start.ok && start.parts.ok && start.parts.year == selected.year &&
                start.parts.month == selected.month && start.parts.day == selected.day &&
                start.parts.hour >= -1 && start.parts.hour <= 23)
                group = start.parts.hour + 1;
        } else if (IsRepeated(node) && RepeatedShownOn(node, selected)) {
            group = 0;
        }
        if (group >= 0) {
            groups[static_cast<size_t>(group)].push_back(MacroRow(node));
            ++listed;
        }
        return true;
    });
    std::vector<DayListRow> rows;
    rows.reserve(kDayListFixedRows + listed);
    for (int fixed = 0; fixed < kDayListFixedRows; ++fixed) {
        rows.push_back(DayListRow{
            fixed == 0 ? std::string(kRepeatedRowText) : HourRowText(fixed - 1), {}, {}, 0, 0});
        for (DayListRow& row : groups[static_cast<size_t>(fixed)])
            rows.push_back(std::move(row));
    }
    return rows;
}

int DropTargetRow(const std::vector<DayListRow>& rows, int hitRow) {
    if (hitRow < 0 || hitRow >= static_cast<int>(rows.size()))
        return -1;
    for (int row = hitRow; row >= 0; --row)
        if (rows[row].IsFixed())
            return row;
    return -1;
}

bool ApplyDrop(CMacro& record, const std::vector<DayListRow>& rows, int hitRow,
               CalendarDate selected, int64_t now, IMessageBox& messages) {
    if (record.IsMacroSet())
        return false;
    const int target = DropTargetRow(rows, hitRow);
    if (target < 0)
        return false;
    const std::string& timeText = rows[target].timeText;
    int hour = -1;
    if (timeText != kRepeatedRowText) {
        for (int h = 0; h <= 24 && hour < 0; ++h)
            if (timeText == HourRowText(h))
                hour = h;
        if (hour < 0)
            return false;
    }
    if (record.scheduleType != static_cast<int32_t>(ScheduleType::NotScheduled) &&
        messages.Show(UiText(UI_TEXT("Wingmate", "Overwrite scheduling information?")), "Wingmate",
                      MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;

    PickerDateTime day;
    day.year = selected.year;
    day.month = selected.month;
    day.day = selected.day;
    record.startDate = StartDateText(day);
    if (hour < 0) {
        record.scheduleType = static_cast<int32_t>(ScheduleType::Repeated);
        record.unit = static_cast<int32_t>(ScheduleUnit::Days);
        // A frequency meant for a smaller unit would be out of range for days.
        record.frequency = ClampFrequency(record.frequency, record.unit);
        record.startTime = StartTimeText(PickerFromTime(now));
    } else {
        record.scheduleType = static_cast<int32_t>(ScheduleType::SingleOccurrence);
        record.startTime = std::to_string(hour) + ":00:00";
    }
    return true;
}

ScheduleFormRead ReadScheduleForm(const ScheduleFormValues& values, int32_t currentUnit) {
    ScheduleFormRead read;
    read.startDate = StartDateText(values.start);
    char time[48];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", values.start.hour, values.start.minute,
                  values.start.second);
    read.startTime = time;
    read.unit = values.unitIndex >= 0 ? values.unitIndex : currentUnit;
    const FrequencyEntry frequency = ReadFrequencyEntry(values.frequencyText, read.unit);
    read.frequency = frequency.value;
    read.frequencyMessage = frequency.message;
    read.frequencyText =
        frequency.message.empty() ? values.frequencyText : std::to_string(frequency.value);
    read.scheduleType =
        values.scheduleType == 0 || values.scheduleType == 1 ? values.scheduleType : 2;
    return read;
}

void ApplyScheduleFields(CMacro& record, const ScheduleFormRead& read) {
    record.startDate = read.startDate;
    record.startTime = read.startTime;
    record.unit = read.unit;
    record.frequency = read.frequency;
    record.scheduleType = read.scheduleType;
}

ScheduleFormValues ScheduleFormFor(const CMacro& record, int64_t now) {
    ScheduleFormValues values;
    values.scheduleType =
        record.scheduleType == 1 || record.scheduleType == 2 ? record.scheduleType : 0;
    values.frequencyText = std::to_string(record.frequency);
    values.unitIndex = record.unit >= 0 && record.unit < kScheduleUnitCount ? record.unit : -1;
    values.start = PickerStartFor(record, now);
    return values;
}
