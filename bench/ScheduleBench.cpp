// Scheduler pass over a large library, and wingmatectl due over a month.
// Run: build/bin/bench_schedule

#include "Commands.h"
#include "library/MacroLibrary.h"
#include "ports/Clock.h"
#include "schedule/RunQueue.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

class NullHost : public IMacroRunner,
                 public IRunQueueView,
                 public IKeyHookControl,
                 public IRunLogWriter {
public:
    int Run(CMacro) override { return 1; }
    void SetStopEnabled(bool) override {}
    void RefreshTrayState() override {}
    void ClearOutput() override {}
    void SetLastRun(const std::string&) override {}
    void LastRunChanged(int32_t, const std::string&) override {}
    void Install() override {}
    void Release() override {}
    void ResetKeys() override {}
    void AppendLine(const std::string&) override {}
};

class SteppedClock : public IClock {
public:
    int64_t Now() const override { return now; }
    int64_t now = 0;
};

// A schedule of each unit, in turn, with varied frequencies and starts.
CMacro ScheduledRecord(int index) {
    CMacro macro;
    macro.name = "scheduled " + std::to_string(index);
    macro.scheduleType = index % 13 == 0 ? 1 : 2;
    macro.unit = index % 7;
    static const int32_t kFrequencies[] = {300, 5, 2, 1, 1, 1, 1};
    macro.frequency = kFrequencies[macro.unit] + index % 11;
    macro.startDate = std::to_string(1 + index % 12) + "\\" + std::to_string(1 + index % 28) +
                      "\\" + std::to_string(2010 + index % 10);
    macro.startTime = std::to_string(index % 24) + ":" + std::to_string(index % 60) + ":" +
                      std::to_string((index * 7) % 60);
    return macro;
}

// root, then sets of `perSet` macros; every `scheduledEvery`-th macro has a
// schedule.
void BuildLibrary(CMacroLibrary& library, int entries, int scheduledEvery, int perSet) {
    CMacro root;
    root.kind = 2;
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    int32_t set = 1;
    int scheduled = 0;
    for (int i = 1; i < entries; ++i) {
        if (i % perSet == 1) {
            CMacro folder;
            folder.kind = 2;
            folder.name = "set " + std::to_string(i);
            set = library.InsertRecord(folder, 1, InsertPosition::Into);
            continue;
        }
        CMacro macro = i % scheduledEvery == 0 ? ScheduledRecord(scheduled++) : CMacro();
        if (macro.name.empty())
            macro.name = "macro " + std::to_string(i);
        library.InsertRecord(macro, set, InsertPosition::Into);
    }
}

void SchedulerPass(benchmark::State& state) {
    CMacroLibrary library;
    BuildLibrary(library, 10000, 10, 100);
    SteppedClock clock;
    clock.now = 1704067200; // 2024-01-01 00:00 UTC
    NullHost host;
    CRunQueue queue(library, clock, CRunQueue::Ports{host, host, host, host});
    int64_t passes = 0;
    for (auto _ : state) {
        queue.RunDuePass();
        // Four passes a second; the running macro ends once a second.
        if (++passes % 4 == 0) {
            clock.now += 1;
            queue.OnMacroFinished();
        }
    }
    state.counters["entries"] = 10000;
}
BENCHMARK(SchedulerPass)->Unit(benchmark::kMicrosecond);

// The first pass parses every start text (nothing cached yet).
void SchedulerFirstPass(benchmark::State& state) {
    CMacroLibrary library;
    BuildLibrary(library, 10000, 10, 100);
    SteppedClock clock;
    clock.now = 1704067200;
    NullHost host;
    for (auto _ : state) {
        CRunQueue queue(library, clock, CRunQueue::Ports{host, host, host, host});
        queue.RunDuePass();
    }
}
BENCHMARK(SchedulerFirstPass)->Unit(benchmark::kMicrosecond);

void DueOverAMonth(benchmark::State& state) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("bench-due-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        CMacroLibrary library;
        library.File().SetPaths(dir.string());
        BuildLibrary(library, 1022, 1, 50); // 21 sets, 1,000 scheduled macros
        library.Save();
    }
    const std::string file = (dir / "Macros.mcf").string();
    size_t lines = 0;
    for (auto _ : state) {
        std::ostringstream out, err;
        RunWingmateCtl(
            {"due", "--file", file, "--from", "2024-03-01 00:00:00", "--to", "2024-03-31 23:59:59"},
            CtlStreams{out, err});
        const std::string text = out.str();
        lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    state.counters["lines"] = static_cast<double>(lines);
    std::filesystem::remove_all(dir);
}
BENCHMARK(DueOverAMonth)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // A zone with daylight saving, shifting inside the month of the due run.
    ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
