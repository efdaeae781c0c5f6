// bench_runner [runs]: how long the macro runner takes
//   - from Run to the first statement of a one-line script (Print), with an
//     empty "Externals.dat": worker start, stream, library manager, Load,
//     LoadList, log file;
//   - from Stop to the completion of a script spinning in a loop.
// Prints the median, 95th percentile and maximum of each, in milliseconds.
#include "run/MacroRunner.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The main window's side: notes when output and completions arrive and
// handles each completion at once.
class CTimingWindow : public IOutputSink, public IRunCompletion {
public:
    void AppendOutput(const std::string&) override {
        std::lock_guard<std::mutex> lock(mutex);
        if (!outputSeen) {
            outputSeen = true;
            firstOutput = Clock::now();
        }
        changed.notify_all();
    }
    void PostMacroFinished(int32_t, std::function<void()> handled) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++completions;
            lastCompletion = Clock::now();
            changed.notify_all();
        }
        handled();
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(mutex);
        outputSeen = false;
    }
    void WaitForOutput() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return outputSeen; });
    }
    void WaitForCompletions(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return completions >= count; });
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool outputSeen = false;
    int completions = 0;
    Clock::time_point firstOutput, lastCompletion;
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %.3f ms  p95 %.3f ms  max %.3f ms  (%zu runs)\n", what,
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), ms.size());
}

} // namespace

int main(int argc, char** argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 300;
    if (runs < 1)
        runs = 1;
    std::string home =
        (std::filesystem::temp_directory_path() / ("bench-runner-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(home);
    std::ofstream(home + "/Externals.dat").close();
    std::ofstream(home + "/one.tsc") << "Print(\"x\");\n";
    std::ofstream(home + "/spin.tsc")
        << "Print(\"spinning\");\nint n = 0;\nwhile (true) { n = n + 1; }\n";

    CTimingWindow window;
    CMacroRunner::Ports ports;
    ports.output = &window;
    ports.completion = &window;
    CMacro one;
    one.runAsScript = 1;
    one.scriptFile = "one.tsc";
    CMacro spin = one;
    spin.scriptFile = "spin.tsc";
    {
        CMacroRunner runner(home, ports);
        std::vector<double> start, stop;
        int completions = 0;
        for (int k = 0; k < runs; ++k) {
            window.Reset();
            Clock::time_point begin = Clock::now();
            runner.Run(one);
            window.WaitForOutput();
            start.push_back(Ms(window.firstOutput - begin));
            window.WaitForCompletions(++completions);
        }
        for (int k = 0; k < runs / 3 + 1; ++k) {
            window.Reset();
            runner.Run(spin);
            window.WaitForOutput();
            Clock::time_point begin = Clock::now();
            runner.StopAll();
            window.WaitForCompletions(++completions);
            stop.push_back(Ms(window.lastCompletion - begin));
        }
        Report("Run -> first statement (empty Externals.dat)", start);
        Report("Stop -> completion of a spinning script", stop);
    }
    std::filesystem::remove_all(home);
    return 0;
}
