#include "editor/EditorDlg.h"

#include "editor/DecTree.h"
#include "editor/EditorLayout.h"
#include "editor/EditorRecovery.h"
#include "editor/FindDlg.h"
#include "ports/MessageBox.h"
#include "views/IconSet.h"
#include "wizard/FileChooser.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>

namespace {
QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

struct MenuItem {
    int command; // 0: a separator
    const char* text;
    QKeySequence shortcut;
};
struct MenuColumn {
    const char* title;
    std::vector<MenuItem> items;
    const char* submenuOf = nullptr; // a submenu of this column
};

const std::vector<MenuColumn>& MenuTable() {
    using namespace EditorCommand;
    static const std::vector<MenuColumn> table = {
        {"&File",
         {{kOpen, "&Open", QKeySequence::Open},
          {0, "", {}},
          {kSaveScript, "&Script", QKeySequence::Save},
          {kSaveDeclarations, "&Declarations", {}},
          {kSaveAll, "&All", {}},
          {kSaveAllMenu, "Save &All", {}},
          {kSaveScriptAs, "Save S&cript As...", QKeySequence::SaveAs},
          {0, "", {}},
          {kPrint, "&Print...", QKeySequence::Print},
          {kRefreshDecs, "&Refresh Decs", {}},
          {0, "", {}},
          {kExit, "E&xit", {}}}},
        {"&Edit",
         {{kUndo, "&Undo", QKeySequence::Undo},
          {kRedo, "&Redo", QKeySequence::Redo},
          {0, "", {}},
          {kCut, "Cu&t", QKeySequence::Cut},
          {kCopy, "&Copy", QKeySequence::Copy},
          {kPaste, "&Paste", QKeySequence::Paste},
          {0, "", {}},
          {kFind, "&Find", QKeySequence::Find},
          {kReplace, "R&eplace", QKeySequence(Qt::CTRL | Qt::Key_H)},
          {kGoToLine, "&Go to Line...", QKeySequence(Qt::CTRL | Qt::Key_G)},
          {kComplete, "Complete &Word", {}}}},
        {"&Script", {{kRun, "&Run", QKeySequence(Qt::Key_F5)}}},
        {"&Help", {{kHelpWingmate, "&Wingmate", {}}, {kHelpTessera, "&Tessera", {}}}},
    };
    return table;
}
// The three Save entries that form the File menu's "&Save" submenu.
bool InSaveSubmenu(int command) {
    return command == EditorCommand::kSaveScript || command == EditorCommand::kSaveDeclarations ||
           command == EditorCommand::kSaveAll;
}
} // namespace

