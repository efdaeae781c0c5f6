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
    bool WinExists(const WindowMatch& window) override;
    DesktopResult WinActivate(const WindowMatch& window, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) override;
    bool WinWait(const WindowMatch& window, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const WindowMatch& window) override;
    std::string WinGetActiveTitle() override;

    std::vector<std::string> calls;
    std::set<std::string> windows;                    // titles of the windows that exist
    std::map<std::string, std::string> windowClasses; // title -> class, where it has one
    std::string activeTitle;
    int originX = 0, originY = 0;  // of the active window; none before a WinActivate
    std::string failWith;          // when set, every action fails with it
    bool waitUntilStopped = false; // WinWait polls until a stop is requested
    KeyPacing lastPacing;          // of the last TypeKeys

private:
    DesktopResult Record(const std::string& call);
    bool HasWindow(const WindowMatch& window) const;
    // "Terminal", "Editor class=Mousepad": how the calls name a window.
    static std::string Named(const WindowMatch& window);
};
