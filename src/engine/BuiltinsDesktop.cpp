// Builtins that act on the desktop, through the IDesktop port.
#include "engine/Builtins.h"

#include "ports/Desktop.h"

namespace tessera {

namespace {

IDesktop& DesktopOf(const BuiltinContext& ctx) {
    if (!ctx.desktop)
        throw ScriptError{"no display available"};
    return *ctx.desktop;
}

void Check(const DesktopResult& r) {
    if (!r.ok)
        throw ScriptError{r.error.empty() ? std::string("failed") : r.error};
}

MouseButton ButtonArg(const Value* args, int argc, int index) {
    if (argc <= index)
        return MouseButton::Left;
    int64_t b = ArgInt(args, index);
    if (b < 1 || b > 3)
        throw ScriptError{"button " + std::to_string(b) +
                          " is not 1 (left), 2 (middle) or 3 (right)"};
    return static_cast<MouseButton>(b);
}

int Coordinate(const Value* args, int index) {
    int64_t v = ArgInt(args, index);
    if (v < -100000 || v > 100000)
        throw ScriptError{"coordinate " + std::to_string(v) + " is out of range"};
    return static_cast<int>(v);
}

// A position argument pair, made screen coordinates: with "window" at
// `modeIndex` it counts from the active window's top-left corner, so that a
// recorded click still lands in a window that has moved.
void Position(IDesktop& desktop, const Value* args, int argc, int modeIndex, int& x, int& y) {
    x = Coordinate(args, 0);
    y = Coordinate(args, 1);
    if (argc <= modeIndex)
        return;
    const std::string& mode = ArgStr(args, modeIndex);
    if (mode == "screen")
        return;
    if (mode != "window")
        throw ScriptError{"\"" + mode + "\" is not \"screen\" or \"window\""};
    int originX = 0, originY = 0;
    Check(desktop.ActiveWindowOrigin(originX, originY));
    x += originX;
    y += originY;
}

// The window arguments: the title, and the class at `classIndex` when given.
WindowMatch WindowArg(const Value* args, int argc, int classIndex) {
    return WindowMatch(ArgStr(args, 0), argc > classIndex ? ArgStr(args, classIndex) : "");
}

void Alert(BuiltinContext& ctx, Value* args, int, Value&) {
    Check(DesktopOf(ctx).Alert(ToText(args[0])));
}

// Types keys; a Stop between two keys ends the script.
void TypeKeys(BuiltinContext& ctx, Value* args, int, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    const KeyPacing pacing{ctx.keyDelayMs, ctx.keyHoldMs};
    Check(desktop.TypeKeys(ArgStr(args, 0), pacing, [&ctx] { return ctx.StopRequested(); }));
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
}

int PacingArg(const Value* args, int index) {
    const int64_t ms = ArgInt(args, index);
    if (ms < 0 || ms > 10000)
        throw ScriptError{"the time " + std::to_string(ms) + " is not between 0 and 10000 ms"};
    return static_cast<int>(ms);
}

// SetKeyDelay(ms [, holdMs]): the pause after each key TypeKeys plays and
// how long each key is held, for the rest of the run.
void SetKeyDelay(BuiltinContext& ctx, Value* args, int argc, Value&) {
    const int delayMs = PacingArg(args, 0);
    const int holdMs = argc > 1 ? PacingArg(args, 1) : ctx.keyHoldMs;
    ctx.keyDelayMs = delayMs;
    ctx.keyHoldMs = holdMs;
}

// MouseMove(x, y [, "screen" | "window"])
void MouseMove(BuiltinContext& ctx, Value* args, int argc, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    int x = 0, y = 0;
    Position(desktop, args, argc, 2, x, y);
    Check(desktop.MouseMove(x, y));
}

// MouseClick(x, y [, button [, "screen" | "window"]])
void MouseClick(BuiltinContext& ctx, Value* args, int argc, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    const MouseButton button = ButtonArg(args, argc, 2);
    int x = 0, y = 0;
    Position(desktop, args, argc, 3, x, y);
    Check(desktop.MouseClick(x, y, button));
}

// MouseWheel(steps): notches up, or down when negative.
void MouseWheel(BuiltinContext& ctx, Value* args, int, Value&) {
    constexpr int64_t kMaxSteps = 1000;
    const int64_t steps = ArgInt(args, 0);
    if (steps < -kMaxSteps || steps > kMaxSteps)
        throw ScriptError{std::to_string(steps) + " steps is more than " +
                          std::to_string(kMaxSteps) + " either way"};
    IDesktop& desktop = DesktopOf(ctx);
    if (steps != 0)
        Check(desktop.MouseWheel(static_cast<int>(steps)));
}

void MouseDown(BuiltinContext& ctx, Value* args, int argc, Value&) {
    Check(DesktopOf(ctx).MouseDown(ButtonArg(args, argc, 0)));
}

void MouseUp(BuiltinContext& ctx, Value* args, int argc, Value&) {
    Check(DesktopOf(ctx).MouseUp(ButtonArg(args, argc, 0)));
}

// WinExists(title [, class])
void WinExists(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    result.SetBool(DesktopOf(ctx).WinExists(WindowArg(args, argc, 1)));
}

// A waiting time in milliseconds; `fallback` when the argument is absent.
int64_t WaitArg(const Value* args, int argc, int index, int64_t fallback) {
    if (argc <= index)
        return fallback;
    const int64_t ms = ArgInt(args, index);
    if (ms < 0)
        throw ScriptError{"the time " + std::to_string(ms) + " is negative"};
    return ms;
}

// WinActivate(title [, ms [, class]]): returns once the window is active
// and has the keyboard focus; an error after ms (default 5000); a Stop ends
// the script.
void WinActivate(BuiltinContext& ctx, Value* args, int argc, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    const WindowMatch window = WindowArg(args, argc, 2);
    const int64_t ms = WaitArg(args, argc, 1, 5000);
    const DesktopResult result =
        desktop.WinActivate(window, ms, [&ctx] { return ctx.StopRequested(); });
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    Check(result);
}

// WinWait(title, ms [, class]): waits for a window; a Stop during the wait
// ends the script.
void WinWait(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    IDesktop& desktop = DesktopOf(ctx);
    const WindowMatch window = WindowArg(args, argc, 2);
    const int64_t ms = WaitArg(args, argc, 1, 0);
    bool found = desktop.WinWait(window, ms, [&ctx] { return ctx.StopRequested(); });
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    result.SetBool(found);
}

// WinClose(title [, class])
void WinClose(BuiltinContext& ctx, Value* args, int argc, Value&) {
    Check(DesktopOf(ctx).WinClose(WindowArg(args, argc, 1)));
}

void WinGetActiveTitle(BuiltinContext& ctx, Value*, int, Value& result) {
    SetStr(result, DesktopOf(ctx).WinGetActiveTitle(), ctx);
}

} // namespace

const BuiltinInfo kDesktopBuiltins[] = {
    {"Alert", 1, 1, DeclType::Void, Alert},
    {"TypeKeys", 1, 1, DeclType::Void, TypeKeys},
    {"SetKeyDelay", 1, 2, DeclType::Void, SetKeyDelay},
    {"MouseMove", 2, 3, DeclType::Void, MouseMove},
    {"MouseClick", 2, 4, DeclType::Void, MouseClick},
    {"MouseDown", 0, 1, DeclType::Void, MouseDown},
    {"MouseUp", 0, 1, DeclType::Void, MouseUp},
    {"MouseWheel", 1, 1, DeclType::Void, MouseWheel},
    {"WinExists", 1, 2, DeclType::Bool, WinExists},
    {"WinActivate", 1, 3, DeclType::Void, WinActivate},
    {"WinWait", 2, 3, DeclType::Bool, WinWait},
    {"WinClose", 1, 2, DeclType::Void, WinClose},
    {"WinGetActiveTitle", 0, 0, DeclType::Str, WinGetActiveTitle},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
