#pragma once
// The process launcher on POSIX: posix_spawn (PATH lookup for a bare name),
// a new session, default signal handling, not waited for. A small detached
// thread reaps the child when it ends, so no zombie is left behind.

#include "ports/ProcessLauncher.h"

class CPosixProcessLauncher : public IProcessLauncher {
public:
    LaunchResult Launch(const std::string& program,
                        const std::vector<std::string>& arguments) override;
};
