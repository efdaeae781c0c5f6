#pragma once
// The per-user local socket through which a second start of the program (and
// wingmatectl) reaches the running one. Requests are single UTF-8 lines ending
// in "\n"; "show" brings the running program's window to the front.

#include <string>

// $XDG_RUNTIME_DIR/wingmate.sock when that folder exists (it is private to the
// user); else /tmp/wingmate-<uid>.sock.
std::string InstanceSocketPath();

// Takes the per-user instance lock (flock on `path`, created 0600, never
// following a link). Returns the descriptor that holds it, -1 when another
// process holds it, or -2 with `error` set when the file cannot be used.
int TakeInstanceLock(const std::string& path, std::string& error);

constexpr const char* kShowRequest = "show";
constexpr const char* kAlreadyRunningText = "Wingmate already running.  Click OK to view.";
