// Builtins that read and set the clipboard, through the IClipboard port.
#include "engine/Builtins.h"
#include "engine/Utf8.h"

#include "ports/Clipboard.h"

#include <chrono>
#include <thread>

namespace tessera {

namespace {

IClipboard& ClipboardOf(const BuiltinContext& ctx) {
    if (!ctx.clipboard)
        throw ScriptError{"no display available"};
    return *ctx.clipboard;
}

// The text `which` holds; a Stop during the read ends the script.
std::string Read(BuiltinContext& ctx, ClipboardSelection which) {
    std::string text;
    const DesktopResult result =
        ClipboardOf(ctx).GetText(which, text, [&ctx] { return ctx.StopRequested(); });
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    Check(result);
    return text;
}

void ClipGet(BuiltinContext& ctx, Value*, int, Value& result) {
    SetStr(result, Read(ctx, ClipboardSelection::Clipboard), ctx);
}

void ClipGetPrimary(BuiltinContext& ctx, Value*, int, Value& result) {
    SetStr(result, Read(ctx, ClipboardSelection::Primary), ctx);
}

void ClipSet(BuiltinContext& ctx, Value* args, int, Value&) {
    IClipboard& clipboard = ClipboardOf(ctx);
    const std::string text = ToText(args[0]);
    if (const size_t at = Utf8InvalidAt(text); at != std::string::npos)
        throw ScriptError{"the text is not valid UTF-8 (at byte " + std::to_string(at) + ")"};
    Check(clipboard.SetText(text));
}

// ClipWait([ms]): true once the clipboard holds text (not empty), false
// after ms; without ms it waits until then or a Stop.
void ClipWait(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPoll = std::chrono::milliseconds(25);
    constexpr auto kStopCheck = std::chrono::milliseconds(5);
    const bool limited = argc > 0;
    const int64_t ms = limited ? ArgInt(args, 0) : 0;
    if (ms < 0)
        throw ScriptError{"the time " + std::to_string(ms) + " is negative"};
    ClipboardOf(ctx);
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (!Read(ctx, ClipboardSelection::Clipboard).empty()) {
            result.SetBool(true);
            return;
        }
        const auto next = Clock::now() + kPoll;
        if (limited && Clock::now() >= deadline) {
            result.SetBool(false);
            return;
        }
        while (Clock::now() < next && (!limited || Clock::now() < deadline)) {
            if (ctx.StopRequested())
                throw StopSignal{"script stopped"};
            std::this_thread::sleep_for(kStopCheck);
        }
    }
}

} // namespace

const BuiltinInfo kClipboardBuiltins[] = {
    {"ClipGet", 0, 0, DeclType::Str, ClipGet},
    {"ClipSet", 1, 1, DeclType::Void, ClipSet},
    {"ClipWait", 0, 1, DeclType::Bool, ClipWait},
    {"ClipGetPrimary", 0, 0, DeclType::Str, ClipGetPrimary},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
