// Processes: finding and ending them by name or id, running a program and
// waiting for it, and reading what it writes.
#include "engine/Builtins.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tessera {

namespace {

using Clock = std::chrono::steady_clock;

// Words as a shell splits them, without a shell: blanks separate words,
// single quotes keep everything, double quotes keep all but \" \\ \$ \`,
// a backslash outside quotes keeps the next character. No variables,
// globs, pipes or redirections.
std::vector<std::string> SplitWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (size_t k = 0; k < command.size(); ++k) {
        const char c = command[k];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\' && k + 1 < command.size()) {
            word += command[++k];
        } else if (c == '\'') {
            const size_t close = command.find('\'', k + 1);
            if (close == std::string::npos)
                throw ScriptError{"a quote ' is not closed in: " + command};
            word += command.substr(k + 1, close - k - 1);
            k = close;
        } else if (c == '"') {
            for (++k;; ++k) {
                if (k >= command.size())
                    throw ScriptError{"a quote \" is not closed in: " + command};
                if (command[k] == '"')
                    break;
                if (command[k] == '\\' && k + 1 < command.size() &&
                    std::strchr("\"\\$`", command[k + 1]))
                    ++k;
                word += command[k];
            }
        } else {
            word += c;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    if (words.empty())
        throw ScriptError{"the command is empty"};
    for (const std::string& w : words)
        if (w.find('\0') != std::string::npos)
            throw ScriptError{"the command contains a NUL byte"};
    return words;
}

// Starts the program in a process group of its own (so a Stop ends what it
// started too); its standard output goes to `outFd` when that is set.
pid_t Start(const std::string& command, int outFd) {
    std::vector<std::string> words = SplitWords(command);
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Signals as a fresh program expects them, whatever the host ignores.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        throw ScriptError{"cannot start '" + words[0] + "': " + std::strerror(error)};
    return pid;
}

int ExitStatus(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

void EndGroup(pid_t pid) {
    kill(-pid, SIGTERM);
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Waits for `pid`, ending it (and its group) on Stop or after `limitMs`
// (negative: no limit). True when it ended by itself.
bool Wait(const BuiltinContext& ctx, pid_t pid, int64_t limitMs, int& status) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return true;
        if (done < 0 && errno != EINTR)
            throw ScriptError{std::string("cannot wait for the program: ") + std::strerror(errno)};
        if (ctx.StopRequested()) {
            EndGroup(pid);
            throw StopSignal{"script stopped"};
        }
        if (limitMs >= 0 && Clock::now() >= end) {
            EndGroup(pid);
            return false;
        }
        usleep(2000);
    }
}

void RunWait(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    ctx.RequireSystemAccess();
    const std::string& command = ArgStr(args, 0);
    const int64_t limit = argc > 1 ? ArgInt(args, 1) : -1;
    if (argc > 1 && limit < 0)
        throw ScriptError{"the time " + std::to_string(limit) + " is negative"};
    const pid_t pid = Start(command, -1);
    int status = 0;
    if (!Wait(ctx, pid, limit, status))
        throw ScriptError{"'" + command + "' did not end within " + std::to_string(limit) +
                          " ms and was ended"};
    result.SetInt(ExitStatus(status));
}

void Output(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    const std::string& command = ArgStr(args, 0);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw ScriptError{std::string("cannot make a pipe: ") + std::strerror(errno)};
    pid_t pid = -1;
    try {
        pid = Start(command, fds[1]);
    } catch (...) {
        close(fds[0]);
        close(fds[1]);
        throw;
    }
    close(fds[1]);
    std::string text;
    char buffer[65536];
    for (;;) {
        pollfd readable{fds[0], POLLIN, 0};
        const int ready = poll(&readable, 1, 5);
        if (ctx.StopRequested() || text.size() > ctx.maxString) {
            close(fds[0]);
            EndGroup(pid);
            if (ctx.StopRequested())
                throw StopSignal{"script stopped"};
            throw ScriptError{"the output of '" + command + "' is too long"};
        }
        if (ready <= 0)
            continue;
        const ssize_t got = read(fds[0], buffer, sizeof buffer);
        if (got > 0)
            text.append(buffer, static_cast<size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    Wait(ctx, pid, -1, status);
    SetStr(result, std::move(text), ctx);
}

// A process id of this machine whose process still runs (a zombie does not).
bool Alive(pid_t pid) {
    if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM))
        return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

// The first running process with that name: the kernel's short name, or the
// file name of the program its command line starts.
pid_t FindProcess(const std::string& name) {
    std::error_code ec;
    pid_t found = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string id = entry.path().filename();
        if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(id));
        std::string comm, argv0;
        std::getline(std::ifstream(entry.path() / "comm"), comm);
        std::getline(std::ifstream(entry.path() / "cmdline"), argv0, '\0');
        const std::string program = argv0.substr(argv0.rfind('/') + 1);
        if ((comm == name || program == name) && Alive(pid) && (found == 0 || pid < found))
            found = pid;
    }
    return found;
}

pid_t ProcessOf(const Value* args) {
    if (args[0].type == ValueType::Str) {
        const std::string& name = ArgStr(args, 0);
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            return FindProcess(name);
    }
    const int64_t pid = args[0].type == ValueType::Str
                            ? std::strtoll(args[0].AsStr().c_str(), nullptr, 10) // digits only
                            : ArgInt(args, 0);
    return pid > 0 && pid <= INT32_MAX && Alive(static_cast<pid_t>(pid)) ? static_cast<pid_t>(pid)
                                                                         : 0;
}

void ProcessExists(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    result.SetInt(ProcessOf(args));
}

// Asks the process to end (SIGTERM); one still there after three seconds is
// killed. Returns its id, 0 when there was none.
void ProcessClose(BuiltinContext& ctx, Value* args, int, Value& result) {
    ctx.RequireSystemAccess();
    const pid_t pid = ProcessOf(args);
    if (pid == 0)
        return result.SetInt(0);
    if (pid == getpid())
        throw ScriptError{"will not end the program running this script"};
    if (kill(pid, SIGTERM) != 0)
        throw ScriptError{"cannot end process " + std::to_string(pid) + ": " +
                          std::strerror(errno)};
    const Clock::time_point end = Clock::now() + std::chrono::seconds(3);
    while (Alive(pid) && Clock::now() < end)
        ctx.SleepMs(10);
    if (Alive(pid))
        kill(pid, SIGKILL);
    result.SetInt(pid);
}

} // namespace

const BuiltinInfo kProcessBuiltins[] = {
    {"ProcessExists", 1, 1, DeclType::Int, ProcessExists},
    {"ProcessClose", 1, 1, DeclType::Int, ProcessClose},
    {"RunWait", 1, 2, DeclType::Int, RunWait},
    {"Output", 1, 1, DeclType::Str, Output},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
