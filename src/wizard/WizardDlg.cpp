#include "wizard/WizardDlg.h"

#include "library/AtomicFile.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "record/NullRecordSource.h"
#include "record/RecordDlg.h"
#include "views/QtFileChooser.h"
#include "views/QtMessageBox.h"
#include "wizard/WizardPages.h"
#include "wizard/WizardScripts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <filesystem>

namespace {
constexpr const char* kTypeTexts[] = {QT_TRANSLATE_NOOP("CWizardDlg", "Record New Script"),
                                      QT_TRANSLATE_NOOP("CWizardDlg", "Open Application"),
                                      QT_TRANSLATE_NOOP("CWizardDlg", "Copy Files / Folder"),
                                      QT_TRANSLATE_NOOP("CWizardDlg", "Alert Message"),
                                      QT_TRANSLATE_NOOP("CWizardDlg", "TypeKeys Sequence")};
} // namespace

CWizardDlg::CWizardDlg(std::string homeFolder, IMessageBox& messageBox, IFileChooser& chooser,
                       QWidget* parent)
    : QDialog(parent), home(std::move(homeFolder)), messages(&messageBox), files(chooser),
      scriptText(wizard::kScriptHeader) {
    setWindowTitle(tr("Macro Wizard"));
    auto* first = new QWidget(this);
    nameEdit = new QLineEdit(first);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    typeList = new QListWidget(first);
    typeList->setObjectName(QStringLiteral("typeList"));
    for (const char* text : kTypeTexts)
        typeList->addItem(tr(text));
    auto* nameLabel = new QLabel(tr("Macro Name:"), first);
    nameLabel->setBuddy(nameEdit);
    auto* typeLabel = new QLabel(tr("Select Type of Macro to Create:"), first);
    typeLabel->setBuddy(typeList);
    auto* firstColumn = new QVBoxLayout(first);
    firstColumn->setContentsMargins(0, 0, 0, 0);
    firstColumn->addWidget(nameLabel);
    firstColumn->addWidget(nameEdit);
    firstColumn->addSpacing(6);
    firstColumn->addWidget(typeLabel);
    firstColumn->addWidget(typeList, 1);

    appPage = new CWizardAppPage(files, this);
    copyPage = new CWizardCopyPage(files, this);
    alertPage = new CWizardAlertPage(this);
    keysPage = new CWizardKeysPage(this);
    donePage = new CWizardDonePage(files, this);
    pages = new QStackedWidget(this);
    pages->addWidget(first);
    for (QWidget* page :
         std::initializer_list<QWidget*>{appPage, copyPage, alertPage, keysPage, donePage}) {
        page->layout()->setContentsMargins(0, 0, 0, 0);
        pages->addWidget(page);
    }

    nextButton = new QPushButton(tr("Next >"), this);
    nextButton->setDefault(true);
    finishButton = new QPushButton(tr("Finish"), this);
    finishButton->setVisible(false);
    cancelButton = new QPushButton(tr("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(nextButton);
    buttons->addWidget(finishButton);
    buttons->addWidget(cancelButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages, 1);
    column->addSpacing(8);
    column->addLayout(buttons);
    connect(nextButton, &QPushButton::clicked, this, &CWizardDlg::Next);
    connect(finishButton, &QPushButton::clicked, this, &CWizardDlg::Finish);
    connect(cancelButton, &QPushButton::clicked, this, &CWizardDlg::reject);
    connect(typeList, &QListWidget::itemDoubleClicked, this, &CWizardDlg::Next);
    resize(520, 380);
}

CWizardDlg::~CWizardDlg() = default;

void CWizardDlg::SetRecording(IRecordSource* source, IRecordMainWindow* mainWindow) {
    recordSource = source;
    recordMainWindow = mainWindow;
}

// The embedded Record Script dialog; true when it ended with OK, its script
// then appended.
bool CWizardDlg::RecordScript() {
    if (!recordSource) {
        noRecordSource = std::make_unique<CNullRecordSource>(
            tr("Recording is unavailable: no recorder was given.").toStdString());
        recordSource = noRecordSource.get();
    }
    recordDlg = std::make_unique<CRecordDlg>(*recordSource, *messages, files, this);
    recordDlg->SetEmbedded(true);
    recordDlg->mainWnd = recordMainWindow;
    for (QWidget* part : std::initializer_list<QWidget*>{pages, nextButton, cancelButton})
        part->setEnabled(false);
    const bool recorded = recordDlg->Run() == QDialog::Accepted;
    for (QWidget* part : std::initializer_list<QWidget*>{pages, nextButton, cancelButton})
        part->setEnabled(true);
    if (recorded)
        scriptText += recordDlg->scriptText;
    recordDlg.reset();
    return recorded;
}

void CWizardDlg::reject() {
    if (recordDlg)
        return;
    QDialog::reject();
}

// Escape on a kind's page or the closing page would throw away what was
// entered there: the pages ignore it; Cancel and the close box still cancel.
void CWizardDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        pages->currentIndex() != 0) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// The name and the kind; false (with the message shown) when either is
// missing or the kind cannot be built here.
bool CWizardDlg::LeaveFirstPage() {
    const int row = typeList->currentRow();
    if (row < 0 || !typeList->currentItem()->isSelected()) {
        messages->Show(tr("Must select macro type").toStdString(),
                       UI_TEXT("Wingmate", "Wingmate Error"));
        return false;
    }
    const std::string name = wizard::TrimName(nameEdit->text().toUtf8().toStdString());
    if (name.empty()) {
        messages->Show(tr("Macro requires a name").toStdString(),
                       UI_TEXT("Wingmate", "Wingmate Error"));
        return false;
    }
    macroType = row;
    macro.name = name;
    macro.scriptFile = wizard::ScriptFilePath(home, name);
    return true;
}

CWizardScriptPage* CWizardDlg::TypePage() const {
    switch (static_cast<WizardType>(macroType)) {
    case WizardType::OpenApplication:
        return appPage;
    case WizardType::CopyFiles:
        return copyPage;
    case WizardType::AlertMessage:
        return alertPage;
    case WizardType::TypeKeys:
        return keysPage;
    case WizardType::RecordScript:
        break;
    }
    return nullptr;
}

// A refused page keeps the step, so a further Next tries the page again
// rather than throwing away what was entered.
void CWizardDlg::Next() {
    if (step == 0) {
        if (!LeaveFirstPage())
            return;
        step = 1;
        if (static_cast<WizardType>(macroType) != WizardType::RecordScript) {
            pages->setCurrentWidget(TypePage());
            return;
        }
        if (!RecordScript()) {
            reject();
            return;
        }
        step = 2;
        ShowDonePage();
        return;
    }
    CWizardScriptPage* page = TypePage();
    if (step != 1 || !page) {
        reject();
        return;
    }
    std::string script = scriptText;
    std::string refusal;
    if (!page->AppendScript(script, refusal)) {
        messages->Show(refusal, UI_TEXT("Wingmate", "Wingmate Error"));
        return;
    }
    scriptText = std::move(script);
    step = 2;
    ShowDonePage();
}

// Finish is shown before Next is hidden and takes the focus: otherwise the
// focus would pass from the hidden Next to Cancel, and Enter would cancel.
void CWizardDlg::ShowDonePage() {
    finishButton->setVisible(true);
    finishButton->setDefault(true);
    finishButton->setFocus();
    nextButton->setVisible(false);
    donePage->Fill(macro.name, macro.scriptFile);
    pages->setCurrentWidget(donePage);
}

// Writes the script (whole or not at all) and closes with the macro; a file
// already there, even one that cannot be read, is replaced only when the
// user says so.
void CWizardDlg::Finish() {
    const std::string chosen = donePage->FileText();
    if (!chosen.empty() && chosen != macro.scriptFile)
        macro.scriptFile = chosen;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(macro.scriptFile, error)) &&
        messages->Show(UiFormat(UI_TEXT("Wingmate", "File '%1' alread exists. Overwrite?"),
                                {macro.scriptFile}),
                       UI_TEXT("Wingmate", "File Exists"),
                       MessageButtons::YesNo) != MessageAnswer::Yes) {
        finished = 0;
        return;
    }
    std::string why;
    if (!WriteFileAtomically(macro.scriptFile, scriptText, &why)) {
        messages->Show(
            UiFormat(UI_TEXT("Wingmate", "Could not create file '%1'."), {macro.scriptFile}),
            UI_TEXT("Wingmate", "Wingmate Error"));
        finished = 0;
        return;
    }
    finished = 1;
    accept();
}

std::optional<CMacro> RunWizardModally(const std::string& home, IMessageBox& messages,
                                       QWidget* parent, IRecordSource* source,
                                       IRecordMainWindow* mainWindow) {
    // The desktop's boxes and file dialogs belong to the wizard, in front of it.
    CQtFileChooser files(nullptr);
    std::unique_ptr<IMessageBox> ownMessages;
    CWizardDlg wizard(home, messages, files, parent);
    files.SetOwner(&wizard);
    wizard.SetMessages(MessagesOwnedBy(&wizard, messages, ownMessages));
    wizard.SetRecording(source, mainWindow);
    if (wizard.exec() != QDialog::Accepted || !wizard.Finished())
        return std::nullopt;
    return wizard.Macro();
}
