#pragma once
// The per-user local socket through which a second start of the program (and
// wingmatectl) reaches the running one. Requests are single UTF-8 lines ending
// in "\n"; "show" brings the running program's window to the front.

#include <string>

// $XDG_RUNTIME_DIR/wingmate.sock when that folder exists (it is private to the
// user); else /tmp/wingmate-<uid>.sock.
std::string InstanceSocketPath();

constexpr const char* kShowRequest = "show";
constexpr const char* kAlreadyRunningText = "Wingmate already running.  Click OK to view.";
