#include "x11/X11Display.h"

#include <cstdlib>
#include <fcntl.h>
#include <mutex>

namespace {
thread_local CX11ErrorTrap* currentTrap = nullptr;
} // namespace

// Errors from requests on windows that vanished meanwhile (a window closed
// while we read its title) are normal on a live desktop: ignore them, unless
// a trap on this thread waits for them.
int TrapProtocolError(Display* display, XErrorEvent* error) {
    for (CX11ErrorTrap* trap = currentTrap; trap; trap = trap->outer)
        if (trap->display == display) {
            trap->code = error->error_code;
            break;
        }
    return 0;
}

CX11ErrorTrap::CX11ErrorTrap(Display* trapped) : display(trapped), outer(currentTrap) {
    currentTrap = this;
}

CX11ErrorTrap::~CX11ErrorTrap() {
    currentTrap = outer;
}

std::string DisplayLabel(const std::string& displayName) {
    if (!displayName.empty())
        return displayName;
    const char* fromEnvironment = std::getenv("DISPLAY");
    return fromEnvironment ? fromEnvironment : "";
}

Display* OpenX11Display(const std::string& displayName, std::string& cause) {
    static std::once_flag handlerInstalled;
    std::call_once(handlerInstalled, [] { XSetErrorHandler(TrapProtocolError); });
    const std::string label = DisplayLabel(displayName);
    if (label.empty()) {
        cause = "DISPLAY is not set";
        return nullptr;
    }
    Display* display = XOpenDisplay(label.c_str());
    if (!display) {
        cause = "cannot open the X display '" + label + "'";
        return nullptr;
    }
    // Programs that scripts start must not inherit the connection.
    const int fd = ConnectionNumber(display);
    fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    return display;
}

std::string MissingExtension(Display* display, const char* name) {
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display, name, &opcode, &event, &error))
        return {};
    return std::string("the X server on '") + DisplayString(display) + "' lacks the " + name +
           " extension";
}
