#include "TerminalDesktop.h"

DesktopResult CTerminalDesktop::Alert(const std::string& message) {
    std::fprintf(errors, "Alert: %s\n", message.c_str());
    std::fflush(errors);
    return DesktopResult::Ok();
}

DesktopResult CTerminalDesktop::TypeKeys(const std::string&, const KeyPacing&,
                                         const std::function<bool()>&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseMove(int, int) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseClick(int, int, MouseButton) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseDown(MouseButton) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseUp(MouseButton) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseWheel(int) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::ActiveWindowOrigin(int&, int&) {
    return DesktopResult::Fail(why);
}
// Without a display there are no windows.
bool CTerminalDesktop::WinExists(const WindowMatch&) {
    return false;
}
DesktopResult CTerminalDesktop::WinActivate(const WindowMatch&, int64_t,
                                            const std::function<bool()>&) {
    return DesktopResult::Fail(why);
}
bool CTerminalDesktop::WinWait(const WindowMatch&, int64_t, const std::function<bool()>&) {
    return false;
}
DesktopResult CTerminalDesktop::WinClose(const WindowMatch&) {
    return DesktopResult::Fail(why);
}
std::string CTerminalDesktop::WinGetActiveTitle() {
    return "";
}

// Window geometry and state, the pointer, the screen and its pixels.
DesktopResult CTerminalDesktop::WinList(const WindowMatch&, std::vector<std::string>&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinGetPos(const WindowMatch&, WindowRect&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinMove(const WindowMatch&, const WindowRect&, bool,
                                        const std::function<bool()>&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinSetState(const WindowMatch&, WindowState,
                                            const std::function<bool()>&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinGetClass(const WindowMatch&, std::string&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinGetPid(const WindowMatch&, int64_t&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinWaitActive(const WindowMatch&, int64_t,
                                              const std::function<bool()>&, bool&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::WinWaitClose(const WindowMatch&, int64_t,
                                             const std::function<bool()>&, bool&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::MouseGetPos(int&, int&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::ScreenSize(int&, int&) {
    return DesktopResult::Fail(why);
}
DesktopResult CTerminalDesktop::PixelGetColor(int, int, uint32_t&) {
    return DesktopResult::Fail(why);
}
