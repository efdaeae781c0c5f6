#pragma once
// A stand-in for the main window's operations that the pages call. It keeps
// the main window's rules (commit the Manager form into the library, show
// the entry, pass a change on to both pages, add next to a caret entry) over
// a real library, and records every call.

#include "library/MacroLibrary.h"
#include "views/MainWindowOps.h"
#include "views/ManagerForm.h"
#include "views/ManagerPage.h"
#include "views/SchedulerPage.h"

#include <string>
#include <vector>

class CFakeMainWindow : public IMainWindowOps {
public:
    explicit CFakeMainWindow(CMacroLibrary& model) : library(model) {}

    void SelectMacro(int32_t id) override {
        calls.push_back("Select " + std::to_string(id));
        const CMacroNode* node = library.FindById(id);
        if (!node)
            return;
        CommitManagerForm();
        const CMacro record = *library.FindById(id);
        if (manager)
            manager->ShowMacro(record);
        PropagateMacroChange(record);
    }
    void CommitManagerForm() override {
        calls.push_back("Commit");
        if (!manager)
            return;
        const CMacro record = manager->ReadForm();
        if (library.UpdateRecord(record)) {
            CommitFormExtras(library, record);
            committed.push_back(record.id);
            PropagateMacroChange(*library.FindById(record.id));
        }
    }
    void PropagateMacroChange(const CMacro& changed) override {
        const CMacro record = changed;
        calls.push_back("Propagate " + std::to_string(record.id));
        if (manager && manager->ShownId() == record.id)
            manager->ShowMacro(record);
        if (scheduler) {
            scheduler->ShowMacro(record);
            scheduler->RefreshCalendar();
        }
    }
    void ShowManagerTab() override { calls.push_back("ShowManagerTab"); }
    int32_t AddMacroAtCaret(const CMacro& record) override {
        calls.push_back("Add " + record.name);
        return InsertAtCaret(library, record, caretId);
    }
    void UpdateCommandState(int32_t id) override {
        calls.push_back("CommandState " + std::to_string(id));
    }

    CMacroLibrary& library;
    CManagerPage* manager = nullptr;
    CSchedulerPage* scheduler = nullptr;
    int32_t caretId = 0;
    std::vector<std::string> calls;
    std::vector<int32_t> committed; // ids written into the library by commits
};