CEditorDlg::CEditorDlg(EditorServices given, QWidget* parent)
    : QMainWindow(parent), services(std::move(given)) {
    setObjectName(QStringLiteral("editorDlg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window);
    setWindowIcon(ProgramIcon());

    client = new QWidget(this);
    client->setObjectName(QStringLiteral("editorClient"));
    setCentralWidget(client);
    declLabel = new QLabel(QStringLiteral("Window Declarations"), client);
    declLabel->setObjectName(QStringLiteral("declarationsLabel"));
    tree = new TDecTree(client);
    tree->setObjectName(QStringLiteral("decTree"));
    view = new CScriptView(services.messages, client);
    view->SetBaseFolder(services.home);
    lineLabel = new QLabel(QStringLiteral("Line: 1"), client);
    lineLabel->setObjectName(QStringLiteral("lineLabel"));
    lineLabel->setFixedSize(
        lineLabel->fontMetrics().horizontalAdvance(QStringLiteral("Line: 000000")) + 6,
        kEditorBottomStrip - 2);
    progress = new QProgressBar(client);
    progress->setObjectName(QStringLiteral("progress"));
    progress->setTextVisible(false);
    progress->setFixedHeight(kEditorBottomStrip - 4);
    progress->setValue(0);
    progress->hide(); // shown while a long pass runs
    view->SetProgressBar(progress);
    statusLabel = new QLabel(client);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    client->installEventFilter(this);

    connect(view, &CScriptView::lineReport, this,
            [this](int line) { lineLabel->setText(QStringLiteral("Line: %1").arg(line)); });
    connect(view, &CScriptView::usesChanged, this, &CEditorDlg::OnUsesChanged);
    connect(tree, &TDecTree::DeclarationEdited, this, [this] {
        declarationsEdited = true;
        MarkRecoveryPending();
    });
    connect(view, &CScriptView::diagnosticChanged, this, [this] {
        const ScriptDiagnostic& diagnostic = view->Diagnostic();
        if (!diagnostic.failed) {
            ShowStatus(QString());
            return;
        }
        const QString place =
            diagnostic.line > 0
                ? QStringLiteral("Line %1, column %2: ").arg(diagnostic.line).arg(diagnostic.column)
                : QString();
        ShowStatus(place + Text(diagnostic.line > 0 ? diagnostic.message : diagnostic.full));
    });

    connect(view->document(), &QTextDocument::contentsChanged, this,
            &CEditorDlg::MarkRecoveryPending);
    // Saved, reloaded or undone back to the saved text: nothing to recover,
    // unless edited declarations are still unsaved.
    connect(view->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (modified || recovering)
            return;
        if (declarationsEdited)
            MarkRecoveryPending();
        else
            DropRecoveryCopy();
    });

    BuildMenus();
    SetTitle("");
    resize(760, 520);
}

// The copy of unsaved text outlives the window: only a save or a discard
// deletes it.
CEditorDlg::~CEditorDlg() {
    view->document()->disconnect(this);
}

void CEditorDlg::BuildMenus() {
    for (const MenuColumn& column : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(column.title));
        QMenu* saveMenu = nullptr;
        for (const MenuItem& item : column.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            QMenu* into = menu;
            if (InSaveSubmenu(item.command)) {
                if (!saveMenu)
                    saveMenu = menu->addMenu(QStringLiteral("&Save"));
                into = saveMenu;
            }
            QAction* action = into->addAction(QString::fromLatin1(item.text));
            if (!item.shortcut.isEmpty())
                action->setShortcut(item.shortcut);
            const int command = item.command;
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
            actions.insert(command, action);
        }
    }
}

CFindDlg* CEditorDlg::FindDialog() const {
    return findDlg.data();
}

QAction* CEditorDlg::CommandAction(int command) const {
    return actions.value(command);
}

void CEditorDlg::RunCommand(int command) {
    using namespace EditorCommand;
    switch (command) {
    case kOpen:
        Open();
        break;
    case kSaveAllMenu:
    case kSaveAll:
        SaveAll();
        break;
    case kSaveScriptAs:
        SaveScriptAs();
        break;
    case kSaveScript:
        SaveScript();
        break;
    case kSaveDeclarations:
        SaveDeclarations();
        break;
    case kPrint:
        Print();
        break;
    case kRefreshDecs:
        view->SetUsesSeen(true);
        view->Rescan();
        ReloadDeclarations();
        break;
    case kExit:
        close();
        break;
    case kUndo:
        view->Undo();
        break;
    case kRedo:
        view->Redo();
        break;
    case kCopy:
        view->Copy();
        break;
    case kCut:
        view->Cut();
        break;
    case kPaste:
        view->Paste();
        break;
    case kFind:
        OpenFind(false);
        break;
    case kReplace:
        OpenFind(true);
        break;
    case kHelpWingmate:
        OpenHelp("Wingmate.html");
        break;
    case kHelpTessera:
        OpenHelp("Tessera.html");
        break;
    case kRun:
        Run();
        break;
    case kGoToLine:
        GoToLine();
        break;
    case kComplete:
        view->setFocus();
        view->ShowCompletion();
        break;
    default:
        break;
    }
}

bool CEditorDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client && event->type() == QEvent::Resize)
        ApplyLayout(client->width(), client->height());
    return QMainWindow::eventFilter(watched, event);
}

