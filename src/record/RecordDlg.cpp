#include "record/RecordDlg.h"

#include "library/AtomicFile.h"
#include "ports/FileChooser.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "record/RecordDlgLogic.h"
#include "views/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {
// The script view as the recorder's sink: each line is a paragraph of its
// own. Typing still being gathered shows as a last paragraph that is
// replaced as it grows and removed when its line arrives.
class CPlainTextSink : public IScriptSink {
public:
    explicit CPlainTextSink(QPlainTextEdit* scriptView) : view(scriptView) {}
    void AppendLine(const std::string& line) override {
        RemovePending();
        view->appendPlainText(Text(line));
    }
    void ShowPendingLine(const std::string& line) override {
        RemovePending();
        if (line.empty())
            return;
        view->appendPlainText(Text(line));
        pendingShown = true;
    }

private:
    void RemovePending() {
        if (!pendingShown)
            return;
        pendingShown = false;
        QTextCursor cursor(view->document());
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        if (view->document()->blockCount() > 1)
            cursor.deletePreviousChar(); // the paragraph break before it
    }

    QPlainTextEdit* view;
    bool pendingShown = false;
};

constexpr const char* kScriptFilter = UI_TEXT("Wingmate", "Tessera Scripts (*.tsc)");
constexpr const char* kBrowseFilter = UI_TEXT("Wingmate", "Tessera Scripts (*.tsc);;All Files (*)");
} // namespace

CRecordDlg::CRecordDlg(IRecordSource& source, IMessageBox& messageBox, IFileChooser& chooser,
                       QWidget* parent)
    : QDialog(parent), messages(messageBox), files(chooser), recorder(source) {
    setWindowTitle(tr("Record Script"));
    BuildControls();
    sink = std::make_unique<CPlainTextSink>(scriptView);
    recorder.ReleaseHooks();
    // The box starts checked; the recorder is told so, so that what it
    // writes matches what the box shows.
    recorder.SetTruncState(1);
    // Events are queued on the source's thread; they are translated here.
    recorder.SetWake([this] {
        if (pumpQueued.exchange(true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                pumpQueued = false;
                recorder.Pump();
            },
            Qt::QueuedConnection);
    });
}

CRecordDlg::~CRecordDlg() {
    // No report arrives once this returns, so no wake outlives the dialog.
    recorder.ReleaseHooks();
    if (recording)
        SetRecordingState(false);
    ShowHiddenWindows();
}

