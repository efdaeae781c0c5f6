// The script editor commands of the main window: New Script, Open Script,
// Edit (a macro's script, with the engine's function names), and the
// editors' Run, which runs their script as a macro would, and the recovery
// copies of the editors' unsaved text.

#include "app/MainDlg.h"
#include "editor/EditorDlg.h"
#include "editor/EditorRecovery.h"
#include "ports/UiText.h"
#include "run/MacroRunner.h"
#include "views/MacroTree.h"
#include "views/QtFileChooser.h"

#include <QApplication>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>

#include <cstdio>
#include <filesystem>

class CEditorRunBridge : public IEditorRunner {
public:
    explicit CEditorRunBridge(CMainDlg& window) : owner(window) {}
    std::string RunScript(const std::string& path, Ended ended) override {
        return owner.RunEditorScript(path, std::move(ended));
    }

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

// A log's size and modification time; empty when there is none.
std::string LogStamp(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return {};
    const auto time = std::filesystem::last_write_time(path, error);
    if (error)
        return {};
    return std::to_string(size) + "@" + std::to_string(time.time_since_epoch().count());
}
} // namespace

// A top-level window of its own: it outlives nothing but the program, and
// closing it never touches the main window.
CEditorDlg* CMainDlg::MakeEditor() {
    if (!editorRunner)
        editorRunner = std::make_unique<CEditorRunBridge>(*this);
    EditorServices editorServices(messages, Chooser(services.files, ownFileChooser, this));
    editorServices.home = home;
    editorServices.runner = editorRunner.get();
    editorServices.openUrl = services.openUrl;
    editorServices.recovery = editorRecovery.get();
    editorServices.clock = services.clock;
    auto* editor = new CEditorDlg(editorServices);
    editor->setProperty("wingmateEditor", true);
    // A macro's script is coloured with the engine's names; every editor
    // offers them for completion.
    editor->View()->AddKeywords(program->FunctionNames());
    if (services.editorOpened)
        services.editorOpened(*editor);
    editor->show();
    return editor;
}

// A macro's script that does not exist yet (a new macro) can be created.
CEditorDlg* CMainDlg::OpenEditor(const std::string& path, bool macroScript) {
    CEditorDlg* editor = MakeEditor();
    editor->SetPathToLoad(path);
    editor->Load(macroScript ? CEditorDlg::MissingFile::OfferToCreate
                             : CEditorDlg::MissingFile::Refuse);
    editor->raise();
    editor->activateWindow();
    return editor;
}