void CEditorDlg::ApplyLayout(int width, int height) {
    EditorLayoutInput in;
    in.clientWidth = width;
    in.clientHeight = height;
    in.declLabelHeight = declLabel->sizeHint().height();
    in.lineLabelWidth = lineLabel->width();
    in.lineLabelHeight = lineLabel->height();
    in.progressHeight = progress->height();
    const EditorLayout g = ComputeEditorLayout(in);
    const auto rect = [](const LayoutRect& r) { return QRect(r.x, r.y, r.width, r.height); };
    declLabel->setGeometry(rect(g.declLabel));
    declLabel->repaint();
    tree->setGeometry(rect(g.tree));
    view->setGeometry(rect(g.script));
    lineLabel->setGeometry(rect(g.lineLabel));
    progress->setGeometry(rect(g.progress));
    statusLabel->setGeometry(rect(g.progress));
    ShowStatus(statusText);
}

void CEditorDlg::SetTitle(const std::string& path) {
    setWindowTitle(
        Text((path.empty() ? std::string("[New File]") : "[" + path + "]") + kTitleSuffix));
}

// A long message is cut to the label with "..."; the tooltip has it whole.
void CEditorDlg::ShowStatus(const QString& text) {
    statusText = text;
    statusLabel->setText(
        statusLabel->fontMetrics().elidedText(text, Qt::ElideRight, statusLabel->width()));
    statusLabel->setToolTip(text);
}

bool CEditorDlg::Load() {
    if (pathToLoad.empty())
        return true;
    std::string why;
    if (!view->Load(pathToLoad, &why)) {
        std::string text = "Could not load file: " + pathToLoad;
        if (!why.empty())
            text += "\n\n" + why;
        services.messages.Show(text, "Wingmate Error", MessageButtons::Ok);
        return false;
    }
    ScanLoadedText();
    SetTitle(pathToLoad);
    view->CheckNow();
    return true;
}

// The full pass over newly loaded text (with its progress bar), then the
// declarations of the files its `use` lines name.
void CEditorDlg::ScanLoadedText() {
    progress->show();
    view->LoadPass();
    progress->hide();
    if (view->UsesSeen()) {
        useList = view->TakeUseList();
        ReloadDeclarations();
    }
}

std::string CEditorDlg::ScriptFolder() const {
    const std::string full = view->FullPath();
    if (full.empty())
        return services.home;
    return std::filesystem::path(full).parent_path().string();
}

// Use-file names are taken from the script's folder; the process's current
// directory is left alone (other windows and the runner rely on it).
void CEditorDlg::ReloadDeclarations() {
    tree->Clear();
    const std::string folder = ScriptFolder();
    std::string rest = useList;
    for (size_t end = rest.find("::"); end != std::string::npos; end = rest.find("::")) {
        const std::string name = rest.substr(0, end);
        rest.erase(0, end + 2);
        tree->Load(name, folder);
    }
}

void CEditorDlg::OnUsesChanged() {
    if (!view->UsesSeen())
        return;
    useList = view->TakeUseList();
    ReloadDeclarations();
}

bool CEditorDlg::SaveScript() {
    if (view->FilePath().empty())
        return SaveScriptAs();
    if (!MayReplaceChangedFile())
        return false;
    return view->Save();
}

