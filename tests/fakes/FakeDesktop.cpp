#include "fakes/FakeDesktop.h"

#include <chrono>
#include <thread>

DesktopResult CRecordingDesktop::Record(const std::string& call) {
    calls.push_back(call);
    return failWith.empty() ? DesktopResult::Ok() : DesktopResult::Fail(failWith);
}

bool CRecordingDesktop::HasWindow(const WindowMatch& match) const {
    for (const std::string& window : windows) {
        const auto named = windowClasses.find(window);
        if (match.Matches(window, {named == windowClasses.end() ? "" : named->second}))
            return true;
    }
    return false;
}

std::string CRecordingDesktop::Named(const WindowMatch& window) {
    return window.windowClass.empty() ? window.title
                                      : window.title + " class=" + window.windowClass;
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
DesktopResult CRecordingDesktop::MouseWheel(int steps) {
    return Record("MouseWheel " + std::to_string(steps));
}
DesktopResult CRecordingDesktop::ActiveWindowOrigin(int& x, int& y) {
    if (activeTitle.empty())
        return DesktopResult::Fail("no window is active");
    x = originX;
    y = originY;
    return DesktopResult::Ok();
}
bool CRecordingDesktop::WinExists(const WindowMatch& window) {
    calls.push_back("WinExists " + Named(window));
    return HasWindow(window);
}
DesktopResult CRecordingDesktop::WinActivate(const WindowMatch& window, int64_t milliseconds,
                                             const std::function<bool()>&) {
    const std::string call = "WinActivate " + Named(window) + " " + std::to_string(milliseconds);
    if (!HasWindow(window)) {
        calls.push_back(call);
        return DesktopResult::Fail(window.NotFound());
    }
    activeTitle = window.title;
    return Record(call);
}
bool CRecordingDesktop::WinWait(const WindowMatch& window, int64_t milliseconds,
                                const std::function<bool()>& stopRequested) {
    calls.push_back("WinWait " + Named(window) + " " + std::to_string(milliseconds));
    while (waitUntilStopped && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return HasWindow(window);
}
DesktopResult CRecordingDesktop::WinClose(const WindowMatch& window) {
    return Record("WinClose " + Named(window));
}
std::string CRecordingDesktop::WinGetActiveTitle() {
    calls.push_back("WinGetActiveTitle");
    return activeTitle;
}
