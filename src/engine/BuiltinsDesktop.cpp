// Builtins that act on the desktop, through the IDesktop port.
#include "engine/Builtins.h"

#include "ports/Desktop.h"

#include <cstdio>

namespace tessera {

void Check(const DesktopResult& result) {
    if (!result.ok)
        throw ScriptError{result.error.empty() ? std::string("failed") : result.error};
}

namespace {

IDesktop& DesktopOf(const BuiltinContext& ctx) {
    if (!ctx.desktop)
        throw ScriptError{"no display available"};
    return *ctx.desktop;
}

// A Stop during a wait ends the script; otherwise the port's answer counts.
void CheckUnlessStopped(const BuiltinContext& ctx, const DesktopResult& r) {
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    Check(r);
}

std::function<bool()> StopPoll(const BuiltinContext& ctx) {
    return [&ctx] { return ctx.StopRequested(); };
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
    IDesktop& desktop = DesktopOf(ctx);
    Check(desktop.WindowsAvailable());
    result.SetBool(desktop.WinExists(WindowArg(args, argc, 1)));
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
    CheckUnlessStopped(ctx, desktop.WinActivate(window, ms, StopPoll(ctx)));
}

// WinWait(title, ms [, class]): waits for a window; a Stop during the wait
// ends the script.
void WinWait(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    IDesktop& desktop = DesktopOf(ctx);
    const WindowMatch window = WindowArg(args, argc, 2);
    const int64_t ms = WaitArg(args, argc, 1, 0);
    Check(desktop.WindowsAvailable());
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
    IDesktop& desktop = DesktopOf(ctx);
    Check(desktop.WindowsAvailable());
    SetStr(result, desktop.WinGetActiveTitle(), ctx);
}

// Window geometry and state, the pointer, the screen and its pixels.

// A list of ints owned by `result`: positions and sizes.
void SetInts(BuiltinContext& ctx, Value& result, std::initializer_list<int64_t> numbers) {
    ListObj* list = ctx.heap->NewList();
    result = Value::List(list);
    for (int64_t n : numbers)
        list->items.push_back(Value::Int(n));
}

// WinList([title [, class]]): the titles of the matching windows.
void WinList(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const WindowMatch window(argc > 0 ? ArgStr(args, 0) : "", argc > 1 ? ArgStr(args, 1) : "");
    std::vector<std::string> titles;
    Check(DesktopOf(ctx).WinList(window, titles));
    if (titles.size() > ctx.maxList)
        throw ScriptError{"more than " + std::to_string(ctx.maxList) + " windows"};
    ListObj* list = ctx.heap->NewList();
    result = Value::List(list);
    for (const std::string& title : titles)
        list->items.push_back(Value::Str(title));
}

// WinGetPos(title [, class]) -> [x, y, width, height] of the frame.
void WinGetPos(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    WindowRect rect;
    Check(DesktopOf(ctx).WinGetPos(WindowArg(args, argc, 1), rect));
    SetInts(ctx, result, {rect.x, rect.y, rect.width, rect.height});
}

int SizeArg(const Value* args, int index) {
    const int64_t v = ArgInt(args, index);
    if (v < 1 || v > 100000)
        throw ScriptError{"size " + std::to_string(v) + " is not between 1 and 100000"};
    return static_cast<int>(v);
}

// WinMove(title, x, y [, width, height [, class]]): places the frame.
void WinMove(BuiltinContext& ctx, Value* args, int argc, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    const bool resize = argc >= 4;
    if (argc == 4 && SizeArg(args, 3))
        throw ScriptError{"a width needs a height"};
    WindowRect rect{Coordinate(args, 1), Coordinate(args, 2), 0, 0};
    if (resize) {
        rect.width = SizeArg(args, 3);
        rect.height = SizeArg(args, 4);
    }
    const WindowMatch window = WindowArg(args, argc, 5);
    CheckUnlessStopped(ctx, desktop.WinMove(window, rect, resize, StopPoll(ctx)));
}

template <WindowState state> void WinSetState(BuiltinContext& ctx, Value* args, int argc, Value&) {
    IDesktop& desktop = DesktopOf(ctx);
    CheckUnlessStopped(ctx, desktop.WinSetState(WindowArg(args, argc, 1), state, StopPoll(ctx)));
}

void WinGetClass(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    std::string className;
    Check(DesktopOf(ctx).WinGetClass(WindowArg(args, argc, 1), className));
    SetStr(result, std::move(className), ctx);
}

void WinGetPid(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    int64_t pid = 0;
    Check(DesktopOf(ctx).WinGetPid(WindowArg(args, argc, 1), pid));
    result.SetInt(pid);
}

// WinWaitActive(title, ms [, class]), WinWaitClose(title, ms [, class]):
// true once it happened, false after ms; a Stop ends the script.
using WaitFn = DesktopResult (IDesktop::*)(const WindowMatch&, int64_t,
                                           const std::function<bool()>&, bool&);

template <WaitFn wait> void WinWaitFor(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    IDesktop& desktop = DesktopOf(ctx);
    const WindowMatch window = WindowArg(args, argc, 2);
    bool happened = false;
    CheckUnlessStopped(ctx,
                       (desktop.*wait)(window, WaitArg(args, argc, 1, 0), StopPoll(ctx), happened));
    result.SetBool(happened);
}

void MouseGetPos(BuiltinContext& ctx, Value*, int, Value& result) {
    int x = 0, y = 0;
    Check(DesktopOf(ctx).MouseGetPos(x, y));
    SetInts(ctx, result, {x, y});
}

void ScreenSize(BuiltinContext& ctx, Value*, int, Value& result) {
    int width = 0, height = 0;
    Check(DesktopOf(ctx).ScreenSize(width, height));
    SetInts(ctx, result, {width, height});
}

// PixelGetColor(x, y) -> "#rrggbb"
void PixelGetColor(BuiltinContext& ctx, Value* args, int, Value& result) {
    IDesktop& desktop = DesktopOf(ctx);
    uint32_t rgb = 0;
    Check(desktop.PixelGetColor(Coordinate(args, 0), Coordinate(args, 1), rgb));
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(rgb & 0xFFFFFFu));
    SetStr(result, text, ctx);
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
    // Window geometry and state, the pointer, the screen and its pixels.
    {"WinList", 0, 2, DeclType::List, WinList},
    {"WinGetPos", 1, 2, DeclType::List, WinGetPos},
    {"WinMove", 3, 6, DeclType::Void, WinMove},
    {"WinMinimize", 1, 2, DeclType::Void, WinSetState<WindowState::Minimized>},
    {"WinMaximize", 1, 2, DeclType::Void, WinSetState<WindowState::Maximized>},
    {"WinRestore", 1, 2, DeclType::Void, WinSetState<WindowState::Normal>},
    {"WinGetClass", 1, 2, DeclType::Str, WinGetClass},
    {"WinGetPid", 1, 2, DeclType::Int, WinGetPid},
    {"WinWaitActive", 2, 3, DeclType::Bool, WinWaitFor<&IDesktop::WinWaitActive>},
    {"WinWaitClose", 2, 3, DeclType::Bool, WinWaitFor<&IDesktop::WinWaitClose>},
    {"MouseGetPos", 0, 0, DeclType::List, MouseGetPos},
    {"ScreenSize", 0, 0, DeclType::List, ScreenSize},
    {"PixelGetColor", 2, 2, DeclType::Str, PixelGetColor},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
