#include "app/MainDlg.h"

#include "app/AboutDlg.h"
#include "app/AltEscapeFilter.h"
#include "app/EndQuestion.h"
#include "views/QtText.h"
#if WINGMATE_HAVE_DBUS
#include "app/DBusNotifier.h"
#endif
#include "app/OptionsDlg.h"
#include "app/RunRequest.h"
#include "editor/EditorDlg.h"
#include "editor/EditorRecovery.h"
#include "library/RecoveryFile.h"
#include "triggers/KeyHook.h"
#include "triggers/NullKeyHook.h"
#include "views/IconSet.h"
#include "views/InputDlg.h"
#include "views/LogPage.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"
#include "views/OutputPage.h"
#include "views/QtMessageBox.h"
#include "views/QuickMenuDlg.h"
#include "views/QuickMenuLogic.h"
#include "views/ScriptDialogs.h"

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
// Without a runner, a start ends at once (nothing is run).
class CFinishAtOnceRunner : public IMacroRunner {
public:
    explicit CFinishAtOnceRunner(std::function<void()> onFinished)
        : finished(std::move(onFinished)) {}
    int Run(CMacro) override {
        finished();
        return 1;
    }

private:
    std::function<void()> finished;
};

// Tab 0 and 1 until the Manager and Scheduler pages are plugged in.
QWidget* Placeholder(const QString& text, QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(text, page);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setEnabled(false);
    layout->addWidget(label);
    return page;
}

enum TabIndex { kManagerTab = 0, kSchedulerTab = 1, kOutputTab = 2, kLogTab = 3 };
} // namespace

CMainDlg::CMainDlg(std::string homeFolder, MainDlgServices given, QWidget* parent)
    : QMainWindow(parent), home(std::move(homeFolder)), store(given.store),
      messages(MessagesOwnedBy(this, given.messages, ownMessages)), services(std::move(given)) {
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

    IMacroRunner* runner = services.runner;
    if (!runner) {
        fallbackRunner = std::make_unique<CFinishAtOnceRunner>([this] { MacroFinished(); });
        runner = fallbackRunner.get();
    }
    const IClock& clock = Clock();
    recovery = std::make_unique<CRecoveryFile>(library, clock);
    editorRecovery = std::make_unique<CEditorRecovery>(home);
    library.File().SetClock(&clock);
    runQueue = std::make_unique<CRunQueue>(
        library, clock, CRunQueue::Ports{*runner, *this, *this, logPage->RunLog()});

    timer = new QTimer(this);
    timer->setInterval(kTimerMs);
    connect(timer, &QTimer::timeout, this, &CMainDlg::OnTimerTick);
}

CMainDlg::~CMainDlg() {
    DestroyEditors();
    timer->stop();
    // No key report may arrive once the window is gone.
    if (keyHook) {
        keyHook->Release();
        keyHook->SetTaking(false);
    }
    hookInstalled = false;
    if (tray)
        tray->hide();
}

