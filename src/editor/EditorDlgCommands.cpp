// The editor window's Run, Print, Help and Go to Line commands.

#include "editor/EditorDlg.h"
#include "views/QtText.h"

#include "ports/MessageBox.h"
#include "views/HelpPage.h"

#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

#include <filesystem>

void CEditorDlg::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (services.setUpPrinter) {
        if (!services.setUpPrinter(printer))
            return;
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, view->textCursor().hasSelection());
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    view->Print(printer);
}

void CEditorDlg::OpenHelp(const std::string& file) {
    OpenHelpPage(services.home, file, services.openUrl, *messages);
}

// A script that does not compile is not run: the caret goes to its first
// error. Otherwise it is saved and handed to the program's runner as a
// macro; the status says when the run has ended and how.
void CEditorDlg::Run() {
    if (!services.runner) {
        ShowStatus(tr("Scripts run from an editor opened by the main window."));
        return;
    }
    if (runPending) {
        ShowStatus(tr("The script is still running (Stop on the main window ends it)."));
        return;
    }
    const ScriptDiagnostic check = view->CheckNow();
    if (check.failed) {
        if (check.line > 0) {
            view->GoToLine(check.line);
            ShowStatus(tr("Not run: line %1, column %2: %3")
                           .arg(check.line)
                           .arg(check.column)
                           .arg(Text(check.message)));
        } else {
            ShowStatus(tr("Not run: %1").arg(Text(check.full)));
        }
        view->setFocus();
        return;
    }
    if (!SaveScript())
        return;
    const std::string path = view->FullPath();
    runEnded = false;
    QPointer<CEditorDlg> self(this);
    const std::string refused =
        services.runner->RunScript(path, [self, path](const EditorRunEnd& end) {
            if (self)
                self->RunEnded(path, end);
        });
    if (!refused.empty()) {
        ShowStatus(Text(refused));
        return;
    }
    if (runEnded)
        return; // it ended inside RunScript: the status says how
    runPending = true;
    ShowStatus(tr("Running %1… (output on the main window's Output page)")
                   .arg(Text(std::filesystem::path(path).filename().string())));
}

void CEditorDlg::RunEnded(const std::string& path, const EditorRunEnd& end) {
    runPending = false;
    runEnded = true;
    const QString name = Text(std::filesystem::path(path).filename().string());
    const QString log = end.logPath.empty() ? tr(" It wrote no log.")
                                            : tr(" Its output is in %1.").arg(Text(end.logPath));
    if (!end.failed) {
        ShowStatus(tr("Run of %1 ended.").arg(name) + log);
        return;
    }
    const ScriptDiagnostic error = ParseDiagnostic(end.error);
    std::error_code code;
    const bool here = error.line > 0 && view->FullPath() == path &&
                      (error.file == path || std::filesystem::equivalent(error.file, path, code));
    if (here) {
        view->ShowRunError(error);
        view->GoToLine(error.line);
    }
    QString failure =
        tr("Run of %1 failed: ").arg(name) +
        (here ? tr("line %1: %2").arg(error.line).arg(Text(error.message)) : Text(end.error));
    if (!failure.endsWith(QLatin1Char('.')))
        failure += QLatin1Char('.');
    ShowStatus(failure + log);
}

void CEditorDlg::GoToLine() {
    view->FinishLoading();
    bool ok = false;
    const int line = QInputDialog::getInt(this, tr("Go to Line"), tr("Line number:"),
                                          view->textCursor().blockNumber() + 1, 1,
                                          view->document()->blockCount(), 1, &ok);
    if (ok)
        view->GoToLine(line);
}
