#include "program/InstanceSocket.h"

#include "library/HomeFolder.h"
#include "library/SafePath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

InstancePaths PathsIn(const std::string& folder) {
    const std::string socket = folder + "/" + kSocketName;
    return {folder, socket, socket + ".lock"};
}

// Opens the lock file; a file that is not our own regular file is not used.
int OpenOwnLockFile(const std::string& path, int flags, std::string& why) {
    const int fd = ::open(path.c_str(), flags | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        why = S_ISREG(info.st_mode) ? "it is owned by uid " + std::to_string(info.st_uid)
                                    : "it is not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool ResolveInstancePaths(const InstanceFolderInputs& inputs, bool create, InstancePaths& paths,
                          std::string& error, std::string* warnings) {
    struct Candidate {
        std::string folder;
        bool makeParents; // the cache folder may be missing on a fresh account
    };
    std::vector<Candidate> candidates;
    std::string why;
    error.clear();
    if (inputs.runtimeDir && !inputs.runtimeDir->empty()) {
        if (IsPrivateFolder(*inputs.runtimeDir, why))
            candidates.push_back({*inputs.runtimeDir + "/wingmate", false});
        else if (warnings)
            *warnings += "XDG_RUNTIME_DIR is not used: " + why + "\n";
    }
    if (inputs.cacheHome && !inputs.cacheHome->empty())
        candidates.push_back({*inputs.cacheHome + "/wingmate", true});
    else if (inputs.userHome && !inputs.userHome->empty())
        candidates.push_back({*inputs.userHome + "/.cache/wingmate", true});
    for (const auto& [folder, makeParents] : candidates) {
        if (PathsIn(folder).socket.size() >= sizeof(sockaddr_un{}.sun_path)) {
            why = folder + " is too long a path for a local socket";
        } else if (create) {
            if (makeParents)
                CreateFoldersPrivately(folder.substr(0, folder.rfind('/')));
            if (EnsurePrivateFolder(folder, why)) {
                paths = PathsIn(folder);
                return true;
            }
        } else {
            struct stat info {};
            if ((::lstat(folder.c_str(), &info) != 0 && errno == ENOENT) ||
                IsPrivateFolder(folder, why)) {
                paths = PathsIn(folder);
                return true;
            }
        }
        if (warnings)
            *warnings += "Not using " + folder + ": " + why + "\n";
        error += (error.empty() ? "" : "; ") + why;
    }
    if (candidates.empty())
        error = "neither XDG_RUNTIME_DIR nor HOME is set";
    error = "No private folder for the instance socket: " + error;
    return false;
}

bool ResolveInstancePaths(bool create, InstancePaths& paths, std::string& error,
                          std::string* warnings) {
    InstanceFolderInputs inputs;
    inputs.runtimeDir = NonEmptyEnv("XDG_RUNTIME_DIR");
    inputs.cacheHome = NonEmptyEnv("XDG_CACHE_HOME");
    inputs.userHome = NonEmptyEnv("HOME");
    return ResolveInstancePaths(inputs, create, paths, error, warnings);
}

int TakeInstanceLock(const std::string& path, std::string& error) {
    std::string why;
    int fd = OpenOwnLockFile(path, O_CREAT, why);
    if (fd < 0) {
        // Not ours (or not a file): the folder is ours, so put our own there.
        ::unlink(path.c_str());
        fd = OpenOwnLockFile(path, O_CREAT | O_EXCL, why);
    }
    if (fd < 0) {
        error = "Could not open the lock file " + path + ": " + why;
        return -2;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK)
            return -1;
        error = "Could not lock " + path + ": " + std::strerror(cause);
        return -2;
    }
    return fd;
}

bool PeerIsThisUser(int fd, std::string& why) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        why = std::string("cannot tell who is at the other end: ") + std::strerror(errno);
        return false;
    }
    if (peer.uid != ::geteuid()) {
        why = "the other end runs as uid " + std::to_string(peer.uid) + ", not as you";
        return false;
    }
    return true;
}

bool SocketFileIsOurs(const std::string& path, std::string& why) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return true;
    if (!S_ISSOCK(info.st_mode))
        why = path + " is not a socket";
    else if (info.st_uid != ::geteuid())
        why = path + " is owned by uid " + std::to_string(info.st_uid) + ", not by you";
    else
        return true;
    return false;
}
