#include "run/MacroRunner.h"

#include "engine/Engine.h"
#include "ports/UiText.h"
#include "run/CommandLine.h"
#include "run/LibMgr.h"
#include "run/ReplyWait.h"
#include "run/ScriptOutStream.h"
#include "schedule/RunQueue.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kArgsMarker = "ARGS=";

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string TrimmedRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

} // namespace

ScriptField SplitScriptField(const std::string& scriptFile) {
    size_t marker = scriptFile.find(kArgsMarker);
    if (marker == std::string::npos)
        return {scriptFile, ""};
    return {scriptFile.substr(0, marker), scriptFile.substr(marker + std::strlen(kArgsMarker))};
}

std::string ScriptLogPath(const std::string& scriptPath) {
    size_t slash = scriptPath.rfind('/');
    size_t dot = scriptPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return scriptPath + ".log";
    std::string log = scriptPath.substr(0, dot) + ".log";
    // "notes.log" would log over itself.
    return log == scriptPath ? scriptPath + ".log" : log;
}

// Never a name for the script file itself (a link named like the log):
// opening the log empties it.
std::string LogBesideScript(const std::string& path) {
    std::error_code ec;
    // A script read from a device or a pipe (/dev/stdin) has no folder of
    // its own to log into: "/dev/stdin.log" would land in /dev.
    if (!std::filesystem::is_regular_file(path, ec))
        return "";
    std::string log = ScriptLogPath(path);
    if (std::filesystem::equivalent(log, path, ec))
        log = path + ".log";
    return log;
}

// One script run: its worker and what Stop must reach while it runs.
struct CMacroRunner::ActiveRun {
    std::thread worker;
    std::atomic<bool> finished{false};
    // Guarded by the runner's mutex.
    bool stopRequested = false;
    CEngine* engine = nullptr;
    CScriptOutStream* stream = nullptr;
    std::optional<CReplyWait> completion;
    int32_t macroId = 0;
    std::string macroName;
};

CMacroRunner::CMacroRunner(std::string homeFolder, Ports runnerPorts)
    : home(std::move(homeFolder)), ports(runnerPorts) {}

CMacroRunner::~CMacroRunner() {
    Shutdown();
}

std::string CMacroRunner::InHome(const std::string& path) const {
    if (path.empty() || path[0] == '/' || home.empty())
        return path;
    return home + "/" + path;
}

// A program named with a relative path is found in the home folder; a bare
// name there too when such a program exists, else through PATH.
std::string CMacroRunner::ExecutablePath(const std::string& executable) const {
    if (executable.empty() || executable[0] == '/')
        return executable;
    std::string local = InHome(executable);
    if (executable.find('/') != std::string::npos)
        return local;
    std::error_code ec;
    if (std::filesystem::is_regular_file(local, ec) && ::access(local.c_str(), X_OK) == 0)
        return local;
    return executable;
}

int CMacroRunner::Run(CMacro macro) {
    if (macro.runAsScript)
        return StartScript(macro);
    return StartProgram(macro);
}

int CMacroRunner::StartScript(const CMacro& macro) {
    JoinFinished();
    auto run = std::make_shared<ActiveRun>();
    run->macroId = macro.id;
    run->macroName = macro.name;
    const std::string& scriptFile = macro.scriptFile;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (shuttingDown)
            return 0;
        runs.push_back(run);
    }
    try {
        // The worker gets its own copy of the request and of the run record.
        run->worker = std::thread([this, run, scriptFile] { Work(run, scriptFile); });
    } catch (const std::system_error& error) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            runs.remove(run);
        }
        if (ports.output)
            ports.output->AppendOutput(
                UiFormat(UI_TEXT("Wingmate", "Could not start the script: %1"), {error.what()}) +
                "\n");
        ReportFailure(macro.id, macro.name, UiText(UI_TEXT("Wingmate", "Could not Execute")));
        if (ports.messageBox)
            ports.messageBox->Show(UiText(UI_TEXT("Wingmate", "Could not Execute")),
                                   UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        if (ports.completion)
            ports.completion->PostMacroFinished(macro.id, [] {});
        return 0;
    }
    return 1;
}

