// Windows through the compositor's list of toplevels: titles, application
// ids and the activated, minimized and maximized states.
#include "wayland/WaylandDesktop.h"

#include <wayland-client.h>

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <algorithm>

namespace {

DesktopResult NotOffered(const std::string& what) {
    return DesktopResult::Fail("this Wayland desktop offers no way to " + what);
}

} // namespace

// The first open window `match` means in the list as last read; null when
// none.
CWaylandDesktop::Toplevel* CWaylandDesktop::Find(const WindowMatch& match) {
    // Windows the compositor closed are forgotten.
    std::erase_if(windows, [](const std::unique_ptr<Toplevel>& window) {
        if (window->closed)
            zwlr_foreign_toplevel_handle_v1_destroy(window->handle);
        return window->closed;
    });
    for (const auto& window : windows)
        if (!window->closed && match.Matches(window->title, {window->appId}))
            return window.get();
    return nullptr;
}

DesktopResult CWaylandDesktop::WindowsAvailable() {
    std::lock_guard lock(mutex);
    const std::string problem = WindowsProblem();
    return problem.empty() ? DesktopResult::Ok() : DesktopResult::Fail(problem);
}

DesktopResult CWaylandDesktop::Locate(const WindowMatch& match, Toplevel*& window) {
    if (std::string problem = WindowsProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    window = Find(match);
    return window ? DesktopResult::Ok() : DesktopResult::Fail(match.NotFound());
}

bool CWaylandDesktop::WinExists(const WindowMatch& match) {
    std::lock_guard lock(mutex);
    return WindowsProblem().empty() && Roundtrip() && Find(match);
}

DesktopResult CWaylandDesktop::AwaitState(const WindowMatch& match, Toplevel* window,
                                          const std::function<bool(const Toplevel&)>& reached,
                                          const std::function<bool()>& stopRequested) {
    constexpr int64_t kPatienceMs = 2000;
    const bool done =
        Await([&] { return window->closed || reached(*window); }, kPatienceMs, stopRequested);
    if (window->closed)
        return DesktopResult::Fail("the window " + match.Describe() + " closed");
    if (done)
        return DesktopResult::Ok();
    if (stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    return DesktopResult::Fail("the compositor did not do it within " +
                               std::to_string(kPatienceMs) + " ms");
}

DesktopResult CWaylandDesktop::WinActivate(const WindowMatch& match, int64_t milliseconds,
                                           const std::function<bool()>& stopRequested) {
    std::lock_guard lock(mutex);
    if (!globals.seat)
        return NotOffered("activate a window (the compositor has no seat)");
    Toplevel* window = nullptr;
    if (DesktopResult found = Locate(match, window); !found.ok)
        return found;
    if (window->minimized)
        zwlr_foreign_toplevel_handle_v1_unset_minimized(window->handle);
    zwlr_foreign_toplevel_handle_v1_activate(window->handle, globals.seat);
    if (Await([&] { return window->closed || window->activated; }, milliseconds, stopRequested) &&
        !window->closed)
        return DesktopResult::Ok();
    if (window->closed)
        return DesktopResult::Fail("the window " + match.Describe() + " closed");
    if (stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    return DesktopResult::Fail("the window " + match.Describe() + " did not become active within " +
                               std::to_string(milliseconds) + " ms");
}

bool CWaylandDesktop::WinWait(const WindowMatch& match, int64_t milliseconds,
                              const std::function<bool()>& stopRequested) {
    std::lock_guard lock(mutex);
    if (!WindowsProblem().empty())
        return false;
    return Await([&] { return Find(match) != nullptr; }, milliseconds, stopRequested);
}

DesktopResult CWaylandDesktop::WinClose(const WindowMatch& match) {
    std::lock_guard lock(mutex);
    Toplevel* window = nullptr;
    if (DesktopResult found = Locate(match, window); !found.ok)
        return found;
    zwlr_foreign_toplevel_handle_v1_close(window->handle);
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    return DesktopResult::Ok();
}

std::string CWaylandDesktop::WinGetActiveTitle() {
    std::lock_guard lock(mutex);
    if (!WindowsProblem().empty() || !Roundtrip())
        return {};
    for (const auto& window : windows)
        if (!window->closed && window->activated)
            return window->title;
    return {};
}

DesktopResult CWaylandDesktop::WinList(const WindowMatch& match, std::vector<std::string>& titles) {
    std::lock_guard lock(mutex);
    titles.clear();
    if (std::string problem = WindowsProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    if (!Roundtrip())
        return DesktopResult::Fail(ConnectionProblem());
    Find({}); // forgets closed windows
    const bool any = match.title.empty() && match.windowClass.empty();
    for (const auto& window : windows)
        if (match.Matches(window->title, {window->appId}) && (!any || !window->title.empty()))
            titles.push_back(window->title);
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::WinGetClass(const WindowMatch& match, std::string& className) {
    std::lock_guard lock(mutex);
    Toplevel* window = nullptr;
    if (DesktopResult found = Locate(match, window); !found.ok)
        return found;
    className = window->appId;
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::WinSetState(const WindowMatch& match, WindowState wanted,
                                           const std::function<bool()>& stopRequested) {
    std::lock_guard lock(mutex);
    Toplevel* window = nullptr;
    if (DesktopResult found = Locate(match, window); !found.ok)
        return found;
    zwlr_foreign_toplevel_handle_v1* handle = window->handle;
    switch (wanted) {
    case WindowState::Minimized:
        zwlr_foreign_toplevel_handle_v1_set_minimized(handle);
        return AwaitState(
            match, window, [](const Toplevel& w) { return w.minimized; }, stopRequested);
    case WindowState::Maximized:
        zwlr_foreign_toplevel_handle_v1_unset_minimized(handle);
        zwlr_foreign_toplevel_handle_v1_set_maximized(handle);
        return AwaitState(
            match, window, [](const Toplevel& w) { return w.maximized && !w.minimized; },
            stopRequested);
    case WindowState::Normal:
        zwlr_foreign_toplevel_handle_v1_unset_minimized(handle);
        zwlr_foreign_toplevel_handle_v1_unset_maximized(handle);
        return AwaitState(
            match, window, [](const Toplevel& w) { return !w.maximized && !w.minimized; },
            stopRequested);
    }
    return DesktopResult::Fail("unknown window state");
}

DesktopResult CWaylandDesktop::WinWaitActive(const WindowMatch& match, int64_t milliseconds,
                                             const std::function<bool()>& stopRequested,
                                             bool& active) {
    std::lock_guard lock(mutex);
    active = false;
    if (std::string problem = WindowsProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    active = Await(
        [&] {
            const Toplevel* window = Find(match);
            return window && window->activated;
        },
        milliseconds, stopRequested);
    if (!active && stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    return DesktopResult::Ok();
}

DesktopResult CWaylandDesktop::WinWaitClose(const WindowMatch& match, int64_t milliseconds,
                                            const std::function<bool()>& stopRequested,
                                            bool& closed) {
    std::lock_guard lock(mutex);
    closed = false;
    if (std::string problem = WindowsProblem(); !problem.empty())
        return DesktopResult::Fail(problem);
    closed = Await([&] { return Find(match) == nullptr; }, milliseconds, stopRequested);
    if (!closed && stopRequested && stopRequested())
        return DesktopResult::Fail("stopped");
    return DesktopResult::Ok();
}

// The toplevel list tells neither where a window is nor which process owns it.
DesktopResult CWaylandDesktop::WinGetPos(const WindowMatch&, WindowRect&) {
    return NotOffered("read where a window is");
}

DesktopResult CWaylandDesktop::WinMove(const WindowMatch&, const WindowRect&, bool,
                                       const std::function<bool()>&) {
    return NotOffered("move or resize a window");
}

DesktopResult CWaylandDesktop::WinGetPid(const WindowMatch&, int64_t&) {
    return NotOffered("tell which process owns a window");
}
