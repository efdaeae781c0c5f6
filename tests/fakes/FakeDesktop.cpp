#include "fakes/FakeDesktop.h"

#include <chrono>
#include <thread>

DesktopResult CRecordingDesktop::Record(const std::string& call) {
    calls.push_back(call);
    return failWith.empty() ? DesktopResult::Ok() : DesktopResult::Fail(failWith);
}

bool CRecordingDesktop::HasWindow(const std::string& title) const {
    for (const std::string& window : windows)
        if (window.find(title) != std::string::npos)
            return true;
    return false;
}

DesktopResult CRecordingDesktop::Alert(const std::string& message) {
    return Record("Alert " + message);
}
DesktopResult CRecordingDesktop::TypeKeys(const std::string& keys, const KeyPacing& pacing,
                                          const std::function<bool()>&) {
    lastPacing = pacing;
    return Record("TypeKeys " + keys);
}
DesktopResult CRecordingDesktop::MouseMove(int x, int y) {
    return Record("MouseMove " + std::to_string(x) + " " + std::to_string(y));
}
DesktopResult CRecordingDesktop::MouseClick(int x, int y, MouseButton button) {
    return Record("MouseClick " + std::to_string(x) + " " + std::to_string(y) + " " +
                  std::to_string(static_cast<int>(button)));
}
DesktopResult CRecordingDesktop::MouseDown(MouseButton button) {
    return Record("MouseDown " + std::to_string(static_cast<int>(button)));
}
DesktopResult CRecordingDesktop::MouseUp(MouseButton button) {
    return Record("MouseUp " + std::to_string(static_cast<int>(button)));
}
bool CRecordingDesktop::WinExists(const std::string& title) {
    calls.push_back("WinExists " + title);
    return HasWindow(title);
}
DesktopResult CRecordingDesktop::WinActivate(const std::string& title, int64_t milliseconds,
                                             const std::function<bool()>&) {
    const std::string call = "WinActivate " + title + " " + std::to_string(milliseconds);
    if (!HasWindow(title)) {
        calls.push_back(call);
        return DesktopResult::Fail("no window titled '" + title + "'");
    }
    activeTitle = title;
    return Record(call);
}
bool CRecordingDesktop::WinWait(const std::string& title, int64_t milliseconds,
                                const std::function<bool()>& stopRequested) {
    calls.push_back("WinWait " + title + " " + std::to_string(milliseconds));
    while (waitUntilStopped && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return HasWindow(title);
}
DesktopResult CRecordingDesktop::WinClose(const std::string& title) {
    return Record("WinClose " + title);
}
std::string CRecordingDesktop::WinGetActiveTitle() {
    calls.push_back("WinGetActiveTitle");
    return activeTitle;
}
