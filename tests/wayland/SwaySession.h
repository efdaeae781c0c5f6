#pragma once
// A headless sway for the tests, started for the whole suite: as an
// unprivileged user when the tests run as root (sway refuses root), with
// its own runtime folder, which this process then uses too.

#include <string>
#include <sys/types.h>
#include <vector>

class CSwaySession {
public:
    // Empty when sway started; else why not ("sway is not installed" first).
    std::string Start();
    void Stop();
    ~CSwaySession() { Stop(); }

    // Runs a sway command over its socket ("input type:keyboard xkb_layout de").
    bool Command(const std::string& command);
    // Starts a program on the session; its process id.
    pid_t Spawn(const std::vector<std::string>& arguments);
    const std::string& RuntimeDir() const { return runtimeDir; }

private:
    pid_t sway = -1;
    std::string runtimeDir;
    std::string ipcSocket;
};
