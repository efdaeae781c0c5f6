#include "program/Program.h"

#include "engine/Utf8.h"
#include "library/RecoveryFile.h"
#include "ports/UiText.h"
#include "program/EndQuestion.h"
#include "program/RunRequest.h"
#include "triggers/AbbreviationMatcher.h"
#include "triggers/Expansion.h"
#include "triggers/KeyHook.h"
#include "triggers/NullKeyHook.h"

#include <algorithm>

namespace {
// Without a runner, a start ends at once (nothing is run).
class CFinishAtOnceRunner : public IMacroRunner {
public:
    explicit CFinishAtOnceRunner(std::function<void(int32_t id)> onFinished)
        : finished(std::move(onFinished)) {}
    int Run(CMacro macro) override {
        finished(macro.id);
        return 1;
    }

private:
    std::function<void(int32_t id)> finished;
};
} // namespace

CProgram::CProgram(std::string homeFolder, ProgramServices given, IProgramObserver& watcher)
    : home(std::move(homeFolder)), services(std::move(given)), observer(watcher) {
    IMacroRunner* runner = services.runner;
    if (!runner) {
        fallbackRunner = std::make_unique<CFinishAtOnceRunner>(
            [this](int32_t id) { HandleCommand(static_cast<int>(Command::MacroFinished), id); });
        runner = fallbackRunner.get();
    }
    const IClock& clock = Clock();
    recovery = std::make_unique<CRecoveryFile>(library, clock);
    library.File().SetClock(&clock);
    runQueue = std::make_unique<CRunQueue>(library, clock,
                                           CRunQueue::Ports{*runner, *this, *this, runLog});
    abbreviations = std::make_unique<CAbbreviationMatcher>(clock);
}

CProgram::~CProgram() {
    // No key report may arrive once the program is gone.
    if (keyHook) {
        keyHook->Release();
        keyHook->SetTaking(false);
    }
    hookInstalled = false;
}

void CProgram::Start() {
    settings.ReadSettings(services.store);
    runLog.SetPath(home + "/Wingmate.log");
    runLog.SetAutoClearLimit(&settings.autoClearLines);
    runLog.SetWriteProblemReporter(
        [this, shown = std::string()](const std::string& problem) mutable {
            // Kept until a line is written again; never repeated for every lost line.
            observer.StatusMessage(problem, shown);
            shown = problem;
        });
    CMacro root;
    root.kind = static_cast<int32_t>(MacroKind::MacroSet);
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    CreateKeyHook();
    library.File().SetPaths(home);
    LoadLibrary();
    OfferRecovery();
    if (ended)
        return; // the session ended while a start-up question waited
    keyHook->ResetKeys();
    state.triggersEnabled = settings.enableTriggers != 0;
    Install();
    UpdateTakenKeys();
    runQueue->SetSchedulerEnabled(settings.enableScheduler != 0);
    runQueue->SetRunMissedAfterSleep(settings.runMissed != 0);
    if (services.loadFunctionNames)
        functionNames = services.loadFunctionNames();
    started = true;
    RefreshTrayState();
}

void CProgram::CreateKeyHook() {
    std::string why;
    if (services.makeKeyHook) {
        // Reports come on the hook's thread: handed to this one.
        hookPort = services.makeKeyHook(
            [this](intptr_t, int identifier, int code) {
                auto handle = [this, identifier, code] { HandleCommand(identifier, code); };
                if (services.post)
                    services.post(handle);
                else
                    handle();
            },
            &why);
    }
    if (!hookPort) {
        hookPort = std::make_unique<CNullKeyHook>();
        if (why.empty())
            why = UiText(UI_TEXT("Wingmate", "Trigger keys are unavailable: no key hook."));
    }
    keyHook = std::make_unique<CKeyHook>(*hookPort, library, *runQueue,
                                         [this] { return state.triggersEnabled; });
    keyHook->SetMainWindow(reinterpret_cast<intptr_t>(this));
    keyHook->SetControl(this);
    if (services.activeWindow)
        keyHook->SetActiveWindowSource(services.activeWindow);
    keyHook->SetHeldElsewhereReport(
        [this](const TriggerKeys& trigger) { observer.KeysHeldElsewhere(trigger); });
    if (!why.empty()) {
        keyHookProblem = why;
        observer.HookProblem(why);
    }
}

