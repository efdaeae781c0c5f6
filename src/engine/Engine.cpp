#include "engine/Engine.h"

#include "engine/Builtins.h"
#include "engine/Compiler.h"
#include "engine/ExternalLibraries.h"
#include "engine/Parser.h"
#include "engine/StrArena.h"
#include "engine/Vm.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unordered_map>

using namespace tessera;

// ---- engine state -----------------------------------------------------------

struct CEngine::Impl final : VmHost {
    struct External {
        std::string name;
        TesseraFunction function;
        void* userData;
        int minArgs;
        int maxArgs;
        std::string package;
    };

    CEngine* owner = nullptr;
    StrArena strings; // first, so every string dies before its memory
    ListHeap heap;    // next, so every value below dies before it
    Value args;       // the global list `args`
    std::unique_ptr<Program> program;
    IDesktop* desktop = nullptr;
    IClipboard* clipboard = nullptr;
    IScriptDialogs* dialogs = nullptr;
    IExternalLibraryLoader* loader = nullptr;
    CEngineLimits limits;
    std::string package;
    std::vector<External> externals;
    std::unordered_map<std::string, size_t> externalIndex;
    std::vector<std::string> scriptLibraries; // loaded by `dll` in this run
    ssi_stream* output = nullptr;

    void Reindex() {
        externalIndex.clear();
        for (size_t k = 0; k < externals.size(); ++k)
            externalIndex[externals[k].name] = k;
    }
    void DropPackage(const std::string& name) {
        externals.erase(std::remove_if(externals.begin(), externals.end(),
                                       [&](const External& e) { return e.package == name; }),
                        externals.end());
        Reindex();
    }

    bool HasExternal(const std::string& name) const override {
        return externalIndex.count(name) != 0;
    }
    bool CallExternal(const std::string& name, Value* argv, int argc, Value& result) override;
    void LoadLibrary(const std::string& path) override;
    void UnloadLibrary(const std::string& path) override;
    void UnloadScriptLibraries();
};

namespace {

// One call of a registered function, seen through the plugin interface.
class ExternalCall final : public ITesseraCall {
public:
    ExternalCall(Value* argv, int argc, ssi_stream* out, const std::atomic<bool>& stop)
        : args(argv), count(argc), output(out), stopFlag(stop) {}

    int ArgCount() const override { return count; }
    int ArgType(int index) const override {
        return Valid(index) ? static_cast<int>(args[index].type) : -1;
    }
    int64_t ArgInt(int index) override {
        if (!Valid(index))
            return Missing(index), 0;
        const Value& v = args[index];
        if (v.type == ValueType::Float) {
            try {
                return FloatToInt(v.AsFloat(), "argument");
            } catch (const ScriptError& e) {
                Fail(e.message.c_str());
                return 0;
            }
        }
        if (v.type == ValueType::Int || v.type == ValueType::Bool)
            return v.AsInt();
        Fail(("argument " + std::to_string(index + 1) + " must be a number").c_str());
        return 0;
    }
    double ArgFloat(int index) override {
        if (!Valid(index))
            return Missing(index), 0.0;
        const Value& v = args[index];
        if (v.type == ValueType::Float)
            return v.AsFloat();
        if (v.type == ValueType::Int || v.type == ValueType::Bool)
            return static_cast<double>(v.AsInt());
        Fail(("argument " + std::to_string(index + 1) + " must be a number").c_str());
        return 0;
    }
    const char* ArgString(int index) override {
        if (!Valid(index))
            return Missing(index), "";
        try {
            texts.push_back(ToText(args[index]));
        } catch (const ScriptError& error) {
            Fail(error.message.c_str());
            return "";
        }
        return texts.back().c_str();
    }
    void ReturnInt(int64_t value) override { result = Value::Int(value); }
    void ReturnFloat(double value) override { result = Value::Float(value); }
    void ReturnBool(bool value) override { result = Value::Bool(value); }
    void ReturnString(const char* text) override { result = Value::Str(text ? text : ""); }
    void Fail(const char* message) override {
        if (!failed) {
            failed = true;
            failure = message ? message : "failed";
        }
    }
    void Write(const char* text, bool lineBreak) override {
        if (output)
            output->Write(text ? text : "", lineBreak ? 1 : 0);
    }
    bool StopRequested() const override { return stopFlag.load(std::memory_order_relaxed); }

    Value result;
    bool failed = false;
    std::string failure;

private:
    bool Valid(int index) const { return index >= 0 && index < count; }
    void Missing(int index) {
        Fail(("argument " + std::to_string(index + 1) + " is missing").c_str());
    }

    Value* args;
    int count;
    ssi_stream* output;
    const std::atomic<bool>& stopFlag;
    std::deque<std::string> texts;
};

// Engines by the thread that made them, for Factory_ClearData.
std::mutex registryMutex;
std::vector<std::pair<std::thread::id, CEngine*>> registry;

} // namespace

