#pragma once
// Port: starting a program detached from Wingmate (program macros, the
// declarations recorder). The program runs in a session of its own and is
// never waited for.

#include <string>
#include <vector>

class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts `executable` (searched in PATH when it has no "/") with `args`
    // after the program name. false with `error` when it could not start.
    virtual bool Launch(const std::string& executable, const std::vector<std::string>& args,
                        std::string* error) = 0;
};
