#include "editor/EditorDlg.h"

#include "editor/DecTree.h"
#include "editor/EditorLayout.h"
#include "editor/EditorRecovery.h"
#include "editor/FindDlg.h"
#include "editor/UseScanner.h"
#include "ports/MessageBox.h"
#include "ports/UiText.h"
#include "views/IconSet.h"
#include "views/QtFileChooser.h"
#include "views/QtMessageBox.h"
#include "views/QtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace {
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

// The gap between the tree and the script: dragging it resizes the tree.
class CSplitHandle : public QWidget {
public:
    CSplitHandle(QWidget* parent, std::function<void(int x)> moved)
        : QWidget(parent), onMoved(std::move(moved)) {
        setCursor(Qt::SplitHCursor);
    }

protected:
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton)
            onMoved(mapToParent(event->position().toPoint()).x());
    }

private:
    std::function<void(int)> onMoved;
};

const std::vector<MenuColumn>& MenuTable() {
    using namespace EditorCommand;
    static const std::vector<MenuColumn> table = {
        {QT_TRANSLATE_NOOP("CEditorDlg", "&File"),
         {{kOpen, QT_TRANSLATE_NOOP("CEditorDlg", "&Open"), QKeySequence::Open},
          {0, "", {}},
          {kSaveScript, QT_TRANSLATE_NOOP("CEditorDlg", "&Script"), QKeySequence::Save},
          {kSaveDeclarations, QT_TRANSLATE_NOOP("CEditorDlg", "&Declarations"), {}},
          {kSaveAll, QT_TRANSLATE_NOOP("CEditorDlg", "&All"), {}},
          {kSaveAllMenu, QT_TRANSLATE_NOOP("CEditorDlg", "Save &All"), {}},
          {kSaveScriptAs, QT_TRANSLATE_NOOP("CEditorDlg", "Save S&cript As..."),
           QKeySequence::SaveAs},
          {0, "", {}},
          {kPrint, QT_TRANSLATE_NOOP("CEditorDlg", "&Print..."), QKeySequence::Print},
          {kRefreshDecs, QT_TRANSLATE_NOOP("CEditorDlg", "&Refresh Decs"), {}},
          {0, "", {}},
          {kExit, QT_TRANSLATE_NOOP("CEditorDlg", "E&xit"), {}}}},
        {QT_TRANSLATE_NOOP("CEditorDlg", "&Edit"),
         {{kUndo, QT_TRANSLATE_NOOP("CEditorDlg", "&Undo"), QKeySequence::Undo},
          {kRedo, QT_TRANSLATE_NOOP("CEditorDlg", "&Redo"), QKeySequence::Redo},
          {0, "", {}},
          {kCut, QT_TRANSLATE_NOOP("CEditorDlg", "Cu&t"), QKeySequence::Cut},
          {kCopy, QT_TRANSLATE_NOOP("CEditorDlg", "&Copy"), QKeySequence::Copy},
          {kPaste, QT_TRANSLATE_NOOP("CEditorDlg", "&Paste"), QKeySequence::Paste},
          {0, "", {}},
          {kFind, QT_TRANSLATE_NOOP("CEditorDlg", "&Find"), QKeySequence::Find},
          {kReplace, QT_TRANSLATE_NOOP("CEditorDlg", "R&eplace"),
           QKeySequence(Qt::CTRL | Qt::Key_H)},
          {kGoToLine, QT_TRANSLATE_NOOP("CEditorDlg", "&Go to Line..."),
           QKeySequence(Qt::CTRL | Qt::Key_G)},
          {kComplete, QT_TRANSLATE_NOOP("CEditorDlg", "Complete &Word"), {}}}},
        {QT_TRANSLATE_NOOP("CEditorDlg", "&Script"),
         {{kRun, QT_TRANSLATE_NOOP("CEditorDlg", "&Run"), QKeySequence(Qt::Key_F5)}}},
        {QT_TRANSLATE_NOOP("CEditorDlg", "&Help"),
         {{kHelpWingmate, QT_TRANSLATE_NOOP("CEditorDlg", "&Wingmate"), {}},
          {kHelpTessera, QT_TRANSLATE_NOOP("CEditorDlg", "&Tessera"), {}}}},
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

    // The desktop's boxes and file dialogs belong to this window: they open
    // in front of it and leave the main window where it is.
    messages = &MessagesOwnedBy(this, services.messages, ownMessages);
    files = &FilesOwnedBy(this, services.files, ownFiles);

    client = new QWidget(this);
    client->setObjectName(QStringLiteral("editorClient"));
    setCentralWidget(client);
    declLabel = new QLabel(tr("Window Declarations"), client);
    declLabel->setObjectName(QStringLiteral("declarationsLabel"));
    tree = new TDecTree(client);
    tree->setObjectName(QStringLiteral("decTree"));
    splitHandle = new CSplitHandle(client, [this](int x) {
        if (client->width() <= 0)
            return;
        treeShare = std::clamp(double(x) / client->width(), kMinTreeShare, kMaxTreeShare);
        ApplyLayout(client->width(), client->height());
    });
    splitHandle->setObjectName(QStringLiteral("splitHandle"));
    view = new CScriptView(*messages, client);
    view->SetBaseFolder(services.home);
    lineLabel = new QLabel(tr("Line: %1").arg(1), client);
    lineLabel->setObjectName(QStringLiteral("lineLabel"));
    lineLabel->setFixedSize(
        lineLabel->fontMetrics().horizontalAdvance(tr("Line: %1").arg(QStringLiteral("000000"))) +
            6,
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
    encodingLabel = new QLabel(client);
    encodingLabel->setObjectName(QStringLiteral("encodingLabel"));
    encodingLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    encodingLabel->setToolTip(tr("How the script is read and written (File > Reopen with Encoding, "
                                 "Save with Encoding)"));
    client->installEventFilter(this);

    connect(view, &CScriptView::lineReport, this,
            [this](int line) { lineLabel->setText(tr("Line: %1").arg(line)); });
    columnLabel = new QLabel(tr("Col: %1").arg(1), client);
    columnLabel->setObjectName(QStringLiteral("columnLabel"));
    connect(view, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const QTextCursor cursor = view->textCursor();
        columnLabel->setText(tr("Col: %1").arg(cursor.position() - cursor.block().position() + 1));
    });
    connect(view, &CScriptView::usesChanged, this, &CEditorDlg::OnUsesChanged);
    connect(view, &CScriptView::loadFinished, this, &CEditorDlg::AfterLoad);
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
                ? tr("Line %1, column %2: ").arg(diagnostic.line).arg(diagnostic.column)
                : QString();
        ShowStatus(place + Text(diagnostic.line > 0 ? diagnostic.message : diagnostic.full));
    });

    connect(view->document(), &QTextDocument::contentsChanged, this,
            &CEditorDlg::MarkRecoveryPending);
    // Saved, reloaded or undone back to the saved text: nothing to recover,
    // unless edited declarations are still unsaved.
    connect(view->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        SetTitle(titlePath);
        if (modified || recovering)
            return;
        if (declarationsEdited)
            MarkRecoveryPending();
        else
            DropRecoveryCopy();
    });

    BuildMenus();
    // Ctrl+Y as in most editors, beside the desktop's own Redo keys.
    actions.value(EditorCommand::kRedo)
        ->setShortcuts({QKeySequence(QKeySequence::Redo), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    ShowEncoding();
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
        QMenu* menu = menuBar()->addMenu(tr(column.title));
        QMenu* saveMenu = nullptr;
        for (const MenuItem& item : column.items) {
            if (item.command == 0) {
                menu->addSeparator();
                continue;
            }
            QMenu* into = menu;
            if (InSaveSubmenu(item.command)) {
                if (!saveMenu)
                    saveMenu = menu->addMenu(tr("&Save"));
                into = saveMenu;
            }
            QAction* action = into->addAction(tr(item.text));
            if (!item.shortcut.isEmpty())
                action->setShortcut(item.shortcut);
            const int command = item.command;
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
            actions.insert(command, action);
        }
        if (column.items.front().command == EditorCommand::kOpen)
            BuildEncodingMenus(menu);
    }
}

