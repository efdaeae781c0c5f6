#include "record/Recorder.h"

#include "ports/UiText.h"
#include "record/RecordDlgLogic.h"
#include "record/ScriptTranslator.h"

#include <optional>
#include <utility>

struct CRecorder::State {
    explicit State(IRecordSource& recordSource) : source(recordSource) {}

    IRecordSource& source;
    RecordInitT init;
    bool truncate = true; // "Truncate Afx:" starts checked
    bool recording = false;
    std::optional<CScriptTranslator> translator;

    // Shared with the source's thread.
    std::mutex mutex;
    std::vector<RecordedEvent> queue;
    std::function<void()> wake;

    std::vector<RecordedEvent> TakeQueue() {
        std::lock_guard lock(mutex);
        return std::exchange(queue, {});
    }

    // Translates `events`; true when the stop combination was among them.
    bool Translate(const std::vector<RecordedEvent>& events) {
        std::vector<std::string> lines;
        bool stop = false;
        for (const RecordedEvent& event : events) {
            if (translator->Feed(event, lines) == CScriptTranslator::Outcome::Stop) {
                stop = true;
                break;
            }
        }
        for (const std::string& line : lines)
            init.scriptView->AppendLine(line);
        init.scriptView->ShowPendingLine(translator->PendingLine());
        return stop;
    }
};

CRecorder::CRecorder(IRecordSource& source) : state(std::make_unique<State>(source)) {}

CRecorder::~CRecorder() {
    // The view may be gone already: only the source is stopped.
    state->source.Stop();
}

void CRecorder::ReleaseHooks() {
    state->source.Stop();
    std::vector<RecordedEvent> rest = state->TakeQueue();
    if (!state->recording)
        return;
    state->recording = false;
    // What the user did before the stop is still recorded; a stop
    // combination among it needs no second notice.
    state->Translate(rest);
    std::vector<std::string> lines;
    state->translator->Finish(lines);
    for (const std::string& line : lines)
        state->init.scriptView->AppendLine(line);
    state->init.scriptView->ShowPendingLine({});
    state->translator.reset();
}

int CRecorder::Init(const RecordInitT& init) {
    state->init = init;
    return 1;
}

std::string CRecorder::Start() {
    ReleaseHooks();
    if (!state->init.scriptView)
        return UiText(UI_TEXT("Wingmate",
                              "Recording is unavailable: there is no script view to record into."));
    const std::string& stopCharacter = state->init.stopCharacter;
    if (!stopCharacter.empty() && !state->source.LayoutTypes(stopCharacter))
        return StopCharacterRefusal(stopCharacter);
    TranslatorSettings settings;
    settings.defaultDelay = state->init.defaultDelay;
    settings.sleepWhenIdle = state->init.sleepWhenIdle;
    settings.idleSeconds = state->init.idleSeconds;
    settings.windowWaitMs = state->init.windowWaitMs;
    settings.truncateTitles = state->truncate;
    settings.stopModifier = state->init.stopModifier;
    settings.stopKey = state->init.stopKey & 0xFF;
    state->translator.emplace(settings);
    state->source.SetStopCombination(settings.stopModifier, settings.stopKey, stopCharacter);
    State* shared = state.get();
    std::string why = state->source.Start([shared](const RecordedEvent& event) {
        std::function<void()> wake;
        {
            std::lock_guard lock(shared->mutex);
            shared->queue.push_back(event);
            wake = shared->wake;
        }
        if (wake)
            wake();
    });
    if (!why.empty()) {
        state->source.Stop();
        state->TakeQueue();
        state->translator.reset();
        return why;
    }
    state->recording = true;
    return {};
}

void CRecorder::SetTruncState(int truncState) {
    state->truncate = truncState != 0;
    if (state->translator)
        state->translator->SetTruncateTitles(state->truncate);
}

int CRecorder::OnCommand(unsigned /*identifier*/, long /*parameter*/) {
    // The recorder's only command, the stop, goes to the owner.
    return 0;
}

void CRecorder::SetWake(std::function<void()> wake) {
    std::lock_guard lock(state->mutex);
    state->wake = std::move(wake);
}

void CRecorder::Pump() {
    if (!state->recording)
        return;
    const std::vector<RecordedEvent> events = state->TakeQueue();
    if (events.empty())
        return;
    if (state->Translate(events) && state->init.owner)
        state->init.owner->PostCommand(kStopRecording); // last: the owner may stop us here
}

bool CRecorder::Recording() const {
    return state->recording;
}
