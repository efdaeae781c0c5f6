#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/AltEscapeFilter.h"
#include "program/EndQuestion.h"
#include "views/QtText.h"
#if WINGMATE_HAVE_DBUS
#include "app/DBusNotifier.h"
#endif
#include "app/OptionsDlg.h"
#include "editor/EditorDlg.h"
#include "editor/EditorRecovery.h"
#include "program/RunRequest.h"
#include "triggers/KeyHook.h"
#include "views/IconSet.h"
#include "views/InputDlg.h"
#include "views/LogPage.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"
#include "views/ManagerPage.h"
#include "views/OutputPage.h"
#include "views/QtMessageBox.h"
#include "views/QuickMenuDlg.h"
#include "views/QuickMenuLogic.h"
#include "views/SchedulerPage.h"
#include "views/ScriptDialogs.h"
#include "wizard/WizardDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QLabel>
#include <QLocalSocket>
#include <QMenu>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <filesystem>

namespace {
enum TabIndex { kManagerTab = 0, kSchedulerTab = 1, kOutputTab = 2, kLogTab = 3 };
} // namespace

CMainDlg::CMainDlg(std::string homeFolder, MainDlgServices given, QWidget* parent)
    : QMainWindow(parent), home(std::move(homeFolder)),
      messages(MessagesOwnedBy(this, given.messages, ownMessages)), services(std::move(given)) {
    ProgramServices programServices(services.store, messages);
    programServices.runner = services.runner;
    programServices.stopScripts = services.stopScripts;
    programServices.clock = services.clock;
    programServices.makeKeyHook = services.makeKeyHook;
    programServices.post = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    programServices.loadFunctionNames = services.loadFunctionNames;
    programServices.activeWindow = services.activeWindow;
    programServices.typeKeys = services.typeKeys;
    programServices.clipboardText = services.clipboardText;
    programServices.firstStart = services.firstStart;
    IProgramObserver& observer = *this;
    program = std::make_unique<CProgram>(home, std::move(programServices), observer);

    setWindowTitle(QStringLiteral("Tessera Wingmate"));
    setWindowIcon(ProgramIcon());
    BuildWindow();
    BuildToolbar();
    BuildMenus();
    new CAltEscapeFilter(this);
    inputPrompt = new CQtInputPrompt(this);
    scriptDialogs = new CQtScriptDialogs(
        this, [this](const std::string& title, const std::string& text,
                     std::function<void(bool)> shown) { ShowNotification(title, text, shown); });
    editorRecovery = std::make_unique<CEditorRecovery>(home);

    timer = new QTimer(this);
    timer->setInterval(kTimerMs);
    connect(timer, &QTimer::timeout, this, &CMainDlg::OnTimerTick);
}

CMainDlg::~CMainDlg() {
    DestroyEditors();
    timer->stop();
    if (tray)
        tray->hide();
    // The pages and the log page hold the program's library and run log.
    delete centralWidget();
    program.reset();
}

