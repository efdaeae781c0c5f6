// The combined builtin table and the helpers the groups share.
#include "engine/Builtins.h"

#include "engine/Stream.h"

#include <chrono>
#include <thread>

namespace tessera {

const std::vector<BuiltinInfo>& Builtins() {
    static const std::vector<BuiltinInfo> all = [] {
        std::vector<BuiltinInfo> table;
        for (const BuiltinInfo* group :
             {kTextBuiltins, kSystemBuiltins, kDesktopBuiltins, kListBuiltins, kRegexBuiltins,
              kDataBuiltins, kProcessBuiltins, kClipboardBuiltins, kDialogBuiltins})
            for (const BuiltinInfo* info = group; info->name; ++info)
                table.push_back(*info);
        return table;
    }();
    return all;
}

int FindBuiltin(std::string_view name) {
    const auto& all = Builtins();
    for (size_t k = 0; k < all.size(); ++k)
        if (name == all[k].name)
            return static_cast<int>(k);
    return -1;
}

void BuiltinContext::SleepMs(int64_t milliseconds) const {
    using Clock = std::chrono::steady_clock;
    if (!systemAccess)
        return;
    auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (StopRequested())
            throw StopSignal{"script stopped"};
        auto now = Clock::now();
        if (now >= end)
            return;
        std::this_thread::sleep_for(
            std::min<Clock::duration>(end - now, std::chrono::milliseconds(5)));
    }
}

void BuiltinContext::RequireSystemAccess() const {
    if (!systemAccess)
        throw ScriptError{"not allowed here"};
}

void BuiltinContext::Write(const std::string& text, bool newline) const {
    if (stream)
        stream->Write(text, newline ? 1 : 0);
}

namespace {
[[noreturn]] void WrongType(int index, const char* wanted, const Value& got) {
    throw ScriptError{"argument " + std::to_string(index + 1) + " must be " + wanted + ", not " +
                      (got.type == ValueType::Int ? "an " : "a ") + TypeName(got.type)};
}
} // namespace

const std::string& ArgStr(const Value* args, int index) {
    if (args[index].type != ValueType::Str)
        WrongType(index, "a string", args[index]);
    return args[index].AsStr();
}

int64_t ArgInt(const Value* args, int index) {
    const Value& v = args[index];
    if (v.type == ValueType::Int || v.type == ValueType::Bool)
        return v.AsInt();
    if (v.type == ValueType::Float)
        return FloatToInt(v.AsFloat(), "argument");
    WrongType(index, "a number", v);
}

ListObj* ArgList(const Value* args, int index) {
    if (args[index].type != ValueType::List)
        WrongType(index, "a list", args[index]);
    return args[index].AsList();
}

void SetStr(Value& result, std::string text, const BuiltinContext& ctx) {
    if (text.size() > ctx.maxString)
        throw ScriptError{"string too long (more than " + std::to_string(ctx.maxString) +
                          " bytes)"};
    result = Value::Str(std::move(text));
}

} // namespace tessera
