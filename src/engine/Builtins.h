#pragma once
// Builtin functions: name tables shared by the compiler (names, argument
// counts, result types) and the VM (the functions themselves).

#include "engine/Operations.h"
#include "engine/Value.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IClipboard;
class IDesktop;
struct DesktopResult;
class IScriptDialogs;
class ssi_stream;

namespace tessera {

// What a builtin may reach while it runs.
struct BuiltinContext {
    ssi_stream* stream = nullptr; // output
    ssi_stream* input = nullptr;
    IDesktop* desktop = nullptr;
    IClipboard* clipboard = nullptr;
    IScriptDialogs* dialogs = nullptr; // Choose, Confirm, Notify...
    ListHeap* heap = nullptr;
    const std::atomic<bool>* stopFlag = nullptr;
    size_t maxString = 0;
    size_t maxList = 0;
    bool systemAccess = true;
    // TypeKeys pacing, set by SetKeyDelay for the rest of the run.
    int keyDelayMs = 2;
    int keyHoldMs = 2;

    bool StopRequested() const { return stopFlag && stopFlag->load(std::memory_order_relaxed); }
    // Sleeps up to `milliseconds`, waking every few milliseconds to honour
    // Stop; throws StopSignal when stopped.
    void SleepMs(int64_t milliseconds) const;
    // Throws unless builtins may touch files, processes and the environment.
    void RequireSystemAccess() const;
    // Writes text through the stream (with a line break when `newline`).
    void Write(const std::string& text, bool newline) const;
};

// A builtin reads argc arguments and sets `result`; it fails by throwing
// ScriptError with the cause, which the VM prefixes with the builtin's name.
using BuiltinFn = void (*)(BuiltinContext& ctx, Value* args, int argc, Value& result);

struct BuiltinInfo {
    const char* name;
    int minArgs;
    int maxArgs; // -1: any number
    DeclType result;
    BuiltinFn fn;
};

// Every builtin, in a fixed order (the CALLB operand indexes it).
const std::vector<BuiltinInfo>& Builtins();
int FindBuiltin(std::string_view name);

// The tables of each group, ending with a null name.
extern const BuiltinInfo kTextBuiltins[];
extern const BuiltinInfo kSystemBuiltins[];
extern const BuiltinInfo kDesktopBuiltins[];
extern const BuiltinInfo kListBuiltins[];
extern const BuiltinInfo kRegexBuiltins[];
extern const BuiltinInfo kDataBuiltins[];
extern const BuiltinInfo kProcessBuiltins[];
extern const BuiltinInfo kClipboardBuiltins[];
extern const BuiltinInfo kDialogBuiltins[];

// A desktop port's failure as the builtin's ScriptError (its cause, else
// "failed"); nothing on success.
void Check(const DesktopResult& result);

// Argument helpers shared by the tables; they throw a clear ScriptError.
const std::string& ArgStr(const Value* args, int index);
int64_t ArgInt(const Value* args, int index);
ListObj* ArgList(const Value* args, int index);
void SetStr(Value& result, std::string text, const BuiltinContext& ctx);

} // namespace tessera