int CMacroRunner::StartProgram(const CMacro& macro) {
    std::vector<std::string> args;
    std::string error;
    bool started = false;
    if (!SplitCommandLine(macro.scriptFile, &args, &error))
        error = "bad argument text '" + macro.scriptFile + "': " + error;
    else if (!ports.launcher)
        error = "programs cannot be started here";
    else {
        const LaunchResult result = ports.launcher->Launch(ExecutablePath(macro.executable), args);
        started = result.ok;
        if (!started)
            error = std::strerror(result.error);
    }
    if (!started) {
        const std::string why =
            UiFormat(UI_TEXT("Wingmate", "Could not Execute %1: %2"), {macro.executable, error});
        if (ports.output)
            ports.output->AppendOutput(why + "\n");
        ReportFailure(macro.id, macro.name, why);
        if (ports.messageBox)
            ports.messageBox->Show(UiText(UI_TEXT("Wingmate", "Could not Execute")),
                                   UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    }
    if (ports.completion)
        ports.completion->PostMacroFinished(macro.id, [] {});
    return started ? 1 : 0;
}

void CMacroRunner::Work(const std::shared_ptr<ActiveRun>& run, const std::string& scriptFile) {
    RunScript(*run, scriptFile);
    Complete(*run);
    run->finished = true;
}

// The steps of one script run. Everything is destroyed (script, then the
// library manager, which unloads the libraries, then the stream, which
// closes the script log) before the completion is sent, so when the main
// window hears of the end, the run has left nothing behind. 1 after a run,
// 0 after a failed load or rejected arguments.
int CMacroRunner::RunScript(ActiveRun& run, const std::string& scriptFile) {
    CScriptOutStream stream(ports.output, ports.inputPrompt);
    CLibMgr libraries(home);
    CScript script(&stream, &stream);
    CEngine* engine = script.GetEngine();
    engine->SetDesktop(ports.desktop);
    engine->SetClipboard(ports.clipboard);
    engine->SetDialogs(ports.dialogs);
    engine->SetLibraryLoader(&libraries);
    Publish(run, engine, &stream);

    ScriptField field = SplitScriptField(scriptFile);
    // "path ARGS=..." leaves blanks after the path; the path loads without them.
    std::string path = InHome(field.path);
    if (!Exists(path) && Exists(InHome(TrimmedRight(field.path))))
        path = InHome(TrimmedRight(field.path));

    int result = 0;
    bool failed = true;
    if (script.Load(path)) {
        libraries.LoadList(engine, CLibMgr::kListName);
        if (!field.arguments.empty() && !script.EvaluateArguments(field.arguments)) {
            Factory_ClearData();
            libraries.UnregisterAll(engine);
        } else {
            if (const std::string log = LogBesideScript(path); !log.empty())
                stream.OpenScriptLog(log);
            script.Run(1, nullptr);
            Factory_ClearData();
            libraries.UnregisterAll(engine);
            result = 1;
            // A stop is the user's doing, an exit status the script's choice.
            failed = script.Outcome() == ScriptOutcome::Failed;
        }
    }
    Unpublish(run);
    if (failed)
        ReportFailure(run.macroId, run.macroName, stream.FirstError());
    return result;
}

// Only the first line: the notification has room for one.
void CMacroRunner::ReportFailure(int32_t id, const std::string& name, const std::string& error) {
    if (!ports.failure)
        return;
    const std::string firstLine = error.substr(0, error.find('\n'));
    ports.failure->MacroFailed(id, name, firstLine.empty() ? UiText(UI_TEXT("Wingmate", "The script failed")) : firstLine);
}

void CMacroRunner::Publish(ActiveRun& run, CEngine* engine, CScriptOutStream* stream) {
    std::lock_guard<std::mutex> lock(mutex);
    run.engine = engine;
    run.stream = stream;
    if (run.stopRequested || shuttingDown)
        AskToStop(run);
}

void CMacroRunner::Unpublish(ActiveRun& run) {
    std::lock_guard<std::mutex> lock(mutex);
    run.engine = nullptr;
    run.stream = nullptr;
}

// Sends command 22000 and waits until the main window handled it, or until
// the runner shuts down.
void CMacroRunner::Complete(ActiveRun& run) {
    if (!ports.completion)
        return;
    CReplyWait wait;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (shuttingDown)
            return;
        run.completion = wait;
    }
    ports.completion->PostMacroFinished(run.macroId, [give = wait.Giver()] { give(""); });
    wait.Wait();
    std::lock_guard<std::mutex> lock(mutex);
    run.completion.reset();
}

