#pragma once
// CWizardDlg: the Macro Wizard. The first page takes a name and a kind of
// macro; the kind's page takes what the script needs; the closing page names
// the file. Finish writes the script and hands back a macro naming it.

#include "library/Macro.h"

#include <QDialog>

#include <optional>
#include <string>

class CWizardAppPage;
class CWizardCopyPage;
class CWizardAlertPage;
class CWizardKeysPage;
class CWizardDonePage;
class CWizardScriptPage;
class IFileChooser;
class IMessageBox;
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

    // The macro naming the written script; meaningful when Finished().
    const CMacro& Macro() const { return macro; }
    const std::string& ScriptText() const { return scriptText; }
    bool Finished() const { return finished != 0; }
    int Step() const { return step; }

    void Next();
    void Finish();

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

private:
    bool LeaveFirstPage();
    CWizardScriptPage* TypePage() const;
    void ShowDonePage();

    std::string home;
    IMessageBox& messages;
    int step = 0;
    int macroType = -1;
    CMacro macro;
    std::string scriptText;
    int finished = 0;
};

// Runs the wizard modally over `parent` with the desktop's file dialogs; the
// macro it made when it finished.
std::optional<CMacro> RunWizardModally(const std::string& home, IMessageBox& messages,
                                       QWidget* parent);
