#pragma once
// Port: starting another program as a detached process (program macros, the
// window-declaration recorder). Nothing waits for the process.

#include <string>
#include <vector>

struct LaunchResult {
    bool ok = true;
    int error = 0; // errno of the failed start; 0 when it started
};

class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts `program` (a path, or a name looked up in PATH) with `arguments`
    // (without the program itself) in a session of its own.
    virtual LaunchResult Launch(const std::string& program,
                                const std::vector<std::string>& arguments) = 0;
};
