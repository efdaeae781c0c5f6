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