void CRecordDlg::BuildControls() {
    auto* options = new QGroupBox(tr("Recording Options"), this);
    modifierList = new QComboBox(options);
    for (const StopModifier& modifier : kStopModifiers)
        modifierList->addItem(QString::fromLatin1(modifier.text));
    modifierList->setCurrentIndex(kDefaultStopModifier);
    keyBox = new QLineEdit(QStringLiteral("Z"), options);
    keyBox->setMaxLength(1);
    keyBox->setFixedWidth(keyBox->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 16);
    hideBox = new QCheckBox(tr("Hide while recoding"), options);
    sleepBox = new QCheckBox(tr("Insert 'Sleep' when idle more than "), options);
    secondsBox = new QLineEdit(QStringLiteral("5"), options);
    secondsBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    secondsBox->setFixedWidth(keyBox->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                              16);
    secondsBox->setEnabled(false);
    truncateBox = new QCheckBox(tr("Truncate Afx:"), options);
    truncateBox->setChecked(true);
    waitBox = new QSpinBox(options);
    waitBox->setRange(0, kMaxWindowWaitMs);
    waitBox->setSingleStep(1000);
    waitBox->setSuffix(tr(" ms"));
    waitBox->setValue(kDefaultWindowWaitMs);

    auto* stopRow = new QHBoxLayout;
    stopRow->addWidget(new QLabel(tr("To stop recording, press"), options));
    stopRow->addWidget(modifierList);
    stopRow->addWidget(new QLabel(QStringLiteral("+"), options));
    stopRow->addWidget(keyBox);
    stopRow->addStretch(1);
    auto* sleepRow = new QHBoxLayout;
    sleepRow->addWidget(sleepBox);
    sleepRow->addWidget(secondsBox);
    sleepRow->addWidget(new QLabel(tr("seconds"), options));
    sleepRow->addStretch(1);
    auto* optionColumn = new QVBoxLayout(options);
    optionColumn->addLayout(stopRow);
    optionColumn->addWidget(hideBox);
    optionColumn->addLayout(sleepRow);
    optionColumn->addWidget(truncateBox);
    auto* waitRow = new QHBoxLayout;
    auto* waitLabel = new QLabel(tr("Wait for each window up to"), options);
    waitLabel->setBuddy(waitBox);
    waitRow->addWidget(waitLabel);
    waitRow->addWidget(waitBox);
    waitRow->addStretch(1);
    optionColumn->addLayout(waitRow);

    fileBox = new QLineEdit(this);
    fileBox->setReadOnly(true);
    browseButton = new QPushButton(tr("&Browse"), this);
    browseButton->setVisible(false);
    auto* fileRow = new QHBoxLayout;
    auto* fileLabel = new QLabel(tr("Script File:"), this);
    fileLabel->setBuddy(fileBox);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(fileBox, 1);
    fileRow->addWidget(browseButton);

    scriptView = new QPlainTextEdit(this);
    scriptView->setObjectName(QStringLiteral("scriptView"));
    scriptView->setLineWrapMode(QPlainTextEdit::NoWrap);
    scriptView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scriptView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont courier(QStringLiteral("Courier"), 12);
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    scriptView->setFont(courier);

    startButton = new QPushButton(tr("&Start"), this);
    startButton->setDefault(true);
    stopButton = new QPushButton(tr("Sto&p"), this);
    saveButton = new QPushButton(tr("S&ave"), this);
    saveExitButton = new QPushButton(tr("Save && E&xit"), this);
    clearButton = new QPushButton(tr("C&lear"), this);
    cancelButton = new QPushButton(tr("&Cancel"), this);
    okButton = new QPushButton(tr("&OK"), this);
    okButton->setVisible(false);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button :
         {startButton, stopButton, saveButton, saveExitButton, clearButton, okButton, cancelButton})
        buttons->addWidget(button);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(options, 1);
    top->addLayout(buttons);
    auto* column = new QVBoxLayout(this);
    column->addLayout(top);
    column->addLayout(fileRow);
    column->addWidget(scriptView, 1);

    connect(startButton, &QPushButton::clicked, this, &CRecordDlg::Start);
    connect(stopButton, &QPushButton::clicked, this, &CRecordDlg::Stop);
    connect(saveButton, &QPushButton::clicked, this, [this] { Save(); });
    connect(saveExitButton, &QPushButton::clicked, this, &CRecordDlg::SaveAndExit);
    connect(clearButton, &QPushButton::clicked, this, &CRecordDlg::Clear);
    connect(cancelButton, &QPushButton::clicked, this, &CRecordDlg::reject);
    connect(okButton, &QPushButton::clicked, this, &CRecordDlg::Ok);
    connect(browseButton, &QPushButton::clicked, this, &CRecordDlg::Browse);
    connect(hideBox, &QCheckBox::toggled, this, [this](bool on) { hideWhileRecording = on; });
    connect(sleepBox, &QCheckBox::toggled, secondsBox, &QWidget::setEnabled);
    connect(truncateBox, &QCheckBox::clicked, this,
            [this](bool on) { recorder.SetTruncState(on ? 1 : 0); });
    resize(560, 440);
}

void CRecordDlg::SetEmbedded(bool on) {
    embedded = on ? 1 : 0;
    saveButton->setVisible(!on);
    saveExitButton->setVisible(!on);
    okButton->setVisible(on);
    cancelButton->setVisible(true);
}

// A local loop instead of exec(): exec() would end when the dialog hides
// itself for "Hide while recoding".
int CRecordDlg::Run() {
    if (mainWnd)
        waitBox->setValue(mainWnd->WindowWait());
    setWindowModality(Qt::ApplicationModal);
    setResult(QDialog::Rejected);
    QPointer<CRecordDlg> guard(this);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    loop.exec(QEventLoop::DialogExec);
    return guard ? result() : QDialog::Rejected;
}

void CRecordDlg::PostCommand(unsigned identifier) {
    QMetaObject::invokeMethod(
        this, [this, identifier] { HandleCommand(identifier); }, Qt::QueuedConnection);
}

void CRecordDlg::HandleCommand(unsigned identifier) {
    if (identifier == kStopRecording) {
        Stop();
        raise();
        activateWindow();
        return;
    }
    recorder.OnCommand(identifier, 0);
}

