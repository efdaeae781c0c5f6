#pragma once
// CRecordDlg: the Record Script dialog. It sets the recording options and the
// stop combination, starts and stops the recorder, and either saves the
// recorded script to a file (standalone) or hands it back with OK (embedded
// in the Macro Wizard). While it records, the main window's scheduler and
// trigger keys are off and its tray says how to stop.

#include "ports/RecordHost.h"
#include "record/Recorder.h"

#include <QDialog>

#include <atomic>
#include <memory>
#include <string>

class IFileChooser;
class IMessageBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class CRecordDlg : public QDialog, public IRecordOwner {
    Q_OBJECT
public:
    CRecordDlg(IRecordSource& source, IMessageBox& messages, IFileChooser& files,
               QWidget* parent = nullptr);
    ~CRecordDlg() override;

    // Embedded: OK and Cancel instead of Save and Save & Exit.
    void SetEmbedded(bool on);
    // Runs the dialog modally until it is closed; the dialog may hide itself
    // while recording without ending the run. Returns the QDialog result.
    int Run();

    // A command for this window: the stop combination ends the recording and
    // brings the dialog back; anything else is offered to the recorder.
    void HandleCommand(unsigned identifier);
    // IRecordOwner: may be called on any thread; handled on the dialog's.
    void PostCommand(unsigned identifier) override;
    bool Recording() const { return recording; }

    void Start();
    void Stop();
    // Stops and writes the view's script; false when nothing was written.
    bool Save();
    void SaveAndExit();
    void Clear();
    void Browse();
    void Ok();
    void reject() override; // Cancel, Escape and the close box

    // The recorded script gathered by OK, every line followed by "\r\n".
    std::string scriptText;
    // The file last chosen with Browse.
    std::string scriptPath;
    int embedded = 0;
    // The main window's flags from before the recording; restored at its end.
    int savedScheduler = 1;
    int savedTriggers = 1;
    IRecordMainWindow* mainWnd = nullptr;

    QComboBox* modifierList = nullptr;
    QLineEdit* keyBox = nullptr;
    QCheckBox* hideBox = nullptr;
    QCheckBox* sleepBox = nullptr;
    QLineEdit* secondsBox = nullptr;
    QCheckBox* truncateBox = nullptr;
    QSpinBox* waitBox = nullptr; // how long the script waits for each window, ms
    QLineEdit* fileBox = nullptr;
    QPlainTextEdit* scriptView = nullptr;
    QPushButton* startButton = nullptr;
    QPushButton* stopButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* saveExitButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* browseButton = nullptr;

private:
    void BuildControls();
    void SetRecordingState(bool on);
    void EnableOptions(bool enabled);
    void ShowHiddenWindows();

    IMessageBox& messages;
    IFileChooser& files;
    std::unique_ptr<IScriptSink> sink;
    CRecorder recorder;
    std::atomic<bool> pumpQueued{false};
    bool recording = false;
    bool windowsHidden = false; // hidden by this recording
    int hideWhileRecording = 0;
    int sleepEnabled = 0;
    int32_t idleSeconds = 0;
    uint16_t stopModifier = 0;
    uint16_t stopKey = 0;
    std::string stopCharacter;
};
