#pragma once
// "Tessera Wingmate", the program's one window: a view of the program core
// (CProgram, which it owns). It builds the toolbar, the menus, the macro tree
// and the four tab pages, keeps the tray icon, the script editors and the
// dialogs, and turns what the user does into the program's commands.
// The menu and toolbar commands live in MainDlgCommands.cpp.

#include "library/MacroLibrary.h"
#include "ports/Clock.h"
#include "ports/FileChooser.h"
#include "ports/InputPrompt.h"
#include "ports/KeyHook.h"
#include "ports/MessageBox.h"
#include "ports/Notifier.h"
#include "ports/ProcessLauncher.h"
#include "ports/RecordHost.h"
#include "ports/ScriptOutput.h"
#include "ports/SettingsStore.h"
#include "program/Program.h"
#include "record/Recorder.h"
#include "views/IconSet.h"
#include "views/MainWindowOps.h"
#include "views/PageForms.h"
#include "views/TrayState.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class CEditorDlg;
class CEditorRecovery;
class CDBusNotifier;
class CKeyHook;
class IEditorRunner;
struct EditorRunEnd;
class CRecoveryFile;
class CLogPage;
class CMacroTree;
class IFileChooser;
class COutputPage;
class CQtInputPrompt;
class CQtScriptDialogs;
class IScriptDialogs;
class IWindowPicker;
class QAction;
class QLabel;
class QLocalSocket;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QUrl;

// What the program gives the main window; tests give fakes.
struct MainDlgServices {
    MainDlgServices(ISettingsStore& settingsStore, IMessageBox& messageBox)
        : store(settingsStore), messages(messageBox) {}

    ISettingsStore& store;
    IMessageBox& messages;
    IMacroRunner* runner = nullptr;           // null: starts report their end at once
    std::function<void()> stopScripts;        // Stop: ask every running script to stop
    IProcessLauncher* launcher = nullptr;     // null: Record Declarations cannot start
    const IClock* clock = nullptr;            // null: the system clock
    KeyHookFactory makeKeyHook;               // null: no hook, triggers never fire
    std::function<bool(const QUrl&)> openUrl; // null: the desktop's viewer
    // The engine's function names for the script editors (start-up step 12).
    std::function<std::string()> loadFunctionNames;
    // The focused window, the typing of expansions and the clipboard's text
    // (see ProgramServices).
    std::function<std::optional<ActiveWindow>()> activeWindow;
    std::function<std::string(const std::string& keys)> typeKeys;
    std::function<std::string()> clipboardText;
    IFileChooser* files = nullptr; // null: Qt's file dialogs
    // Editor windows are built through here (tests reach into them).
    std::function<void(CEditorDlg&)> editorOpened;
    // Makes the recorder's event source; sets `why` and returns null when
    // nothing can be recorded here. Null: recording is unavailable.
    std::function<std::unique_ptr<IRecordSource>(std::string* why)> makeRecordSource;
    IDesktopNotifier* notifier = nullptr;  // null: the notification service, else the tray
    IWindowPicker* windowPicker = nullptr; // null: Pick Window says it cannot work here
    // Whether a tray host is there now (null: Qt's answer), and how often to
    // look again while there is none: a panel may start after the program.
    std::function<bool()> trayAvailable;
    int trayWatchMs = 5000;
    // No settings file and no library before this start: the Examples set is
    // added (never over a library that exists).
    bool firstStart = false;
};

