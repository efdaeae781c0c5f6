#include "TerminalDesktop.h"

namespace {
DesktopResult NoDisplay() {
    return DesktopResult::Fail("no display available");
}
} // namespace

DesktopResult CTerminalDesktop::Alert(const std::string& message) {
    std::fprintf(errors, "Alert: %s\n", message.c_str());
    std::fflush(errors);
    return DesktopResult::Ok();
}

DesktopResult CTerminalDesktop::TypeKeys(const std::string&, const KeyPacing&,
                                         const std::function<bool()>&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseMove(int, int) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseClick(int, int, MouseButton) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseDown(MouseButton) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseUp(MouseButton) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseWheel(int) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::ActiveWindowOrigin(int&, int&) {
    return NoDisplay();
}
// Without a display there are no windows.
bool CTerminalDesktop::WinExists(const WindowMatch&) {
    return false;
}
DesktopResult CTerminalDesktop::WinActivate(const WindowMatch&, int64_t,
                                            const std::function<bool()>&) {
    return NoDisplay();
}
bool CTerminalDesktop::WinWait(const WindowMatch&, int64_t, const std::function<bool()>&) {
    return false;
}
DesktopResult CTerminalDesktop::WinClose(const WindowMatch&) {
    return NoDisplay();
}
std::string CTerminalDesktop::WinGetActiveTitle() {
    return "";
}

// Window geometry and state, the pointer, the screen and its pixels.
DesktopResult CTerminalDesktop::WinList(const WindowMatch&, std::vector<std::string>&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinGetPos(const WindowMatch&, WindowRect&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinMove(const WindowMatch&, const WindowRect&, bool,
                                        const std::function<bool()>&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinSetState(const WindowMatch&, WindowState,
                                            const std::function<bool()>&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinGetClass(const WindowMatch&, std::string&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinGetPid(const WindowMatch&, int64_t&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinWaitActive(const WindowMatch&, int64_t,
                                              const std::function<bool()>&, bool&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::WinWaitClose(const WindowMatch&, int64_t,
                                             const std::function<bool()>&, bool&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::MouseGetPos(int&, int&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::ScreenSize(int&, int&) {
    return NoDisplay();
}
DesktopResult CTerminalDesktop::PixelGetColor(int, int, uint32_t&) {
    return NoDisplay();
}
