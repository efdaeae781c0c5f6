#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/OptionsDlg.h"
#include "views/IconSet.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"
#include "views/QuickMenuDlg.h"
#include "views/QuickMenuLogic.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

namespace {
QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

struct CommandName {
    int command;
    const char* text;
};
// The Macro menu's entry commands, in menu order.
constexpr CommandName kEntryCommands[] = {
    {MacroCommand::kCut, "Cu&t"},
    {MacroCommand::kCopy, "&Copy"},
    {MacroCommand::kDelete, "&Delete"},
    {MacroCommand::kPasteIn, "Paste &In"},
    {MacroCommand::kPasteAfter, "Paste &After"},
    {MacroCommand::kPasteBefore, "Paste &Before"},
};
} // namespace

CMainDlg::CMainDlg(std::string homeFolder, ISettingsStore& settingsStore, IMessageBox& messageBox,
                   QWidget* parent)
    : QMainWindow(parent), home(std::move(homeFolder)), store(settingsStore), messages(messageBox) {
    setWindowTitle(QStringLiteral("Tessera Wingmate"));
    setWindowIcon(ProgramIcon());
    BuildWindow();
    BuildMenus();
}

CMainDlg::~CMainDlg() {
    if (tray)
        tray->hide();
}

void CMainDlg::BuildWindow() {
    auto* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setMovable(false);
    toolbar->setIconSize(QSize(22, 22));
    QAction* hide = toolbar->addAction(ToolIconImage(ToolIcon::Hide), QStringLiteral("Hide"));
    hide->setToolTip(QStringLiteral("Hide Wingmate"));
    connect(hide, &QAction::triggered, this, &CMainDlg::HideToTray);
    toolbar->addSeparator();
    QAction* save = toolbar->addAction(ToolIconImage(ToolIcon::SaveMacros), QStringLiteral("Save"));
    save->setToolTip(QStringLiteral("Save Macros"));
    connect(save, &QAction::triggered, this, &CMainDlg::SaveMacros);

    auto* splitter = new QSplitter(this);
    tree = new CMacroTree(splitter);
    tree->setObjectName(QStringLiteral("macroTree"));
    tree->SetLibrary(&library);
    tree->Initialize();
    splitter->addWidget(tree);

    tabs = new QTabWidget(splitter);
    auto* manager = new QWidget(tabs);
    auto* managerLayout = new QVBoxLayout(manager);
    managerSummary = new QLabel(manager);
    managerSummary->setWordWrap(true);
    managerSummary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    managerSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    managerSummary->setText(
        QStringLiteral("<span style='color:gray'>Double-click an entry to show it here.</span>"));
    managerLayout->addWidget(managerSummary);
    tabs->addTab(manager, PageIconImage(PageIcon::Manager), QStringLiteral("Manager"));
    tabs->addTab(new QWidget(tabs), PageIconImage(PageIcon::Scheduler),
                 QStringLiteral("Scheduler"));
    tabs->addTab(new QWidget(tabs), PageIconImage(PageIcon::Output), QStringLiteral("Output"));
    tabs->addTab(new QWidget(tabs), PageIconImage(PageIcon::Log), QStringLiteral("Log"));
    splitter->addWidget(tabs);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 480});
    setCentralWidget(splitter);
    resize(720, 480);

    connect(tree, &CMacroTree::commandStateRequested, this, &CMainDlg::UpdateCommandState);
    connect(tree, &CMacroTree::selectMacroRequested, this, &CMainDlg::SelectMacro);
    connect(tree, &CMacroTree::showManagerTabRequested, this, &CMainDlg::ShowManagerTab);
    connect(tree, &CMacroTree::libraryChanged, this,
            [this] { UpdateCommandState(tree->GetCaretId()); });
    connect(tree, &CMacroTree::commandRequested, this, [this](int command, int32_t id) {
        if (command == MacroCommand::kExecute)
            Q_EMIT executeRequested(id);
        else if (command == MacroCommand::kEdit)
            Q_EMIT editRequested(id);
    });
}

