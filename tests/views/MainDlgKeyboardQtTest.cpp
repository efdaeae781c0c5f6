// The main window from the keyboard alone (the tree's arrow keys and the
// menu keys, the quick menu), what Escape asks before it ends the program,
// and failures said with their reason: a save on a full disk, run-log lines
// lost.

#include "MainDlgFixture.h"

#include "fakes/TestFiles.h"
#include "library/AtomicFile.h"
#include "views/LogPage.h"
#include "views/ManagerPage.h"
#include "views/PopupTree.h"
#include "views/QuickMenuDlg.h"
#include "views/SchedulerPage.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <cerrno>

namespace {

// Shows the window and puts the focus in the tree, on its first item.
void FocusTree(CMainDlg& window) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.Tree()->setFocus();
    QTRY_VERIFY(window.Tree()->hasFocus());
    QTest::keyClick(window.Tree(), Qt::Key_Home);
}

// A style whose menu bar does or does not take the focus on Alt alone.
class CAltNavigationStyle : public QProxyStyle {
public:
    explicit CAltNavigationStyle(bool altNavigation)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), alt(altNavigation) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return alt ? 1 : 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

private:
    bool alt;
};

// The real Manager and Scheduler pages in place of the placeholders.
void ConnectRealPages(Fixture& f, CMainDlg& w) {
    auto* manager = new CManagerPage(w.Library(), w, f.messages, &f.clock);
    auto* scheduler = new CSchedulerPage(w.Library(), w, f.messages, &f.clock);
    w.SetManagerPage(manager, manager);
    w.SetSchedulerPage(scheduler, scheduler);
}

// A library change that is saved, so only the schedule is left to lose.
void ScheduleAndSave(Fixture& f, CMainDlg& window, const std::string& name) {
    CMacro record = *window.Library().FindById(f.Id(window, name));
    record.scheduleType = 2;
    record.startDate = "1\\1\\2020";
    record.startTime = "08:00:00";
    QVERIFY(window.Library().UpdateRecord(record));
    window.HandleCommand(Command::SaveMacros);
    QVERIFY(f.messages.shown.empty());
}

} // namespace

class MainDlgKeyboardQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetAtomicWriteFaultForTesting({}); }

    // The arrow keys alone move to an entry; the menu keys then act on it
    // (they follow the caret however it moved, not only a click).
    void arrowKeysThenMenuKeysActOnTheEntry_data() {
        QTest::addColumn<int>("downs");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("effect");
        // My Macros, Daily, Backup, Tidy.
        QTest::newRow("F5 runs Tidy") << 3 << QKeySequence(Qt::Key_F5) << "started Tidy";
        QTest::newRow("Del deletes Tidy") << 3 << QKeySequence(QKeySequence::Delete) << "Tidy gone";
        QTest::newRow("copy Backup") << 2 << QKeySequence(QKeySequence::Copy) << "clipboard Backup";
        QTest::newRow("cut Daily") << 1 << QKeySequence(QKeySequence::Cut) << "Daily gone";
        QTest::newRow("F5 on a set runs nothing") << 1 << QKeySequence(Qt::Key_F5) << "nothing";
        QTest::newRow("Del on the root deletes nothing")
            << 0 << QKeySequence(QKeySequence::Delete) << "nothing";
    }
    void arrowKeysThenMenuKeysActOnTheEntry() {
        QFETCH(int, downs);
        QFETCH(QKeySequence, keys);
        QFETCH(QString, effect);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        FocusTree(w);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(w.Tree(), Qt::Key_Down);
        QTest::keySequence(w.Tree(), keys);
        if (effect == QStringLiteral("started Tidy")) {
            QCOMPARE(f.runner.started, std::vector<std::string>{"Tidy"});
        } else if (effect.endsWith(QStringLiteral(" gone"))) {
            QCOMPARE(f.Id(w, effect.section(QLatin1Char(' '), 0, 0).toStdString()), 0);
        } else if (effect == QStringLiteral("clipboard Backup")) {
            QVERIFY(w.Library().Clipboard());
            QCOMPARE(w.Library().Clipboard()->name, std::string("Backup"));
        } else {
            QVERIFY(f.runner.started.empty());
            QCOMPARE(Shape(w.Library().Root()), std::string("My Macros(Daily(Backup),Tidy)"));
        }
    }

    // A screen reader can name the lists, the calendar and its arrows and the
    // text boxes, each differently.
    void controlsCarryAccessibleNames() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        ConnectRealPages(f, w);
        QSet<QString> names;
        for (const char* objectName :
             {"macroTree", "dayList", "calendar", "qt_calendar_prevmonth", "qt_calendar_nextmonth",
              "outputBox", "logDisplay", "lastRun", "lastRunEdit"}) {
            const auto* control = w.findChild<QWidget*>(QString::fromLatin1(objectName));
            QVERIFY2(control, objectName);
            QVERIFY2(!control->accessibleName().isEmpty(), objectName);
            names.insert(control->accessibleName());
        }
        QCOMPARE(names.size(), 9);
    }

    // The quick menu without a mouse: the arrows move, Enter runs the macro
    // or opens and closes a set, Escape cancels.
    void quickMenuWorksFromTheKeyboard_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("started");
        QTest::addColumn<bool>("dailyOpen");
        const int down = Qt::Key_Down, enter = Qt::Key_Return, escape = Qt::Key_Escape;
        QTest::newRow("down to Tidy, Enter")
            << QList<int>{down, down, down, down, enter} << "Tidy" << true;
        QTest::newRow("down to Backup, keypad Enter")
            << QList<int>{down, down, down, int(Qt::Key_Enter)} << "Backup" << true;
        QTest::newRow("Enter on Daily closes it, Escape cancels")
            << QList<int>{down, down, enter, escape} << "" << false;
        QTest::newRow("Escape after moving runs nothing")
            << QList<int>{down, down, down, escape} << "" << true;
        QTest::newRow("Enter with nothing highlighted runs nothing")
            << QList<int>{enter} << "" << true;
    }
    void quickMenuWorksFromTheKeyboard() {
        QFETCH(QList<int>, keys);
        QFETCH(QString, started);
        QFETCH(bool, dailyOpen);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        bool dailyWasOpen = true;
        bool reached = false, treeHadFocus = false;
        QTimer::singleShot(0, &w, [&] {
            auto* menu = qobject_cast<CQuickMenuDlg*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            reached = true;
            treeHadFocus = menu->Tree()->hasFocus();
            for (int key : keys) {
                QTest::keyClick(menu->Tree(), Qt::Key(key));
                if (!menu->isVisible())
                    return;
                dailyWasOpen = menu->Tree()
                                   ->findItems(QStringLiteral("Daily"), Qt::MatchRecursive)
                                   .front()
                                   ->isExpanded();
            }
            if (menu->isVisible())
                menu->reject();
        });
        w.ShowQuickMenu(QPoint(400, 400));
        QVERIFY(reached);
        QVERIFY(treeHadFocus);
        const std::vector<std::string> expected =
            started.isEmpty() ? std::vector<std::string>{}
                              : std::vector<std::string>{started.toStdString()};
        QCOMPARE(f.runner.started, expected);
        if (started.isEmpty())
            QCOMPARE(dailyWasOpen, dailyOpen);
    }

    // Escape keeps its meaning (end without saving) but asks first, No being
    // the default, when schedules would stop or edits would be lost.
    void escapeAsksFirstWhenSomethingWouldBeLost_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("question"); // empty: ends at once
        const QString schedules = QStringLiteral(
            "End Wingmate? Scheduled macros will not run until it is started again.");
        const QString edits = QStringLiteral("\nThe changes to the macros have not been saved.");
        QTest::newRow("nothing to lose") << "none"
                                         << "";
        QTest::newRow("a repeated schedule") << "schedule" << schedules;
        QTest::newRow("a schedule, scheduler disabled") << "schedule, disabled"
                                                        << "";
        QTest::newRow("a library edit") << "library edit"
                                        << "End Wingmate?" + edits;
        QTest::newRow("a form edit not yet committed") << "form edit"
                                                       << "End Wingmate?" + edits;
    }
    void escapeAsksFirstWhenSomethingWouldBeLost() {
        QFETCH(QString, situation);
        QFETCH(QString, question);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        CFakeManagerForm form;
        w.SetManagerPage(new QWidget, &form);
        if (situation.startsWith(QStringLiteral("schedule")))
            ScheduleAndSave(f, w, "Tidy");
        if (situation.endsWith(QStringLiteral("disabled")))
            w.HandleCommand(Command::DisableScheduler);
        if (situation == QStringLiteral("library edit"))
            w.Library().RemoveNode(f.Id(w, "Tidy"));
        form.edited = situation == QStringLiteral("form edit");
        const std::string saved = ReadFile(f.home + "/Macros.mcf");
        FocusTree(w);

        f.messages.answer = MessageAnswer::No;
        QTest::keyClick(w.Tree(), Qt::Key_Escape);
        if (question.isEmpty()) {
            QVERIFY(f.messages.shown.empty());
            QVERIFY(w.Ended());
            return;
        }
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(f.messages.shown[0].text), question);
        QVERIFY(f.messages.shown[0].buttons == MessageButtons::YesNoDefaultNo);
        QVERIFY(!w.Ended());
        f.messages.answer = MessageAnswer::Yes;
        QTest::keyClick(w.Tree(), Qt::Key_Escape);
        QVERIFY(w.Ended());
        QCOMPARE(ReadFile(f.home + "/Macros.mcf"), saved); // still nothing saved
    }

    // Alt with a page's letter opens the menu bar's menu, whichever page is
    // shown: no label or button of a page takes a menu's letter, and no two
    // controls of a page share one.
    void pageMnemonicsLeaveTheMenusTheirKeys_data() {
        QTest::addColumn<int>("tab");
        QTest::newRow("Manager") << 0;
        QTest::newRow("Scheduler") << 1;
        QTest::newRow("Output") << 2;
        QTest::newRow("Log") << 3;
    }
    void pageMnemonicsLeaveTheMenusTheirKeys() {
        QFETCH(int, tab);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        ConnectRealPages(f, w);
        auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("pages"));
        tabs->setCurrentIndex(tab);
        QMap<QKeySequence, QString> menus;
        for (QAction* menu : w.menuBar()->actions())
            if (!menu->isSeparator())
                menus.insert(QKeySequence::mnemonic(menu->text()), menu->text());
        QCOMPARE(menus.size(), 7);
        QMap<QKeySequence, QString> taken;
        for (QWidget* control : tabs->currentWidget()->findChildren<QWidget*>()) {
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                text = button->text();
            else if (auto* label = qobject_cast<QLabel*>(control); label && label->buddy())
                text = label->text();
            else if (auto* group = qobject_cast<QGroupBox*>(control))
                text = group->title();
            const QKeySequence key = QKeySequence::mnemonic(text);
            if (key.isEmpty())
                continue;
            QVERIFY2(!menus.contains(key),
                     qPrintable(text + " takes the key of " + menus.value(key)));
            QVERIFY2(!taken.contains(key),
                     qPrintable(text + " shares its key with " + taken.value(key)));
            taken.insert(key, text);
        }
        // And the keys reach the menus from the page's first control.
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QWidget* control : tabs->currentWidget()->findChildren<QWidget*>())
            if (control->isVisible() && (control->focusPolicy() & Qt::TabFocus)) {
                control->setFocus();
                break;
            }
        for (auto menu = menus.cbegin(); menu != menus.cend(); ++menu) {
            QTest::keySequence(QApplication::focusWidget(), menu.key());
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY2(popup && popup->title() == menu.value(), qPrintable(menu.value()));
            popup->close();
        }
    }

    // Alt alone reaches for the menu bar; Escape after it takes that back
    // and never ends the program, whether the style lets the bar take the
    // focus or not. Escape alone still ends it.
    void escapeAfterAltDoesNotEnd_data() {
        QTest::addColumn<bool>("barTakesFocus");
        QTest::newRow("bar takes the focus") << true;
        QTest::newRow("bar keeps no focus") << false;
    }
    void escapeAfterAltDoesNotEnd() {
        QFETCH(bool, barTakesFocus);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        CAltNavigationStyle barStyle(barTakesFocus);
        w.menuBar()->setStyle(&barStyle);
        FocusTree(w);
        QTest::keyPress(w.Tree(), Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(w.Tree(), Qt::Key_Alt);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!w.Ended());
        QVERIFY(f.messages.shown.empty());
        QTRY_VERIFY(w.Tree()->hasFocus());
        QTest::keyClick(w.Tree(), Qt::Key_Escape);
        QVERIFY(w.Ended());
    }

    // A failed save names the file and the system's reason; Exit's question
    // then defaults to staying.
    void aFailedSaveSaysWhy_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("Save Macros, disk full")
            << int(Command::SaveMacros) << ENOSPC << "No space left on device";
        QTest::newRow("Exit, disk full")
            << int(Command::Exit) << ENOSPC << "No space left on device";
        QTest::newRow("Save Macros, read-only")
            << int(Command::SaveMacros) << EROFS << "Read-only file system";
    }
    void aFailedSaveSaysWhy() {
        QFETCH(int, command);
        QFETCH(int, error);
        QFETCH(QString, reason);
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        const std::string library = w.Library().File().libraryPath;
        const std::string before = ReadFile(library);
        SetAtomicWriteFaultForTesting(
            [&](const std::string& target, AtomicWriteStage stage, size_t) {
                return target == library && stage == AtomicWriteStage::Write ? error : 0;
            });
        w.Library().RemoveNode(f.Id(w, "Tidy"));
        f.messages.answer = MessageAnswer::No;
        w.HandleCommand(command);
        QVERIFY(!w.Ended());
        QCOMPARE(f.messages.shown.size(), size_t(1));
        const auto& shown = f.messages.shown[0];
        QCOMPARE(shown.title, std::string("Save Failed"));
        const QString text = QString::fromStdString(shown.text);
        QVERIFY2(text.startsWith(QString::fromStdString("Could not save: " + library + "\n")),
                 shown.text.c_str());
        QVERIFY2(text.contains(reason), shown.text.c_str());
        QVERIFY(shown.buttons == (command == int(Command::Exit) ? MessageButtons::YesNoDefaultNo
                                                                : MessageButtons::Ok));
        QCOMPARE(ReadFile(library), before);
    }

    // Run-log lines lost (a full disk) are said once in the status bar, not
    // once per line; a line written again ends it, and a new failure is said
    // again.
    void lostRunLogLinesAreSaidOnceInTheStatusBar() {
        Fixture f;
        auto window = f.Make();
        CMainDlg& w = *window;
        QSignalSpy spy(w.statusBar(), &QStatusBar::messageChanged);
        const auto said = [&spy] {
            int count = 0;
            for (const QList<QVariant>& signal : spy)
                count += signal.at(0).toString().contains(QStringLiteral("Run log lines")) ? 1 : 0;
            return count;
        };
        CRunLog& log = w.LogPage()->RunLog();
        const std::string path = log.Path();
        log.SetPath("/dev/full");
        const int32_t tidy = f.Id(w, "Tidy");
        for (int run = 0; run < 3; ++run) {
            w.RunQueue().EnqueueMacro(tidy);
            w.RunQueue().RunNextQueued();
            w.HandleCommand(Command::MacroFinished);
        }
        QCOMPARE(f.runner.started.size(), size_t(3));
        QCOMPARE(said(), 1);
        QVERIFY(w.statusBar()->currentMessage().contains(
            QStringLiteral("/dev/full: No space left on device")));
        log.SetPath(path);
        log.AppendLine("written");
        QVERIFY(w.statusBar()->currentMessage().isEmpty());
        log.SetPath("/dev/full");
        log.AppendLine("lost");
        log.AppendLine("lost");
        QCOMPARE(said(), 2);
    }
};

QTEST_MAIN(MainDlgKeyboardQtTest)
#include "MainDlgKeyboardQtTest.moc"
