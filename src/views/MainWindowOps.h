#pragma once
// The main-window operations that pages and the tree call back into. The
// main window implements them; page tests use a recording fake.

#include "library/Macro.h"

#include <cstdint>

class IMainWindowOps {
public:
    virtual ~IMainWindowOps() = default;
    // When the entry exists: commit the Manager form, load the entry into it
    // and pass the change on to the other views.
    virtual void SelectMacro(int32_t id) = 0;
    // Read the Manager form into its entry and write it into the library.
    virtual void CommitManagerForm() = 0;
    // The Manager form (if it shows the entry), the tree item and the
    // Scheduler page follow the changed record.
    virtual void PropagateMacroChange(const CMacro& record) = 0;
    // Select tab 0 (Manager) and show its page.
    virtual void ShowManagerTab() = 0;
    // Insert relative to the tree's caret entry (Into a set, After a macro,
    // the root when there is none); returns the new id.
    virtual int32_t AddMacroAtCaret(const CMacro& record) = 0;
    // Macro menu and toolbar availability for the clicked entry.
    virtual void UpdateCommandState(int32_t id) = 0;
};
