#include "run/PosixProcessLauncher.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

LaunchResult CPosixProcessLauncher::Launch(const std::string& program,
                                           const std::vector<std::string>& arguments) {
    if (program.empty())
        return {false, ENOENT};
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (int error = posix_spawnattr_init(&attributes))
        return {false, error};
    // The child gets its own session (it outlives us and our terminal), an
    // empty signal mask and default handlers for what we may have changed.
    sigset_t noSignals, defaults;
    sigemptyset(&noSignals);
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    // Nothing of ours past standard input, output and error reaches the
    // program, even a descriptor another thread opened without close-on-exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif

    pid_t child = 0;
    const bool searchPath = program.find('/') == std::string::npos;
    const int error =
        searchPath
            ? posix_spawnp(&child, program.c_str(), &actions, &attributes, argv.data(), environ)
            : posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return {false, error};
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return {true, 0};
}