void CMainDlg::BuildWindow() {
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    tree = new CMacroTree(splitter);
    tree->setObjectName(QStringLiteral("macroTree"));
    tree->setAccessibleName(tr("Macros"));
    tree->SetLibrary(&program->Library());
    tree->Initialize();
    tree->setMinimumWidth(160);
    splitter->addWidget(tree);

    tabs = new QTabWidget(splitter);
    tabs->setObjectName(QStringLiteral("pages"));
    outputPage = new COutputPage(tabs);
    logPage = new CLogPage(messages, program->RunLog(), tabs);
    BuildPages();
    tabs->addTab(outputPage, PageIconImage(PageIcon::Output), tr("Output"));
    tabs->addTab(logPage, PageIconImage(PageIcon::Log), tr("Log"));
    splitter->addWidget(tabs);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 560});
    setCentralWidget(splitter);
    resize(800, 540);

    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        ShowSelectedPage();
        CommitManagerForm();
    });
    connect(tree, &CMacroTree::commandStateRequested, this, &CMainDlg::UpdateCommandState);
    connect(tree, &CMacroTree::selectMacroRequested, this, &CMainDlg::SelectMacro);
    connect(tree, &CMacroTree::showManagerTabRequested, this, &CMainDlg::ShowManagerTab);
    // However the caret moved (click, arrow keys, a paste or a drop), the
    // menu commands and their keys follow it.
    connect(tree, &CMacroTree::currentItemChanged, this,
            [this] { UpdateCommandState(tree->GetCaretId()); });
    connect(tree, &CMacroTree::libraryChanged, this, [this] {
        UpdateCommandState(tree->GetCaretId());
        if (schedulerForm)
            schedulerForm->RefreshCalendar();
    });
    connect(tree, &CMacroTree::commandRequested, this, [this](int command, int32_t id) {
        if (command == MacroCommand::kExecute)
            ExecuteEntry(id);
        else if (command == MacroCommand::kEdit)
            EditSelectedScript(id);
    });
}

// The Manager and Scheduler pages edit the program's library; the Manager's
// trigger box holds the hook while it has the focus.
void CMainDlg::BuildPages() {
    auto* manager = new CManagerPage(program->Library(), *this, messages);
    manager->SetHookControl(program.get());
    manager->SetWindowPicker(services.windowPicker);
    manager->SetHeldElsewhereQuery(
        [this](int32_t id) { return KeyHook() && KeyHook()->HeldElsewhere(id); });
    manager->SetWizardRunner([this] { return RunWizardModally(home, messages, this); });
    auto* scheduler = new CSchedulerPage(program->Library(), *this, messages);
    scheduler->SetTree(tree);
    tabs->addTab(manager, PageIconImage(PageIcon::Manager), tr("Manager"));
    tabs->addTab(scheduler, PageIconImage(PageIcon::Scheduler), tr("Scheduler"));
    managerForm = manager;
    schedulerForm = scheduler;
}

void CMainDlg::SetManagerPage(QWidget* page, IManagerForm* form) {
    ReplacePage(kManagerTab, page, PageIcon::Manager, tr("Manager"));
    managerForm = form;
}

void CMainDlg::SetSchedulerPage(QWidget* page, ISchedulerForm* form) {
    ReplacePage(kSchedulerTab, page, PageIcon::Scheduler, tr("Scheduler"));
    schedulerForm = form;
}

// Puts `page` in the tab at `index` in place of the one there, keeping which
// tab is shown and telling no one of the swap.
void CMainDlg::ReplacePage(int index, QWidget* page, PageIcon icon, const QString& title) {
    const bool current = tabs->currentIndex() == index;
    QWidget* old = tabs->widget(index);
    tabs->blockSignals(true);
    tabs->removeTab(index);
    tabs->insertTab(index, page, PageIconImage(icon), title);
    if (current)
        tabs->setCurrentIndex(index);
    tabs->blockSignals(false);
    old->deleteLater();
}

// The start-up, in order: the program's (settings, run log, library, hook,
// scheduler); the tray; the timer; the start-up settings; the editors'
// recovery copies.
void CMainDlg::Start() {
    ShowSelectedPage();
    program->Start();
    if (Ended())
        return; // the session ended while a start-up message waited
    AddTray();
    timer->start();
    ApplyStartVisibility();
    StateChanged();
    OfferEditorRecovery();
}

void CMainDlg::ApplyStartVisibility() {
    if (Settings().hideAtStartup)
        HideToTray();
    else
        ShowFromTray();
}

// Said once, where it does not stop the start: the status bar.
void CMainDlg::HookProblem(const std::string& why) {
    auto* note = new QLabel(Text(why), statusBar());
    note->setObjectName(QStringLiteral("hookProblem"));
    note->setToolTip(Text(why));
    statusBar()->addWidget(note, 1);
}

