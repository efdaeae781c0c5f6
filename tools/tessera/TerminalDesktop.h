#pragma once
// The desktop of a terminal without a display: Alert prints its message to
// standard error; every other desktop operation fails clearly.

#include "ports/Desktop.h"

#include <cstdio>
#include <string>
#include <utility>

class CTerminalDesktop : public IDesktop {
public:
    // `reason`: why there is no desktop, the error of every operation.
    explicit CTerminalDesktop(std::FILE* err, std::string reason = "no display available")
        : errors(err), why(std::move(reason)) {}

    DesktopResult Alert(const std::string& message) override;
    DesktopResult TypeKeys(const std::string& keys, const KeyPacing& pacing,
                           const std::function<bool()>& stopRequested) override;
    DesktopResult MouseMove(int x, int y) override;
    DesktopResult MouseClick(int x, int y, MouseButton button) override;
    DesktopResult MouseDown(MouseButton button) override;
    DesktopResult MouseUp(MouseButton button) override;
    DesktopResult MouseWheel(int steps) override;
    DesktopResult ActiveWindowOrigin(int& x, int& y) override;
    bool WinExists(const WindowMatch& window) override;
    DesktopResult WinActivate(const WindowMatch& window, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) override;
    bool WinWait(const WindowMatch& window, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const WindowMatch& window) override;
    std::string WinGetActiveTitle() override;

    // Window geometry and state, the pointer, the screen and its pixels.
    DesktopResult WinList(const WindowMatch& window, std::vector<std::string>& titles) override;
    DesktopResult WinGetPos(const WindowMatch& window, WindowRect& rect) override;
    DesktopResult WinMove(const WindowMatch& window, const WindowRect& rect, bool resize,
                          const std::function<bool()>& stopRequested) override;
    DesktopResult WinSetState(const WindowMatch& window, WindowState state,
                              const std::function<bool()>& stopRequested) override;
    DesktopResult WinGetClass(const WindowMatch& window, std::string& className) override;
    DesktopResult WinGetPid(const WindowMatch& window, int64_t& pid) override;
    DesktopResult WinWaitActive(const WindowMatch& window, int64_t milliseconds,
                                const std::function<bool()>& stopRequested, bool& active) override;
    DesktopResult WinWaitClose(const WindowMatch& window, int64_t milliseconds,
                               const std::function<bool()>& stopRequested, bool& closed) override;
    DesktopResult MouseGetPos(int& x, int& y) override;
    DesktopResult ScreenSize(int& width, int& height) override;
    DesktopResult PixelGetColor(int x, int y, uint32_t& rgb) override;

private:
    std::FILE* errors;
    std::string why;
};
