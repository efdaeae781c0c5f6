#include "app/RunnerBridge.h"

#include "app/MainDlg.h"
#include "views/OutputPage.h"

#include <QMetaObject>

namespace {

// A run's output is shown before its input request, failure or end is
// handled: they are posted after it.
void ShowWaitingOutput(CMainDlg* window) {
    if (window->OutputPage())
        window->OutputPage()->FlushOutput();
}

} // namespace

void CRunnerBridge::AppendOutput(const std::string& text) {
    // The Output page takes text from any thread and never makes it wait.
    window.Output().AppendOutput(text);
}

void CRunnerBridge::RequestInput(const std::string& instructions, Answer answer) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, instructions, answer = std::move(answer)] {
            ShowWaitingOutput(target);
            answer(target->Input().AskInput(instructions).value_or(std::string()));
        },
        Qt::QueuedConnection);
}

void CRunnerBridge::PostMacroFinished(int32_t id, std::function<void()> handled) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, id, handled = std::move(handled)] {
            ShowWaitingOutput(target);
            target->MacroFinished(id);
            handled();
        },
        Qt::QueuedConnection);
}

void CRunnerBridge::MacroFailed(int32_t id, const std::string& name, const std::string& firstLine) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, id, name, firstLine] {
            ShowWaitingOutput(target);
            target->ReportMacroFailure(id, name, firstLine);
        },
        Qt::QueuedConnection);
}
