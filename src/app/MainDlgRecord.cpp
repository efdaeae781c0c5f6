// The Record Script command: the dialog with the recorder's event source.
// What it asks of the window while it records is the program's (MainDlg.h).

#include "app/MainDlg.h"
#include "record/NullRecordSource.h"
#include "record/RecordDlg.h"
#include "views/QtFileChooser.h"

std::unique_ptr<IRecordSource> CMainDlg::MakeRecordSource() {
    std::string why;
    std::unique_ptr<IRecordSource> source;
    if (services.makeRecordSource)
        source = services.makeRecordSource(&why);
    if (source)
        return source;
    if (why.empty())
        why = tr("Recording is unavailable: this build has no recorder for the desktop.")
                  .toStdString();
    return std::make_unique<CNullRecordSource>(why);
}

// One recording at a time: a dialog hidden while it records leaves this
// window reachable from the tray, and a second recording would take the
// paused switches for the user's own.
void CMainDlg::RecordScript() {
    if (State().recording)
        return;
    std::unique_ptr<IRecordSource> source = MakeRecordSource();
    CQtFileChooser qtFiles(this);
    IFileChooser& files = services.files ? *services.files : qtFiles;
    CRecordDlg dialog(*source, messages, files, this);
    dialog.mainWnd = this;
    dialog.savedScheduler = SchedulerEnabled() ? 1 : 0;
    dialog.savedTriggers = TriggersEnabled() ? 1 : 0;
    dialog.Run();
}
