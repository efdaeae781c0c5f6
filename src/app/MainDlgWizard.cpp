// The Macro Wizard command: the wizard runs modally (recording, for "Record
// New Script", from this window's event source) and the macro it made is
// added at the caret, as the Manager page adds one, and selected.

#include "app/MainDlg.h"
#include "views/MacroTree.h"
#include "wizard/WizardDlg.h"

void CMainDlg::RunMacroWizard() {
    std::unique_ptr<IRecordSource> source = MakeRecordSource();
    std::optional<CMacro> made = RunWizardModally(home, messages, this, source.get(), this);
    if (!made)
        return;
    CMacro record = *made;
    record.id = 0;
    const int32_t id = AddMacroAtCaret(record);
    if (id == 0)
        return;
    if (QTreeWidgetItem* item = tree->FindItem(id)) {
        tree->setCurrentItem(item);
        tree->SyncSelection();
    }
    UpdateCommandState(id);
}
