#pragma once
// What the Manager and Scheduler pages' forms mean, as plain logic: the form
// read into a record (with the frequency rule), a record shown in the form,
// the blank form, which controls are enabled, the page icon, the name check of
// Add Macro and where Add Macro puts the new entry. The Qt pages only copy
// values between these structures and their controls.

#include "library/MacroLibrary.h"
#include "ports/UiText.h"
#include "ports/WindowPicker.h"
#include "views/MacroTreeLogic.h"

#include <cstdint>
#include <string>

// The date and time both pickers hold (local calendar parts).
struct PickerDateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const PickerDateTime&) const = default;
};

// Local calendar parts of a time.
PickerDateTime PickerFromTime(int64_t t);
// The record's parsed start, or `now` when its start does not parse.
PickerDateTime PickerStartFor(const CMacro& record, int64_t now);
// "%d\%d\%d" (month, day, year) and "%d:%d:%d" (hour, minute, second).
std::string StartDateText(const PickerDateTime& at);
std::string StartTimeText(const PickerDateTime& at);

// What the Manager form's controls hold. -1 in a list index: no row selected.
struct ManagerFormValues {
    std::string name;
    bool macroSet = false;
    std::string scriptFile;
    std::string executable;
    bool useTessera = true;
    std::string description;
    int prefixIndex = 0;
    std::string triggerKey;
    int scheduleType = 0; // the checked radio button: 0, 1 or 2
    std::string frequencyText = "1";
    int unitIndex = static_cast<int>(ScheduleUnit::Days);
    PickerDateTime start;
    std::string lastRunText;
    MacroExtras extras; // abbreviation, replacement text, window filter
    bool operator==(const ManagerFormValues&) const = default;
};

// What is wrong with each extras field the form holds (empty: nothing), said
// beside the field; a field with a problem is not stored.
struct ExtrasFieldProblems {
    std::string abbreviation;
    std::string replacement;
    std::string filter;
    bool Any() const { return !abbreviation.empty() || !replacement.empty() || !filter.empty(); }
};
ExtrasFieldProblems ExtrasProblems(const MacroExtras& extras);
// The extras to store from the form: its own, except that each field with a
// problem keeps `stored` (the window filter as a whole).
MacroExtras ExtrasToStore(const MacroExtras& typed, const MacroExtras& stored);
// The extras to show again for the entry the form shows: `stored`, except
// each field where `typed` has a problem keeps the typing (it is not lost
// when the form is shown again after a commit).
MacroExtras KeepBadExtras(const MacroExtras& stored, const MacroExtras& typed);
// Writes the extras a committed form record carries into its entry (the
// record update leaves them alone). false when the entry is gone.
bool CommitFormExtras(CMacroLibrary& library, const CMacro& record);

// The filter pattern that names a picked window by its class (the class part
// of WM_CLASS, else the instance part) or by its title: the text as it is,
// or, when it would read as a regular expression ("re:..."), one that
// matches exactly that text. Empty when the window has no such name.
std::string PatternForPickedWindow(const PickedWindow& window, bool byTitle);

// The form read into a fresh record. When the frequency had to be bounded,
// `frequencyMessage` is the error to show and `frequencyText` what the box
// shows afterwards; otherwise the message is empty and the text unchanged.
struct ManagerFormRead {
    CMacro record;
    std::string frequencyMessage;
    std::string frequencyText;
};
// `stored` (when given) holds the extras the entry has: a field of the form
// with a problem keeps them.
ManagerFormRead ReadManagerForm(const ManagerFormValues& values, int32_t shownId,
                                const MacroExtras* stored = nullptr);

// The controls filled from a record; the pickers take `now` when its start
// does not parse.
ManagerFormValues ManagerFormFor(const CMacro& record, int64_t now);
// The form after Clear Fields: empty texts, a macro run as a script, not
// scheduled, every 1 Day(s), both pickers at `now`, prefix "<NONE>".
ManagerFormValues BlankManagerForm(int64_t now);

// The schedule-type rule: which schedule controls are enabled and the text
// of the date label. Shared by both pages.
struct ScheduleControlState {
    bool frequency = false; // the Frequency box and the units list
    bool pickers = false;   // date and time pickers
    const char* dateLabel = UI_TEXT("Wingmate", "On Date:");
    bool operator==(const ScheduleControlState& other) const;
};
ScheduleControlState ScheduleTypeRule(int scheduleType);

// Which Manager controls are enabled, from the "Macro Set", schedule-type and
// "Use Tessera" rules, and the icon the page shows.
struct ManagerControlState {
    bool scriptFile = true;   // File box and its Browse button
    bool executable = false;  // Executable box and its Browse button
    bool useTessera = true;   // the check box itself
    bool trigger = true;      // trigger box, its Clear button and the Prefix list
    bool scheduleType = true; // the three radio buttons
    ScheduleControlState schedule;
    TreeIcon icon = TreeIcon::NotScheduled;
    bool operator==(const ManagerControlState&) const = default;
};
ManagerControlState ManagerControls(bool macroSet, int scheduleType, bool useTessera);

// The icon of the form: the macro set icon, else the schedule type's.
TreeIcon FormIcon(bool macroSet, int scheduleType);

// "Macro Set" can be changed unless the entry is the root or holds entries.
bool MacroSetBoxEnabled(const CMacroNode& node);

// The error Add Macro shows for a record it refuses; empty when it may be
// added. A name of blanks only counts as empty.
std::string AddMacroError(const CMacro& record);

// Inserts a new entry next to the caret entry: Into it when it is a macro
// set, After it when it is a macro, Into the root when there is no such
// entry. The record's id is cleared first; returns the new id (0 when the
// library has no root). `position` (if given) receives where it went and
// `targetId` the entry it went Into or After.
int32_t InsertAtCaret(CMacroLibrary& library, CMacro record, int32_t caretId,
                      InsertPosition* position = nullptr, int32_t* targetId = nullptr);
