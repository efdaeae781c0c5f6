#pragma once
// CWizardDlg: the Macro Wizard. The first page takes a name and a kind of
// macro; the kind's page takes what the script needs; the closing page names
// the file. Finish writes the script and hands back a macro naming it.

#include "library/Macro.h"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

class CWizardAppPage;
class CWizardCopyPage;
class CWizardAlertPage;
class CWizardKeysPage;
class CWizardDonePage;
class CWizardScriptPage;
class CRecordDlg;
class IFileChooser;
class IMessageBox;
class IRecordMainWindow;
class IRecordSource;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

// The kinds of macro, in list order.
enum class WizardType { RecordScript, OpenApplication, CopyFiles, AlertMessage, TypeKeys };

class CWizardDlg : public QDialog {
    Q_OBJECT
public:
    // `home` is the program's folder; scripts go into its "Scripts" folder.
    CWizardDlg(std::string home, IMessageBox& messages, IFileChooser& files,
               QWidget* parent = nullptr);
    ~CWizardDlg() override;

    // What "Record New Script" records with: the event source and the main
    // window the Record Script dialog pauses. Without a source, its Start
    // says that nothing can be recorded.
    void SetRecording(IRecordSource* source, IRecordMainWindow* mainWindow);
    // The embedded Record Script dialog while it runs (null otherwise).
    CRecordDlg* RecordDialog() const { return recordDlg.get(); }

    // The macro naming the written script; meaningful when Finished().
    const CMacro& Macro() const { return macro; }
    const std::string& ScriptText() const { return scriptText; }
    bool Finished() const { return finished != 0; }
    int Step() const { return step; }

    void Next();
    void Finish();
    // Cancel, Escape and the close box; refused while the Record Script
    // dialog runs (hidden while recording, it leaves the wizard reachable).
    void reject() override;
    // The message boxes the wizard shows from now on.
    void SetMessages(IMessageBox& messageBox) { messages = &messageBox; }

    QLineEdit* nameEdit = nullptr;
    QListWidget* typeList = nullptr;
    QPushButton* nextButton = nullptr;
    QPushButton* finishButton = nullptr;
    QPushButton* cancelButton = nullptr;
    CWizardAppPage* appPage = nullptr;
    CWizardCopyPage* copyPage = nullptr;
    CWizardAlertPage* alertPage = nullptr;
    CWizardKeysPage* keysPage = nullptr;
    CWizardDonePage* donePage = nullptr;
    QStackedWidget* pages = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool LeaveFirstPage();
    CWizardScriptPage* TypePage() const;
    void ShowDonePage();
    bool RecordScript();

    std::string home;
    IMessageBox* messages;
    IFileChooser& files;
    IRecordSource* recordSource = nullptr;
    IRecordMainWindow* recordMainWindow = nullptr;
    std::unique_ptr<IRecordSource> noRecordSource;
    std::unique_ptr<CRecordDlg> recordDlg;
    int step = 0;
    int macroType = -1;
    CMacro macro;
    std::string scriptText;
    int finished = 0;
};

// Runs the wizard modally over `parent` with the desktop's file dialogs; the
// macro it made when it finished. "Record New Script" records from `source`
// and pauses `mainWindow` meanwhile.
std::optional<CMacro> RunWizardModally(const std::string& home, IMessageBox& messages,
                                       QWidget* parent, IRecordSource* source = nullptr,
                                       IRecordMainWindow* mainWindow = nullptr);