bool CProgram::HandleCommand(int identifier, int code) {
    if (ended)
        return identifier == static_cast<int>(Command::MacroFinished);
    if (identifier == CKeyHook::kTyped || identifier == CKeyHook::kTypingBreak) {
        OnTyped(identifier, code);
        return true;
    }
    if (keyHook && keyHook->OnHookCommand(identifier, code))
        return true;
    if (identifier != static_cast<int>(Command::MacroFinished))
        return false;
    const int32_t finished = code != 0 ? code : runQueue->RunningMacro().id;
    runQueue->OnMacroFinished();
    observer.MacroEnded(finished);
    return true;
}

void CProgram::Tick() {
    if (ended)
        return;
    if (runQueue->SchedulerEnabled())
        runQueue->RunDuePass();
    keyHook->TickPrefix();
    WriteRecovery();
}

// A failed write is said once, until one succeeds.
void CProgram::WriteRecovery() {
    std::string error;
    if (recovery->Tick(&error)) {
        if (!recoveryProblem.empty())
            observer.StatusMessage({}, recoveryProblem);
        recoveryProblem.clear();
        return;
    }
    if (error == recoveryProblem)
        return;
    recoveryProblem = error;
    observer.StatusMessage(
        UiFormat(UI_TEXT("Wingmate", "Could not write the recovery file: %1"), {error}));
}

// ---- The library's entries ----

const CMacroNode* CProgram::CommitMacro(CMacro record) {
    const CMacroNode* node = record.id != 0 ? library.FindById(record.id) : nullptr;
    if (!node)
        return nullptr;
    record.lastRunTime = node->lastRunTime;
    if (!library.UpdateRecord(record))
        return nullptr;
    return library.FindById(record.id);
}

CProgram::Added CProgram::AddMacro(const CMacro& record, int32_t caretId) {
    Added added;
    const CMacroNode* target = library.FindById(caretId);
    if (!target)
        target = library.Root();
    if (!target)
        return added;
    added.position = target->IsMacroSet() ? InsertPosition::Into : InsertPosition::After;
    added.targetId = target->id;
    const int32_t id = library.InsertRecord(record, added.targetId, added.position);
    added.node = id != 0 ? library.FindById(id) : nullptr;
    return added;
}

// ---- Abbreviations ----

// Watched only while triggers are on, no macro runs and nothing records:
// a running script's own typing must not expand anything.
void CProgram::OnTyped(int identifier, int code) {
    const bool watching = state.triggersEnabled && !state.recording && !runQueue->IsRunning() &&
                          Clock().Milliseconds() >= ownTypingUntil;
    if (!watching || identifier == CKeyHook::kTypingBreak) {
        abbreviations->Clear();
        return;
    }
    if (code == 8) {
        abbreviations->OnBackspace();
        return;
    }
    abbreviations->Update(library);
    if (abbreviations->Count() == 0 || code <= 0 || code > 0x10FFFF)
        return;
    std::optional<ActiveWindow> window =
        services.activeWindow ? services.activeWindow() : std::nullopt;
    if (window != typingWindow) {
        abbreviations->Clear();
        typingWindow = window;
    }
    std::string text;
    AppendUtf8(text, static_cast<char32_t>(code));
    if (const auto hit = abbreviations->OnTyped(text, window ? &*window : nullptr))
        Expand(*hit);
}

void CProgram::Expand(const AbbreviationHit& hit) {
    const CMacroNode* node = library.FindById(hit.macroId);
    if (!node)
        return;
    if (!services.typeKeys) {
        observer.StatusMessage(UiFormat(
            UI_TEXT("Wingmate", "The abbreviation of \"%1\" cannot expand: nothing can type here."),
            {node->name}));
        return;
    }
    std::string keys;
    const std::string replacement = node->extras.replaceWithText;
    if (!replacement.empty()) {
        const std::string clipboard = services.clipboardText ? services.clipboardText() : "";
        keys = ExpansionKeys(hit, replacement, clipboard, Clock().Now());
    } else {
        // The macro types where the abbreviation was, before the word end.
        keys = EraseKeys(hit.erase) + LiteralKeys(hit.wordEnd);
        for (size_t i = Utf8CharacterCount(hit.wordEnd); i > 0; --i)
            keys += "<LEFT>";
    }
    const std::string problem = services.typeKeys(keys);
    // Our own keys come back through the hook a moment later.
    ownTypingUntil = Clock().Milliseconds() + 300;
    abbreviations->Clear();
    if (!problem.empty()) {
        observer.StatusMessage(
            UiFormat(UI_TEXT("Wingmate", "The abbreviation of \"%1\" could not expand: %2"),
                     {node->name, problem}));
        return;
    }
    if (replacement.empty() && runQueue->EnqueueUnattended(hit.macroId))
        runQueue->RunNextQueued();
}