// Another message may replace it; an empty text withdraws `withdrawn` only
// while that is what the bar shows.
void CMainDlg::StatusMessage(const std::string& text, const std::string& withdrawn) {
    if (!text.empty())
        statusBar()->showMessage(Text(text));
    else if (!withdrawn.empty() && statusBar()->currentMessage() == Text(withdrawn))
        statusBar()->clearMessage();
}

void CMainDlg::ProgramOutput(const std::string& text) {
    Output().AppendOutput(text);
}

// Without a tray host yet (a panel that starts after the program at login),
// look again every few seconds and add the icon once one is there.
void CMainDlg::AddTray() {
    if (Ended())
        return;
    const bool available = services.trayAvailable ? services.trayAvailable()
                                                  : QSystemTrayIcon::isSystemTrayAvailable();
    if (!available) {
        if (!trayWatch) {
            trayWatch = new QTimer(this);
            trayWatch->setObjectName(QStringLiteral("trayWatch"));
            connect(trayWatch, &QTimer::timeout, this, &CMainDlg::AddTray);
            trayWatch->start(services.trayWatchMs);
        }
        return;
    }
    if (trayWatch) {
        trayWatch->deleteLater();
        trayWatch = nullptr;
    }
    tray = new QSystemTrayIcon(TrayIconImage(TrayIcon::Idle), this);
    tray->setToolTip(QStringLiteral("Tessera Wingmate"));
    connect(tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) { OnTrayActivated(int(why)); });
    connect(tray, &QSystemTrayIcon::messageClicked, this, &CMainDlg::ShowOutputPage);
    tray->show();
    if (program->Started())
        StateChanged();
}

void CMainDlg::ReportMacroFailure(int32_t id, const std::string& name,
                                  const std::string& firstLine) {
    if (NoteEditorRunFailure(id, firstLine) || !RunQueue().StartedUnattended(id))
        return;
    ShowNotification(tr("Macro \"%1\" failed").arg(Text(name)).toStdString(), firstLine);
}

void CMainDlg::ShowNotification(const std::string& title, const std::string& text,
                                std::function<void(bool shown)> shown) {
    if (services.notifier) {
        services.notifier->Notify(title, text);
        if (shown)
            shown(true);
        return;
    }
#if WINGMATE_HAVE_DBUS
    // The notification service, tray or not; the tray's message only when
    // no service takes it.
    if (!dbusNotifier)
        dbusNotifier = new CDBusNotifier([this] { ShowOutputPage(); }, {}, this);
    dbusNotifier->Notify(title, text, [this, title, text, shown](bool reached) {
        const bool ok = reached || ShowTrayMessage(title, text);
        if (shown)
            shown(ok);
    });
#else
    const bool ok = ShowTrayMessage(title, text);
    if (shown)
        shown(ok);
#endif
}

bool CMainDlg::ShowTrayMessage(const std::string& title, const std::string& text) {
    if (!tray || !QSystemTrayIcon::supportsMessages())
        return false;
    tray->showMessage(Text(title), Text(text), QSystemTrayIcon::Warning);
    return true;
}

void CMainDlg::ShowOutputPage() {
    ShowFromTray();
    tabs->setCurrentIndex(kOutputTab);
}

void CMainDlg::OnTrayActivated(int reason) {
    if (reason == QSystemTrayIcon::Context) {
        if (RunQueue().IsRunning())
            ShowStopMenu(QCursor::pos());
        else
            ShowQuickMenu(QCursor::pos());
    } else if (reason == QSystemTrayIcon::DoubleClick) {
        hiddenInTray = hiddenInTray || !isVisible() || isMinimized();
        hiddenInTray ? ShowFromTray() : HideToTray();
    }
}

void CMainDlg::ShowStopMenu(const QPoint& at) {
    QMenu menu;
    menu.addAction(tr("&Stop Executing Macro"), this, [this] { HandleCommand(Command::Stop); });
    menu.exec(at);
}

