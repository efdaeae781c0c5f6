#pragma once
// Recording fake of the desktop port: every call is logged as one line
// ("TypeKeys hello", "MouseClick 10 20 1"); results can be scripted.

#include "ports/Desktop.h"

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
    bool WinExists(const std::string& title) override;
    DesktopResult WinActivate(const std::string& title, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) override;
    bool WinWait(const std::string& title, int64_t milliseconds,
                 const std::function<bool()>& stopRequested) override;
    DesktopResult WinClose(const std::string& title) override;
    std::string WinGetActiveTitle() override;

    std::vector<std::string> calls;
    std::set<std::string> windows; // titles of the windows that exist
    std::string activeTitle;
    std::string failWith;          // when set, every action fails with it
    bool waitUntilStopped = false; // WinWait polls until a stop is requested
    KeyPacing lastPacing;          // of the last TypeKeys

private:
    DesktopResult Record(const std::string& call);
    bool HasWindow(const std::string& title) const;
};