// ---- Commands ----

void CProgram::Execute(int32_t id) {
    if (ended || !library.FindById(id))
        return;
    runQueue->EnqueueMacro(id);
    runQueue->RunNextQueued();
}

// The queue is emptied; a running script is asked to stop by the runner
// (a started program is not stopped). The running flag waits for its end.
void CProgram::Stop() {
    runQueue->ClearRunQueue();
    if (services.stopScripts)
        services.stopScripts();
}

// The queue tells the views itself (RefreshTrayState).
void CProgram::SetSchedulerEnabled(bool enabled) {
    runQueue->SetSchedulerEnabled(enabled);
}

void CProgram::SetTriggersEnabled(bool enabled) {
    if (enabled) {
        state.triggersEnabled = true;
        Install();
    } else {
        Release();
        state.triggersEnabled = false;
    }
    UpdateTakenKeys();
    RefreshTrayState();
}

void CProgram::SetRecording(bool recording, const std::string& stopKeyText) {
    state.recording = recording;
    state.stopKeyText = stopKeyText;
}

void CProgram::SettingsChanged() {
    runQueue->SetRunMissedAfterSleep(settings.runMissed != 0);
}

int CProgram::DefaultDelay() const {
    return static_cast<int>(std::min<uint32_t>(settings.defaultDelay, 600000));
}

void CProgram::RefreshTrayState() {
    state.running = runQueue->IsRunning();
    state.schedulerEnabled = runQueue->SchedulerEnabled();
    observer.StateChanged();
}

// ---- The instance socket ----

std::string CProgram::HandleRequest(const std::string& line) {
    if (IsStatusRequest(line))
        return FormatStatusAnswer(CurrentStatus());
    const auto target = ParseRunRequest(line);
    if (!target)
        return "refused\tunknown request";
    const RunRequestOutcome outcome = QueueRunRequest(library, *runQueue, *target);
    if (outcome.queued)
        runQueue->RunNextQueued();
    return outcome.answer;
}

InstanceStatus CProgram::CurrentStatus() const {
    InstanceStatus status;
    status.schedulerEnabled = runQueue->SchedulerEnabled();
    // Enabled triggers with no working hook are reported as what they are.
    status.triggersEnabled = state.triggersEnabled && keyHookProblem.empty();
    status.triggersUnavailable = keyHookProblem;
    const CMacro& running = runQueue->RunningMacro();
    if (runQueue->IsRunning() && running.id != 0)
        status.running = InstanceStatus::Entry{running.id, running.name};
    for (int i = 0; i < runQueue->Count(); ++i)
        status.queued.push_back({runQueue->Slot(i).id, runQueue->Slot(i).name});
    return status;
}

// ---- IKeyHookControl: the queue's hold on the hook follows Disable Triggers ----

// The queue asks for the hook at every idle scheduler pass; a hook that is in
// place stays as it is (restarting it would cost a round trip to the X server
// four times a second and could drop keys).
void CProgram::Install() {
    if (!keyHook || !state.triggersEnabled || hookInstalled || ended)
        return;
    keyHook->Install();
    hookInstalled = true;
}

void CProgram::Release() {
    if (!keyHook || !hookInstalled)
        return;
    keyHook->Release();
    hookInstalled = false;
}

void CProgram::ResetKeys() {
    if (keyHook)
        keyHook->ResetKeys();
}

void CProgram::SetTriggerBoxFocus(bool focused) {
    triggerBoxFocus = focused;
    UpdateTakenKeys();
}

void CProgram::UpdateTakenKeys() {
    if (keyHook)
        keyHook->SetTaking(state.triggersEnabled && !triggerBoxFocus && !ended);
}

// ---- The end ----

std::string CProgram::EndWithoutSavingQuestion(bool formEdits) const {
    EscapeSituation situation;
    situation.schedulerEnabled = runQueue->SchedulerEnabled();
    situation.comingSchedule = HasComingSchedule(library.Root(), Clock().Now());
    situation.unsavedEdits = HasUnsavedEdits() || formEdits;
    return EscapeQuestion(situation);
}

bool CProgram::HasUnsavedEdits() const {
    return recovery->HasUnsavedEdits();
}

// The hook lets go of the keys at once; a macro still running ends as it
// does, but nothing new starts.
void CProgram::MarkEnded() {
    Release();
    ended = true;
    UpdateTakenKeys();
}
