#pragma once
// IProcessLauncher on posix_spawn: a new session (setsid), standard input
// from /dev/null, the inherited environment and current directory. Children
// that have ended are reaped at the next launch and at destruction, so they
// do not linger as zombies; nothing ever blocks on a running child.

#include "ports/ProcessLauncher.h"

#include <mutex>
#include <sys/types.h>
#include <vector>

class CPosixProcessLauncher : public IProcessLauncher {
public:
    CPosixProcessLauncher() = default;
    ~CPosixProcessLauncher() override;
    CPosixProcessLauncher(const CPosixProcessLauncher&) = delete;
    CPosixProcessLauncher& operator=(const CPosixProcessLauncher&) = delete;

    bool Launch(const std::string& executable, const std::vector<std::string>& args,
                std::string* error) override;

    // Collects the exit status of every started child that has ended.
    void ReapExited();
    // Children started and not yet reaped.
    size_t Unreaped() const;

private:
    mutable std::mutex mutex;
    std::vector<pid_t> children;
};
