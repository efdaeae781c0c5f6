#include "ports/DesktopBackend.h"

#include <cstdlib>
#include <string_view>

DesktopBackendChoice ChooseDesktopBackend(const EnvironmentFn& environment) {
    auto value = [&](const char* name) {
        const char* text = environment(name);
        return std::string_view(text ? text : "");
    };
    DesktopBackendChoice choice;
    const std::string_view forced = value("WINGMATE_BACKEND");
    if (forced == "x11") {
        choice.backend = DesktopBackend::X11;
    } else if (forced == "wayland") {
        choice.backend = DesktopBackend::Wayland;
    } else if (!forced.empty()) {
        choice.error = "WINGMATE_BACKEND is \"" + std::string(forced) +
                       "\"; it must be \"x11\" or \"wayland\" (or unset to follow the session)";
    } else if (!value("WAYLAND_DISPLAY").empty() || value("XDG_SESSION_TYPE") == "wayland") {
        choice.backend = DesktopBackend::Wayland;
    }
    return choice;
}

DesktopBackendChoice ChooseDesktopBackend() {
    return ChooseDesktopBackend([](const char* name) { return std::getenv(name); });
}

const char* DesktopBackendName(DesktopBackend backend) {
    return backend == DesktopBackend::Wayland ? "wayland" : "x11";
}
