// Hook latency: from the last key of a chord injected with XTest to
// EnqueueMacro being called through the RECORD hook and CKeyHook, over 200
// presses on a private Xvfb; the same measure for sxhkd running a command on
// the same chord when sxhkd is installed; and the hook thread's idle CPU.
//
//   build/bin/hook_latency_bench [presses]

#include "XvfbServer.h"

#include "library/MacroLibrary.h"
#include "schedule/RunQueuePorts.h"
#include "triggers/KeyHook.h"
#include "x11/X11KeyHook.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <X11/Xlib.h>
#include <X11/keysym.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Report {
    int identifier;
    int code;
};

// The main window's part: reports queued by the hook thread, handled on one
// "user-interface" thread.
class CBenchWindow : public IRunQueue {
public:
    void Push(int identifier, int code) {
        std::lock_guard lock(mutex);
        reports.push_back({identifier, code});
        changed.notify_all();
    }
    int EnqueueMacro(int32_t) override {
        std::lock_guard lock(mutex);
        enqueuedAt = Clock::now();
        ++enqueued;
        return 1;
    }
    int RunNextQueued() override { return 1; }

    void Loop(CKeyHook& hook) {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || !reports.empty(); });
            if (stop)
                return;
            const Report report = reports.front();
            reports.pop_front();
            lock.unlock();
            hook.OnHookCommand(report.identifier, report.code);
            lock.lock();
            ++handled;
            changed.notify_all();
        }
    }
    // Waits until `count` macros were started and every report so far handled.
    bool WaitEnqueued(int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(2),
                                [&] { return enqueued >= count && reports.empty(); });
    }
    void Stop() {
        std::lock_guard lock(mutex);
        stop = true;
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Report> reports;
    Clock::time_point enqueuedAt;
    int enqueued = 0;
    int handled = 0;
    bool stop = false;
};

void Send(Display* display, KeySym keysym, bool down) {
    SendKey(display, keysym, down);
}

void PrintFigures(const char* what, std::vector<double> micros) {
    if (micros.empty()) {
        std::printf("%-34s no presses measured\n", what);
        return;
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p95 = micros[std::min(micros.size() - 1, micros.size() * 95 / 100)];
    std::printf("%-34s n=%zu  median %.3f ms  p95 %.3f ms  max %.3f ms\n", what, micros.size(),
                median / 1000, p95 / 1000, micros.back() / 1000);
}

std::vector<double> MeasureWingmate(const std::string& displayName, Display* sender, int presses,
                                    double& idleCpuMs) {
    CMacroLibrary library;
    CMacro root;
    root.kind = 2;
    const int32_t rootId = library.InsertRecord(root, -1, InsertPosition::Into);
    CMacro macro;
    macro.triggerKey = "<CTRL><ALT><K>";
    library.InsertRecord(macro, rootId, InsertPosition::Into);

    CBenchWindow window;
    CX11KeyHook port([&](intptr_t, int identifier, int code) { window.Push(identifier, code); },
                     displayName);
    CKeyHook hook(port, library, window, [] { return true; });
    hook.SetMainWindow(1);
    hook.Install();
    if (!port.Running()) {
        std::fprintf(stderr, "%s\n", port.LastError().c_str());
        return {};
    }
    std::thread ui([&] { window.Loop(hook); });

    // Idle: a second with the hook installed and no key pressed.
    timespec before{}, after{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    idleCpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;

    std::vector<double> micros;
    for (int press = 1; press <= presses; ++press) {
        Send(sender, XK_Control_L, true);
        Send(sender, XK_Alt_L, true);
        const Clock::time_point start = Clock::now();
        Send(sender, XK_k, true);
        if (window.WaitEnqueued(press)) {
            std::lock_guard lock(window.mutex);
            micros.push_back(
                std::chrono::duration<double, std::micro>(window.enqueuedAt - start).count());
        }
        Send(sender, XK_k, false);
        Send(sender, XK_Alt_L, false);
        Send(sender, XK_Control_L, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    window.Stop();
    ui.join();
    hook.Release();
    return micros;
}

std::vector<double> MeasureSxhkd(const std::string& displayName, Display* sender, int presses) {
    if (access("/usr/bin/sxhkd", X_OK) != 0)
        return {};
    char folder[] = "/tmp/wingmate-bench-XXXXXX";
    if (!mkdtemp(folder))
        return {};
    const std::string fifo = std::string(folder) + "/fifo";
    const std::string config = std::string(folder) + "/sxhkdrc";
    mkfifo(fifo.c_str(), 0600);
    if (FILE* file = std::fopen(config.c_str(), "w")) {
        std::fprintf(file, "ctrl + alt + k\n    echo x > %s\n", fifo.c_str());
        std::fclose(file);
    }
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int keepOpen = open(fifo.c_str(), O_WRONLY); // the fifo never reports end of file
    setenv("SHELL", "/bin/sh", 1);
    setenv("DISPLAY", displayName.c_str(), 1);
    std::vector<std::string> args = {"sxhkd", "-c", config};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, "/usr/bin/sxhkd", nullptr, nullptr, argv.data(), environ) != 0)
        return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(700)); // it grabs the chord

    std::vector<double> micros;
    for (int press = 0; press < presses; ++press) {
        Send(sender, XK_Control_L, true);
        Send(sender, XK_Alt_L, true);
        const Clock::time_point start = Clock::now();
        Send(sender, XK_k, true);
        pollfd wait{reader, POLLIN, 0};
        if (poll(&wait, 1, 2000) > 0) {
            micros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            char buffer[64];
            while (read(reader, buffer, sizeof buffer) > 0) {
            }
        }
        Send(sender, XK_k, false);
        Send(sender, XK_Alt_L, false);
        Send(sender, XK_Control_L, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(reader);
    close(keepOpen);
    unlink(fifo.c_str());
    unlink(config.c_str());
    rmdir(folder);
    return micros;
}

} // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    CXvfb server;
    if (!server.Running()) {
        std::fprintf(stderr, "cannot start Xvfb: %s\n", server.Error().c_str());
        return 1;
    }
    Display* sender = XOpenDisplay(server.Name().c_str());
    if (!sender)
        return 1;
    double idleCpuMs = 0;
    PrintFigures("wingmate (RECORD -> EnqueueMacro)",
                 MeasureWingmate(server.Name(), sender, presses, idleCpuMs));
    std::printf("%-34s %.3f ms CPU in 1 s idle (whole process)\n", "wingmate hook idle", idleCpuMs);
    if (access("/usr/bin/sxhkd", X_OK) == 0)
        PrintFigures("sxhkd (grab -> command ran)", MeasureSxhkd(server.Name(), sender, presses));
    else
        std::printf("sxhkd is not installed: no comparison\n");
    XCloseDisplay(sender);
    return 0;
}
