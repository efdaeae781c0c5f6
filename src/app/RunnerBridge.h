#pragma once
// Carries the macro runner's calls from its worker threads to the main
// window: output goes to the Output page (shown on its own timer, and always
// before what is posted after it), input requests and the end of a run
// (command 22000) are posted to the window's thread and answered there, so a
// worker never blocks inside a call to the user-interface thread. The program
// stops the runner (which joins its workers) before the window goes away.

#include "ports/RunPorts.h"

class CMainDlg;

class CRunnerBridge : public IOutputSink,
                      public IInputRequest,
                      public IRunCompletion,
                      public IRunFailure {
public:
    explicit CRunnerBridge(CMainDlg& mainWindow) : window(mainWindow) {}

    void AppendOutput(const std::string& text) override;
    void RequestInput(const std::string& instructions, Answer answer) override;
    void PostMacroFinished(int32_t id, std::function<void()> handled) override;
    void MacroFailed(int32_t id, const std::string& name, const std::string& firstLine) override;

private:
    CMainDlg& window;
};
