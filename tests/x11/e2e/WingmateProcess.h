#pragma once
// Helpers for driving the real `wingmate` program on a private X server:
// child processes that are always reaped, top-level windows found by title,
// and the small file and /proc readers the end-to-end test and the
// benchmarks share.

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay;

// A child process started with posix_spawn. The destructor kills it (SIGKILL)
// and reaps it when it is still running, so a failed test leaves nothing.
class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts `program` with `args` (argv[1..]) in the current environment with
    // `env` laid over it (an empty value removes the variable). Output and
    // errors go to `logFile` (appended). False with `error` set on failure.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env, const std::string& logFile,
               std::string& error);

    // Waits up to `timeout` for the child to end; true with its exit status
    // (or 128 + signal) in `status`.
    bool WaitExit(std::chrono::milliseconds timeout, int& status);
    void Kill();

    bool Running() const { return pid > 0; }
    pid_t Pid() const { return pid; }

private:
    pid_t pid = -1;
};

// Runs a program to its end (bounded by `timeout`, killed after it) and
// returns its exit status, or -1 when it could not start or timed out.
// Standard output is collected into `output`.
int RunToEnd(const std::string& program, const std::vector<std::string>& args,
             const std::map<std::string, std::string>& env, std::chrono::milliseconds timeout,
             std::string& output);

// The viewable top-level window (searched through the whole window tree)
// whose title equals `title`, or whose title starts with it when
// `prefixOnly`. 0 when there is none.
unsigned long FindViewableWindow(_XDisplay* display, const std::string& title, bool prefixOnly);

// Polls for such a window every `pollEvery` until `timeout`; 0 on timeout.
unsigned long WaitForWindow(_XDisplay* display, const std::string& title, bool prefixOnly,
                            std::chrono::milliseconds timeout,
                            std::chrono::milliseconds pollEvery = std::chrono::milliseconds(20));

// Asks the window to close as a window manager would (WM_DELETE_WINDOW).
void SendDeleteWindow(_XDisplay* display, unsigned long window);

// Lines in a text file (0 when it does not exist).
size_t CountLines(const std::string& path);
std::string ReadText(const std::string& path);

// Polls until `path` holds at least `lines` lines; false on timeout.
bool WaitForLines(const std::string& path, size_t lines, std::chrono::milliseconds timeout);

// CPU time (user + system) of a process in clock ticks, from /proc/PID/stat;
// -1 when it cannot be read.
long long ProcessCpuTicks(pid_t pid);
// Resident set size in KiB, from /proc/PID/status; -1 when unknown.
long long ProcessRssKiB(pid_t pid);
