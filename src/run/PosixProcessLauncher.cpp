#include "run/PosixProcessLauncher.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

CPosixProcessLauncher::~CPosixProcessLauncher() {
    ReapExited();
}

bool CPosixProcessLauncher::Launch(const std::string& executable,
                                   const std::vector<std::string>& args, std::string* error) {
    ReapExited();
    if (executable.empty()) {
        if (error)
            *error = "no program given";
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    // A new session: the program outlives Wingmate and gets no signals meant
    // for it. Signal handling starts from the defaults.
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);

    pid_t pid = 0;
    bool searchPath = executable.find('/') == std::string::npos;
    int result =
        searchPath
            ? posix_spawnp(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ)
            : posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        if (error)
            *error = executable + ": " + std::strerror(result);
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex);
    children.push_back(pid);
    return true;
}

void CPosixProcessLauncher::ReapExited() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<pid_t> running;
    for (pid_t pid : children) {
        int status = 0;
        pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == 0)
            running.push_back(pid);
    }
    children.swap(running);
}

size_t CPosixProcessLauncher::Unreaped() const {
    std::lock_guard<std::mutex> lock(mutex);
    return children.size();
}
