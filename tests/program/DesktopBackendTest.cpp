// The backend choice at start: a Wayland session must never get the X11
// adapters (they would type into Xwayland, unseen), and a mistyped override
// must stop the program instead of being ignored.

#include "ports/DesktopBackend.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

TEST(DesktopBackendTest, FollowsTheSessionUnlessOverridden) {
    struct Case {
        std::map<std::string, std::string> environment;
        DesktopBackend backend;
        bool error;
    };
    const Case cases[] = {
        {{}, DesktopBackend::X11, false},
        {{{"DISPLAY", ":0"}}, DesktopBackend::X11, false},
        {{{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-1"}}, DesktopBackend::Wayland, false},
        {{{"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", "x11"}}, DesktopBackend::X11, false},
        {{{"XDG_SESSION_TYPE", "wayland"}}, DesktopBackend::Wayland, false},
        {{{"WAYLAND_DISPLAY", "wayland-1"}, {"WINGMATE_BACKEND", "x11"}},
         DesktopBackend::X11,
         false},
        {{{"DISPLAY", ":0"}, {"WINGMATE_BACKEND", "wayland"}}, DesktopBackend::Wayland, false},
        {{{"WAYLAND_DISPLAY", "wayland-1"}, {"WINGMATE_BACKEND", "Wayland "}},
         DesktopBackend::X11,
         true},
    };
    for (const Case& c : cases) {
        const DesktopBackendChoice choice = ChooseDesktopBackend([&](const char* name) {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? nullptr : found->second.c_str();
        });
        const std::string forced =
            c.environment.count("WINGMATE_BACKEND") ? c.environment.at("WINGMATE_BACKEND") : "";
        EXPECT_EQ(choice.error.empty(), !c.error) << forced;
        if (c.error)
            EXPECT_NE(choice.error.find("\"x11\" or \"wayland\""), std::string::npos);
        else
            EXPECT_EQ(choice.backend, c.backend) << forced;
    }
}