// Another program (the recorder, another editor, a text editor) may have
// written the script since this window read it; saving would silently
// replace that version, so the user decides. A file gone from disk is simply
// written again.
bool CEditorDlg::MayReplaceChangedFile() {
    std::error_code error;
    if (!view->ChangedOnDisk() || !std::filesystem::exists(view->FullPath(), error))
        return true;
    if (services.messages.Show("The script " + view->FilePath() +
                                   " was changed by another program since it was read here.\n"
                                   "Save anyway and replace that version?",
                               "Script Changed", MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    view->AcceptDiskState();
    return true;
}

bool CEditorDlg::SaveScriptAs() {
    std::string path =
        services.files.SaveFile("Tessera Scripts Files (*.tsc);;All Files (*)", view->FullPath());
    if (path.empty())
        return false;
    // A name without an extension gets ".tsc"; only the name counts, as
    // folders such as ~/.local have dots of their own.
    if (std::filesystem::path(path).filename().string().find('.') == std::string::npos)
        path += ".tsc";
    // The file dialog does not ask about replacing (and never saw a name
    // completed above), so replacing a file other than this window's is
    // asked here.
    std::error_code error;
    const bool ownFile =
        path == view->FullPath() || std::filesystem::equivalent(path, view->FullPath(), error);
    if (!ownFile && std::filesystem::exists(std::filesystem::symlink_status(path, error)) &&
        services.messages.Show("File '" + path + "' alread exists. Overwrite?", "File Exists",
                               MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    if (ownFile && !MayReplaceChangedFile())
        return false;
    view->SetFilePath(path);
    const bool saved = view->Save();
    SetTitle(path);
    return saved;
}

// A failed declarations save is said, not swallowed: the user would
// otherwise close the window believing the edits were kept.
bool CEditorDlg::SaveDeclarations() {
    if (!MayReplaceChangedDeclarations())
        return false;
    std::string why;
    if (tree->SaveAll(ScriptFolder(), &why)) {
        declarationsEdited = false;
        if (view->IsModified())
            MarkRecoveryPending(); // the copy keeps the text alone now
        else
            DropRecoveryCopy();
        return true;
    }
    services.messages.Show("Could not save declarations: " + why, "Save Failed",
                           MessageButtons::Ok);
    return false;
}

// As for the script: Glimmer or another editor may have written a
// declarations file since this window read it (before a crash, too, when the
// declarations came back from a recovery copy); the user decides.
bool CEditorDlg::MayReplaceChangedDeclarations() {
    const std::vector<std::string> changed = tree->List().ChangedOnDisk(ScriptFolder());
    if (changed.empty())
        return true;
    std::string names;
    for (const std::string& name : changed)
        names += (names.empty() ? "" : ", ") + name;
    return services.messages.Show("The declarations file " + names +
                                      " was changed by another program since it was read "
                                      "here.\nSave anyway and replace that version?",
                                  "Declarations Changed",
                                  MessageButtons::YesNo) == MessageAnswer::Yes;
}

bool CEditorDlg::SaveAll() {
    const bool script = SaveScript();
    const bool declarations = SaveDeclarations();
    return script && declarations;
}

// Edited declarations count as unsaved work too: closing would lose them.
bool CEditorDlg::AskToSave() {
    const bool script = view->IsModified();
    if (!script && !declarationsEdited)
        return true;
    switch (services.messages.Show("Save script and declarations?",
                                   "Script / Declarations not saved",
                                   MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        // Anything that could not be saved keeps the window as it is.
        if (script && !SaveScript())
            return false;
        return SaveDeclarations();
    case MessageAnswer::No:
        DropRecoveryCopy();
        return true;
    default:
        return false;
    }
}

void CEditorDlg::Open() {
    if (!AskToSave())
        return;
    const std::vector<std::string> chosen =
        services.files.OpenFiles("Tessera Scripts (*.tsc);;All Files (*)", false);
    if (chosen.empty() || chosen.front().empty())
        return;
    pathToLoad = chosen.front();
    tree->Clear();
    useList.clear();
    view->clear();
    if (!Load()) {
        // The window now holds no file: nothing may be saved over the old one.
        view->SetFilePath("");
        view->SetModified(false);
        SetTitle("");
        services.messages.Show("Could not open file", "Wingmate Error", MessageButtons::Ok);
    }
}

void CEditorDlg::closeEvent(QCloseEvent* event) {
    if (!closing && !AskToSave()) {
        event->ignore();
        return;
    }
    closing = true;
    if (findDlg)
        findDlg->close();
    event->accept();
}

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

void CEditorDlg::OpenFind(bool replaceMode) {
    if (!findDlg) {
        findDlg = new CFindDlg(view, replaceMode, this);
        findDlg->setAttribute(Qt::WA_DeleteOnClose);
        connect(findDlg, &CFindDlg::textReplaced, view, &CScriptView::Rescan);
    } else {
        findDlg->SetReplaceMode(replaceMode);
    }
    findDlg->show();
    findDlg->raise();
    findDlg->activateWindow();
}

void CEditorDlg::OpenHelp(const std::string& file) {
    if (services.home.empty())
        return;
    const std::string path = services.home + "/help/" + file;
    std::error_code error;
    bool opened = false;
    if (std::filesystem::is_regular_file(path, error)) {
        const QUrl url = QUrl::fromLocalFile(Text(path));
        opened = services.openUrl ? services.openUrl(url) : QDesktopServices::openUrl(url);
    }
    if (!opened)
        services.messages.Show("Could not open help file: " + path, "Failed to open Help",
                               MessageButtons::Ok);
}

// Saves, then hands the script to the program's runner as a macro.
void CEditorDlg::Run() {
    if (!services.runner) {
        ShowStatus(QStringLiteral("Scripts run from an editor opened by the main window."));
        return;
    }
    if (!SaveScript())
        return;
    ShowStatus(Text(services.runner->RunScript(view->FullPath())));
}

void CEditorDlg::GoToLine() {
    bool ok = false;
    const int line = QInputDialog::getInt(
        this, QStringLiteral("Go to Line"), QStringLiteral("Line number:"),
        view->textCursor().blockNumber() + 1, 1, view->document()->blockCount(), 1, &ok);
    if (ok)
        view->GoToLine(line);
}

// A script changed on disk (the recorder, another editor) is noticed when
// the window comes to the front; the user decides, nothing happens silently.
void CEditorDlg::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !checkingDisk &&
        view->ChangedOnDisk())
        QTimer::singleShot(0, this, &CEditorDlg::CheckDisk);
}

void CEditorDlg::CheckDisk() {
    if (checkingDisk || !view->ChangedOnDisk())
        return;
    checkingDisk = true;
    const std::string path = view->FilePath();
    std::error_code error;
    if (!std::filesystem::exists(view->FullPath(), error)) {
        services.messages.Show("The script " + path +
                                   " no longer exists on disk. Save it to keep this text.",
                               "Script Changed", MessageButtons::Ok);
        view->AcceptDiskState();
        view->SetModified(true);
        checkingDisk = false;
        return;
    }
    const std::string question =
        "The script " + path + " was changed by another program.\n" +
        (view->IsModified() ? "Reload it and lose the changes made here?" : "Reload it?");
    if (services.messages.Show(question, "Script Changed", MessageButtons::YesNo) ==
        MessageAnswer::Yes) {
        pathToLoad = path;
        tree->Clear();
        useList.clear();
        Load();
    } else {
        // Keep this text; it differs from the file, so it counts as changed.
        view->AcceptDiskState();
        view->SetModified(true);
    }
    checkingDisk = false;
}

int64_t CEditorDlg::Now() const {
    return (services.clock ? *services.clock : systemClock).Now();
}

void CEditorDlg::DropRecoveryCopy() {
    recoveryPending = false;
    if (recoveryFile.empty())
        return;
    CEditorRecovery::Remove(recoveryFile);
    recoveryFile.clear();
}

void CEditorDlg::MarkRecoveryPending() {
    if (!recoveryPending)
        pendingSince = Now();
    recoveryPending = true;
}

// Written a second after the first edit not yet copied, so a stream of
// edits still reaches the copy every second or two. A large script waits a
// second more per MiB (at most ten), so typing in it does not rewrite
// megabytes every second.
bool CEditorDlg::TickRecovery(std::string* error) {
    if (!services.recovery || !recoveryPending)
        return true;
    const int64_t delay = std::min<int64_t>(1 + view->document()->characterCount() / (1 << 20), 10);
    if (Now() - pendingSince < delay)
        return true;
    return WriteRecoveryNow(error);
}

bool CEditorDlg::WriteRecoveryNow(std::string* error) {
    if (!services.recovery)
        return true;
    recoveryPending = false;
    if (!view->IsModified() && !declarationsEdited) {
        DropRecoveryCopy();
        return true;
    }
    if (recoveryFile.empty())
        recoveryFile = services.recovery->NewCopyPath();
    EditorRecoveryCopy copy;
    copy.file = recoveryFile;
    copy.scriptPath = view->FilePath();
    const QByteArray text = view->toPlainText().toUtf8();
    copy.text.assign(text.constData(), size_t(text.size()));
    copy.latin1 = !view->Format().utf8;
    copy.crlf = view->Format().crlf;
    copy.disk.known = view->ReadStamp(copy.disk.size, copy.disk.mtimeNs);
    copy.textUnedited = !view->IsModified() && !copy.scriptPath.empty();
    if (declarationsEdited)
        copy.declarations = EditedDeclarations();
    return services.recovery->Write(copy, error);
}

// The script is read first when it can be, so that its declarations show and
// a change on disk made after this point is noticed; a missing or unreadable
// file is no reason to lose the text.
void CEditorDlg::Recover(const EditorRecoveryCopy& copy) {
    recovering = true;
    recoveryFile = copy.file;
    tree->Clear();
    useList.clear();
    const bool diskRead = !copy.scriptPath.empty() && view->Load(copy.scriptPath);
    ScriptFormat format;
    format.utf8 = !copy.latin1;
    format.crlf = copy.crlf;
    const QString onDisk = diskRead ? view->toPlainText() : QString();
    // A copy made for declarations alone takes the script as it is on disk
    // now, so a version written since is kept rather than replaced.
    const bool keepDiskText = diskRead && copy.textUnedited;
    if (!keepDiskText) {
        view->TakeRecoveredText(copy.scriptPath, Text(copy.text), format);
        if (diskRead && copy.disk.known)
            view->SetReadStamp(copy.disk.size, copy.disk.mtimeNs);
    }
    if (copy.declarations.empty()) {
        ScanLoadedText();
    } else {
        progress->show();
        view->LoadPass();
        progress->hide();
        if (view->UsesSeen())
            useList = view->TakeUseList();
        RecoverDeclarations(copy.declarations);
    }
    SetTitle(copy.scriptPath);
    view->SetModified(!keepDiskText &&
                      (!diskRead || copy.declarations.empty() || view->toPlainText() != onDisk));
    view->CheckNow();
    recovering = false;
}

// What the window's declarations files hold now, for a recovery copy: each
// file read since the window opened, its latest reading, in the canonical
// format. Files that did not read are left out, as saving leaves them.
std::vector<EditorRecoveryCopy::Declarations> CEditorDlg::EditedDeclarations() const {
    std::vector<EditorRecoveryCopy::Declarations> files;
    for (const CDeclNode* node = tree->List().First(); node; node = node->next) {
        if (!node->file || node->loadFailed)
            continue;
        auto same = std::find_if(files.begin(), files.end(),
                                 [&](const auto& f) { return f.fileName == node->name; });
        if (same == files.end())
            same = files.insert(files.end(), {node->name, {}, {}, false});
        same->text = CDeclList::Format(*node);
        same->diskText = node->diskText;
        same->diskKnown = node->diskKnown != 0;
    }
    return files;
}

// The use list's files are shown from the copy where it has them and from
// disk otherwise; files the copy holds beyond the use list are shown after,
// so that saving writes them too. They stay unsaved until the user saves.
void CEditorDlg::RecoverDeclarations(
    const std::vector<EditorRecoveryCopy::Declarations>& recovered) {
    tree->Clear();
    const std::string folder = ScriptFolder();
    std::vector<bool> shown(recovered.size(), false);
    std::string rest = useList;
    for (size_t end = rest.find("::"); end != std::string::npos; end = rest.find("::")) {
        const std::string name = rest.substr(0, end);
        rest.erase(0, end + 2);
        const auto found = std::find_if(recovered.begin(), recovered.end(),
                                        [&](const auto& f) { return f.fileName == name; });
        if (found == recovered.end()) {
            tree->Load(name, folder);
            continue;
        }
        tree->LoadText(name, found->text, found->diskKnown ? &found->diskText : nullptr);
        shown[size_t(found - recovered.begin())] = true;
    }
    for (size_t k = 0; k < recovered.size(); ++k)
        if (!shown[k])
            tree->LoadText(recovered[k].fileName, recovered[k].text,
                           recovered[k].diskKnown ? &recovered[k].diskText : nullptr);
    declarationsEdited = true;
}
