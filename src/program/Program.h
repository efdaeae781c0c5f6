#pragma once
// CProgram: the running program without its windows. It owns the settings,
// the library with its recovery copy, the run log, the run queue, the key
// hook wrapper and the program state (running, recording, triggers,
// scheduler), and carries out the start-up, the commands, the timer's tick,
// the end of a macro and the end of the program. Windows are views of it:
// they hear of every change through one observer and send it commands.
//
// Everything here runs on one thread (the user-interface thread); the hook's
// reports come from its own thread and are handed over through `post`.

#include "library/MacroLibrary.h"
#include "library/WindowFilter.h"
#include "ports/Clock.h"
#include "ports/KeyHook.h"
#include "ports/MessageBox.h"
#include "ports/SettingsStore.h"
#include "program/AppSettings.h"
#include "program/StatusRequest.h"
#include "run/RunLog.h"
#include "schedule/RunQueue.h"
#include "triggers/TakenKeys.h"
#include "views/TrayState.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CAbbreviationMatcher;
struct AbbreviationHit;
class CKeyHook;
class CRecoveryFile;

// The commands of the menu, the toolbar and the tray, and the end of a
// macro; the numbers are those every command path dispatches on.
enum class Command : int {
    Hide = 32790,
    MacroWizard = 32803,
    SaveMacros = 32805,
    RestoreMacros = 32841,
    Exit = 32782,
    NewMacro = 32802,
    Stop = 32815,
    NewScript = 32813,
    OpenScript = 32812,
    RecordScript = 32817,
    RecordDeclarations = 32818,
    SaveLogFile = 32808,
    ClearLogDisplay = 32797,
    ClearLogFile = 32807,
    DisableScheduler = 32799,
    DisableTriggers = 32800,
    Options = 32801,
    About = 32806,
    HelpWingmate = 32783,
    HelpTessera = 32784,
    // Sent by the runner when a macro ended.
    MacroFinished = 22000,
};

// The hook's report callback (hook thread): receiver, 1300/1400, key code.
using KeyHookReportFn = std::function<void(intptr_t receiver, int identifier, int code)>;
// Makes the key hook; sets `why` when triggers cannot work here.
using KeyHookFactory =
    std::function<std::unique_ptr<IKeyHook>(KeyHookReportFn report, std::string* why)>;

// What the program tells its windows. Every call comes on the program's
// thread.
class IProgramObserver {
public:
    virtual ~IProgramObserver() = default;
    // About to save or to read an entry: pending edits of a form go into the
    // library first.
    virtual void CommitEdits() = 0;
    // The library was loaded, restored or recovered: show it again from the
    // root. false when it could not be shown.
    virtual bool LibraryReplaced() = 0;
    // Running, recording, triggers or scheduler changed (tray, title, check
    // marks, run buttons).
    virtual void StateChanged() = 0;
    virtual void StopEnabledChanged(bool enabled) = 0;
    virtual void OutputCleared() = 0;
    virtual void LastRunShown(const std::string& text) = 0;
    virtual void LastRunChanged(int32_t id) = 0;
    // A line for the Output page from the program itself.
    virtual void ProgramOutput(const std::string& text) = 0;
    // A passing message (status bar); an empty text withdraws `withdrawn`.
    virtual void StatusMessage(const std::string& text, const std::string& withdrawn = {}) = 0;
    // Trigger keys cannot work here, and why: said once, kept in view.
    virtual void HookProblem(const std::string& why) = 0;
    // Another program holds the keys of this trigger.
    virtual void KeysHeldElsewhere(const TriggerKeys& trigger) = 0;
    // The run of macro `id` ended (after the queue has moved on).
    virtual void MacroEnded(int32_t id) = 0;
};

// What the platform gives the program; tests give fakes.
struct ProgramServices {
    ProgramServices(ISettingsStore& settingsStore, IMessageBox& messageBox)
        : store(settingsStore), messages(messageBox) {}

    ISettingsStore& store;
    IMessageBox& messages;             // questions of the start-up and the commands
    IMacroRunner* runner = nullptr;    // null: starts report their end at once
    std::function<void()> stopScripts; // Stop: ask every running script to stop
    const IClock* clock = nullptr;     // null: the system clock
    KeyHookFactory makeKeyHook;        // null: no hook, triggers never fire
    // Hands a call from another thread to the program's thread (the hook's
    // reports). Null: called where it comes from.
    std::function<void(std::function<void()>)> post;
    // The engine's function names for the script editors.
    std::function<std::string()> loadFunctionNames;
    // The window with the focus (window filters, abbreviations); null or
    // nothing: not known, and filtered triggers do not fire.
    std::function<std::optional<ActiveWindow>()> activeWindow;
    // Types TypeKeys text into the focused window (an abbreviation's
    // expansion); returns why it could not, empty when it typed. Null:
    // abbreviations cannot expand here.
    std::function<std::string(const std::string& keys)> typeKeys;
    // The clipboard's text, for "{clipboard}" in a replacement.
    std::function<std::string()> clipboardText;
    // No settings file and no library before this start: the Examples set is
    // added (never over a library that exists).
    bool firstStart = false;
};

class CProgram : public IRunQueueView, public IKeyHookControl {
public:
    CProgram(std::string home, ProgramServices services, IProgramObserver& observer);
    ~CProgram() override;
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    // The start-up, in order: settings; the run log; the root "My Macros";
    // the hook; the library (offering the backup after a bad load, the
    // recovery copy after an unclean end); the hook installed as the
    // settings say; the scheduler. Stops early when the program was ended
    // while a start-up question waited.
    void Start();
    bool Started() const { return started; }