bool CEngine::Impl::CallExternal(const std::string& name, Value* argv, int argc, Value& result) {
    auto it = externalIndex.find(name);
    if (it == externalIndex.end())
        return false;
    External fn = externals[it->second]; // the callee may unregister itself
    if (argc < fn.minArgs || (fn.maxArgs >= 0 && argc > fn.maxArgs))
        throw ScriptError{"wrong number of arguments (" + std::to_string(argc) + ")"};
    ExternalCall call(argv, argc, output, owner->GetInterpreter()->Flag());
    fn.function(&call, fn.userData);
    if (call.failed)
        throw ScriptError{call.failure};
    result = std::move(call.result);
    return true;
}

void CEngine::Impl::LoadLibrary(const std::string& path) {
    if (!loader)
        throw ScriptError{"dll: external libraries are not available here"};
    std::string error;
    owner->SetPackageName(path.c_str());
    if (!loader->Load(path, owner, error))
        throw ScriptError{"dll: cannot load '" + path + "': " + error};
    if (std::find(scriptLibraries.begin(), scriptLibraries.end(), path) == scriptLibraries.end())
        scriptLibraries.push_back(path);
}

void CEngine::Impl::UnloadLibrary(const std::string& path) {
    auto it = std::find(scriptLibraries.begin(), scriptLibraries.end(), path);
    if (it == scriptLibraries.end())
        throw ScriptError{"unload: '" + path + "' was not loaded by this script"};
    scriptLibraries.erase(it);
    if (loader)
        loader->Unload(path, owner);
    DropPackage(path);
}

void CEngine::Impl::UnloadScriptLibraries() {
    while (!scriptLibraries.empty()) {
        std::string path = scriptLibraries.back();
        scriptLibraries.pop_back();
        if (loader)
            loader->Unload(path, owner);
        DropPackage(path);
    }
}

// ---- CEngine ------------------------------------------------------------------

CEngine::CEngine() : impl(std::make_unique<Impl>()) {
    impl->owner = this;
    impl->args = Value::List(impl->heap.NewList());
    std::lock_guard<std::mutex> lock(registryMutex);
    registry.emplace_back(std::this_thread::get_id(), this);
}

CEngine::~CEngine() {
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        registry.erase(std::remove_if(registry.begin(), registry.end(),
                                      [&](const auto& entry) { return entry.second == this; }),
                       registry.end());
    }
    impl->UnloadScriptLibraries();
}

CStatus CEngine::SetPackageName(const String& name) {
    impl->package = name.Std();
    return CStatus::Ok();
}

CStatus CEngine::RegisterFunction(const char* name, TesseraFunction function, void* userData,
                                  int minArgs, int maxArgs) {
    if (!name || !*name || !function)
        return CStatus::Fail("a function needs a name and a callback");
    std::string text(name);
    if (!std::all_of(text.begin(), text.end(),
                     [](char c) {
                         return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '_';
                     }) ||
        (text[0] >= '0' && text[0] <= '9'))
        return CStatus::Fail("'" + text + "' is not a valid function name");
    if (FindBuiltin(text) >= 0)
        return CStatus::Fail("'" + text + "' is the name of a builtin function");
    Impl::External entry{text, function, userData, minArgs, maxArgs, impl->package};
    auto it = impl->externalIndex.find(text);
    if (it != impl->externalIndex.end()) {
        impl->externals[it->second] = entry;
    } else {
        impl->externalIndex[text] = impl->externals.size();
        impl->externals.push_back(entry);
    }
    return CStatus::Ok();
}

CStatus CEngine::UnregisterFunction(const char* name) {
    auto it = impl->externalIndex.find(name ? name : "");
    if (it == impl->externalIndex.end())
        return CStatus::Fail("no such function");
    impl->externals.erase(impl->externals.begin() + static_cast<long>(it->second));
    impl->Reindex();
    return CStatus::Ok();
}

String CEngine::FunctionNames(const String& separator) const {
    std::string names;
    for (const BuiltinInfo& info : Builtins()) {
        if (!names.empty())
            names += separator.Std();
        names += info.name;
    }
    for (const Impl::External& e : impl->externals) {
        names += separator.Std();
        names += e.name;
    }
    return String(std::move(names));
}

void CEngine::SetDesktop(IDesktop* desktop) {
    impl->desktop = desktop;
}
IDesktop* CEngine::Desktop() const {
    return impl->desktop;
}
void CEngine::SetClipboard(IClipboard* clipboard) {
    impl->clipboard = clipboard;
}
void CEngine::SetDialogs(IScriptDialogs* dialogs) {
    impl->dialogs = dialogs;
}
void CEngine::SetLibraryLoader(IExternalLibraryLoader* loader) {
    impl->loader = loader;
}
void CEngine::SetLimits(const CEngineLimits& limits) {
    impl->limits = limits;
}
const CEngineLimits& CEngine::Limits() const {
    return impl->limits;
}