class CMainDlg : public QMainWindow,
                 public IMainWindowOps,
                 public IRecordMainWindow,
                 private IProgramObserver {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 250;

    CMainDlg(std::string home, MainDlgServices services, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The start-up after construction: the program's (settings, library,
    // hook, scheduler), then the tray, the timer and the start-up settings.
    void Start();

    // Tests put a fake form in the place of the Manager (tab 0) or Scheduler
    // (tab 1) page. The window takes ownership of the widget.
    void SetManagerPage(QWidget* page, IManagerForm* form);
    void SetSchedulerPage(QWidget* page, ISchedulerForm* form);

    // Every command goes through here: first offered to the program (the
    // hook's 1300, 1400, 1600 and the end of a macro, 22000), then the menu.
    void HandleCommand(int identifier, int code = 0);
    void HandleCommand(Command command) { HandleCommand(static_cast<int>(command)); }

    // A request line from the instance socket ("run NAME|ID" or "status");
    // the answer goes back through `client`.
    void HandleInstanceRequest(const QString& line, QLocalSocket* client);
    // A macro failed (from the runner). Reported by a desktop notification
    // when nobody watched it start (scheduler, trigger); the Output page has
    // the error either way.
    void ReportMacroFailure(int32_t id, const std::string& name, const std::string& firstLine);
    // Clicking the notification: the window comes back on the Output page.
    void ShowOutputPage();
    // What "wingmatectl status" reports.
    InstanceStatus CurrentStatus() const { return program->CurrentStatus(); }

    // IMainWindowOps
    void SelectMacro(int32_t id) override;
    void CommitManagerForm() override;
    void PropagateMacroChange(const CMacro& record) override;
    void ShowManagerTab() override;
    int32_t AddMacroAtCaret(const CMacro& record) override;
    void UpdateCommandState(int32_t id) override;

    // What a run needs of the window. MacroFinished: the run of macro `id`
    // ended (command 22000; 0: the one the queue started last); from a worker
    // thread it returns once the window thread has handled it. Input: from a
    // worker thread (it waits for the user).
    void MacroFinished(int32_t id = 0);
    IScriptOutput& Output();
    IMessageBox& Messages() { return messages; }
    IInputPrompt& Input();
    // Choose, Confirm, the choosers and Notify of running scripts.
    IScriptDialogs& ScriptDialogs();
    // A passing notification: the notification service, else the tray's
    // message. Clicking it shows the Output page.
    // `shown`, when given, learns whether the service or the tray showed it.
    void ShowNotification(const std::string& title, const std::string& text,
                          std::function<void(bool shown)> shown = {});

    // IRecordMainWindow (MainDlgRecord.cpp).
    void SetRecording(bool recording, const std::string& stopKeyText) override {
        program->SetRecording(recording, stopKeyText);
    }
    bool SchedulerEnabled() const override { return program->RunQueue().SchedulerEnabled(); }
    void SetSchedulerEnabled(bool enabled) override { program->SetSchedulerEnabled(enabled); }
    bool TriggersEnabled() const override { return program->State().triggersEnabled; }
    void SetTriggersEnabled(bool enabled) override { program->SetTriggersEnabled(enabled); }
    void RefreshTrayState() override { program->RefreshTrayState(); }
    void ReleaseTriggerHook() override { program->Release(); }
    void ShowMainWindow() override { ShowFromTray(); }
    void HideMainWindow() override { HideToTray(); }
    int DefaultDelay() const override { return program->DefaultDelay(); }
    int WindowWait() const override { return program->Settings().recordWindowWaitMs; }
    void SetWindowWait(int milliseconds) override {
        program->Settings().recordWindowWaitMs = milliseconds;
    }

    CProgram& Program() { return *program; }
    CMacroLibrary& Library() { return program->Library(); }
    const CMacroLibrary& Library() const { return program->Library(); }
    CAppSettings& Settings() { return program->Settings(); }
    CRunQueue& RunQueue() { return program->RunQueue(); }
    CKeyHook* KeyHook() const { return program->KeyHook(); }
    CMacroTree* Tree() const { return tree; }
    QTabWidget* Tabs() const { return tabs; }
    COutputPage* OutputPage() const { return outputPage; }
    CLogPage* LogPage() const { return logPage; }
    QAction* CommandAction(int command) const { return commandActions.value(command); }
    QAction* CommandAction(Command command) const { return CommandAction(int(command)); }
    QAction* ToolbarAction(int command) const { return toolbarActions.value(command); }
    QAction* ToolbarAction(Command command) const { return ToolbarAction(int(command)); }
    QSystemTrayIcon* Tray() const { return tray; }
    bool HasTray() const { return tray != nullptr; }
    const ProgramState& State() const { return program->State(); }
    const std::string& KeyHookProblem() const { return program->KeyHookProblem(); }
    // The window was ended (Exit, close or Escape).
    bool Ended() const { return program->Ended(); }
    bool HiddenInTray() const { return hiddenInTray; }
    // The menu the tray's right click shows while a macro runs.
    void ShowStopMenu(const QPoint& at);

public Q_SLOTS:
    void ShowFromTray();
    void HideToTray();
    void ShowSelectedPage();
    // Saves the form, the library and the settings and ends the program;
    // stays open when the library cannot be saved and the user says so.
    void ExitProgram();
    // Ends the program without saving anything (Escape); asks first when
    // macros are scheduled or edits unsaved.
    void EndWithoutSaving();
    // The session ends (a signal, logout): saves as Exit does, without asking
    // anything, and ends the program. Editors with unsaved text leave their
    // recovery copies for the next start. A failed save is reported on
    // standard error; the recovery file then stays for the next start.
    void EndForSession();
    void OpenOptions();
    void OpenAbout();
    // The quick menu with its bottom-right corner at `anchor` (screen); a
    // picked macro runs as Execute does.
    void ShowQuickMenu(const QPoint& anchor);
    // One tick of the 250 ms timer: the program's tick and the editors'
    // recovery copies.
    void OnTimerTick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // IProgramObserver: the program's changes shown.
    void CommitEdits() override { CommitManagerForm(); }
    bool LibraryReplaced() override;
    void StateChanged() override;
    void StopEnabledChanged(bool enabled) override;
    void OutputCleared() override;
    void LastRunShown(const std::string& text) override;
    void LastRunChanged(int32_t id) override;
    void ProgramOutput(const std::string& text) override;
    void StatusMessage(const std::string& text, const std::string& withdrawn) override;
    void HookProblem(const std::string& why) override;
    void KeysHeldElsewhere(const TriggerKeys& trigger) override;
    void MacroEnded(int32_t id) override { EndEditorRun(id); }

    // Window parts (MainDlg.cpp).
    void BuildWindow();
    void BuildPages();
    void ReplacePage(int index, QWidget* page, PageIcon icon, const QString& title);
    void AddTray();
    void ApplyStartVisibility();
    void OnTrayActivated(int reason);
    bool ShowTrayMessage(const std::string& title, const std::string& text);
    // The check marks of Disable Scheduler and Disable Triggers follow the state.
    void RefreshCheckMarks();
    void EndProgram();

    // Commands (MainDlgCommands.cpp).
    void BuildMenus();
    void BuildToolbar();
    bool RunMenuCommand(int command);
    void ExecuteEntry(int32_t id);
    void NewMacro();
    void OpenHelp(const std::string& file);
    void RecordDeclarations();
    void RunMacroWizard(); // MainDlgWizard.cpp
    // Script editors (MainDlgEditor.cpp).
    CEditorDlg* OpenEditor(const std::string& path, bool macroScript);
    // A new editor window, shown, with nothing loaded.
    CEditorDlg* MakeEditor();
    // The editors' recovery copies: written as users type, at once when the
    // session ends, and offered at the start after a run that did not end
    // cleanly.
    void WriteEditorRecovery();
    void WriteEditorRecoveryNow();
    void OfferEditorRecovery();
    void KeepUnreadableCopiesAside(const std::vector<std::string>& unreadable);
    void EditSelectedScript(int32_t id);
    void OpenScriptFile();
    // Asks every open editor to close; false when one stays open.
    bool CloseEditors();
    // Editors use this window's message box and runner: none may outlive it.
    void DestroyEditors();
    void RecordScript(); // MainDlgRecord.cpp
    // The recorder's event source, or one that says why nothing can be recorded.
    std::unique_ptr<IRecordSource> MakeRecordSource();
    void RefreshToolbar();
    bool SelectedIsMacro() const;

public:
    // The editor's Run: the script runs as a macro would, recorded in the
    // run log. "" when it started (`ended` follows at its end), else why not.
    std::string RunEditorScript(const std::string& path,
                                std::function<void(const EditorRunEnd&)> whenEnded);
    const std::string& FunctionNames() const { return program->FunctionNames(); }
    QList<CEditorDlg*> Editors() const;

private:
    std::string home;
    std::unique_ptr<IMessageBox> ownMessages;
    IMessageBox& messages; // the window's own boxes, in front of it
    MainDlgServices services;
    std::unique_ptr<CProgram> program;

    CMacroTree* tree = nullptr;
    QTabWidget* tabs = nullptr;
    COutputPage* outputPage = nullptr;
    CLogPage* logPage = nullptr;
    IManagerForm* managerForm = nullptr;
    ISchedulerForm* schedulerForm = nullptr;
    CQtInputPrompt* inputPrompt = nullptr;
    CQtScriptDialogs* scriptDialogs = nullptr;
    QSystemTrayIcon* tray = nullptr;
    QTimer* trayWatch = nullptr; // runs while no tray host is there
    // Made at the first notification on a desktop without a tray.
    CDBusNotifier* dbusNotifier = nullptr;
    QTimer* timer = nullptr;
    QHash<int, QAction*> commandActions; // menu items by command
    QHash<int, QAction*> toolbarActions; // toolbar buttons by command

    std::unique_ptr<IFileChooser> ownFileChooser;
    std::unique_ptr<IEditorRunner> editorRunner;
    // The run an editor started, until its end is handed back.
    struct EditorRun {
        int32_t id = 0; // below 0: no library entry has it
        std::function<void(const EditorRunEnd&)> ended;
        std::string logPath;
        std::string logBefore; // the log's size and time when the run started
        std::string error;     // the first line of its failure
        bool failed = false;
    };
    std::unique_ptr<EditorRun> editorRun;
    int32_t lastEditorRunId = 0;
    // A failure of the editor's run is kept for its end: true when it was.
    bool NoteEditorRunFailure(int32_t id, const std::string& firstLine);
    // The run with `id` ended: its editor hears how.
    void EndEditorRun(int32_t id);
    std::unique_ptr<CEditorRecovery> editorRecovery;
    std::string editorRecoveryProblem; // the last failed copy write, said once
    bool firstTickSeen = false;
    bool hiddenInTray = false;
};