namespace {
constexpr ScriptEncoding kEncodings[] = {ScriptEncoding::Utf8, ScriptEncoding::Windows1252,
                                         ScriptEncoding::Latin1};
} // namespace

// File > Reopen with Encoding and Save with Encoding, before Print.
void CEditorDlg::BuildEncodingMenus(QMenu* fileMenu) {
    QAction* before = actions.value(EditorCommand::kPrint);
    QMenu* reopen = new QMenu(tr("Reopen &with Encoding"), fileMenu);
    QMenu* saveWith = new QMenu(tr("Save with &Encoding"), fileMenu);
    for (const ScriptEncoding encoding : kEncodings) {
        const QString name = QString::fromLatin1(EncodingName(encoding));
        for (auto [menu, base] : {std::pair{reopen, EditorCommand::kReopenWith},
                                  std::pair{saveWith, EditorCommand::kSaveWith}}) {
            const int command = base + int(encoding);
            QAction* action = menu->addAction(name);
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
            actions.insert(command, action);
        }
    }
    fileMenu->insertMenu(before, reopen);
    fileMenu->insertMenu(before, saveWith);
    fileMenu->insertSeparator(before);
}

void CEditorDlg::ShowEncoding() {
    const ScriptFormat& format = view->Format();
    QString text = QString::fromLatin1(EncodingName(format.encoding));
    if (format.Utf8() && format.bom)
        text += QStringLiteral(" BOM");
    text += format.lineEnd == LineEnd::CrLf ? QStringLiteral("  CRLF")
            : format.lineEnd == LineEnd::Cr ? QStringLiteral("  CR")
                                            : QStringLiteral("  LF");
    encodingLabel->setText(text);
}

