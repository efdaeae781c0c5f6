#include "app/RunnerBridge.h"

#include "app/MainDlg.h"

#include <QMetaObject>

void CRunnerBridge::AppendOutput(const std::string& text) {
    // The Output page takes text from any thread.
    window.Output().AppendOutput(text);
}

void CRunnerBridge::RequestInput(const std::string& instructions, Answer answer) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, instructions, answer = std::move(answer)] {
            answer(target->Input().AskInput(instructions).value_or(std::string()));
        },
        Qt::QueuedConnection);
}

void CRunnerBridge::PostMacroFinished(std::function<void()> handled) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target,
        [target, handled = std::move(handled)] {
            target->MacroFinished();
            handled();
        },
        Qt::QueuedConnection);
}

void CRunnerBridge::MacroFailed(int32_t id, const std::string& name, const std::string& firstLine) {
    CMainDlg* target = &window;
    QMetaObject::invokeMethod(
        target, [target, id, name, firstLine] { target->ReportMacroFailure(id, name, firstLine); },
        Qt::QueuedConnection);
}
