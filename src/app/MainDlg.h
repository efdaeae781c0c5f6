#pragma once
// "Tessera Wingmate", the program's one window. It owns the library, the
// settings, the run queue and the hook wrapper, hosts the toolbar, the macro
// tree and the four tab pages, keeps the tray icon, and wires them together:
// the pages and the queue reach it through the interfaces it implements.
// The menu and toolbar commands live in MainDlgCommands.cpp.

#include "app/AppSettings.h"
#include "app/StatusRequest.h"
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
#include "record/Recorder.h"
#include "schedule/RunQueue.h"
#include "triggers/TakenKeys.h"
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
class QAction;
class QLabel;
class QLocalSocket;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QUrl;

// Command identifiers of the main window (menu, toolbar, tray, runner).
namespace MainCommand {
constexpr int kHide = 32790;
constexpr int kMacroWizard = 32803;
constexpr int kSaveMacros = 32805;
constexpr int kRestoreMacros = 32841;
constexpr int kExit = 32782;
constexpr int kNewMacro = 32802;
constexpr int kStop = 32815;
constexpr int kNewScript = 32813;
constexpr int kOpenScript = 32812;
constexpr int kRecordScript = 32817;
constexpr int kRecordDeclarations = 32818;
constexpr int kSaveLogFile = 32808;
constexpr int kClearLogDisplay = 32797;
constexpr int kClearLogFile = 32807;
constexpr int kDisableScheduler = 32799;
constexpr int kDisableTriggers = 32800;
constexpr int kOptions = 32801;
constexpr int kAbout = 32806;
constexpr int kHelpWingmate = 32783;
constexpr int kHelpTessera = 32784;
// Sent by the runner when a macro ended.
constexpr int kMacroFinished = 22000;
} // namespace MainCommand

