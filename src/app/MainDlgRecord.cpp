// The Record Script command and what the Record Script dialog asks of the
// main window while it records: the recording flag for the tray, the
// scheduler and trigger switches, show and hide, the default delay.

#include "app/MainDlg.h"
#include "record/NullRecordSource.h"
#include "record/RecordDlg.h"
#include "views/QtFileChooser.h"

#include <QAction>

#include <algorithm>

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
    if (state.recording)
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

void CMainDlg::SetRecording(bool recording, const std::string& stopKeyText) {
    state.recording = recording;
    state.stopKeyText = stopKeyText;
}

bool CMainDlg::SchedulerEnabled() const {
    return runQueue->SchedulerEnabled();
}

// The menu's check marks follow, so that they show the state while recording.
void CMainDlg::SetSchedulerEnabled(bool enabled) {
    runQueue->SetSchedulerEnabled(enabled);
    state.schedulerEnabled = enabled;
    commandActions.value(MainCommand::kDisableScheduler)->setChecked(!enabled);
}

void CMainDlg::SetTriggersEnabled(bool enabled) {
    state.triggersEnabled = enabled;
    commandActions.value(MainCommand::kDisableTriggers)->setChecked(!enabled);
    if (enabled)
        Install();
    else
        Release();
    UpdateTakenKeys();
}

int CMainDlg::DefaultDelay() const {
    return static_cast<int>(std::min<uint32_t>(settings.defaultDelay, 600000));
}