bool CEditorDlg::ReopenWith(ScriptEncoding encoding) {
    if (view->FilePath().empty())
        return false;
    if (view->IsModified() &&
        messages->Show(UiFormat(UI_TEXT("Wingmate", "Reading the script again loses the changes "
                                                    "made here. Reopen it as %1?"),
                                {EncodingName(encoding)}),
                       UI_TEXT("Wingmate", "Reopen with Encoding"),
                       MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return false;
    std::string why;
    if (!view->LoadAs(view->FilePath(), encoding, &why)) {
        messages->Show(UiFormat(UI_TEXT("Wingmate", "Could not read %1 as %2.\n\n%3"),
                                {view->FilePath(), EncodingName(encoding), why}),
                       UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return false;
    }
    ScanLoadedText();
    view->CheckNow();
    ShowEncoding();
    return true;
}

bool CEditorDlg::SaveWith(ScriptEncoding encoding) {
    const ScriptFormat before = view->Format();
    ScriptFormat format = before;
    format.encoding = encoding;
    format.bom = format.bom && format.Utf8();
    view->SetFormat(format);
    const bool saved = SaveScript();
    if (!saved)
        view->SetFormat(before);
    ShowEncoding();
    return saved;
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
        // The rescan only takes the new use list; the files are read once.
        refreshing = true;
        view->SetUsesSeen(true);
        view->Rescan();
        refreshing = false;
        ReloadDeclarations(true);
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
        for (const ScriptEncoding encoding : kEncodings) {
            if (command == kReopenWith + int(encoding))
                ReopenWith(encoding);
            else if (command == kSaveWith + int(encoding))
                SaveWith(encoding);
        }
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
    in.treeShare = treeShare;
    const EditorLayout g = ComputeEditorLayout(in);
    const auto rect = [](const LayoutRect& r) { return QRect(r.x, r.y, r.width, r.height); };
    declLabel->setGeometry(rect(g.declLabel));
    declLabel->repaint();
    tree->setGeometry(rect(g.tree));
    view->setGeometry(rect(g.script));
    splitHandle->setGeometry(g.tree.x + g.tree.width, 0, kEditorGap, g.script.height);
    lineLabel->setGeometry(rect(g.lineLabel));
    progress->setGeometry(rect(g.progress));
    // The column first, the encoding at the right end of the strip, the
    // status between them.
    QRect status = rect(g.progress);
    const QString widestColumn = tr("Col: %1").arg(QStringLiteral("00000"));
    const int columnWidth =
        std::min(status.width(), columnLabel->fontMetrics().horizontalAdvance(widestColumn) + 8);
    columnLabel->setGeometry(status.x(), status.y(), columnWidth, status.height());
    status.setLeft(status.left() + columnWidth);
    const int encodingWidth = std::min(
        status.width(),
        encodingLabel->fontMetrics().horizontalAdvance(QStringLiteral("Windows-1252 BOM  CRLF")) +
            8);
    encodingLabel->setGeometry(status.right() - encodingWidth + 1, status.y(), encodingWidth,
                               status.height());
    status.setWidth(status.width() - encodingWidth);
    statusLabel->setGeometry(status);
    ShowStatus(statusText);
}

// A changed script shows "*" before its name.
void CEditorDlg::SetTitle(const std::string& path) {
    titlePath = path;
    setWindowTitle(
        Text(std::string(view->IsModified() ? "*" : "") +
             (path.empty() ? UiText(UI_TEXT("Wingmate", "[New File]")) : "[" + path + "]") +
             UiText(kTitleSuffix)));
}

// A long message is cut to the label with "..."; the tooltip has it whole.
void CEditorDlg::ShowStatus(const QString& text) {
    statusText = text;
    statusLabel->setText(
        statusLabel->fontMetrics().elidedText(text, Qt::ElideRight, statusLabel->width()));
    statusLabel->setToolTip(text);
}

bool CEditorDlg::Load(MissingFile missing) {
    if (pathToLoad.empty())
        return true;
    const std::string full = pathToLoad.front() == '/' || services.home.empty()
                                 ? pathToLoad
                                 : services.home + "/" + pathToLoad;
    std::error_code error;
    if (missing == MissingFile::OfferToCreate &&
        !std::filesystem::exists(std::filesystem::symlink_status(full, error))) {
        OfferToCreate();
        return true;
    }
    std::string why;
    if (!view->LoadInPieces(pathToLoad, &why)) {
        std::string text = UiFormat(UI_TEXT("Wingmate", "Could not load file: %1"), {pathToLoad});
        if (!why.empty())
            text += "\n\n" + why;
        messages->Show(text, UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
        return false;
    }
    SetTitle(pathToLoad);
    ShowEncoding();
    if (view->IsLoading())
        ShowStatus(tr("Reading %1…").arg(Text(pathToLoad)));
    else
        AfterLoad();
    return true;
}

// The passes over a loaded script: its declarations, its compile check (in
// the background for a script that came in pieces).
void CEditorDlg::AfterLoad() {
    ShowStatus(QString());
    ScanLoadedText();
    const bool large = view->document()->characterCount() > CScriptView::kBackgroundCheckChars;
    if (large)
        view->CheckInBackground();
    if ((large || !view->CheckNow().failed) && !view->Format().Utf8())
        ShowStatus(tr("Not UTF-8: read as %1 (File > Reopen with Encoding chooses another).")
                       .arg(QString::fromLatin1(EncodingName(view->Format().encoding))));
}

// A new macro names a script not written yet: the window keeps its path, so
// a save writes it there, and Yes creates it empty at once.
void CEditorDlg::OfferToCreate() {
    tree->Clear();
    useList.clear();
    view->clear();
    view->SetFilePath(pathToLoad);
    view->SetModified(false);
    SetTitle(pathToLoad);
    ShowEncoding();
    if (messages->Show(UiFormat(UI_TEXT("Wingmate", "The script %1 does not exist yet. Create it?"),
                                {pathToLoad}),
                       UI_TEXT("Wingmate", "Wingmate Editor"),
                       MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    view->Save(); // says so when the folder cannot take it
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

void CEditorDlg::OnUsesChanged() {
    if (!view->UsesSeen())
        return;
    useList = view->TakeUseList();
    if (!refreshing)
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
    if (messages->Show(UiFormat(UI_TEXT("Wingmate", "The script %1 was changed by another program "
                                                    "since it was read here.\nSave anyway and "
                                                    "replace that version?"),
                                {view->FilePath()}),
                       UI_TEXT("Wingmate", "Script Changed"),
                       MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    view->AcceptDiskState();
    return true;
}

bool CEditorDlg::SaveScriptAs() {
    std::string path =
        files->SaveFile(UiText(UI_TEXT("Wingmate", "Tessera Scripts Files (*.tsc);;All Files (*)")),
                        view->FullPath());
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
        messages->Show(
            UiFormat(UI_TEXT("Wingmate", "File '%1' already exists. Overwrite?"), {path}),
            UI_TEXT("Wingmate", "File Exists"), MessageButtons::YesNo) != MessageAnswer::Yes)
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
    messages->Show(UiFormat(UI_TEXT("Wingmate", "Could not save declarations: %1"), {why}),
                   UI_TEXT("Wingmate", "Save Failed"), MessageButtons::Ok);
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
    return messages->Show(UiFormat(UI_TEXT("Wingmate", "The declarations file %1 was changed by "
                                                       "another program since it was read here.\n"
                                                       "Save anyway and replace that version?"),
                                   {names}),
                          UI_TEXT("Wingmate", "Declarations Changed"),
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
    // At Exit several windows may ask in turn: each comes to the front and
    // names its script.
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    const std::string name =
        view->FilePath().empty() ? UiText(UI_TEXT("Wingmate", "[New File]")) : view->FilePath();
    switch (messages->Show(
        UiFormat(UI_TEXT("Wingmate", "Save script and declarations?\n\n%1"), {name}),
        UI_TEXT("Wingmate", "Script / Declarations not saved"), MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        // Anything that could not be saved keeps the window as it is.
        if (script && !SaveScript())
            return false;
        return SaveDeclarations();
    case MessageAnswer::No:
        // Discarded: a script opened next does not inherit them.
        tree->List().ForgetEdited();
        declarationsEdited = false;
        DropRecoveryCopy();
        return true;
    default:
        return false;
    }
}

void CEditorDlg::Open() {
    if (!AskToSave())
        return;
    // Where this script is: its neighbours are the likeliest next ones.
    const std::vector<std::string> chosen =
        files->OpenFilesIn(UiText(UI_TEXT("Wingmate", "Tessera Scripts (*.tsc);;All Files (*)")),
                           false, ScriptFolder());
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
        messages->Show(UiText(UI_TEXT("Wingmate", "Could not open file")),
                       UI_TEXT("Wingmate", "Wingmate Error"), MessageButtons::Ok);
    }
}

// The first show keeps the window on its screen; once more after the window
// manager has added its frame.
void CEditorDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce)
        return;
    shownOnce = true;
    FitOnItsScreen();
    QTimer::singleShot(0, this, &CEditorDlg::FitOnItsScreen);
}

void CEditorDlg::FitOnItsScreen() {
    if (!screen() || isMaximized() || isFullScreen())
        return;
    const QRect available = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    const LayoutRect fitted =
        FitOnScreen({frame.x(), frame.y(), frame.width(), frame.height()},
                    {available.x(), available.y(), available.width(), available.height()});
    if (fitted.width != frame.width() || fitted.height != frame.height())
        resize(width() - (frame.width() - fitted.width),
               height() - (frame.height() - fitted.height));
    if (fitted.x != frame.x() || fitted.y != frame.y())
        move(fitted.x, fitted.y);
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

void CEditorDlg::OpenFind(bool replaceMode) {
    view->FinishLoading(); // find and replace see the whole script
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
        messages->Show(UiFormat(UI_TEXT("Wingmate", "The script %1 no longer exists on disk. Save "
                                                    "it to keep this text."),
                                {path}),
                       UI_TEXT("Wingmate", "Script Changed"), MessageButtons::Ok);
        view->AcceptDiskState();
        view->SetModified(true);
        checkingDisk = false;
        return;
    }
    const std::string question =
        view->IsModified()
            ? UiFormat(UI_TEXT("Wingmate", "The script %1 was changed by another program.\nReload "
                                           "it and lose the changes made here?"),
                       {path})
            : UiFormat(UI_TEXT("Wingmate", "The script %1 was changed by another program.\nReload "
                                           "it?"),
                       {path});
    if (messages->Show(question, UI_TEXT("Wingmate", "Script Changed"), MessageButtons::YesNo) ==
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
