#pragma once
// What the main window needs of the Manager and Scheduler pages. The pages
// implement these; the main window calls them for the commit and
// change-propagation paths; tests use fakes.

#include "library/Macro.h"

#include <cstdint>

// The Manager page's form.
class IManagerForm {
public:
    virtual ~IManagerForm() = default;
    // The controls as a record (frequency checked, with its message); its id
    // is ShownId().
    virtual CMacro ReadForm() = 0;
    // Fills the form from the record when the library has its entry; the form
    // then shows that entry.
    virtual void ShowMacro(const CMacro& record) = 0;
    // The Last Run box follows a start of the entry the form shows.
    virtual void ShowLastRun(const CMacro& record) = 0;
    // A blank form for a new entry (ShownId() becomes 0).
    virtual void ClearForm() = 0;
    // The entry the form shows; 0 for a blank form.
    virtual int32_t ShownId() const = 0;
    // The user changed the form since it was last filled: edits that only a
    // commit puts into the library.
    virtual bool HasEdits() const = 0;
    // Whether another program holds a trigger's keys changed: the note
    // beside the trigger follows.
    virtual void RefreshTriggerNote() {}
};

// The Scheduler page.
class ISchedulerForm {
public:
    virtual ~ISchedulerForm() = default;
    // The schedule form shows the record.
    virtual void ShowMacro(const CMacro& record) = 0;
    // Recomputes the calendar's bold days and the day list (after a load,
    // a restore and every change).
    virtual void RefreshCalendar() = 0;
};