// The hook's report callback (hook thread): receiver, 1300/1400, key code.
using KeyHookReportFn = std::function<void(intptr_t receiver, int identifier, int code)>;
// Makes the key hook; sets `why` when triggers cannot work here.
using KeyHookFactory =
    std::function<std::unique_ptr<IKeyHook>(KeyHookReportFn report, std::string* why)>;

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
    IFileChooser* files = nullptr; // null: Qt's file dialogs
    // Editor windows are built through here (tests reach into them).
    std::function<void(CEditorDlg&)> editorOpened;
    // Makes the recorder's event source; sets `why` and returns null when
    // nothing can be recorded here. Null: recording is unavailable.
    std::function<std::unique_ptr<IRecordSource>(std::string* why)> makeRecordSource;
    IDesktopNotifier* notifier = nullptr; // null: the notification service, else the tray
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
                 public IRunQueueView,
                 public IKeyHookControl,
                 public IRecordMainWindow {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 250;

    CMainDlg(std::string home, MainDlgServices services, QWidget* parent = nullptr);
    ~CMainDlg() override;

    // The start-up after construction: settings, library, tray, hook, timer,
    // start-up settings.
    void Start();

    // Seams for the Manager (tab 0) and Scheduler (tab 1) pages: the widget
    // replaces the placeholder; the form is what the commit and change paths
    // call. The window takes ownership of the widget.
    void SetManagerPage(QWidget* page, IManagerForm* form);
    void SetSchedulerPage(QWidget* page, ISchedulerForm* form);

    // Every command goes through here: first offered to the hook wrapper
    // (1300, 1400, 1600), then the end of a macro (22000), then the menu.
    void HandleCommand(int identifier, int code = 0);

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
    InstanceStatus CurrentStatus() const;

    // IMainWindowOps
    void SelectMacro(int32_t id) override;
    void CommitManagerForm() override;
    void PropagateMacroChange(const CMacro& record) override;
    void ShowManagerTab() override;
    int32_t AddMacroAtCaret(const CMacro& record) override;
    void UpdateCommandState(int32_t id) override;

    // IRunQueueView
    void SetStopEnabled(bool enabled) override;
    void RefreshTrayState() override;
    void ClearOutput() override;
    void SetLastRun(const std::string& text) override;
    void LastRunChanged(int32_t id, const std::string& lastRunText) override;

    // IKeyHookControl (the queue releases the hook while a macro runs)
    void Install() override;
    void Release() override;
    void ResetKeys() override;
    void SetTriggerBoxFocus(bool focused) override;

    // What a run needs of the window. MacroFinished: the run ended (command
    // 22000); from a worker thread it returns once the window thread has
    // handled it. Input: from a worker thread (it waits for the user).
    void MacroFinished();
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

    // IRecordMainWindow (MainDlgRecord.cpp); RefreshTrayState is above.
    void SetRecording(bool recording, const std::string& stopKeyText) override;
    bool SchedulerEnabled() const override;
    void SetSchedulerEnabled(bool enabled) override;
    bool TriggersEnabled() const override { return state.triggersEnabled; }
    void SetTriggersEnabled(bool enabled) override;
    void ReleaseTriggerHook() override { Release(); }
    void ShowMainWindow() override { ShowFromTray(); }
    void HideMainWindow() override { HideToTray(); }
    int DefaultDelay() const override;
    int WindowWait() const override { return settings.recordWindowWaitMs; }
    void SetWindowWait(int milliseconds) override { settings.recordWindowWaitMs = milliseconds; }

    CMacroLibrary& Library() { return library; }
    CAppSettings& Settings() { return settings; }
    CRunQueue& RunQueue() { return *runQueue; }
    CKeyHook* KeyHook() const { return keyHook.get(); }
    CMacroTree* Tree() const { return tree; }
    QTabWidget* Tabs() const { return tabs; }
    COutputPage* OutputPage() const { return outputPage; }
    CLogPage* LogPage() const { return logPage; }
    QAction* CommandAction(int command) const { return commandActions.value(command); }
    QAction* ToolbarAction(int command) const { return toolbarActions.value(command); }
    QSystemTrayIcon* Tray() const { return tray; }
    bool HasTray() const { return tray != nullptr; }
    const ProgramState& State() const { return state; }
    const std::string& KeyHookProblem() const { return keyHookProblem; }
    // The window was ended (Exit, close or Escape).
    bool Ended() const { return ended; }
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
    // One tick of the 250 ms timer: the scheduler pass and the prefix count.
    void OnTimerTick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Window parts (MainDlg.cpp).
    void BuildWindow();
    void ReplacePage(int index, QWidget* page, PageIcon icon, const QString& title);
    void AddTray();
    void CreateKeyHook();
    // The library file (MainDlgLibraryFile.cpp).
    void LoadLibrary();
    void OfferBackupAfterBadLoad();
    void AddFirstStartExamples();
    void OfferRecovery();
    // Saves the library; says what was kept aside when `ask`, else that and
    // a failure on standard error. true when saved; else `failure` (when
    // given) names the file and the reason.
    bool SaveLibrary(bool ask, std::string* failure = nullptr);
    void WriteRecovery();
    void ApplyStartVisibility();
    void ReportHookProblem(const std::string& why);
    // Trigger keys are taken from the focused application while triggers
    // are enabled and the trigger box lacks the focus.
    void UpdateTakenKeys();
    void ReportKeysHeldElsewhere(const TriggerKeys& trigger);
    void OnTrayActivated(int reason);
    bool ShowTrayMessage(const std::string& title, const std::string& text);
    // Commit, save the library (asking when it fails, if `ask`) and the
    // settings; false when the user chose to stay.
    bool SaveEverything(bool ask = true);
    void EndProgram();

    // Commands (MainDlgCommands.cpp).
    void BuildMenus();
    void BuildToolbar();
    bool RunMenuCommand(int command);
    void ExecuteEntry(int32_t id);
    void NewMacro();
    void SaveMacros();
    void RestoreMacros();
    void StopMacro();
    void ToggleScheduler();
    void ToggleTriggers();
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
    const IClock& Clock() const { return services.clock ? *services.clock : systemClock; }
    // Lost run-log lines, said once per run of failures (empty: written again).
    void ReportRunLogProblem(const std::string& problem);

public:
    // The editor's Run: the script runs as a macro would, recorded in the
    // run log. "" when it started (`ended` follows at its end), else why not.
    std::string RunEditorScript(const std::string& path,
                                std::function<void(const EditorRunEnd&)> whenEnded);
    const std::string& FunctionNames() const { return functionNames; }
    QList<CEditorDlg*> Editors() const;

private:
    std::string home;
    ISettingsStore& store;
    std::unique_ptr<IMessageBox> ownMessages;
    IMessageBox& messages; // the window's own boxes, in front of it
    MainDlgServices services;
    CSystemClock systemClock;
    CAppSettings settings;
    CMacroLibrary library;
    ProgramState state;

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

    std::unique_ptr<IMacroRunner> fallbackRunner;
    std::unique_ptr<CRunQueue> runQueue;
    std::unique_ptr<CRecoveryFile> recovery;
    std::string recoveryProblem; // the last failed recovery write, said once
    std::string runLogProblem;   // shown in the status bar while lines are lost
    std::unique_ptr<IKeyHook> hookPort;
    std::unique_ptr<CKeyHook> keyHook;
    std::string keyHookProblem;
    std::string functionNames; // the engine's, for the editors
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
    bool hookInstalled = false; // as far as this window asked for it
    bool triggerBoxFocus = false;
    bool started = false;
    bool ended = false;
};
