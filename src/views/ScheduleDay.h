#pragma once
// What the Scheduler page shows and does, as plain logic: the bold days of a
// month, the rows of the day list, the schedule form read back into a record,
// and a macro dropped onto a row of the day list.

#include "library/MacroLibrary.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "views/ManagerForm.h"

#include <cstdint>
#include <string>
#include <vector>

struct CalendarDate {
    int year = 1970;
    int month = 1;
    int day = 1;
    bool operator==(const CalendarDate&) const = default;
};

// Bit d-1 set for every day d of the month (1 to 12) on which a macro is
// scheduled: single occurrences on their day, monthly ones on their day of
// month and yearly ones on their date, from their start's month on. Other
// units and unscheduled entries mark no day; neither do macro sets, which
// never run.
uint32_t BoldDayMask(const CMacroLibrary& library, int year, int month);

// One row of the day list. Fixed rows have a "Time" text and id 0; macro
// rows have an empty "Time", the macro's id and its schedule type (icon).
struct DayListRow {
    std::string timeText;
    std::string runTimeText;
    std::string nameText;
    int32_t id = 0;
    int32_t scheduleType = 0;

    bool IsFixed() const { return !timeText.empty(); }
};

constexpr int kDayListFixedRows = 26; // "Repeated" and the hours 0 to 24
constexpr const char* kRepeatedRowText = UI_TEXT("Wingmate", "Repeated");
// "%d:00"
std::string HourRowText(int hour);

// The rows for the selected day: "Repeated", then the hour rows "0:00" to
// "24:00", with the macros shown that day inserted in library order. A
// repeated macro ends the group under "Repeated"; a single occurrence at hour
// H ends the group under the row of hour H.
std::vector<DayListRow> BuildDayList(const CMacroLibrary& library, CalendarDate selected);

// Whether a repeated macro is listed on the selected day. Day(s) and Week(s)
// count whole calendar days from the start day, so a daylight-saving change
// in between moves nothing.
bool RepeatedShownOn(const CMacro& macro, CalendarDate selected);

// The fixed row a drop on row `hitRow` schedules from: the row itself when
// it is fixed, else the fixed row heading the group the macro row is listed
// in. -1 when there is none.
int DropTargetRow(const std::vector<DayListRow>& rows, int hitRow);

// A macro dropped on row `hitRow` of the day list of `selected`, changed in
// place: "Repeated" makes it repeat every `frequency` Day(s) from the
// selected day at the current time of day; an hour row makes it a single
// occurrence at that hour. A macro that already has a schedule asks
// "Overwrite scheduling information?" first. false (nothing changed) for a
// macro set, a row outside the list, or No.
bool ApplyDrop(CMacro& record, const std::vector<DayListRow>& rows, int hitRow,
               CalendarDate selected, int64_t now, IMessageBox& messages);

// The Scheduler page's form.
struct ScheduleFormValues {
    int scheduleType = 0;
    std::string frequencyText = "1";
    int unitIndex = -1; // -1: no selection
    PickerDateTime start;
};
// The schedule fields read from the form ("%H:%M:%S" time, zero-padded),
// with the frequency rule.
struct ScheduleFormRead {
    std::string startDate;
    std::string startTime;
    int32_t unit = 0;
    int32_t frequency = 1;
    int32_t scheduleType = 0;
    std::string frequencyMessage; // empty: no message
    std::string frequencyText;    // the box's text afterwards
};
// `currentUnit` stays when no unit is selected.
ScheduleFormRead ReadScheduleForm(const ScheduleFormValues& values, int32_t currentUnit);
// Writes only the five schedule fields.
void ApplyScheduleFields(CMacro& record, const ScheduleFormRead& read);
// The form for a record (pickers at `now` when its start does not parse).
ScheduleFormValues ScheduleFormFor(const CMacro& record, int64_t now);
