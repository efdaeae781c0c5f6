#pragma once
// Runs the macro the run queue hands over: a script on a worker thread of its
// own, through the engine, with the external libraries loaded and its output
// on the Output page and in a log beside the script; or a program, started
// detached. Every run ends with command 22000 to the main window. The runner
// also serves the Stop command and builds the function-name list for the
// script editors.
//
// Threads: Run, StopMacro, LoadFunctionNames and the destructor are called on
// the user-interface thread. Each script run has a worker that owns its
// request, stream, library manager and script. The engines of running
// scripts are kept in a guarded registry, so Stop reaches every one of them
// and never sees an engine being destroyed. The destructor stops every
// running script and joins its worker before anything the worker uses is
// destroyed.

#include "ports/Clipboard.h"
#include "ports/Desktop.h"
#include "ports/Dialogs.h"
#include "ports/MessageBox.h"
#include "ports/ProcessLauncher.h"
#include "ports/RunPorts.h"
#include "schedule/RunQueuePorts.h"

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CEngine;
class CRunQueue;
class CScriptOutStream;
class CReplyWait;

// A script macro's `scriptFile`: the path, then optionally "ARGS=" and the
// argument text.
struct ScriptField {
    std::string path;
    std::string arguments;
};
ScriptField SplitScriptField(const std::string& scriptFile);

// The script log beside a script: its path up to the last "." of the file
// name, then ".log"; a name without "." gets ".log" appended, and so does a
// name that ends in ".log", so that the log is never the script itself.
std::string ScriptLogPath(const std::string& scriptPath);
// The log a run of `scriptPath` writes: ScriptLogPath, unless that names the
// script file itself (through a link), then the path with ".log" added.
// Empty (no log) when the script is not a regular file.
std::string LogBesideScript(const std::string& scriptPath);

class CMacroRunner : public IMacroRunner {
public:
    // What the runner uses of the main window and the platform. Every
    // reference must outlive the runner.
    struct Ports {
        IOutputSink* output = nullptr;        // the Output page's box
        IInputRequest* inputPrompt = nullptr; // "Tessera - Input Required"
        IRunCompletion* completion = nullptr;
        IMessageBox* messageBox = nullptr; // "Could not Execute"
        IProcessLauncher* launcher = nullptr;
        IDesktop* desktop = nullptr;       // null: no display
        IClipboard* clipboard = nullptr;   // null: no display
        IScriptDialogs* dialogs = nullptr; // Choose, Confirm...; null: none
        IRunFailure* failure = nullptr;    // null: failures only reach the Output page
    };

    // `homeFolder`: where relative script paths, "Externals.dat",
    // "LibMgrMessages.log" and relative program paths are found.
    CMacroRunner(std::string homeFolder, Ports ports);
    // Stops every running script and joins its worker.
    ~CMacroRunner() override;
    CMacroRunner(const CMacroRunner&) = delete;
    CMacroRunner& operator=(const CMacroRunner&) = delete;

    // 1 when the worker or the program started, 0 when it did not (the
    // "Could not Execute" box was shown). The completion follows either way.
    int Run(CMacro macro) override;

    // The Stop command: empties the queue, then asks every running script to
    // stop (a started program runs on). Returns how many were asked.
    int StopMacro(CRunQueue& queue);
    // Asks every running script to stop; returns how many were asked.
    int StopAll();

    // The names of every function a script may call (builtins and those of
    // the libraries in "Externals.dat"), separated by ",". Calling thread.
    std::string LoadFunctionNames();

    // Scripts whose worker has not finished.
    int RunningScripts() const;

    // Asks every script to stop and joins each worker that ends within
    // `grace`; later Runs start nothing. A worker still running after that
    // (stuck inside plugin code) is detached and false returned: the caller
    // must then end the process without destroying the runner. The
    // destructor calls it with no time limit.
    bool Shutdown(std::chrono::milliseconds grace = std::chrono::milliseconds::max());

private:
    struct ActiveRun;

    int StartScript(const CMacro& macro);
    int StartProgram(const CMacro& macro);
    void Work(const std::shared_ptr<ActiveRun>& run, const std::string& scriptFile);
    int RunScript(ActiveRun& run, const std::string& scriptFile);
    void ReportFailure(int32_t id, const std::string& name, const std::string& error);
    void Publish(ActiveRun& run, CEngine* engine, CScriptOutStream* stream);
    void Unpublish(ActiveRun& run);
    void Complete(ActiveRun& run);
    void JoinFinished();
    void AskToStop(ActiveRun& run);
    std::string InHome(const std::string& path) const;
    std::string ExecutablePath(const std::string& executable) const;

    std::string home;
    Ports ports;
    mutable std::mutex mutex; // guards `runs`, `shuttingDown` and each run's pointers
    std::list<std::shared_ptr<ActiveRun>> runs;
    // Workers a bounded shutdown gave up on; an unbounded one waits for them.
    std::list<std::shared_ptr<ActiveRun>> detached;
    bool shuttingDown = false;
};
