#pragma once
// The per-user local socket through which a second start of the program (and
// wingmatectl) reaches the running one. Requests are single UTF-8 lines ending
// in "\n"; "show" brings the running program's window to the front.
//
// The socket and the instance lock live in a folder only the user can enter,
// so no other user can take the lock first or listen in the program's place;
// every connection is also checked for the peer's user id.

#include "ports/UiText.h"

#include <optional>
#include <string>

struct InstanceFolderInputs {
    std::optional<std::string> runtimeDir; // $XDG_RUNTIME_DIR
    std::optional<std::string> cacheHome;  // $XDG_CACHE_HOME
    std::optional<std::string> userHome;   // $HOME
};

struct InstancePaths {
    std::string folder;
    std::string socket; // folder/wingmate.sock
    std::string lock;   // the socket's path with ".lock" appended
};

// The first usable folder of: $XDG_RUNTIME_DIR/wingmate (when that folder is
// private to the user) and the cache folder's wingmate/ ($XDG_CACHE_HOME,
// else ~/.cache); never a shared folder such as /tmp, where another user
// could make or remove what sits at a predictable name. A folder is usable
// when the socket's path fits a local socket address and it is
// private (a real folder owned by the user, mode 0700); `create` (the
// program) makes it 0700 when missing, otherwise (wingmatectl) a missing
// folder is taken as it is: nothing runs there. A folder someone else made
// or opened is passed over with a line in `warnings`. false with `error`
// when none is usable. The program and wingmatectl both ask this, so they
// always agree.
bool ResolveInstancePaths(const InstanceFolderInputs& inputs, bool create, InstancePaths& paths,
                          std::string& error, std::string* warnings = nullptr);
// The same from this process's environment.
bool ResolveInstancePaths(bool create, InstancePaths& paths, std::string& error,
                          std::string* warnings = nullptr);

// Takes the per-user instance lock (flock on `path`, created 0600, never
// following a link). A file there that is not this user's own regular file
// is removed and made anew (the folder is the user's own). Returns the
// descriptor that holds it, -1 when another process holds it, or -2 with
// `error` set when the file cannot be used.
int TakeInstanceLock(const std::string& path, std::string& error);

// true when the process at the other end of the connected local socket `fd`
// runs as this user (SO_PEERCRED); false with `why` otherwise.
bool PeerIsThisUser(int fd, std::string& why);

// false with `why` when something that is not this user's own socket sits at
// `path` (a missing one is fine: nothing runs).
bool SocketFileIsOurs(const std::string& path, std::string& why);

constexpr const char* kShowRequest = "show";
constexpr const char* kAlreadyRunningText =
    UI_TEXT("Wingmate", "Wingmate already running.  Click OK to view.");
constexpr const char* kSocketName = "wingmate.sock";
