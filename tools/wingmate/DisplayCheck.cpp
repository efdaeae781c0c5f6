#include "DisplayCheck.h"

#if WINGMATE_HAVE_X11
#include "x11/X11Display.h"
#endif

#include <cstdlib>
#include <iostream>
#include <string>

bool DisplayReachable(int argc, char** argv) {
#if WINGMATE_HAVE_X11
    const char* envPlatform = std::getenv("QT_QPA_PLATFORM");
    std::string platform = envPlatform ? envPlatform : "";
    std::string displayName;
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-platform" || arg == "--platform")
            platform = argv[i + 1];
        else if (arg == "-display" || arg == "--display")
            displayName = argv[i + 1];
    }
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!platform.empty() && platform.rfind("xcb", 0) != 0) ||
        (platform.empty() && wayland && *wayland))
        return true;
    std::string cause;
    Display* display = OpenX11Display(displayName, cause);
    if (!display) {
        std::cerr << "wingmate: no display: " << cause << "\n";
        return false;
    }
    XCloseDisplay(display);
#else
    (void)argc;
    (void)argv;
#endif
    return true;
}
