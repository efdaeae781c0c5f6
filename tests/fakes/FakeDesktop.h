#pragma once
// Recording fake of the desktop port: every call is logged as one line
// ("TypeKeys hello", "MouseClick 10 20 1"); results can be scripted.

#include "ports/Desktop.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class CRecordingDesktop : public IDesktop {
public:
    DesktopResult Alert(const std::string& message) override;
    DesktopResult TypeKeys(const std::string& keys, const KeyPacing& pacing,
                           const std::function<bool()>& stopRequested) override;
    DesktopResult MouseMove(int x, int y) override;
    DesktopResult MouseClick(int x, int y, MouseButton button) override;
    DesktopResult MouseDown(MouseButton button) override;
    DesktopResult MouseUp(MouseButton button) override;
    DesktopResult MouseWheel(int steps) override;
    DesktopResult ActiveWindowOrigin(int& x, int& y) override;
    DesktopResult WindowsAvailable() override {
        return windowsMissing.empty() ? DesktopResult::Ok() : DesktopResult::Fail(windowsMissing);
    }
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

    std::vector<std::string> calls;
    std::set<std::string> windows;                    // titles of the windows that exist
    std::map<std::string, std::string> windowClasses; // title -> class, where it has one
    std::string activeTitle;
    int originX = 0, originY = 0;              // of the active window; none before a WinActivate
    std::string windowsMissing;                // when set, no window can be listed, for this reason
    std::string failWith;                      // when set, every action fails with it
    bool waitUntilStopped = false;             // WinWait polls until a stop is requested
    KeyPacing lastPacing;                      // of the last TypeKeys
    std::map<std::string, WindowRect> rects;   // title -> frame (default 0 0 100 100)
    std::map<std::string, WindowState> states; // title -> state (default Normal)
    std::map<std::string, int64_t> pids;       // title -> pid; none: it names no process
    std::string closeOnWait;                   // this window closes while WinWaitClose waits
    int mouseX = 0, mouseY = 0;
    int screenWidth = 1920, screenHeight = 1080;
    std::map<std::pair<int, int>, uint32_t> pixels; // unset: black

private:
    DesktopResult Record(const std::string& call);
    bool HasWindow(const WindowMatch& window) const;
    // Whether the window titled `title` exists and `match` means it.
    bool Means(const WindowMatch& match, const std::string& title) const;
    // The title of the first window that matches; empty when none does.
    std::string Find(const WindowMatch& window) const;
    // Logs `call`; fails when no window matches, else with failWith.
    DesktopResult OnWindow(const std::string& call, const WindowMatch& window, std::string& title);
    // "Terminal", "Editor class=Mousepad": how the calls name a window.
    static std::string Named(const WindowMatch& window);
};
