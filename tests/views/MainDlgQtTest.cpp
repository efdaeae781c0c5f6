// The main window as a whole: command availability, the tray state, the
// commit paths, closing, the end of a macro, the Output and Log pages, the
// key hook wiring, the input prompt and the instance socket's run request.

#include "MainDlgFixture.h"
#include "QtTestUtil.h"

#include "app/MainDlg.h"
#include "program/RunRequest.h"
#include "program/StatusRequest.h"
#include "app/WingmateApp.h"
#include "fakes/FakeKeyHook.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/Fakes.h"
#include "fakes/ScopedTimeZone.h"
#include "fakes/TestFiles.h"
#include "library/LibraryTestUtil.h"
#include "triggers/KeyHook.h"
#include "triggers/KeyNames.h"
#include "views/InputDlg.h"
#include "views/LogPage.h"
#include "views/OutputPage.h"
#include "views/ScriptDialogs.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QLocalSocket>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QtTest>

#include <atomic>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

constexpr int kEntryCommands[] = {MacroCommand::kCut,        MacroCommand::kCopy,
                                  MacroCommand::kDelete,     MacroCommand::kExecute,
                                  MacroCommand::kPasteIn,    MacroCommand::kPasteAfter,
                                  MacroCommand::kPasteBefore};

std::string Enabled(CMainDlg& window) {
    std::string out;
    for (int command : kEntryCommands)
        out += window.CommandAction(command)->isEnabled() ? "1" : "0";
    return out;
}

} // namespace

class MainDlgQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The menu keys act on the tree's entry while the tree has the focus.
    void menuShortcutsActWhenTheTreeHasFocus_data() {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        QTest::newRow("F5 executes") << QKeySequence(Qt::Key_F5) << "started Tidy";
        QTest::newRow("copy") << QKeySequence(QKeySequence::Copy) << "clipboard";
        QTest::newRow("cut") << QKeySequence(QKeySequence::Cut) << "gone";
        QTest::newRow("delete") << QKeySequence(QKeySequence::Delete) << "gone";
        QTest::newRow("F1 opens the guide") << QKeySequence(QKeySequence::HelpContents) << "help";
    }
    void menuShortcutsActWhenTheTreeHasFocus() {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        Fixture f;
        std::filesystem::create_directories(f.home + "/help");
        std::ofstream(f.home + "/help/Wingmate.html") << "<html></html>";
        f.messages.answer = MessageAnswer::Yes;
        auto window = f.Make();
        CMainDlg& w = *window;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto found = w.Tree()->findItems(QStringLiteral("Tidy"), Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        w.Tree()->scrollToItem(found.front());
        QTest::mouseClick(w.Tree()->viewport(), Qt::LeftButton, {},
                          w.Tree()->visualItemRect(found.front()).center());
        w.Tree()->setFocus();
        QTRY_VERIFY(w.Tree()->hasFocus());
        QTest::keySequence(w.Tree(), keys);
        if (effect == QStringLiteral("started Tidy"))
            QCOMPARE(f.runner.started, std::vector<std::string>{"Tidy"});
        else if (effect == QStringLiteral("clipboard"))
            QVERIFY(w.Library().Clipboard());
        else if (effect == QStringLiteral("gone"))
            QCOMPARE(f.Id(w, "Tidy"), 0);
        else if (effect == QStringLiteral("help"))
            QCOMPARE(f.opened, std::vector<std::string>{f.home + "/help/Wingmate.html"});
    }

    // Only a failure nobody watched start is worth a notification; clicking
    // it brings the Output page.
    void unattendedFailureRaisesANotification_data() {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<bool>("notified");
        QTest::newRow("scheduler") << "scheduler" << true;
        QTest::newRow("trigger") << "trigger" << true;
        QTest::newRow("Execute in the window") << "window" << false;
    }
    void unattendedFailureRaisesANotification() {
        QFETCH(QString, origin);
        QFETCH(bool, notified);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        const int32_t tidy = f.Id(w, "Tidy");
        if (origin == QStringLiteral("scheduler")) {
            // Due now: a single occurrence at the clock's second.
            CMacro record = *w.Library().FindById(tidy);
            record.scheduleType = 1;
            const std::time_t now = f.clock.Now() + 1;
            std::tm local{};
            localtime_r(&now, &local);
            record.startDate = std::to_string(local.tm_mon + 1) + "\\" +
                               std::to_string(local.tm_mday) + "\\" +
                               std::to_string(local.tm_year + 1900);
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                          local.tm_sec);
            record.startTime = time;
            QVERIFY(w.Library().UpdateRecord(record));
            w.RunQueue().RunDuePass();
            f.clock.Advance(1);
            w.RunQueue().RunDuePass();
        } else if (origin == QStringLiteral("trigger")) {
            w.RunQueue().EnqueueUnattended(tidy);
            w.RunQueue().RunNextQueued();
        } else {
            w.RunQueue().EnqueueMacro(tidy);
            w.RunQueue().RunNextQueued();
        }
        QCOMPARE(f.runner.started, std::vector<std::string>{"Tidy"});
        w.ReportMacroFailure(tidy, "Tidy", "job.tsc:1:7: error: expected an expression");
        QCOMPARE(f.notifier.shown.size(), size_t(notified ? 1 : 0));
        if (notified)
            QCOMPARE(
                f.notifier.shown.front(),
                std::string("Macro \"Tidy\" failed | job.tsc:1:7: error: expected an expression"));
        w.ShowOutputPage();
        QCOMPARE(w.findChild<QTabWidget*>()->currentIndex(), 2);
    }

    // The examples come only with a first start into an empty home, and
    // only once.
    void examplesAppearAtAFirstStartOnly_data() {
        QTest::addColumn<bool>("firstStart");
        QTest::addColumn<bool>("libraryExists");
        QTest::addColumn<int>("examples");
        QTest::newRow("first start") << true << false << 1;
        QTest::newRow("never over a library") << true << true << 0;
        QTest::newRow("settings existed") << false << false << 0;
    }
    void examplesAppearAtAFirstStartOnly() {
        QFETCH(bool, firstStart);
        QFETCH(bool, libraryExists);
        QFETCH(int, examples);
        Fixture f;
        if (!libraryExists)
            std::filesystem::remove(f.home + "/Macros.mcf");
        f.services.firstStart = firstStart;
        const auto count = [&f](CMainDlg& w) { return f.Id(w, "Examples") != 0 ? 1 : 0; };
        {
            auto window = f.Make();
            QCOMPARE(count(*window), examples);
            QCOMPARE(std::filesystem::exists(f.home + "/Scripts/Examples/Hello.tsc"),
                     examples == 1);
        }
        // The next start reads the saved library and adds nothing more.
        f.services.firstStart = false;
        auto again = f.Make();
        int sets = 0;
        CMacroLibrary::ForEachPreOrder(again->Library().Root(), [&](CMacroNode& node) {
            sets += node.name == "Examples" ? 1 : 0;
            return true;
        });
        QCOMPARE(sets, examples);
    }

    void menusShowTheirShortcuts() {
        Fixture f;
        auto window = f.Make();
        for (int command : {int(Command::NewMacro), int(Command::SaveMacros), int(Command::Exit),
                            int(Command::Stop), int(Command::HelpWingmate), MacroCommand::kCut,
                            MacroCommand::kCopy, MacroCommand::kPasteAfter, MacroCommand::kDelete,
                            MacroCommand::kExecute})
            QVERIFY2(!window->CommandAction(command)->shortcut().isEmpty(),
                     QByteArray::number(command));
    }

    void entryCommandsFollowTheClickedEntryAndTheClipboard() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        const int32_t root = w.Library().Root()->id;
        const int32_t daily = f.Id(w, "Daily"), tidy = f.Id(w, "Tidy");
        // Order: cut copy delete execute in after before.
        struct Case {
            const char* label;
            int32_t id;
            bool fullClipboard;
            const char* expected;
        };
        const Case cases[] = {
            {"nothing, empty", 0, false, "0000000"},  {"nothing, full", 0, true, "0000000"},
            {"root, empty", root, false, "0000000"},  {"root, full", root, true, "0000000"},
            {"macro, empty", tidy, false, "1111000"}, {"macro, full", tidy, true, "1111011"},
            {"set, empty", daily, false, "1110000"},  {"set, full", daily, true, "1110111"},
        };
        QVERIFY(!w.Library().Clipboard());
        for (bool full : {false, true}) {
            if (full)
                w.Library().CopyToClipboard(tidy);
            for (const Case& c : cases) {
                if (c.fullClipboard != full)
                    continue;
                w.UpdateCommandState(c.id);
                QVERIFY2(Enabled(w) == c.expected,
                         (std::string(c.label) + ": " + Enabled(w)).c_str());
            }
        }
        // Stop is grey while nothing runs; Edit (menu and toolbar) follows a
        // macro; the Macro Wizard is always available.
        QVERIFY(!w.CommandAction(Command::Stop)->isEnabled());
        for (const auto& [id, macro] : {std::pair{daily, false}, {tidy, true}, {root, false}}) {
            w.Tree()->setCurrentItem(w.Tree()->FindItem(id));
            w.UpdateCommandState(id);
            QCOMPARE(w.CommandAction(MacroCommand::kEdit)->isEnabled(), macro);
            QCOMPARE(w.ToolbarAction(MacroCommand::kEdit)->isEnabled(), macro);
        }
        QVERIFY(w.ToolbarAction(Command::MacroWizard)->isEnabled());
    }

    void trayStateFollowsRunningTriggersAndScheduler() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        QVERIFY(!w.HasTray()); // offscreen: the title carries the state
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate"));
        // Backup's Ctrl+K is taken from the focused window while triggers are on.
        const std::vector<TakenKey> ctrlK{{TakenKey::Ctrl, 'K'}};
        QCOMPARE(f.hookPort->taken, ctrlK);
        w.HandleCommand(Command::DisableTriggers);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Triggers Disabled"));
        QVERIFY(w.CommandAction(Command::DisableTriggers)->isChecked());
        QCOMPARE(f.hookPort->calls.back(), std::string("Release"));
        QVERIFY(f.hookPort->taken.empty());

        const int32_t tidy = f.Id(w, "Tidy");
        w.Tree()->setCurrentItem(w.Tree()->FindItem(tidy));
        w.UpdateCommandState(tidy);
        QVERIFY(w.ToolbarAction(MacroCommand::kExecute)->isEnabled());
        w.HandleCommand(MacroCommand::kExecute);
        QCOMPARE(f.runner.started, std::vector<std::string>{"Tidy"});
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Running Macro"));
        QVERIFY(w.CommandAction(Command::Stop)->isEnabled());
        QVERIFY(w.ToolbarAction(Command::Stop)->isEnabled());
        QVERIFY(!w.ToolbarAction(MacroCommand::kExecute)->isEnabled());

        w.MacroFinished();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Triggers Disabled"));
        QVERIFY(!w.ToolbarAction(Command::Stop)->isEnabled());

        w.HandleCommand(Command::DisableScheduler);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Disabled"));
        w.HandleCommand(Command::DisableTriggers);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Scheduler Disabled"));
        QVERIFY(!w.CommandAction(Command::DisableTriggers)->isChecked());
        QCOMPARE(f.hookPort->calls.back(), std::string("Init"));
        QCOMPARE(f.hookPort->taken, ctrlK);
        w.HandleCommand(Command::DisableScheduler);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate"));
    }

    // A tray host that starts after the program (a panel at login) still
    // gets the icon, showing the state the title carried until then.
    void aTrayHostThatAppearsLaterGetsTheIcon_data() {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<bool>("later");
        QTest::newRow("there at start") << true << true;
        QTest::newRow("appears later") << false << true;
        QTest::newRow("never there") << false << false;
    }
    void aTrayHostThatAppearsLaterGetsTheIcon() {
        QFETCH(bool, atStart);
        QFETCH(bool, later);
        Fixture f;
        bool available = atStart;
        int asked = 0;
        f.services.trayAvailable = [&] {
            ++asked;
            return available;
        };
        f.services.trayWatchMs = 5;
        auto window = f.Make();
        CMainDlg& w = *window;
        w.HandleCommand(Command::DisableTriggers);
        QCOMPARE(w.HasTray(), atStart);
        available = later;
        QTRY_VERIFY(asked >= 3 || w.HasTray());
        QTRY_COMPARE(w.HasTray(), later);
        if (!later) {
            QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate - Triggers Disabled"));
            return;
        }
        QCOMPARE(w.Tray()->toolTip(), QStringLiteral("Tessera Wingmate - Triggers Disabled"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Tessera Wingmate"));
        const int seen = asked;
        QTest::qWait(30);
        QCOMPARE(asked, seen); // no more looking once the icon is there
    }

    void startUpSettingsDisableAndHide() {
        Fixture f;
        f.store.values["Set1"] = "8"; // hide; triggers and scheduler off
        auto window = f.Make();
        QVERIFY(window->CommandAction(Command::DisableTriggers)->isChecked());
        QVERIFY(window->CommandAction(Command::DisableScheduler)->isChecked());
        QVERIFY(window->HiddenInTray());
        QCOMPARE(window->windowTitle(), QStringLiteral("Tessera Wingmate - Disabled"));
        QVERIFY(f.hookPort->calls.empty() ||
                std::find(f.hookPort->calls.begin(), f.hookPort->calls.end(), "Init") ==
                    f.hookPort->calls.end());
    }

    void tabChangeCommitsTheFormAndChangesPropagate() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        CFakeManagerForm form;
        CFakeSchedulerForm scheduler;
        w.SetManagerPage(new QWidget, &form);
        w.SetSchedulerPage(new QWidget, &scheduler);
        const int32_t tidy = f.Id(w, "Tidy");
        w.Library().FindById(tidy)->lastRunTime = 1234;
        w.SelectMacro(tidy);
        QCOMPARE(form.shownId, tidy);
        QCOMPARE(scheduler.shown.back(), std::string("Tidy"));

        form.form.name = "Tidy up";
        form.form.lastRunTime = 0; // the form has no last-run time
        w.Tabs()->setCurrentIndex(2);
        QCOMPARE(w.Library().FindById(tidy)->name, std::string("Tidy up"));
        QCOMPARE(w.Library().FindById(tidy)->lastRunTime, int64_t(1234));
        QCOMPARE(w.Tree()->FindItem(tidy)->text(0), QStringLiteral("Tidy up"));
        QCOMPARE(scheduler.shown.back(), std::string("Tidy up"));
        QVERIFY(scheduler.refreshes > 0);

        // New Macro commits, clears the form and shows the Manager tab; with
        // the blank form a later selection commits nothing.
        w.HandleCommand(Command::NewMacro);
        QCOMPARE(w.Tabs()->currentIndex(), 0);
        QCOMPARE(form.shownId, 0);
        form.form.name = "Should not land";
        const int32_t daily = f.Id(w, "Daily");
        w.SelectMacro(daily);
        QCOMPARE(w.Library().FindById(daily)->name, std::string("Daily"));
        QCOMPARE(w.Library().FindById(tidy)->name, std::string("Tidy up"));

        // Add Macro through the interface: after a macro, into a set.
        w.Tree()->setCurrentItem(w.Tree()->FindItem(tidy));
        const int32_t added = w.AddMacroAtCaret(Record("New one"));
        QVERIFY(added > 0);
        QCOMPARE(ItemShape(w.Tree()->invisibleRootItem()),
                 std::string("My Macros(Daily(Backup),Tidy up,New one)"));
        QVERIFY(ItemsMatchNodes(w.Tree()->invisibleRootItem(), w.Library().Root()));
    }

    void exitSavesAndEscapeDoesNot() {
        Fixture f;
        const std::string file = f.home + "/Macros.mcf";
        {
            auto window = f.Make();
            window->show();
            window->Library().RemoveNode(f.Id(*window, "Tidy"));
            const std::string before = ReadFile(file);
            window->Tree()->setFocus();
            QTest::keyClick(window->Tree(), Qt::Key_Escape);
            QVERIFY(window->Ended());
            QCOMPARE(ReadFile(file), before);
            QVERIFY(f.store.writes.empty());
        }
        {
            auto window = f.Make();
            window->Library().RemoveNode(f.Id(*window, "Tidy"));
            // Escape inside a page does not end the program.
            window->show();
            window->Tabs()->setCurrentIndex(3);
            window->LogPage()->findChild<QPlainTextEdit*>()->setFocus();
            QTest::keyClick(window->LogPage()->findChild<QPlainTextEdit*>(), Qt::Key_Escape);
            QVERIFY(!window->Ended());
            window->HandleCommand(Command::Exit);
            QVERIFY(window->Ended());
            QCOMPARE(f.store.writes.size(), size_t(1));
            CMacroLibrary reloaded;
            QVERIFY(reloaded.LoadFrom(file));
            QCOMPARE(Shape(reloaded.Root()), std::string("My Macros(Daily(Backup))"));
            QVERIFY(std::filesystem::exists(f.home + "/Macros.bak"));
        }
    }

    void aFailedSaveOnExitAsksAndCanStay() {
        Fixture f;
        auto window = f.Make();
        window->Library().File().libraryPath = f.home + "/missing/Macros.mcf";
        f.messages.answer = MessageAnswer::No;
        window->HandleCommand(Command::Exit);
        QVERIFY(!window->Ended());
        QCOMPARE(f.messages.shown.back().title, std::string("Save Failed"));
        QVERIFY(f.store.writes.empty());
        f.messages.answer = MessageAnswer::Yes;
        window->HandleCommand(Command::Exit);
        QVERIFY(window->Ended());
    }

    // A library cut short: the backup is offered; whatever the answer, Exit
    // keeps the damaged file aside and never copies it over the backup.
    void aDamagedLibraryNeverDestroysItsBackup() {
        ScopedTimeZone zone("UTC0");
        for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
            Fixture f;
            const std::string file = f.home + "/Macros.mcf";
            const std::string backup = f.home + "/Macros.bak";
            std::filesystem::copy_file(file, backup);
            const std::string good = ReadFile(file);
            const std::string damaged = good.substr(0, good.size() - 10);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << damaged;
            f.messages.answer = answer;
            auto window = f.Make();
            QCOMPARE(f.messages.shown.size(), size_t(2));
            QCOMPARE(f.messages.shown[0].title, std::string("Bad Load"));
            QCOMPARE(f.messages.shown[1].title, std::string("Restore Macros?"));
            const std::string shape = Shape(window->Library().Root());
            QCOMPARE(shape,
                     std::string(answer == MessageAnswer::Yes ? "My Macros(Daily(Backup),Tidy)"
                                                              : "My Macros"));
            window->HandleCommand(Command::Exit);
            QVERIFY(window->Ended());
            QCOMPARE(ReadFile(backup), good);
            const std::string kept = f.home + "/Macros.mcf.damaged-20231114-221320";
            QCOMPARE(ReadFile(kept), damaged);
            QVERIFY(f.messages.shown.back().text.find(kept) != std::string::npos);
            CMacroLibrary saved;
            QVERIFY(saved.LoadFrom(file));
            QCOMPARE(Shape(saved.Root()), shape);
        }
    }

    // Edits of a run that was killed come back at the next start (Yes), or
    // are kept aside under a dated name (No).
    void anUncleanEndOffersTheUnsavedChanges() {
        ScopedTimeZone zone("UTC0");
        for (const MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
            Fixture f;
            const std::string file = f.home + "/Macros.mcf";
            {
                auto window = f.Make();
                window->Library().InsertRecord(Record("Unsaved"), 1, InsertPosition::Into);
                window->OnTimerTick();
                f.clock.Advance(1);
                window->OnTimerTick();
                QVERIFY(std::filesystem::exists(file + ".recovery"));
            } // gone without saving, as after a kill
            f.messages.answer = answer;
            auto window = f.Make();
            QCOMPARE(f.messages.shown.size(), size_t(1));
            QCOMPARE(f.messages.shown[0].title, std::string("Restore Unsaved Changes?"));
            QVERIFY(!std::filesystem::exists(file + ".recovery"));
            CMacroLibrary saved;
            QVERIFY(saved.LoadFrom(file));
            const bool restored = answer == MessageAnswer::Yes;
            const std::string expected = restored ? "My Macros(Daily(Backup),Tidy,Unsaved)"
                                                  : "My Macros(Daily(Backup),Tidy)";
            QCOMPARE(Shape(saved.Root()), expected);
            QCOMPARE(Shape(window->Library().Root()), expected);
            QCOMPARE(std::filesystem::exists(file + ".recovery-20231114-221321"), !restored);
        }
    }

    void endOfMacroStartsTheNextQueued() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        const int32_t backup = f.Id(w, "Backup"), tidy = f.Id(w, "Tidy");
        QVERIFY(w.RunQueue().EnqueueMacro(backup));
        QVERIFY(w.RunQueue().EnqueueMacro(tidy));
        w.RunQueue().RunNextQueued();
        QCOMPARE(f.runner.started, std::vector<std::string>{"Backup"});
        QCOMPARE(w.RunQueue().Count(), 1);
        // The end arrives from a worker thread and waits until handled.
        bool returned = false;
        std::thread worker([&] {
            w.MacroFinished();
            returned = true;
        });
        QTRY_VERIFY(f.runner.started.size() == 2);
        worker.join();
        QVERIFY(returned);
        QCOMPARE(f.runner.started[1], std::string("Tidy"));
        QVERIFY(w.RunQueue().IsRunning());
        w.HandleCommand(Command::MacroFinished);
        QVERIFY(!w.RunQueue().IsRunning());
        QVERIFY(!w.CommandAction(Command::Stop)->isEnabled());
    }

    void startsShowOnTheOutputAndLogPages() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        w.OutputPage()->AppendOutput("old output\n");
        const int32_t tidy = f.Id(w, "Tidy");
        w.Tree()->setCurrentItem(w.Tree()->FindItem(tidy));
        w.HandleCommand(MacroCommand::kExecute);
        const QString lastRunText = QStringLiteral("Tuesday, November 14, 2023; at 22:13:20");
        QCOMPARE(w.OutputPage()->OutputText(), QString());
        QCOMPARE(w.OutputPage()->LastRunText(), QStringLiteral("Tidy: Run on ") + lastRunText);
        QCOMPARE(w.LogPage()->DisplayText(), lastRunText + QStringLiteral("\t\tTidy\n"));
        QCOMPARE(ReadFile(f.home + "/Wingmate.log"), lastRunText.toStdString() + "\t\tTidy\n");
        w.HandleCommand(Command::MacroFinished);
        w.HandleCommand(MacroCommand::kExecute);
        // A new start empties the output box but not the Log display.
        QCOMPARE(w.LogPage()->DisplayText().count(QLatin1Char('\n')), 2);

        w.HandleCommand(Command::ClearLogDisplay);
        QCOMPARE(w.LogPage()->DisplayText(), QString());
        w.HandleCommand(Command::ClearLogFile);
        QCOMPARE(ReadFile(f.home + "/Wingmate.log"), std::string());
    }

    void outputPageShowsLinesFromAnyThread() {
        CRecordingMessageBox messages;
        COutputPage page;
        page.AppendOutput("one\ntwo");
        page.AppendOutput("\r\nthree\n");
        QCOMPARE(page.OutputText(), QStringLiteral("one\ntwo\nthree\n"));
        QCOMPARE(page.LastOutputText(), std::string("\r\nthree\n"));
        std::thread worker([&] { page.AppendOutput("from a worker\n"); });
        worker.join();
        QCOMPARE(page.LastOutputText(), std::string("from a worker\n"));
        QTRY_COMPARE(page.OutputText(), QStringLiteral("one\ntwo\nthree\nfrom a worker\n"));
        page.ClearOutput();
        QCOMPARE(page.OutputText(), QString());
        // The box keeps the newest text within its limit.
        page.AppendOutput(std::string(COutputPage::kOutputLimit, 'a'));
        page.AppendOutput("tail");
        QCOMPARE(page.OutputText().size(), qsizetype(COutputPage::kOutputLimit));
        QVERIFY(page.OutputText().endsWith(QStringLiteral("aatail")));
    }

    void logPageSavesACopyOrSaysItCouldNot() {
        QTemporaryDir dir;
        CRecordingMessageBox messages;
        CRunLog runLog;
        CLogPage page(messages, runLog);
        const std::string log = dir.filePath(QStringLiteral("Wingmate.log")).toStdString();
        page.RunLog().SetPath(log);
        page.RunLog().AppendLine("first\rsecond");
        QCOMPARE(page.DisplayText(), QStringLiteral("first\nsecond\n"));

        QString target = dir.filePath(QStringLiteral("copy.log"));
        page.SetSavePathChooser([&](QWidget*) { return target; });
        page.findChild<QPushButton*>(QStringLiteral("saveLogFileAs"))->click();
        QCOMPARE(ReadFile(target.toStdString()), std::string("first\rsecond\n"));
        target = dir.filePath(QStringLiteral("no/such/folder/copy.log"));
        page.SaveLogFileAs();
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(messages.shown[0].text, std::string("Could not save Log File"));
        target.clear(); // cancelled: nothing happens
        page.SaveLogFileAs();
        QCOMPARE(messages.shown.size(), size_t(1));
        page.findChild<QPushButton*>(QStringLiteral("clearDisplay"))->click();
        QCOMPARE(page.DisplayText(), QString());
        QCOMPARE(page.RunLog().DisplayLineCount(), 0);
    }

    void helpAndRecordDeclarationsSayWhyTheyFail() {
        Fixture f;
        auto window = f.Make();
        window->HandleCommand(Command::HelpWingmate);
        QCOMPARE(f.messages.shown.back().text,
                 "Could not open help file: " + f.home + "/help/Wingmate.html");
        QCOMPARE(f.messages.shown.back().title, std::string("Failed to open Help"));
        QVERIFY(f.opened.empty());
        std::filesystem::create_directories(f.home + "/help");
        std::ofstream(f.home + "/help/Tessera.html") << "x";
        window->HandleCommand(Command::HelpTessera);
        QCOMPARE(f.opened, std::vector<std::string>{f.home + "/help/Tessera.html"});

        // The home folder's Glimmer comes before the one built beside the tests.
        std::ofstream(f.home + "/Glimmer") << "x";
        f.launcher.result = {false, ENOENT};
        window->HandleCommand(Command::RecordDeclarations);
        QCOMPARE(f.launcher.calls, std::vector<std::string>{f.home + "/Glimmer"});
        QVERIFY(f.messages.shown.back().text.rfind("Could Not Find File: " + f.home + "/Glimmer",
                                                   0) == 0);
    }

    void hookReportsFromItsThreadRunTheTriggeredMacro() {
        Fixture f;
        auto window = f.Make();
        QVERIFY(f.report);
        std::thread hookThread([&] {
            f.report(1, CKeyHook::kKeyDown, vk::Ctrl);
            f.report(1, CKeyHook::kKeyDown, 'K');
        });
        hookThread.join();
        QTRY_COMPARE(f.runner.started, std::vector<std::string>{"Backup"});
    }

    void idleSchedulerPassesLeaveTheHookInPlace() {
        Fixture f;
        auto window = f.Make();
        const auto calls = f.hookPort->calls;
        QCOMPARE(std::count(calls.begin(), calls.end(), "Init"), 1);
        for (int i = 0; i < 4; ++i)
            window->OnTimerTick();
        QCOMPARE(f.hookPort->calls, calls);
        // A run releases it and its end puts it back once.
        window->RunQueue().EnqueueMacro(f.Id(*window, "Tidy"));
        window->RunQueue().RunNextQueued();
        QCOMPARE(f.hookPort->calls.back(), std::string("Release"));
        window->MacroFinished();
        window->OnTimerTick();
        const auto after = f.hookPort->calls;
        QCOMPARE(std::count(after.begin(), after.end(), "Init"), 2);
    }

    // After a trigger started a macro, Disable Triggers still finds the hook
    // installed and releases it.
    void disableTriggersAfterATriggerReleasesTheHook() {
        Fixture f;
        auto window = f.Make();
        f.report(1, CKeyHook::kKeyDown, vk::Ctrl);
        f.report(1, CKeyHook::kKeyDown, 'K');
        QTRY_COMPARE(f.runner.started, std::vector<std::string>{"Backup"});
        QCOMPARE(f.hookPort->calls.back(), std::string("Init"));
        window->HandleCommand(Command::DisableTriggers);
        QCOMPARE(f.hookPort->calls.back(), std::string("Release"));
    }

    // Opening an entry on the Manager tab from another tab reads the form
    // once (leaving the old tab), not again after it was filled.
    void showManagerTabFromAnotherTabDoesNotCommitAgain() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        CFakeManagerForm form;
        w.SetManagerPage(new QWidget, &form);
        w.Tabs()->setCurrentIndex(1);
        w.SelectMacro(f.Id(w, "Tidy"));
        form.calls.clear();
        w.ShowManagerTab();
        QCOMPARE(w.Tabs()->currentIndex(), 0);
        QCOMPARE(std::count(form.calls.begin(), form.calls.end(), "ReadForm"), 0);
    }

    void anUnavailableHookIsSaidInTheStatusBar() {
        Fixture f;
        f.services.makeKeyHook = [](KeyHookReportFn, std::string* why) {
            *why = "Trigger keys are unavailable: DISPLAY is not set.";
            return std::unique_ptr<IKeyHook>();
        };
        auto window = f.Make();
        QVERIFY(f.messages.shown.empty());
        auto* note = window->statusBar()->findChild<QLabel*>(QStringLiteral("hookProblem"));
        QVERIFY(note);
        QCOMPARE(note->text(), QStringLiteral("Trigger keys are unavailable: DISPLAY is not set."));
    }

    void inputPromptAndAlertRunOnTheWindowThread() {
        QWidget owner;
        CQtInputPrompt prompt(&owner);
        QThread* asked = nullptr;
        prompt.SetAsker([&](const std::string& instructions) -> std::optional<std::string> {
            asked = QThread::currentThread();
            return instructions + " answered";
        });
        std::optional<std::string> answer;
        std::thread worker([&] { answer = prompt.AskInput("Name?"); });
        QTRY_VERIFY(answer.has_value());
        worker.join();
        QCOMPARE(*answer, std::string("Name? answered"));
        QCOMPARE(asked, owner.thread());

        CRecordingMessageBox messages;
        auto alert = MakeAlertFn(&owner, messages);
        DesktopResult result;
        std::thread scriptThread([&] { result = alert("Done!"); });
        QTRY_COMPARE(messages.shown.size(), size_t(1));
        scriptThread.join();
        QVERIFY(result.ok);
        QCOMPARE(messages.shown[0].text, std::string("Done!"));

        CInputDlg dialog(QStringLiteral("Type it"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tessera - Input Required"));
        QCOMPARE(dialog.instructionsBox->toPlainText(), QStringLiteral("Type it"));
        dialog.inputLine->setText(QStringLiteral("typed"));
        dialog.reject();
        QCOMPARE(dialog.EnteredText(), QString());
        dialog.accept();
        QCOMPARE(dialog.EnteredText(), QStringLiteral("typed"));
    }

    // A script's dialogs are the window's; its notifications take the path
    // of the failed-macro notification.
    void scriptDialogsBelongToTheWindow() {
        Fixture f;
        auto window = f.Make();
        IScriptDialogs& dialogs = window->ScriptDialogs();
        QPointer<QDialog> shown;
        connect(static_cast<CQtScriptDialogs*>(&dialogs), &CQtScriptDialogs::DialogShown, this,
                [&shown](QDialog* dialog) { shown = dialog; });
        std::atomic<bool> yes{true};
        std::thread script([&] {
            bool answer = true;
            dialogs.Notify("Backup", "done", [] { return false; });
            dialogs.Confirm("Sure?", answer, [] { return false; });
            yes = answer;
        });
        QTRY_VERIFY(shown);
        QCOMPARE(shown->parentWidget(), window.get());
        QTest::keyClick(shown, Qt::Key_Escape);
        QTRY_VERIFY(!shown || !shown->isVisible());
        script.join();
        QVERIFY(!yes);
        QCOMPARE(f.notifier.shown, std::vector<std::string>{"Backup | done"});
    }

    void wingmatectlRunIsQueuedThroughTheSocket() {
        Fixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("wingmate.sock"));
        CWingmateApp app(f.messages, path);
        QVERIFY(app.ClaimInstance());
        auto window = f.Make();
        connect(&app, &CWingmateApp::requestReceived, window.get(),
                &CMainDlg::HandleInstanceRequest);
        std::string answer, error;
        bool reached = false, done = false;
        std::thread client([&] {
            SendInstanceRequest(path.toStdString(), "run Tidy", answer, error, reached);
            done = true;
        });
        QTRY_VERIFY(done);
        client.join();
        QVERIFY(reached);
        QCOMPARE(answer, "queued\t" + std::to_string(f.Id(*window, "Tidy")) + "\tTidy");
        QCOMPARE(f.runner.started, std::vector<std::string>{"Tidy"});

        done = false;
        std::thread refused([&] {
            SendInstanceRequest(path.toStdString(), "run Daily", answer, error, reached);
            done = true;
        });
        QTRY_VERIFY(done);
        refused.join();
        QCOMPARE(answer, std::string("refused\t\"Daily\" is a macro set"));

        // Tidy is still running: status names it.
        done = false;
        std::thread status([&] {
            SendInstanceRequest(path.toStdString(), "status", answer, error, reached);
            done = true;
        });
        QTRY_VERIFY(done);
        status.join();
        const auto parsed = ParseStatusAnswer(answer);
        QVERIFY2(parsed.has_value(), answer.c_str());
        QVERIFY(parsed->running.has_value());
        QCOMPARE(parsed->running->name, std::string("Tidy"));
        QVERIFY(parsed->queued.empty());
        QVERIFY(parsed->schedulerEnabled);
    }
};

QTEST_MAIN(MainDlgQtTest)
#include "MainDlgQtTest.moc"
