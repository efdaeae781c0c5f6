#pragma once
// Opening X connections with a clear account of what is missing.

#include <X11/Xlib.h>

#include <string>

// Opens `displayName` (empty: $DISPLAY). On failure returns null and sets
// `cause` ("DISPLAY is not set", "cannot open the X display ':7'"). Also makes
// sure a protocol error never ends the program (Xlib's default handler exits).
Display* OpenX11Display(const std::string& displayName, std::string& cause);

// The name shown in messages: `displayName`, else $DISPLAY.
std::string DisplayLabel(const std::string& displayName);

// "the X server on ':7' lacks the XTEST extension" when `name` is missing,
// else empty.
std::string MissingExtension(Display* display, const char* name);

// "Wingmate: X error "BadAccess ..." from request 33.0 on 0x2a": one line
// naming the error and the request that raised it.
std::string DescribeXError(Display* display, const XErrorEvent& error);

// Collects the protocol errors that requests on `display` raise on this
// thread while it lives (the program's handler otherwise ignores them).
// XSync before reading Code().
class CX11ErrorTrap {
public:
    explicit CX11ErrorTrap(Display* display);
    ~CX11ErrorTrap();
    CX11ErrorTrap(const CX11ErrorTrap&) = delete;
    CX11ErrorTrap& operator=(const CX11ErrorTrap&) = delete;

    // The error code of the last error since construction or Clear; 0: none.
    int Code() const { return code; }
    void Clear() { code = 0; }

private:
    friend int TrapProtocolError(Display*, XErrorEvent*);
    Display* display;
    CX11ErrorTrap* outer;
    int code = 0;
};
