#include "SwaySession.h"

#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const fs::path candidate = fs::path(folders.substr(start, end - start)) / name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace

std::string CSwaySession::Start() {
    const std::string program = FindProgram("sway");
    if (program.empty())
        return "sway is not installed";
    char folder[] = "/tmp/wingmate-sway-XXXXXX";
    if (!mkdtemp(folder))
        return "cannot make a runtime folder";
    runtimeDir = folder;
    const bool root = geteuid() == 0;
    if (root && chown(folder, kNobody, kNobody) != 0)
        return "cannot hand the runtime folder to nobody";
    const std::string config = runtimeDir + "/config";
    std::ofstream(config) << "output * resolution 1024x768\n"
                             "input type:keyboard xkb_layout us\n"
                             "default_border none\n";
    chmod(config.c_str(), 0644);
    sway = fork();
    if (sway == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(126);
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        setenv("WLR_BACKENDS", "headless", 1);
        setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
        setenv("WLR_RENDERER", "pixman", 1);
        setenv("HOME", runtimeDir.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("DISPLAY");
        unsetenv("SWAYSOCK");
        const std::string log = runtimeDir + "/sway.log";
        freopen(log.c_str(), "w", stderr);
        execl(program.c_str(), "sway", "-c", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ready once the compositor's socket and the command socket are there.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(sway, &status, WNOHANG) == sway) {
            sway = -1;
            return "sway ended at start (see " + runtimeDir + "/sway.log)";
        }
        std::string display;
        for (const auto& entry : fs::directory_iterator(runtimeDir)) {
            const std::string name = entry.path().filename();
            if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos)
                display = name;
            if (name.rfind("sway-ipc.", 0) == 0)
                ipcSocket = entry.path();
        }
        if (!display.empty() && !ipcSocket.empty()) {
            setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
            setenv("WAYLAND_DISPLAY", display.c_str(), 1);
            return {};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "sway did not start within 10 s";
}

void CSwaySession::Stop() {
    if (sway > 0) {
        kill(sway, SIGTERM);
        waitpid(sway, nullptr, 0);
        sway = -1;
    }
    if (!runtimeDir.empty()) {
        std::error_code ignored;
        fs::remove_all(runtimeDir, ignored);
        runtimeDir.clear();
    }
}

pid_t CSwaySession::Spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

bool CSwaySession::Command(const std::string& command) {
    const std::string swaymsg = FindProgram("swaymsg");
    if (swaymsg.empty())
        return false;
    const pid_t pid = Spawn({swaymsg, "-q", "-s", ipcSocket, command});
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}