void CMainDlg::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Hide"), this, &CMainDlg::HideToTray);
    file->addAction(QStringLiteral("&Save Macros"), this, &CMainDlg::SaveMacros);
    file->addSeparator();
    file->addAction(QStringLiteral("&Exit"), this, &CMainDlg::ExitProgram);

    QMenu* macro = menuBar()->addMenu(QStringLiteral("&Macro"));
    for (const CommandName& entry : kEntryCommands) {
        QAction* action = macro->addAction(QString::fromLatin1(entry.text));
        action->setEnabled(false);
        const int command = entry.command;
        connect(action, &QAction::triggered, this, [this, command] {
            tree->RunCommand(command);
            UpdateCommandState(tree->GetCaretId());
        });
        commandActions.insert(command, action);
    }

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Options"), this, &CMainDlg::OpenOptions);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, &CMainDlg::OpenAbout);
}

void CMainDlg::Start() {
    settings.ReadSettings(store);
    CMacro root;
    root.kind = static_cast<int32_t>(MacroKind::MacroSet);
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    library.File().SetPaths(home);
    LoadLibrary();
    AddTray();
    state.triggersEnabled = settings.enableTriggers != 0;
    state.schedulerEnabled = settings.enableScheduler != 0;
    if (settings.hideAtStartup)
        HideToTray();
    else
        ShowFromTray();
    RefreshTrayState();
}

// A missing library is the first start, not a failure: the root stays and
// the first save creates the file.
void CMainDlg::LoadLibrary() {
    std::error_code error;
    const bool present = std::filesystem::exists(library.File().libraryPath, error);
    if (present && !library.Load())
        messages.Show("Could not load Macro File", "Bad Load", MessageButtons::Ok);
    if (!tree->LoadAll()) {
        messages.Show("Could not load Macro File", "Bad Load", MessageButtons::Ok);
        tree->LoadAll();
    }
}

void CMainDlg::AddTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    tray = new QSystemTrayIcon(TrayIconImage(TrayIcon::Idle), this);
    connect(tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Context)
            ShowQuickMenu(QCursor::pos());
        else if (why == QSystemTrayIcon::DoubleClick)
            isVisible() && !isMinimized() ? HideToTray() : ShowFromTray();
    });
    tray->show();
}

void CMainDlg::RefreshTrayState() {
    const TrayLook look = DecideTrayLook(state);
    if (tray) {
        tray->setIcon(TrayIconImage(look.icon));
        tray->setToolTip(Text(look.tooltip));
        setWindowTitle(QStringLiteral("Tessera Wingmate"));
    } else {
        // No tray to show the state: the title carries it.
        setWindowTitle(Text(look.tooltip).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
}

void CMainDlg::ShowFromTray() {
    showNormal();
    raise();
    activateWindow();
}

// Without a tray there is no way back from a hidden window: minimise instead.
void CMainDlg::HideToTray() {
    if (tray)
        hide();
    else
        showMinimized();
}

void CMainDlg::UpdateCommandState(int32_t id) {
    const CommandAvailability available = MenuAvailability(library, id);
    for (auto it = commandActions.begin(); it != commandActions.end(); ++it)
        it.value()->setEnabled(available.IsEnabled(it.key()));
}

void CMainDlg::SelectMacro(int32_t id) {
    const CMacroNode* node = library.FindById(id);
    if (!node)
        return;
    QString summary = QStringLiteral("<b>%1</b>").arg(Text(node->name).toHtmlEscaped());
    if (!node->description.empty())
        summary += QStringLiteral("<br>%1").arg(Text(node->description).toHtmlEscaped());
    if (!node->IsMacroSet() && !node->scriptFile.empty())
        summary += QStringLiteral("<br><br>%1").arg(Text(node->scriptFile).toHtmlEscaped());
    managerSummary->setText(summary);
}

void CMainDlg::ShowManagerTab() {
    tabs->setCurrentIndex(0);
}

void CMainDlg::SaveMacros() {
    library.Save();
}

void CMainDlg::ExitProgram() {
    library.Save();
    settings.WriteSettings(store);
    closing = true;
    close();
    QApplication::quit();
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (!closing) {
        library.Save();
        settings.WriteSettings(store);
        closing = true;
        QApplication::quit();
    }
    event->accept();
}

void CMainDlg::OpenOptions() {
    COptionsDlg options(settings, store, messages, this);
    options.exec();
}

void CMainDlg::OpenAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::ShowQuickMenu(const QPoint& anchor) {
    CQuickMenuDlg menu;
    menu.library = &library;
    menu.anchor = anchor;
    menu.exec();
    if (IsRunnablePick(library, menu.ChosenId()))
        Q_EMIT executeRequested(menu.ChosenId());
}