void CMainDlg::BuildWindow() {
    auto* splitter = new QSplitter(this);
    splitter->setChildrenCollapsible(false);
    tree = new CMacroTree(splitter);
    tree->setObjectName(QStringLiteral("macroTree"));
    tree->setAccessibleName(tr("Macros"));
    tree->SetLibrary(&library);
    tree->Initialize();
    tree->setMinimumWidth(160);
    splitter->addWidget(tree);

    tabs = new QTabWidget(splitter);
    tabs->setObjectName(QStringLiteral("pages"));
    outputPage = new COutputPage(tabs);
    logPage = new CLogPage(messages, tabs);
    tabs->addTab(Placeholder(tr("The Manager page is not connected."), tabs),
                 PageIconImage(PageIcon::Manager), tr("Manager"));
    tabs->addTab(Placeholder(tr("The Scheduler page is not connected."), tabs),
                 PageIconImage(PageIcon::Scheduler), tr("Scheduler"));
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

// The start-up, in order: settings; pages and the run log; the root "My
// Macros"; the library; the tray; the hook; the timer; the start-up settings.
void CMainDlg::Start() {
    settings.ReadSettings(store);
    logPage->RunLog().SetPath(home + "/Wingmate.log");
    logPage->RunLog().SetAutoClearLimit(&settings.autoClearLines);
    logPage->RunLog().SetWriteProblemReporter(
        [this](const std::string& problem) { ReportRunLogProblem(problem); });
    CMacro root;
    root.kind = static_cast<int32_t>(MacroKind::MacroSet);
    root.name = "My Macros";
    library.InsertRecord(root, -1, InsertPosition::Into);
    ShowSelectedPage();
    CreateKeyHook();
    library.File().SetPaths(home);
    LoadLibrary();
    OfferRecovery();
    if (ended)
        return; // the session ended while a start-up message waited
    AddTray();
    keyHook->ResetKeys();
    state.triggersEnabled = settings.enableTriggers != 0;
    Install();
    UpdateTakenKeys();
    timer->start();
    started = true;

    ApplyStartVisibility();
    runQueue->SetSchedulerEnabled(settings.enableScheduler != 0);
    runQueue->SetRunMissedAfterSleep(settings.runMissed != 0);
    if (services.loadFunctionNames)
        functionNames = services.loadFunctionNames();
    state.schedulerEnabled = runQueue->SchedulerEnabled();
    commandActions.value(MainCommand::kDisableScheduler)->setChecked(!state.schedulerEnabled);
    commandActions.value(MainCommand::kDisableTriggers)->setChecked(!state.triggersEnabled);
    RefreshTrayState();
    OfferEditorRecovery();
}

void CMainDlg::ApplyStartVisibility() {
    if (settings.hideAtStartup)
        HideToTray();
    else
        ShowFromTray();
}

void CMainDlg::CreateKeyHook() {
    std::string why;
    if (services.makeKeyHook) {
        // Reports come on the hook's thread: queue them to this one.
        hookPort = services.makeKeyHook(
            [this](intptr_t, int identifier, int code) {
                QMetaObject::invokeMethod(
                    this, [this, identifier, code] { HandleCommand(identifier, code); },
                    Qt::QueuedConnection);
            },
            &why);
    }
    if (!hookPort) {
        hookPort = std::make_unique<CNullKeyHook>();
        if (why.empty())
            why = tr("Trigger keys are unavailable: no key hook.").toStdString();
    }
    keyHook = std::make_unique<CKeyHook>(*hookPort, library, *runQueue,
                                         [this] { return state.triggersEnabled; });
    keyHook->SetMainWindow(reinterpret_cast<intptr_t>(this));
    keyHook->SetControl(this);
    keyHook->SetHeldElsewhereReport(
        [this](const TriggerKeys& trigger) { ReportKeysHeldElsewhere(trigger); });
    if (!why.empty())
        ReportHookProblem(why);
}

// Said once, where it does not stop the start: the status bar.
void CMainDlg::ReportHookProblem(const std::string& why) {
    keyHookProblem = why;
    auto* note = new QLabel(Text(why), statusBar());
    note->setObjectName(QStringLiteral("hookProblem"));
    note->setToolTip(Text(why));
    statusBar()->addWidget(note, 1);
}

// Kept until a line is written again; another message may replace it, but
// it is never repeated for every lost line.
void CMainDlg::ReportRunLogProblem(const std::string& problem) {
    if (problem.empty()) {
        if (statusBar()->currentMessage() == Text(runLogProblem))
            statusBar()->clearMessage();
    } else {
        statusBar()->showMessage(Text(problem));
    }
    runLogProblem = problem;
}

// Without a tray host yet (a panel that starts after the program at login),
// look again every few seconds and add the icon once one is there.
void CMainDlg::AddTray() {
    if (ended)
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
    if (started)
        RefreshTrayState();
}

void CMainDlg::ReportMacroFailure(int32_t id, const std::string& name,
                                  const std::string& firstLine) {
    if (NoteEditorRunFailure(id, firstLine) || !runQueue->StartedUnattended(id))
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
        if (runQueue->IsRunning())
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
    menu.addAction(tr("&Stop Executing Macro"), this,
                   [this] { HandleCommand(MainCommand::kStop); });
    menu.exec(at);
}

void CMainDlg::RefreshTrayState() {
    state.running = runQueue->IsRunning();
    state.schedulerEnabled = runQueue->SchedulerEnabled();
    const TrayLook look = DecideTrayLook(state);
    if (tray) {
        tray->setIcon(TrayIconImage(look.icon));
        tray->setToolTip(Text(look.tooltip));
        setWindowTitle(QStringLiteral("Tessera Wingmate"));
    } else {
        // No tray to show the state: the title carries it.
        setWindowTitle(Text(look.tooltip).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    RefreshToolbar();
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
    if (runQueue->SchedulerEnabled())
        runQueue->RunDuePass();
    keyHook->TickPrefix();
    WriteRecovery();
    WriteEditorRecovery();
}

void CMainDlg::HandleCommand(int identifier, int code) {
    if (keyHook && keyHook->OnHookCommand(identifier, code))
        return;
    if (identifier == MainCommand::kMacroFinished) {
        const int32_t finished = runQueue->RunningMacro().id;
        runQueue->OnMacroFinished();
        EndEditorRun(finished);
        return;
    }
    RunMenuCommand(identifier);
}

void CMainDlg::HandleInstanceRequest(const QString& line, QLocalSocket* client) {
    if (IsStatusRequest(line.toStdString())) {
        client->write(QByteArray::fromStdString(FormatStatusAnswer(CurrentStatus()) + "\n"));
        client->flush();
        return;
    }
    const auto target = ParseRunRequest(line.toStdString());
    if (!target) {
        client->write("refused\tunknown request\n");
        client->flush();
        return;
    }
    const RunRequestOutcome outcome = QueueRunRequest(library, *runQueue, *target);
    client->write(QByteArray::fromStdString(outcome.answer + "\n"));
    client->flush();
    if (outcome.queued)
        runQueue->RunNextQueued();
}

InstanceStatus CMainDlg::CurrentStatus() const {
    InstanceStatus status;
    status.schedulerEnabled = runQueue->SchedulerEnabled();
    // Enabled triggers with no working hook are reported as what they are.
    status.triggersEnabled = state.triggersEnabled && keyHookProblem.empty();
    status.triggersUnavailable = keyHookProblem;
    const CMacro& running = runQueue->RunningMacro();
    if (runQueue->IsRunning() && running.id != 0)
        status.running = InstanceStatus::Entry{running.id, running.name};
    for (int i = 0; i < runQueue->Count(); ++i)
        status.queued.push_back({runQueue->Slot(i).id, runQueue->Slot(i).name});
    return status;
}

// ---- IMainWindowOps ----

void CMainDlg::SelectMacro(int32_t id) {
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

// The form carries no last-run time: the entry keeps its own, so a commit in
// the second a macro started cannot start it again.
void CMainDlg::CommitManagerForm() {
    if (!managerForm)
        return;
    CMacro record = managerForm->ReadForm();
    const CMacroNode* node = record.id != 0 ? library.FindById(record.id) : nullptr;
    if (!node)
        return;
    record.lastRunTime = node->lastRunTime;
    if (!library.UpdateRecord(record))
        return;
    PropagateMacroChange(*library.FindById(record.id));
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

// Into the caret entry when it is a set, after it when it is a macro; the
// root when there is no caret entry.
int32_t CMainDlg::AddMacroAtCaret(const CMacro& record) {
    const CMacroNode* target = library.FindById(tree->GetCaretId());
    if (!target)
        target = library.Root();
    if (!target)
        return 0;
    const InsertPosition position =
        target->IsMacroSet() ? InsertPosition::Into : InsertPosition::After;
    const int32_t targetId = target->id;
    CMacro added = record;
    added.id = library.InsertRecord(record, targetId, position);
    if (added.id == 0)
        return 0;
    if (const CMacroNode* node = library.FindById(added.id))
        added = *node;
    tree->AddItem(added, targetId, position);
    if (schedulerForm)
        schedulerForm->RefreshCalendar();
    return added.id;
}

// ---- IRunQueueView ----

void CMainDlg::SetStopEnabled(bool enabled) {
    if (QAction* stop = commandActions.value(MainCommand::kStop))
        stop->setEnabled(enabled);
}

void CMainDlg::ClearOutput() {
    outputPage->ClearOutput();
}

void CMainDlg::SetLastRun(const std::string& text) {
    outputPage->SetLastRun(text);
}

void CMainDlg::LastRunChanged(int32_t id, const std::string&) {
    if (!managerForm)
        return;
    if (const CMacroNode* node = library.FindById(id))
        managerForm->ShowLastRun(*node);
}

// ---- IKeyHookControl: the queue's hold on the hook follows Disable Triggers ----

// The queue asks for the hook at every idle scheduler pass; a hook that is in
// place stays as it is (restarting it would cost a round trip to the X server
// four times a second and could drop keys).
void CMainDlg::Install() {
    if (!keyHook || !state.triggersEnabled || hookInstalled)
        return;
    keyHook->Install();
    hookInstalled = true;
}

void CMainDlg::Release() {
    if (!keyHook || !hookInstalled)
        return;
    keyHook->Release();
    hookInstalled = false;
}

void CMainDlg::ResetKeys() {
    if (keyHook)
        keyHook->ResetKeys();
}

void CMainDlg::SetTriggerBoxFocus(bool focused) {
    triggerBoxFocus = focused;
    UpdateTakenKeys();
}

void CMainDlg::UpdateTakenKeys() {
    if (keyHook)
        keyHook->SetTaking(state.triggersEnabled && !triggerBoxFocus);
}

// Once per trigger: it still fires, but the focused window gets its keys too.
void CMainDlg::ReportKeysHeldElsewhere(const TriggerKeys& trigger) {
    statusBar()->showMessage(
        tr("Another program holds the keys %1 of macro \"%2\": it still runs, but the focused "
           "window gets them too.")
            .arg(Text(trigger.triggerKey), Text(trigger.name)));
    if (managerForm)
        managerForm->RefreshTriggerNote();
}

// ---- What a run needs ----

void CMainDlg::MacroFinished() {
    if (QThread::currentThread() == thread())
        HandleCommand(MainCommand::kMacroFinished);
    else
        QMetaObject::invokeMethod(
            this, [this] { HandleCommand(MainCommand::kMacroFinished); },
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
    if (ended)
        return;
    // The editors first: their text exists nowhere else.
    WriteEditorRecoveryNow();
    SaveEverything(false);
    EndProgram();
}

// Every dialog still open (a message, an Alert, an input box, Options) is
// closed as cancelled: their event loops would otherwise outlive the end.
void CMainDlg::EndProgram() {
    ended = true;
    timer->stop();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    close();
    QCoreApplication::exit(0);
}

void CMainDlg::ExitProgram() {
    if (ended || !CloseEditors() || !SaveEverything())
        return;
    EndProgram();
}

void CMainDlg::EndWithoutSaving() {
    if (ended)
        return;
    // Asked first when schedules would stop or edits be left unsaved; No is
    // the default, so a second stray key press does not end it either.
    EscapeSituation situation;
    situation.schedulerEnabled = runQueue->SchedulerEnabled();
    situation.comingSchedule = HasComingSchedule(library.Root(), Clock().Now());
    situation.unsavedEdits =
        recovery->HasUnsavedEdits() || (managerForm && managerForm->HasEdits());
    const std::string question = EscapeQuestion(situation);
    if (!question.empty() &&
        messages.Show(question, "Wingmate", MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    // The library is left unsaved; an editor's script is still the user's.
    if (!ended && CloseEditors())
        EndProgram();
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    if (!ended) {
        if (!CloseEditors() || !SaveEverything()) {
            event->ignore();
            return;
        }
        ended = true;
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
    COptionsDlg options(settings, store, messages, this);
    options.exec();
    runQueue->SetRunMissedAfterSleep(settings.runMissed != 0);
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
        ExecuteEntry(menu.ChosenId());
}
