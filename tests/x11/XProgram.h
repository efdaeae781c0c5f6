#pragma once
// A program started on a test's X display, ended with the test.

#include "XvfbServer.h"

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

class CProgram {
public:
    // `args` with the program from the PATH, the test's environment with
    // DISPLAY set to `display`; pid is -1 when it could not start.
    CProgram(const std::string& display, std::vector<std::string> args) {
        std::vector<std::string> env{"DISPLAY=" + display};
        for (char** variable = environ; *variable; ++variable)
            if (std::string(*variable).rfind("DISPLAY=", 0) != 0)
                env.emplace_back(*variable);
        std::vector<char*> envp;
        for (std::string& variable : env)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        if (SpawnQuietly(std::move(args), envp.data(), pid) != 0)
            pid = -1;
    }
    ~CProgram() { End(); }
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    // Ends the program (a stopped one too) and reaps it.
    void End() {
        if (pid <= 0)
            return;
        kill(pid, SIGCONT);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }

    pid_t pid = -1;
};
