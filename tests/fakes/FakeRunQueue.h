#pragma once
// Recording fakes of what the run queue and the run log drive: one object
// stands for the main window's side (runner, pages, tray, key hook, run log)
// and records every call, in order, as a short text.

#include "run/RunLog.h"
#include "schedule/RunQueuePorts.h"

#include <functional>
#include <string>
#include <vector>

class CRecordingRunHost : public IMacroRunner,
                          public IRunQueueView,
                          public IKeyHookControl,
                          public IRunLogWriter {
public:
    // IMacroRunner: records "run:<name>", then calls onRun (which may, like a
    // program run, report the end at once) and returns runResult.
    int Run(CMacro macro) override;

    void SetStopEnabled(bool enabled) override;
    void RefreshTrayState() override;
    void ClearOutput() override;
    void SetLastRun(const std::string& text) override;
    void LastRunChanged(int32_t id, const std::string& lastRunText) override;

    void Install() override;
    void Release() override;
    void ResetKeys() override;

    void AppendLine(const std::string& text) override;

    std::vector<std::string> events;
    std::vector<CMacro> started;       // records handed to Run, in order
    std::vector<std::string> logLines; // lines given to AppendLine
    std::function<void(const CMacro&)> onRun;
    int runResult = 1;
};

// The Log page's display as a list of lines.
class CRecordingLogDisplay : public IRunLogDisplay {
public:
    void AppendDisplayLine(const std::string& piece) override { lines.push_back(piece); }
    void ClearDisplay() override {
        lines.clear();
        ++clears;
    }
    std::vector<std::string> lines;
    int clears = 0;
};
