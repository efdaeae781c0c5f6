#include "fakes/FakeDesktop.h"

#include <chrono>
#include <thread>

DesktopResult CRecordingDesktop::Record(const std::string& call) {
    calls.push_back(call);
    return failWith.empty() ? DesktopResult::Ok() : DesktopResult::Fail(failWith);
}

bool CRecordingDesktop::Means(const WindowMatch& match, const std::string& title) const {
    const auto named = windowClasses.find(title);
    return windows.count(title) &&
           match.Matches(title, {named == windowClasses.end() ? "" : named->second});
}

std::string CRecordingDesktop::Find(const WindowMatch& match) const {
    for (const std::string& window : windows)
        if (Means(match, window))
            return window;
    return {};
}

bool CRecordingDesktop::HasWindow(const WindowMatch& match) const {
    return !Find(match).empty();
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

// Window geometry and state, the pointer, the screen and its pixels.
DesktopResult CRecordingDesktop::OnWindow(const std::string& call, const WindowMatch& window,
                                          std::string& title) {
    title = Find(window);
    if (title.empty()) {
        calls.push_back(call);
        return DesktopResult::Fail(window.NotFound());
    }
    return Record(call);
}
DesktopResult CRecordingDesktop::WinList(const WindowMatch& window,
                                         std::vector<std::string>& titles) {
    for (const std::string& title : windows)
        if (Means(window, title))
            titles.push_back(title);
    return Record("WinList " + Named(window));
}
DesktopResult CRecordingDesktop::WinGetPos(const WindowMatch& window, WindowRect& rect) {
    std::string title;
    DesktopResult found = OnWindow("WinGetPos " + Named(window), window, title);
    if (found.ok)
        rect = rects.count(title) ? rects[title] : WindowRect{0, 0, 100, 100};
    return found;
}
DesktopResult CRecordingDesktop::WinMove(const WindowMatch& window, const WindowRect& rect,
                                         bool resize, const std::function<bool()>&) {
    std::string call =
        "WinMove " + Named(window) + " " + std::to_string(rect.x) + " " + std::to_string(rect.y);
    if (resize)
        call += " " + std::to_string(rect.width) + " " + std::to_string(rect.height);
    std::string title;
    DesktopResult done = OnWindow(call, window, title);
    if (done.ok) {
        WindowRect& now = rects.try_emplace(title, WindowRect{0, 0, 100, 100}).first->second;
        now = resize ? rect : WindowRect{rect.x, rect.y, now.width, now.height};
    }
    return done;
}
DesktopResult CRecordingDesktop::WinSetState(const WindowMatch& window, WindowState state,
                                             const std::function<bool()>&) {
    static const char* const kNames[] = {"Minimized", "Maximized", "Normal"};
    std::string title;
    DesktopResult done = OnWindow(
        "WinSetState " + Named(window) + " " + kNames[static_cast<int>(state)], window, title);
    if (done.ok)
        states[title] = state;
    return done;
}
DesktopResult CRecordingDesktop::WinGetClass(const WindowMatch& window, std::string& className) {
    std::string title;
    DesktopResult found = OnWindow("WinGetClass " + Named(window), window, title);
    if (found.ok)
        className = windowClasses.count(title) ? windowClasses[title] : "";
    return found;
}
DesktopResult CRecordingDesktop::WinGetPid(const WindowMatch& window, int64_t& pid) {
    std::string title;
    DesktopResult found = OnWindow("WinGetPid " + Named(window), window, title);
    if (!found.ok)
        return found;
    if (!pids.count(title))
        return DesktopResult::Fail("the window " + window.Describe() + " names no process");
    pid = pids[title];
    return found;
}
DesktopResult CRecordingDesktop::WinWaitActive(const WindowMatch& window, int64_t milliseconds,
                                               const std::function<bool()>& stopRequested,
                                               bool& active) {
    while (waitUntilStopped && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    active = Means(window, activeTitle);
    return Record("WinWaitActive " + Named(window) + " " + std::to_string(milliseconds));
}
DesktopResult CRecordingDesktop::WinWaitClose(const WindowMatch& window, int64_t milliseconds,
                                              const std::function<bool()>& stopRequested,
                                              bool& closed) {
    windows.erase(closeOnWait);
    while (waitUntilStopped && !stopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    closed = !HasWindow(window);
    return Record("WinWaitClose " + Named(window) + " " + std::to_string(milliseconds));
}
DesktopResult CRecordingDesktop::MouseGetPos(int& x, int& y) {
    x = mouseX;
    y = mouseY;
    return Record("MouseGetPos");
}
DesktopResult CRecordingDesktop::ScreenSize(int& width, int& height) {
    width = screenWidth;
    height = screenHeight;
    return Record("ScreenSize");
}
DesktopResult CRecordingDesktop::PixelGetColor(int x, int y, uint32_t& rgb) {
    const std::string call = "PixelGetColor " + std::to_string(x) + " " + std::to_string(y);
    if (x < 0 || y < 0 || x >= screenWidth || y >= screenHeight) {
        calls.push_back(call);
        return DesktopResult::Fail("the point " + std::to_string(x) + ", " + std::to_string(y) +
                                   " is outside the screen");
    }
    const auto at = pixels.find({x, y});
    rgb = at == pixels.end() ? 0 : at->second;
    return Record(call);
}
