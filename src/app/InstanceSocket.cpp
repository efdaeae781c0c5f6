#include "app/InstanceSocket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

std::string InstanceSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, error))
        return std::string(runtime) + "/wingmate.sock";
    return "/tmp/wingmate-" + std::to_string(::getuid()) + ".sock";
}

int TakeInstanceLock(const std::string& path, std::string& error) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = "Could not open the lock file " + path + ": " + std::strerror(errno);
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
