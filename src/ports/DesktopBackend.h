#pragma once
// Which set of desktop adapters a program uses: X11 or Wayland, chosen once
// at start from the session's environment.

#include <functional>
#include <string>

enum class DesktopBackend { X11, Wayland };

struct DesktopBackendChoice {
    DesktopBackend backend = DesktopBackend::X11;
    // Set when WINGMATE_BACKEND holds a value that names no backend; the
    // program then stops with it rather than guess.
    std::string error;
};

// Reads an environment variable: null when unset.
using EnvironmentFn = std::function<const char*(const char* name)>;

// Wayland when WAYLAND_DISPLAY is set or XDG_SESSION_TYPE is "wayland", X11
// otherwise; WINGMATE_BACKEND=x11|wayland overrides both.
DesktopBackendChoice ChooseDesktopBackend(const EnvironmentFn& environment);
// The same over the process environment.
DesktopBackendChoice ChooseDesktopBackend();

const char* DesktopBackendName(DesktopBackend backend);
