#pragma once
// The Tessera engine's public interface.
//
//   CScript script(&stream, &stream);      // output and input stream
//   script.GetEngine()->SetDesktop(desktop);          // optional
//   script.GetEngine()->SetClipboard(clipboard);      // optional
//   script.GetEngine()->SetLibraryLoader(loader);     // optional
//   if (script.Load("job.tsc") && script.EvaluateArguments("1,\"two\""))
//       script.Run(1, nullptr);            // blocks until the script ends
//   Factory_ClearData();
//
// Another thread stops a running script with
// script.GetEngine()->GetInterpreter()->SetStopFlag(); Run then returns
// within milliseconds. Every run-time state lives in the engine object, so
// scripts on different threads run side by side.

#include "engine/ScriptFile.h"
#include "engine/ScriptString.h"
#include "engine/Stream.h"
#include "engine/TesseraPlugin.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IClipboard;
class IDesktop;
class IScriptDialogs;
class IExternalLibraryLoader;

// Carries the stop request of a running script.
class CInterpreter {
public:
    // Asks the running script to stop; safe from any thread.
    void SetStopFlag() { stopFlag.store(true, std::memory_order_relaxed); }
    void ClearStopFlag() { stopFlag.store(false, std::memory_order_relaxed); }
    bool StopRequested() const { return stopFlag.load(std::memory_order_relaxed); }
    const std::atomic<bool>& Flag() const { return stopFlag; }

private:
    std::atomic<bool> stopFlag{false};
};

// Bounds that keep a script from exhausting the host.
struct CEngineLimits {
    size_t maxStringBytes = size_t{256} << 20;
    size_t maxListItems = size_t{32} << 20;
    size_t maxCallDepth = 100000;
    uint64_t maxSteps = 0; // loop iterations and calls; 0 = unlimited
    // false: builtins that touch files, processes or the environment fail,
    // and Sleep returns at once (for fuzzing and untrusted text).
    bool systemAccess = true;
};

namespace tessera {
struct Program;
}

class CEngine {
public:
    CEngine();
    virtual ~CEngine();
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    CInterpreter* GetInterpreter() { return &interpreter; }

    // Names the external library whose functions are registered next.
    virtual CStatus SetPackageName(const String& name);
    // Adds a function scripts may call by `name`, in the current package.
    // A builtin's name is refused; registering a name again replaces it.
    virtual CStatus RegisterFunction(const char* name, TesseraFunction function,
                                     void* userData = nullptr, int minArgs = 0, int maxArgs = -1);
    virtual CStatus UnregisterFunction(const char* name);
    // The names of every function scripts may call, builtins first, then the
    // registered ones in registration order, joined by `separator`.
    virtual String FunctionNames(const String& separator) const;
    virtual int ApiVersion() const { return TESSERA_PLUGIN_API_VERSION; }

    // The desktop the desktop builtins act on; null means no display.
    void SetDesktop(IDesktop* desktop);
    IDesktop* Desktop() const;
    // The clipboard the clipboard builtins use; null means no display.
    void SetClipboard(IClipboard* clipboard);
    // The dialogs of Choose, Confirm, ChooseFile... and Notify; null: none.
    void SetDialogs(IScriptDialogs* dialogs);
    // Loader for `dll` / `unload`; null means those statements fail.
    void SetLibraryLoader(IExternalLibraryLoader* loader);
    void SetLimits(const CEngineLimits& limits);
    const CEngineLimits& Limits() const;

    // Drops every registered function and the values of the last run, so
    // that the libraries behind them may be unloaded.
    void ClearData();

    struct Impl;
    Impl& Internals() { return *impl; }

private:
    CInterpreter interpreter;
    std::unique_ptr<Impl> impl;
};

// How the last Run ended.
enum class ScriptOutcome { NotRun, Finished, Exited, Failed, Stopped };

class CScript {
public:
    // `output` receives everything the script writes and every message;
    // `input` answers Input (the host usually passes the same object twice).
    CScript(ssi_stream* output, ssi_stream* input);
    ~CScript();
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    CEngine* GetEngine() { return &engine; }

    // Reads and compiles the script; nonzero on success. On failure the
    // message "FILE:LINE:COLUMN: error: TEXT" goes to the output stream.
    char Load(const String& path);
    // Compiles `source` as if read from `path` (includes resolve from there).
    char LoadSource(const String& path, const String& source);
    // Sets the global list `args` from a comma-separated list of literals;
    // 0 (with a message on the stream) when an element is not a literal.
    int EvaluateArguments(const String& text);
    // Runs the loaded script until it ends, exits, fails or is stopped.
    // Returns the exit status: the `exit` value, 0 at the normal end, 1
    // after an uncaught runtime error or a stop. The arguments are kept for
    // callers written against the original interface; both are ignored.
    int Run(int mode = 1, CInterpreter* interpreter = nullptr);

    ScriptOutcome Outcome() const { return outcome; }
    // The message written for a failed or stopped run ("" otherwise).
    const std::string& LastMessage() const { return lastMessage; }
    // Names given to `use` statements, in order.
    std::vector<std::string> UsedFiles() const;
    // A listing of the compiled bytecode ("" before a successful Load).
    std::string Disassemble() const;

private:
    CEngine engine;
    ssi_stream* output;
    ssi_stream* input;
    ScriptOutcome outcome = ScriptOutcome::NotRun;
    std::string lastMessage;
};

// Releases the shared data of every engine created on the calling thread
// (registered functions, values of finished runs). Hosts call it after
// each run and before unloading external libraries.
void Factory_ClearData();
