#include "x11/X11Display.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>

namespace {
thread_local CX11ErrorTrap* currentTrap = nullptr;
} // namespace

// A trap on this thread that waits for the error takes it. Otherwise errors
// from requests on windows that vanished meanwhile (a window closed while we
// read its title) are normal on a live desktop; any other is said on stderr
// where it happens, never silenced, and never ends the program.
int TrapProtocolError(Display* display, XErrorEvent* error) {
    for (CX11ErrorTrap* trap = currentTrap; trap; trap = trap->outer)
        if (trap->display == display) {
            trap->code = error->error_code;
            return 0;
        }
    if (error->error_code == BadWindow || error->error_code == BadDrawable)
        return 0;
    std::fputs(DescribeXError(display, *error).c_str(), stderr);
    std::fputc('\n', stderr);
    return 0;
}

std::string DescribeXError(Display* display, const XErrorEvent& error) {
    char text[160] = "";
    // Local lookup only: no protocol request, so it is safe in the handler.
    XGetErrorText(display, error.error_code, text, sizeof text);
    char line[320];
    std::snprintf(line, sizeof line, "Wingmate: X error \"%s\" from request %u.%u on 0x%lx", text,
                  unsigned(error.request_code), unsigned(error.minor_code), error.resourceid);
    return line;
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