void CMainDlg::EditSelectedScript(int32_t id) {
    const CMacroNode* node = Library().FindById(id);
    if (!node || node == Library().Root() || node->IsMacroSet())
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
            .OpenFiles(UiText(UI_TEXT("Wingmate", "Tessera Scripts (*.tsc);;All Files (*)")),
                       false);
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

// The script runs through the run queue as a macro would: output on the
// Output page and in the script's log, Stop reaches it, the run log records
// it, and nothing queued starts before it ends. One run at a time.
std::string CMainDlg::RunEditorScript(const std::string& path,
                                      std::function<void(const EditorRunEnd&)> whenEnded) {
    if (RunQueue().IsRunning())
        return UiText(
            UI_TEXT("Wingmate", "A macro is running: run the script again when it has ended."));
    // A macro started by Execute meanwhile took the editor run's end; nothing
    // runs now, so that run is over.
    if (editorRun)
        EndEditorRun(editorRun->id);
    CMacro macro;
    macro.id = --lastEditorRunId;
    macro.name = std::filesystem::path(path).filename().string();
    macro.runAsScript = 1;
    macro.scriptFile = path;
    editorRun = std::make_unique<EditorRun>();
    editorRun->id = macro.id;
    editorRun->ended = std::move(whenEnded);
    editorRun->logPath = LogBesideScript(path);
    editorRun->logBefore = LogStamp(editorRun->logPath);
    tabs->setCurrentIndex(2); // the Output page
    RunQueue().RunOutsideLibrary(macro);
    return {};
}

bool CMainDlg::NoteEditorRunFailure(int32_t id, const std::string& firstLine) {
    if (!editorRun || editorRun->id != id)
        return false;
    editorRun->failed = true;
    editorRun->error = firstLine;
    return true;
}

void CMainDlg::EndEditorRun(int32_t id) {
    if (!editorRun || editorRun->id != id)
        return;
    const std::unique_ptr<EditorRun> run = std::move(editorRun);
    EditorRunEnd end;
    end.failed = run->failed;
    end.error = run->error;
    const std::string after = LogStamp(run->logPath);
    if (!after.empty() && after != run->logBefore)
        end.logPath = run->logPath;
    if (run->ended)
        run->ended(end);
}

// A failed write is said once in the status bar, until one succeeds.
void CMainDlg::WriteEditorRecovery() {
    std::string firstError;
    for (CEditorDlg* editor : Editors()) {
        std::string error;
        if (!editor->TickRecovery(&error) && firstError.empty())
            firstError = error;
    }
    if (firstError.empty() || firstError == editorRecoveryProblem)
        return;
    editorRecoveryProblem = firstError;
    statusBar()->showMessage(tr("Could not write the recovery copy of a script: %1")
                                 .arg(QString::fromStdString(firstError)));
}

// Nobody is left to see a message: a failed write goes to standard error.
void CMainDlg::WriteEditorRecoveryNow() {
    for (CEditorDlg* editor : Editors()) {
        std::string error;
        if (!editor->WriteRecoveryNow(&error))
            std::fprintf(stderr, "Wingmate: could not keep the unsaved script text: %s\n",
                         error.c_str());
    }
}

namespace {
// The scripts named in the question, one a line; a long list is cut.
std::string NameScripts(const std::vector<EditorRecoveryCopy>& copies) {
    constexpr size_t kShown = 10;
    std::string names;
    for (size_t i = 0; i < copies.size() && i < kShown; ++i)
        names += "    " +
                 (copies[i].scriptPath.empty() ? UiText(UI_TEXT("Wingmate", "untitled"))
                                               : copies[i].scriptPath) +
                 (copies[i].textUnedited ? UiText(UI_TEXT("Wingmate", " (its window declarations)"))
                                         : "") +
                 "\n";
    if (copies.size() > kShown)
        names += UiFormat(UI_TEXT("Wingmate", "    and %1 more\n"),
                          {std::to_string(copies.size() - kShown)});
    return names;
}
} // namespace

// A copy cut short or damaged cannot be offered, but may still hold most of
// someone's text: it is said once and kept aside under a time-stamped name,
// where a text editor can open it.
void CMainDlg::KeepUnreadableCopiesAside(const std::vector<std::string>& unreadable) {
    if (unreadable.empty())
        return;
    const int64_t now = program->Clock().Now();
    std::string kept;
    for (const std::string& file : unreadable) {
        std::string error;
        const std::string name = CEditorRecovery::KeepAside(file, now, &error);
        kept += "  " + (name.empty() ? file + " (" + error + ")" : name) + "\n";
    }
    messages.Show(UiFormat(UI_TEXT("Wingmate", "Wingmate found unsaved script text it could not "
                                               "read back (the copy is cut short or damaged). It "
                                               "was kept as:\n%1Open it in a text editor to see "
                                               "what it still holds."),
                           {kept}),
                  UI_TEXT("Wingmate", "Recovery Copy Damaged"), MessageButtons::Ok);
}

// Copies left by the last run: Yes opens each in an editor, No keeps them
// aside under dated names. Either way nothing is written over a script.
void CMainDlg::OfferEditorRecovery() {
    if (Ended())
        return;
    std::vector<std::string> unreadable;
    const std::vector<EditorRecoveryCopy> copies = editorRecovery->List(&unreadable);
    KeepUnreadableCopiesAside(unreadable);
    if (copies.empty())
        return;
    const std::string text =
        copies.size() == 1
            ? UiFormat(UI_TEXT("Wingmate", "Wingmate did not end cleanly last time, and 1 script "
                                           "had unsaved changes:\n%1Open it in the editor?"),
                       {NameScripts(copies)})
            : UiFormat(UI_TEXT("Wingmate", "Wingmate did not end cleanly last time, and %1 scripts "
                                           "had unsaved changes:\n%2Open them in the editor?"),
                       {std::to_string(copies.size()), NameScripts(copies)});
    const MessageAnswer answer =
        messages.Show(text, UI_TEXT("Wingmate", "Restore Unsaved Changes?"), MessageButtons::YesNo);
    if (Ended())
        return; // the session ended while the question waited: ask again next time
    if (answer == MessageAnswer::Yes) {
        for (const EditorRecoveryCopy& copy : copies)
            MakeEditor()->Recover(copy);
        return;
    }
    const int64_t now = program->Clock().Now();
    for (const EditorRecoveryCopy& copy : copies) {
        std::string error;
        if (CEditorRecovery::KeepAside(copy.file, now, &error).empty())
            messages.Show(error, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    }
    statusBar()->showMessage(tr("The unsaved scripts were kept in %1")
                                 .arg(QString::fromStdString(editorRecovery->Folder())));
}