// Called with the mutex held.
void CMacroRunner::AskToStop(ActiveRun& run) {
    run.stopRequested = true;
    if (run.engine)
        run.engine->GetInterpreter()->SetStopFlag();
    if (run.stream)
        run.stream->CloseInput();
}

int CMacroRunner::StopMacro(CRunQueue& queue) {
    queue.ClearRunQueue();
    return StopAll();
}

int CMacroRunner::StopAll() {
    std::lock_guard<std::mutex> lock(mutex);
    int asked = 0;
    for (const std::shared_ptr<ActiveRun>& run : runs) {
        if (run->finished)
            continue;
        AskToStop(*run);
        ++asked;
    }
    return asked;
}

int CMacroRunner::RunningScripts() const {
    std::lock_guard<std::mutex> lock(mutex);
    int count = 0;
    for (const auto* list : {&runs, &detached})
        for (const std::shared_ptr<ActiveRun>& run : *list)
            if (!run->finished)
                ++count;
    return count;
}

// Joins the workers that have ended (each sets `finished` as its last act).
void CMacroRunner::JoinFinished() {
    std::list<std::shared_ptr<ActiveRun>> done;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = runs.begin(); it != runs.end();) {
            if ((*it)->finished) {
                done.push_back(*it);
                it = runs.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const std::shared_ptr<ActiveRun>& run : done)
        if (run->worker.joinable())
            run->worker.join();
}

bool CMacroRunner::Shutdown(std::chrono::milliseconds grace) {
    std::list<std::shared_ptr<ActiveRun>> all;
    {
        std::lock_guard<std::mutex> lock(mutex);
        shuttingDown = true;
        for (const std::shared_ptr<ActiveRun>& run : runs) {
            AskToStop(*run);
            if (run->completion)
                run->completion->Abandon();
        }
        all.swap(runs);
        all.splice(all.end(), detached);
    }
    using Clock = std::chrono::steady_clock;
    const bool bounded = grace != std::chrono::milliseconds::max();
    const Clock::time_point deadline = bounded ? Clock::now() + grace : Clock::time_point::max();
    bool allEnded = true;
    for (const std::shared_ptr<ActiveRun>& run : all) {
        // `finished` is the worker's last act, so polling it is enough.
        while (!run->finished && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (run->finished) {
            if (run->worker.joinable())
                run->worker.join();
            continue;
        }
        if (run->worker.joinable())
            run->worker.detach();
        allEnded = false;
        std::lock_guard<std::mutex> lock(mutex);
        detached.push_back(run);
    }
    return allEnded;
}

std::string CMacroRunner::LoadFunctionNames() {
    CScriptOutStream stream(ports.output, ports.inputPrompt);
    CLibMgr libraries(home);
    CScript script(&stream, &stream);
    CEngine* engine = script.GetEngine();
    libraries.LoadList(engine, CLibMgr::kListName);
    std::string names = engine->FunctionNames(",").Std();
    Factory_ClearData();
    libraries.UnregisterAll(engine);
    return names;
}
