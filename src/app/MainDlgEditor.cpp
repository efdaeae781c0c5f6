// The script editor commands of the main window: New Script, Open Script,
// Edit (a macro's script, with the engine's function names), and the
// editors' Run, which runs their script as a macro would.

#include "app/MainDlg.h"
#include "editor/EditorDlg.h"
#include "run/MacroRunner.h"
#include "views/MacroTree.h"
#include "wizard/QtFileChooser.h"

#include <QApplication>
#include <QPointer>
#include <QTabWidget>

#include <filesystem>

class CEditorRunBridge : public IEditorRunner {
public:
    explicit CEditorRunBridge(CMainDlg& window) : owner(window) {}
    std::string RunScript(const std::string& path) override { return owner.RunEditorScript(path); }

private:
    CMainDlg& owner;
};

namespace {
IFileChooser& Chooser(IFileChooser* given, std::unique_ptr<IFileChooser>& own, QWidget* parent) {
    if (given)
        return *given;
    if (!own)
        own = std::make_unique<CQtFileChooser>(parent);
    return *own;
}
} // namespace

// A top-level window of its own: it outlives nothing but the program, and
// closing it never touches the main window.
CEditorDlg* CMainDlg::OpenEditor(const std::string& path, bool macroScript) {
    if (!editorRunner)
        editorRunner = std::make_unique<CEditorRunBridge>(*this);
    EditorServices editorServices(messages, Chooser(services.files, ownFileChooser, this));
    editorServices.home = home;
    editorServices.runner = editorRunner.get();
    editorServices.openUrl = services.openUrl;
    auto* editor = new CEditorDlg(editorServices);
    editor->setProperty("wingmateEditor", true);
    // A macro's script is coloured with the engine's names; every editor
    // offers them for completion.
    editor->View()->AddKeywords(functionNames);
    Q_UNUSED(macroScript);
    if (services.editorOpened)
        services.editorOpened(*editor);
    editor->show();
    editor->SetPathToLoad(path);
    editor->Load();
    editor->raise();
    editor->activateWindow();
    return editor;
}

void CMainDlg::EditSelectedScript(int32_t id) {
    const CMacroNode* node = library.FindById(id);
    if (!node || node == library.Root() || node->IsMacroSet())
        return;
    // As the runner does: the path as written, or without the blanks that
    // stood before "ARGS=" when only that names a file.
    std::string path = SplitScriptField(node->scriptFile).path;
    const std::string full = path.empty() || path.front() == '/' ? path : home + "/" + path;
    std::error_code error;
    if (!std::filesystem::exists(full, error)) {
        const size_t end = path.find_last_not_of(" \t");
        path.erase(end == std::string::npos ? 0 : end + 1);
    }
    OpenEditor(path, true);
}

void CMainDlg::OpenScriptFile() {
    const std::vector<std::string> chosen =
        Chooser(services.files, ownFileChooser, this)
            .OpenFiles("Tessera Scripts (*.tsc);;All Files (*)", false);
    if (!chosen.empty() && !chosen.front().empty())
        OpenEditor(chosen.front(), false);
}

QList<CEditorDlg*> CMainDlg::Editors() const {
    QList<CEditorDlg*> editors;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* editor = qobject_cast<CEditorDlg*>(widget); editor && editor->isVisible())
            editors << editor;
    return editors;
}

// Collected first: deleting an editor deletes its own top-level children
// (the find dialog, the completion popup) from the list being walked.
void CMainDlg::DestroyEditors() {
    QList<QPointer<CEditorDlg>> editors;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* editor = qobject_cast<CEditorDlg*>(widget))
            editors << editor;
    for (const QPointer<CEditorDlg>& editor : editors)
        delete editor.data();
}

bool CMainDlg::CloseEditors() {
    for (CEditorDlg* editor : Editors())
        if (!editor->close())
            return false;
    return true;
}

// The script runs through the runner exactly as a macro would: output on the
// Output page and in the script's log, Stop reaches it. One run at a time:
// the queue's macro keeps its place.
std::string CMainDlg::RunEditorScript(const std::string& path) {
    if (runQueue->IsRunning())
        return "A macro is running: run the script again when it has ended.";
    CMacro macro;
    macro.name = std::filesystem::path(path).filename().string();
    macro.runAsScript = 1;
    macro.scriptFile = path;
    ClearOutput();
    SetStopEnabled(true);
    toolbarActions.value(MainCommand::kStop)->setEnabled(true);
    tabs->setCurrentIndex(2); // the Output page
    IMacroRunner* runner = services.runner ? services.runner : fallbackRunner.get();
    if (!runner->Run(macro))
        return "The script could not be started: see the message shown.";
    SetLastRun(
        macro.name + ": Run on " +
        CRunQueue::FormatLastRunText((services.clock ? *services.clock : systemClock).Now()));
    return "Running: the output is on the main window's Output page and in " + ScriptLogPath(path) +
           ".";
}