void CEngine::ClearData() {
    impl->externals.clear();
    impl->externalIndex.clear();
    impl->package.clear();
}

void Factory_ClearData() {
    std::vector<CEngine*> mine;
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        for (const auto& [thread, engine] : registry)
            if (thread == std::this_thread::get_id())
                mine.push_back(engine);
    }
    for (CEngine* engine : mine)
        engine->ClearData();
}

// ---- CScript ------------------------------------------------------------------

CScript::CScript(ssi_stream* out, ssi_stream* in) : output(out), input(in) {
    engine.Internals().output = out;
}

CScript::~CScript() = default;

char CScript::Load(const String& path) {
    std::string file = path.Std();
    // A path carried over from "path ARGS=..." may keep trailing blanks.
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        String trimmed = path;
        trimmed.Trim();
        if (std::filesystem::exists(trimmed.Std(), ec))
            file = trimmed.Std();
    }
    std::string error;
    engine.Internals().program = CompileFile(file, error);
    if (!engine.Internals().program) {
        if (output)
            output->WriteError(error, 1);
        lastMessage = error;
        return 0;
    }
    return 1;
}

char CScript::LoadSource(const String& path, const String& source) {
    std::string error;
    engine.Internals().program = CompileSource(path.Std(), source.Std(), error);
    if (!engine.Internals().program) {
        if (output)
            output->WriteError(error, 1);
        lastMessage = error;
        return 0;
    }
    return 1;
}

int CScript::EvaluateArguments(const String& text) {
    CEngine::Impl& state = engine.Internals();
    std::vector<ExprPtr> items;
    try {
        items = ParseLiteralList(text.Std());
    } catch (const CompileError& e) {
        std::string where = state.program ? state.program->files[0] : std::string("arguments");
        lastMessage = where + ": error: bad argument text '" + text.Std() + "' (column " +
                      std::to_string(e.column) + "): " + e.what();
        if (output)
            output->WriteError(lastMessage, 1);
        return 0;
    }
    ListObj* list = state.heap.NewList();
    Value made = Value::List(list);
    for (const ExprPtr& item : items) {
        switch (item->kind) {
        case ExprKind::IntLit:
            list->items.push_back(Value::Int(item->intValue));
            break;
        case ExprKind::FloatLit:
            list->items.push_back(Value::Float(item->floatValue));
            break;
        case ExprKind::BoolLit:
            list->items.push_back(Value::Bool(item->intValue != 0));
            break;
        default:
            list->items.push_back(Value::Str(item->text));
            break;
        }
    }
    state.args = std::move(made);
    return 1;
}

int CScript::Run(int, CInterpreter*) {
    CEngine::Impl& state = engine.Internals();
    lastMessage.clear();
    if (!state.program) {
        outcome = ScriptOutcome::Failed;
        lastMessage = "no script loaded";
        if (output)
            output->WriteError("error: no script loaded", 1);
        return 1;
    }
    CInterpreter* interp = engine.GetInterpreter();
    BuiltinContext ctx;
    ctx.stream = output;
    ctx.input = input;
    ctx.desktop = state.desktop;
    ctx.clipboard = state.clipboard;
    ctx.dialogs = state.dialogs;
    ctx.heap = &state.heap;
    ctx.stopFlag = &interp->Flag();
    ctx.maxString = state.limits.maxStringBytes;
    ctx.maxList = state.limits.maxListItems;
    ctx.systemAccess = state.limits.systemAccess;
    VmLimits limits;
    limits.maxString = state.limits.maxStringBytes;
    limits.maxList = state.limits.maxListItems;
    limits.maxCallDepth = state.limits.maxCallDepth;
    limits.maxSteps = state.limits.maxSteps;
    RunResult result;
    {
        StrArena::Use arena(&state.strings);
        Vm vm(*state.program, state, ctx, limits);
        result = vm.Run(state.args);
    }
    state.UnloadScriptLibraries();
    interp->ClearStopFlag();
    switch (result.outcome) {
    case RunOutcome::Finished:
        outcome = ScriptOutcome::Finished;
        return 0;
    case RunOutcome::Exited:
        outcome = ScriptOutcome::Exited;
        return static_cast<int>(result.exitStatus);
    case RunOutcome::Failed:
        outcome = ScriptOutcome::Failed;
        break;
    case RunOutcome::Stopped:
        outcome = ScriptOutcome::Stopped;
        break;
    }
    lastMessage = result.message;
    if (output)
        output->WriteError(result.message, 1);
    return 1;
}

std::vector<std::string> CScript::UsedFiles() const {
    const CEngine::Impl& state = const_cast<CEngine&>(engine).Internals();
    return state.program ? state.program->usedFiles : std::vector<std::string>{};
}

std::string CScript::Disassemble() const {
    const CEngine::Impl& state = const_cast<CEngine&>(engine).Internals();
    return state.program ? tessera::Disassemble(*state.program) : std::string();
}