void CMainDlg::StateChanged() {
    const TrayLook look = DecideTrayLook(State());
    if (tray) {
        tray->setIcon(TrayIconImage(look.icon));
        tray->setToolTip(Text(look.tooltip));
        setWindowTitle(QStringLiteral("Tessera Wingmate"));
    } else {
        // No tray to show the state: the title carries it.
        setWindowTitle(Text(look.tooltip).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    RefreshCheckMarks();
    RefreshToolbar();
}

void CMainDlg::RefreshCheckMarks() {
    if (QAction* scheduler = CommandAction(Command::DisableScheduler))
        scheduler->setChecked(!State().schedulerEnabled);
    if (QAction* triggers = CommandAction(Command::DisableTriggers))
        triggers->setChecked(!State().triggersEnabled);
}

void CMainDlg::ShowFromTray() {
    showNormal();
    raise();
    activateWindow();
    hiddenInTray = false;
}

// Without a tray there is no way back from a hidden window: minimise instead.
void CMainDlg::HideToTray() {
    if (tray)
        hide();
    else
        showMinimized();
    hiddenInTray = true;
}

void CMainDlg::ShowSelectedPage() {
    // QTabWidget shows only the selected page; nothing else to hide.
    if (QWidget* page = tabs->currentWidget())
        page->setVisible(true);
}

void CMainDlg::OnTimerTick() {
    if (!firstTickSeen) {
        firstTickSeen = true;
        ApplyStartVisibility();
    }
    program->Tick();
    WriteEditorRecovery();
}

void CMainDlg::HandleCommand(int identifier, int code) {
    if (!program->HandleCommand(identifier, code))
        RunMenuCommand(identifier);
}

void CMainDlg::HandleInstanceRequest(const QString& line, QLocalSocket* client) {
    const std::string answer = program->HandleRequest(line.toStdString());
    client->write(QByteArray::fromStdString(answer + "\n"));
    client->flush();
}

// ---- IMainWindowOps ----

void CMainDlg::SelectMacro(int32_t id) {
    CMacroLibrary& library = Library();
    if (!library.FindById(id))
        return;
    CommitManagerForm();
    const CMacroNode* node = library.FindById(id);
    if (!node)
        return;
    const CMacro record = *node;
    if (managerForm)
        managerForm->ShowMacro(record);
    PropagateMacroChange(record);
}

void CMainDlg::CommitManagerForm() {
    if (!managerForm)
        return;
    const CMacro record = managerForm->ReadForm();
    if (const CMacroNode* node = program->CommitMacro(record)) {
        CommitFormExtras(Library(), record); // the record update leaves them alone
        PropagateMacroChange(*node);
    }
}

void CMainDlg::PropagateMacroChange(const CMacro& record) {
    const CMacro copy = record; // the form may rewrite the node it came from
    if (managerForm && managerForm->ShownId() == copy.id)
        managerForm->ShowMacro(copy);
    tree->RefreshItem(copy);
    if (schedulerForm) {
        schedulerForm->ShowMacro(copy);
        schedulerForm->RefreshCalendar();
    }
}

// Selecting the tab from code is not the user's change of tab: the form has
// just been filled from the library, so nothing is committed again.
void CMainDlg::ShowManagerTab() {
    {
        const QSignalBlocker quiet(tabs);
        tabs->setCurrentIndex(kManagerTab);
    }
    ShowSelectedPage();
}

int32_t CMainDlg::AddMacroAtCaret(const CMacro& record) {
    const CProgram::Added added = program->AddMacro(record, tree->GetCaretId());
    if (!added.node)
        return 0;
    tree->AddItem(*added.node, added.targetId, added.position);
    if (schedulerForm)
        schedulerForm->RefreshCalendar();
    return added.node->id;
}

// ---- IProgramObserver ----

// From the root, as at the start; the calendar follows.
bool CMainDlg::LibraryReplaced() {
    const bool shown = tree->LoadAll();
    if (schedulerForm)
        schedulerForm->RefreshCalendar();
    if (Library().Root())
        SelectMacro(Library().Root()->id);
    UpdateCommandState(tree->GetCaretId());
    return shown;
}

void CMainDlg::StopEnabledChanged(bool enabled) {
    if (QAction* stop = CommandAction(Command::Stop))
        stop->setEnabled(enabled);
}

void CMainDlg::OutputCleared() {
    outputPage->ClearOutput();
}

void CMainDlg::LastRunShown(const std::string& text) {
    outputPage->SetLastRun(text);
}

void CMainDlg::LastRunChanged(int32_t id) {
    if (!managerForm)
        return;
    if (const CMacroNode* node = Library().FindById(id))
        managerForm->ShowLastRun(*node);
}

// Once per trigger: it still fires, but the focused window gets its keys too.
void CMainDlg::KeysHeldElsewhere(const TriggerKeys& trigger) {
    statusBar()->showMessage(
        tr("Another program holds the keys %1 of macro \"%2\": it still runs, but the focused "
           "window gets them too.")
            .arg(Text(trigger.triggerKey), Text(trigger.name)));
    if (managerForm)
        managerForm->RefreshTriggerNote();
}

// ---- What a run needs ----

void CMainDlg::MacroFinished(int32_t id) {
    const int finished = static_cast<int>(Command::MacroFinished);
    if (QThread::currentThread() == thread())
        HandleCommand(finished, id);
    else
        QMetaObject::invokeMethod(
            this, [this, finished, id] { HandleCommand(finished, id); },
            Qt::BlockingQueuedConnection);
}

IScriptOutput& CMainDlg::Output() {
    return *outputPage;
}

IScriptDialogs& CMainDlg::ScriptDialogs() {
    return *scriptDialogs;
}

IInputPrompt& CMainDlg::Input() {
    return *inputPrompt;
}

// ---- Closing ----

void CMainDlg::EndForSession() {
    if (Ended())
        return;
    // The editors first: their text exists nowhere else.
    WriteEditorRecoveryNow();
    program->SaveEverything(false);
    EndProgram();
}

// Every dialog still open (a message, an Alert, an input box, Options) is
// closed as cancelled: their event loops would otherwise outlive the end.
void CMainDlg::EndProgram() {
    program->MarkEnded();
    timer->stop();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    close();
    QCoreApplication::exit(0);
}

void CMainDlg::ExitProgram() {
    if (Ended() || !CloseEditors() || !program->SaveEverything())
        return;
    EndProgram();
}

void CMainDlg::EndWithoutSaving() {
    if (Ended())
        return;
    // Asked first when schedules would stop or edits be left unsaved; No is
    // the default, so a second stray key press does not end it either.
    const std::string question =
        program->EndWithoutSavingQuestion(managerForm && managerForm->HasEdits());
    if (!question.empty() &&
        messages.Show(question, "Wingmate", MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    // The library is left unsaved; an editor's script is still the user's.
    if (!Ended() && CloseEditors())
        EndProgram();
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (!Ended()) {
        if (!CloseEditors() || !program->SaveEverything()) {
            event->ignore();
            return;
        }
        program->MarkEnded();
        timer->stop();
        QApplication::quit();
    }
    event->accept();
}

// Escape ends the program without saving, unless it was pressed inside a
// page (the pages never close).
void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || !tabs->isAncestorOf(focus)) {
            event->accept();
            EndWithoutSaving();
            return;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void CMainDlg::OpenOptions() {
    COptionsDlg options(Settings(), services.store, messages, this);
    options.exec();
    program->SettingsChanged();
}

void CMainDlg::OpenAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::ShowQuickMenu(const QPoint& anchor) {
    CQuickMenuDlg menu;
    menu.library = &Library();
    menu.anchor = anchor;
    menu.exec();
    if (IsRunnablePick(Library(), menu.ChosenId()))
        ExecuteEntry(menu.ChosenId());
}