    // The hook's commands (1300, 1400, 1600) and the end of a macro (22000,
    // with the macro's id as `code`; 0: the one the queue started last);
    // false for any other identifier.
    bool HandleCommand(int identifier, int code = 0);
    // One tick of the 250 ms timer: the scheduler pass, the sticky prefix
    // count, the recovery copy.
    void Tick();

    // Writes a form's record into its entry; the entry keeps its own last-run
    // time, so a commit in the second a macro started cannot start it again.
    // The entry as changed, or null when nothing changed (no such entry).
    const CMacroNode* CommitMacro(CMacro record);
    // Adds `record` into the entry `caretId` when that is a set, after it
    // when it is a macro, into the root when there is no such entry.
    struct Added {
        const CMacroNode* node = nullptr; // null: nothing was added
        int32_t targetId = 0;
        InsertPosition position = InsertPosition::Into;
    };
    Added AddMacro(const CMacro& record, int32_t caretId);

    // Commands.
    // Queues the entry and starts the head at once, running or not.
    void Execute(int32_t id);
    // Saves the library; a failure is said with its reason.
    void SaveMacros();
    // Asks, then replaces the library with the backup.
    void RestoreMacros();
    // Empties the queue and asks running scripts to stop.
    void Stop();
    void SetSchedulerEnabled(bool enabled);
    void SetTriggersEnabled(bool enabled);
    void SetRecording(bool recording, const std::string& stopKeyText);
    // Options changed the settings.
    void SettingsChanged();

    // A line from the instance socket ("run NAME|ID" or "status"): the
    // answer line to send back (without its line end).
    std::string HandleRequest(const std::string& line);
    InstanceStatus CurrentStatus() const;

    // The end of the program. Commits, saves the library (asking what to do
    // when that fails, if `ask`) and the settings; false when the user chose
    // to stay.
    bool SaveEverything(bool ask = true);
    // The question to ask before ending without saving ("" when none is
    // needed); `formEdits`: a form holds edits not in the library.
    std::string EndWithoutSavingQuestion(bool formEdits) const;
    // No command, tick or report does anything from now on.
    void MarkEnded();
    bool Ended() const { return ended; }

    // IRunQueueView: forwarded to the observer.
    void SetStopEnabled(bool enabled) override { observer.StopEnabledChanged(enabled); }
    void RefreshTrayState() override;
    void ClearOutput() override { observer.OutputCleared(); }
    void SetLastRun(const std::string& text) override { observer.LastRunShown(text); }
    void LastRunChanged(int32_t id, const std::string&) override { observer.LastRunChanged(id); }

    // IKeyHookControl: the queue releases the hook while a macro runs; the
    // Manager page's trigger box takes keys while it has the focus.
    void Install() override;
    void Release() override;
    void ResetKeys() override;
    void SetTriggerBoxFocus(bool focused) override;

    CMacroLibrary& Library() { return library; }
    const CMacroLibrary& Library() const { return library; }
    CAppSettings& Settings() { return settings; }
    CRunQueue& RunQueue() { return *runQueue; }
    CRunLog& RunLog() { return runLog; }
    CKeyHook* KeyHook() const { return keyHook.get(); }
    const ProgramState& State() const { return state; }
    const std::string& KeyHookProblem() const { return keyHookProblem; }
    const std::string& FunctionNames() const { return functionNames; }
    const IClock& Clock() const { return services.clock ? *services.clock : systemClock; }
    const std::string& Home() const { return home; }
    bool HookInstalled() const { return hookInstalled; }
    // Whether the library holds edits not saved yet.
    bool HasUnsavedEdits() const;
    // "Default Delay for Recording:", bounded to ten minutes.
    int DefaultDelay() const;

private:
    void CreateKeyHook();
    void LoadLibrary();
    void OfferBackupAfterBadLoad();
    void AddFirstStartExamples();
    void OfferRecovery();
    // What the last load said of the abbreviations and window filters file.
    void SayExtrasReport();
    // Saves the library; says what was kept aside when `ask`, else that and
    // a failure on standard error. true when saved; else `failure` (when
    // given) names the file and the reason.
    bool SaveLibrary(bool ask, std::string* failure = nullptr);
    void WriteRecovery();
    void ShowLibrary();
    // Trigger keys are taken from the focused application while triggers
    // are enabled and the trigger box lacks the focus.
    void UpdateTakenKeys();
    // What the user typed (1350, 1360), for abbreviations.
    void OnTyped(int identifier, int code);
    // Erases the abbreviation and types its replacement, or starts its macro.
    void Expand(const AbbreviationHit& hit);

    std::string home;
    ProgramServices services;
    IProgramObserver& observer;
    CSystemClock systemClock;
    CAppSettings settings;
    CMacroLibrary library;
    ProgramState state;
    CRunLog runLog;
    std::unique_ptr<IMacroRunner> fallbackRunner;
    std::unique_ptr<CRunQueue> runQueue;
    std::unique_ptr<CRecoveryFile> recovery;
    std::string recoveryProblem; // the last failed recovery write, said once
    std::unique_ptr<IKeyHook> hookPort;
    std::unique_ptr<CKeyHook> keyHook;
    std::string keyHookProblem;
    std::string functionNames;
    std::unique_ptr<CAbbreviationMatcher> abbreviations;
    std::optional<ActiveWindow> typingWindow; // where the typing watched was done
    int64_t ownTypingUntil = 0;               // ms: reports of our own typing are ignored till then
    bool hookInstalled = false;               // as far as the program asked for it
    bool triggerBoxFocus = false;
    bool started = false;
    bool ended = false;
};
