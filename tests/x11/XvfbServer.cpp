#include "XvfbServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

extern char** environ;

bool CXvfb::Installed() {
    return HasProgram("Xvfb");
}

std::string CXvfb::SetKeymap(const std::vector<std::string>& extra) const {
    std::vector<std::string> args = {"setxkbmap", "-display", name};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, "setxkbmap", nullptr, nullptr, argv.data(), environ) != 0)
        return "cannot start setxkbmap";
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "setxkbmap failed for " + args.back();
    return {};
}

bool CXvfb::HasProgram(const char* program) {
    const char* path = std::getenv("PATH");
    std::string paths = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= paths.size()) {
        const size_t end = paths.find(':', start);
        const std::string dir = paths.substr(start, end == std::string::npos ? end : end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

int SpawnQuietly(std::vector<std::string> args, char** env, pid_t& pid) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env);
    posix_spawn_file_actions_destroy(&actions);
    return spawned;
}

CXvfb::CXvfb(const std::vector<std::string>& extraArgs) {
    // The programs these tests start act on this server even when the tests
    // run inside a Wayland session, never on the user's desktop.
    setenv("WINGMATE_BACKEND", "x11", 1);
    if (!Installed()) {
        error = "Xvfb is not installed";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                     "-nolisten", "tcp",        "-noreset",
                                     "-screen",   "0",          "1024x768x24"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    const int spawned = SpawnQuietly(args, environ, pid);
    close(fds[1]);
    if (spawned != 0) {
        pid = -1;
        close(fds[0]);
        error = std::string("cannot start Xvfb: ") + std::strerror(spawned);
        return;
    }
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (poll(&wait, 1, 100) <= 0)
            continue;
        char buffer[16];
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        number.append(buffer, static_cast<size_t>(got));
        if (number.find('\n') != std::string::npos)
            break;
    }
    close(fds[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
        number.pop_back();
    if (number.empty()) {
        error = "Xvfb did not report a display within 15 seconds";
        return;
    }
    Display* probe = XOpenDisplay((":" + number).c_str());
    if (!probe) {
        error = "Xvfb reported :" + number + " but it does not answer";
        return;
    }
    XCloseDisplay(probe);
    name = ":" + number;
}

CXvfb::~CXvfb() {
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

void SendKey(Display* display, unsigned long keysym, bool down) {
    const KeyCode keycode = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, keycode, down ? True : False, CurrentTime);
    XSync(display, False);
}

void TapKey(Display* display, unsigned long keysym) {
    SendKey(display, keysym, true);
    SendKey(display, keysym, false);
}
