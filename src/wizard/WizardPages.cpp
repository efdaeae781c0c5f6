#include "wizard/WizardPages.h"

#include "ports/FileChooser.h"
#include "ports/UiText.h"
#include "triggers/TriggerEdit.h"
#include "wizard/WizardScripts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr const char* kAllFiles = UI_TEXT("Wingmate", "All Files (*)");
constexpr const char* kScriptFiles = UI_TEXT("Wingmate", "Tessera Scripts (*.tsc);;All Files (*)");

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString Qt8(const std::string& text) {
    return QString::fromUtf8(text);
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// One line that never widens its window: a text too long for the room is
// shown cut with "..." and whole in its tooltip.
class CElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override {
        return {std::min(QLabel::sizeHint().width(), 240), QLabel::sizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

// A label above its field, the label naming the field for keyboard users.
QLabel* FieldLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
} // namespace

CWizardAppPage::CWizardAppPage(IFileChooser& chooser, QWidget* parent)
    : CWizardScriptPage(parent), files(chooser) {
    executableEdit = new QLineEdit(this);
    executableEdit->setObjectName(QStringLiteral("executableEdit"));
    parametersEdit = new QLineEdit(this);
    parametersEdit->setObjectName(QStringLiteral("parametersEdit"));
    executableBrowse = new QPushButton(tr("Browse..."), this);
    parametersBrowse = new QPushButton(tr("Browse..."), this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(FieldLabel(tr("Enter application executable:"), executableEdit, this), 0, 0, 1,
                    2);
    grid->addWidget(executableEdit, 1, 0);
    grid->addWidget(executableBrowse, 1, 1);
    grid->addWidget(FieldLabel(tr("Enter parameters or file to be passed to application:"),
                               parametersEdit, this),
                    2, 0, 1, 2);
    grid->addWidget(parametersEdit, 3, 0);
    grid->addWidget(parametersBrowse, 3, 1);
    grid->setRowStretch(4, 1);
    connect(executableBrowse, &QPushButton::clicked, this, [this] {
        const std::vector<std::string> chosen = files.OpenFiles(UiText(kAllFiles), false);
        if (!chosen.empty())
            executableEdit->setText(Qt8(chosen.front()));
    });
    // A chosen file is one word for the shell even when its name has blanks.
    connect(parametersBrowse, &QPushButton::clicked, this, [this] {
        const std::vector<std::string> chosen = files.OpenFiles(UiText(kAllFiles), false);
        if (!chosen.empty())
            parametersEdit->setText(Qt8(wizard::QuoteForShell(chosen.front())));
    });
}

bool CWizardAppPage::AppendScript(std::string& script, std::string& refusal) {
    return wizard::AppendOpenApplication(script, Utf8(executableEdit->text()),
                                         Utf8(parametersEdit->text()), refusal);
}

CWizardCopyPage::CWizardCopyPage(IFileChooser& chooser, QWidget* parent)
    : CWizardScriptPage(parent), files(chooser) {
    filesButton = new QPushButton(tr("Select &Files to Copy"), this);
    foldersButton = new QPushButton(tr("Select F&olders to Copy"), this);
    destinationButton = new QPushButton(tr("Select &Destination Folder"), this);
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("copyList"));
    list->setColumnCount(1);
    list->setHeaderLabels({tr("Files / Folders to Copy")});
    list->setRootIsDecorated(false);
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(0, 1000);
    destinationEdit = new QLineEdit(this);
    destinationEdit->setObjectName(QStringLiteral("destinationEdit"));
    destinationEdit->setReadOnly(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(filesButton);
    buttons->addWidget(foldersButton);
    buttons->addWidget(destinationButton);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(list, 1);
    column->addWidget(FieldLabel(tr("Destination Folder:"), destinationEdit, this));
    column->addWidget(destinationEdit);
    connect(filesButton, &QPushButton::clicked, this, &CWizardCopyPage::SelectFiles);
    connect(foldersButton, &QPushButton::clicked, this, &CWizardCopyPage::SelectFolder);
    connect(destinationButton, &QPushButton::clicked, this, &CWizardCopyPage::SelectDestination);
}

void CWizardCopyPage::InsertAtTop(const std::string& path) {
    list->insertTopLevelItem(0, new QTreeWidgetItem({Qt8(path)}));
}

// Each chosen file goes to the top, so the latest choice is listed first.
void CWizardCopyPage::SelectFiles() {
    for (const std::string& path : files.OpenFiles(UiText(kAllFiles), true))
        InsertAtTop(path);
}

void CWizardCopyPage::SelectFolder() {
    const std::string folder = files.ChooseFolder(UiText(UI_TEXT("Wingmate", "Select Folder")));
    if (!folder.empty())
        InsertAtTop(WithTrailingSlash(folder));
}

void CWizardCopyPage::SelectDestination() {
    const std::string folder = files.ChooseFolder(UiText(UI_TEXT("Wingmate", "Select Folder")));
    if (!folder.empty())
        destinationEdit->setText(Qt8(WithTrailingSlash(folder)));
}

bool CWizardCopyPage::AppendScript(std::string& script, std::string& refusal) {
    std::vector<std::string> entries;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        entries.push_back(Utf8(list->topLevelItem(i)->text(0)));
    return wizard::AppendCopy(script, entries, Utf8(destinationEdit->text()), refusal);
}

CWizardAlertPage::CWizardAlertPage(QWidget* parent) : CWizardScriptPage(parent) {
    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(QStringLiteral("alertEdit"));
    textEdit->setTabChangesFocus(false);
    auto* column = new QVBoxLayout(this);
    column->addWidget(FieldLabel(tr("Enter text for alert message box:"), textEdit, this));
    column->addWidget(textEdit, 1);
}

bool CWizardAlertPage::AppendScript(std::string& script, std::string&) {
    wizard::AppendAlert(script, Utf8(textEdit->toPlainText()));
    return true;
}

CWizardKeysPage::CWizardKeysPage(QWidget* parent) : CWizardScriptPage(parent) {
    textOption = new QRadioButton(tr("Enter text to type:"), this);
    textOption->setChecked(true);
    textEdit = new QPlainTextEdit(this);
    textEdit->setObjectName(QStringLiteral("keysTextEdit"));
    keysOption = new QRadioButton(tr("Enter key combination:"), this);
    keysEdit = new CTriggerEdit(this);
    keysEdit->setObjectName(QStringLiteral("keysEdit"));
    // Typed keys: "<CTRL>s" rather than "<CTRL><S>", and the same key twice.
    keysEdit->upperCase = false;
    keysEdit->allowRepeat = true;
    clearButton = new QPushButton(tr("&Clear"), this);
    auto* options = new QButtonGroup(this);
    options->addButton(textOption);
    options->addButton(keysOption);
    auto* keysRow = new QHBoxLayout;
    keysRow->addWidget(keysEdit, 1);
    keysRow->addWidget(clearButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(textOption);
    column->addWidget(textEdit, 1);
    column->addWidget(keysOption);
    column->addLayout(keysRow);
    connect(clearButton, &QPushButton::clicked, keysEdit, &QLineEdit::clear);
    // Typing into a box chooses it.
    connect(textEdit, &QPlainTextEdit::textChanged, textOption, [this] {
        if (!textEdit->toPlainText().isEmpty())
            textOption->setChecked(true);
    });
    connect(keysEdit, &QLineEdit::textChanged, keysOption, [this](const QString& text) {
        if (!text.isEmpty())
            keysOption->setChecked(true);
    });
}

bool CWizardKeysPage::AppendScript(std::string& script, std::string& refusal) {
    if (textOption->isChecked())
        return wizard::AppendTypeKeys(script, Utf8(textEdit->toPlainText()),
                                      wizard::TypeKeysFrom::Text, refusal);
    return wizard::AppendTypeKeys(script, Utf8(keysEdit->text()), wizard::TypeKeysFrom::Combination,
                                  refusal);
}

CWizardDonePage::CWizardDonePage(IFileChooser& chooser, QWidget* parent)
    : QWidget(parent), files(chooser) {
    auto* title = new QLabel(tr("Macro Wizard Complete!!"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    nameLabel = new CElidedLabel(this);
    nameLabel->setObjectName(QStringLiteral("doneNameLabel"));
    nameLabel->setTextFormat(Qt::PlainText);
    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("doneFileEdit"));
    browseButton = new QPushButton(tr("Browse..."), this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Macro Name:"), this), 0, 0);
    grid->addWidget(nameLabel, 0, 1, 1, 2);
    grid->addWidget(FieldLabel(tr("Macro File:"), fileEdit, this), 1, 0);
    grid->addWidget(fileEdit, 1, 1);
    grid->addWidget(browseButton, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(title);
    column->addSpacing(8);
    column->addLayout(grid);
    column->addSpacing(12);
    for (const QString& line :
         {tr("Click the 'Finish' button to add the new macro to the macro list"),
          tr("To schedule the macro, use the Macro Manager or Scheduler"),
          tr("To set a Trigger for the macro, use the Macro Manager")}) {
        auto* label = new QLabel(line, this);
        label->setWordWrap(true);
        column->addWidget(label);
    }
    column->addStretch(1);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const std::string chosen = files.SaveFile(UiText(kScriptFiles), Utf8(fileEdit->text()));
        if (!chosen.empty())
            fileEdit->setText(Qt8(chosen));
    });
}

void CWizardDonePage::Fill(const std::string& name, const std::string& scriptFile) {
    nameLabel->setText(Qt8(name));
    nameLabel->setToolTip(Qt8(name));
    fileEdit->setText(Qt8(scriptFile));
}

std::string CWizardDonePage::FileText() const {
    return Utf8(fileEdit->text());
}