void CRecordDlg::Start() {
    if (recording)
        recorder.ReleaseHooks(); // a new start ends the current recording first
    stopModifier = kStopModifiers[std::max(0, modifierList->currentIndex())].code;
    stopCharacter = StopCharacter(keyBox->text().toStdString());
    stopKey = StopKeyForText(stopCharacter);
    sleepEnabled = sleepBox->isChecked() ? 1 : 0;
    idleSeconds = ParseIdleSeconds(secondsBox->text().toStdString());
    RecordInitT init;
    init.scriptView = sink.get();
    init.defaultDelay = mainWnd ? mainWnd->DefaultDelay() : 0;
    init.stopModifier = stopModifier;
    init.stopKey = stopKey;
    init.stopCharacter = stopCharacter;
    init.owner = this;
    init.sleepWhenIdle = sleepEnabled != 0;
    init.idleSeconds = idleSeconds;
    init.windowWaitMs = waitBox->value();
    recorder.Init(init);
    if (mainWnd)
        mainWnd->SetWindowWait(init.windowWaitMs);

    if (mainWnd && mainWnd->TriggersEnabled())
        mainWnd->ReleaseTriggerHook();
    // Without a stop key a hidden dialog could never be brought back.
    if (hideWhileRecording && !stopCharacter.empty() && !windowsHidden) {
        windowsHidden = true;
        if (mainWnd)
            mainWnd->HideMainWindow();
        hide();
    }
    SetRecordingState(true);
    const std::string why = recorder.Start();
    if (why.empty())
        return;
    Stop();
    messages.Show(why, UI_TEXT("Wingmate", "Wingmate Error"));
}

// Ends the recording: the main window gets its flags back and, when it was
// hidden for the recording, shows again with the dialog.
void CRecordDlg::Stop() {
    recorder.ReleaseHooks();
    ShowHiddenWindows();
    // Without a recording there are no saved flags to give back.
    if (recording)
        SetRecordingState(false);
}

void CRecordDlg::ShowHiddenWindows() {
    if (!windowsHidden)
        return;
    windowsHidden = false;
    if (mainWnd)
        mainWnd->ShowMainWindow();
    show();
}

void CRecordDlg::SetRecordingState(bool on) {
    const bool wasRecording = recording;
    recording = on;
    EnableOptions(!on);
    if (!mainWnd)
        return;
    mainWnd->SetRecording(on, StopKeyText(stopModifier, stopCharacter));
    if (on && !wasRecording) {
        savedScheduler = mainWnd->SchedulerEnabled() ? 1 : 0;
        savedTriggers = mainWnd->TriggersEnabled() ? 1 : 0;
    }
    mainWnd->SetSchedulerEnabled(on ? false : savedScheduler != 0);
    mainWnd->SetTriggersEnabled(on ? false : savedTriggers != 0);
    mainWnd->RefreshTrayState();
}

void CRecordDlg::EnableOptions(bool enabled) {
    for (QWidget* option : std::initializer_list<QWidget*>{sleepBox, hideBox, modifierList, keyBox,
                                                           truncateBox, waitBox})
        option->setEnabled(enabled);
    secondsBox->setEnabled(enabled && sleepBox->isChecked());
}

// The script is written whole through a temporary file, so a failed write
// leaves any earlier file as it was; long lines are never cut.
bool CRecordDlg::Save() {
    Stop();
    std::string path = fileBox->text().toStdString();
    if (path.empty()) {
        path = files.SaveFileAskingOverwrite(UiText(kScriptFilter), ".tsc");
        if (path.empty())
            return false;
    }
    scriptPath = path;
    const std::string script = ScriptFromViewText(scriptView->toPlainText().toStdString(), "\n");
    std::string why;
    if (!WriteFileAtomically(path, script, &why)) {
        messages.Show(tr("Could Not Write To File").toStdString(),
                      UI_TEXT("Wingmate", "Wingmate Error"));
        return false;
    }
    return true;
}

void CRecordDlg::SaveAndExit() {
    Save();
    done(QDialog::Accepted);
}

void CRecordDlg::Clear() {
    scriptView->clear();
}

void CRecordDlg::Browse() {
    const std::vector<std::string> chosen = files.OpenFiles(UiText(kBrowseFilter), false);
    if (chosen.empty())
        return;
    scriptPath = chosen.front();
    fileBox->setText(Text(scriptPath));
}

// Stops first, so that typing the recorder still held is in the text taken.
void CRecordDlg::Ok() {
    Stop();
    scriptText = ScriptFromViewText(scriptView->toPlainText().toStdString(), "\r\n");
    if (IsBlankScript(scriptText)) {
        messages.Show(
            tr("Click 'Start' to record a script.  Click 'Cancel' to abort.").toStdString(),
            tr("Error: No Script Recorded").toStdString());
        return;
    }
    accept();
}

void CRecordDlg::reject() {
    Stop();
    QDialog::reject();
}
