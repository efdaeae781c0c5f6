#pragma once
// The macro runner until the script engine is connected: program macros start
// for real (detached, "Could not Execute" when they cannot); a script macro
// only writes a line to the Output page saying that scripts cannot run yet.
// Either way the run reports its end at once, as a program run does.

#include "ports/ProcessLauncher.h"
#include "run/RunnerHost.h"
#include "schedule/RunQueuePorts.h"

class CInterimMacroRunner : public IMacroRunner {
public:
    // Filled with the macro's name and its script path.
    static constexpr const char* kNoEngineText =
        "\"%s\" was not run: the script engine is not connected yet (script: %s).\n";

    explicit CInterimMacroRunner(IProcessLauncher& processLauncher) : launcher(processLauncher) {}

    // Set by the main window once it exists; Run without a host refuses.
    void SetHost(IRunnerHost* runnerHost) { host = runnerHost; }

    int Run(CMacro macro) override;

private:
    IProcessLauncher& launcher;
    IRunnerHost* host = nullptr;
};
