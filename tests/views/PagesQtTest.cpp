// The Manager and Scheduler pages and the trigger-key box, driven through
// their controls against a real library and a stand-in main window.

#include "FakeMainWindow.h"
#include "QtTestUtil.h"

#include "fakes/FakeKeyHook.h"
#include "fakes/FakeWindowPicker.h"
#include "fakes/Fakes.h"
#include "library/LibraryTestUtil.h"
#include "library/WindowFilter.h"
#include "schedule/RunQueuePorts.h"
#include "triggers/KeyHook.h"
#include "triggers/TriggerEdit.h"
#include "views/ManagerPage.h"
#include "views/QtText.h"
#include "views/SchedulerPage.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QTimeEdit>
#include <QtTest>

#include <memory>

namespace {

constexpr int32_t kSet = 2;
// 2024-05-09 14:05:06 UTC (ctest runs the Qt tests with TZ=UTC).
constexpr int64_t kNow = 1715263506;

// The key-hook control the trigger box talks to, wired to a CKeyHook.
class HookControl : public IKeyHookControl {
public:
    explicit HookControl(CKeyHook& wrapped) : hook(wrapped) {}
    void Install() override { hook.Install(); }
    void Release() override { hook.Release(); }
    void ResetKeys() override { hook.ResetKeys(); }
    CKeyHook& hook;
};

int CountNodes(const CMacroLibrary& library) {
    int count = 0;
    CMacroLibrary::ForEachPreOrder(library.Root(), [&](CMacroNode&) {
        ++count;
        return true;
    });
    return count;
}

} // namespace

class PagesQtTest : public QObject {
    Q_OBJECT

    // R (set) { Tools (set) { t1 }, Empty (set), A, B }
    struct Fixture {
        Fixture() : window(library) {
            root = library.InsertRecord(Record("My Macros", kSet), -1, InsertPosition::Into);
            tools = library.InsertRecord(Record("Tools", kSet), root, InsertPosition::Into);
            t1 = library.InsertRecord(Record("t1"), tools, InsertPosition::Into);
            empty = library.InsertRecord(Record("Empty", kSet), root, InsertPosition::Into);
            a = library.InsertRecord(Record("A"), root, InsertPosition::Into);
            b = library.InsertRecord(Record("B"), root, InsertPosition::Into);
            manager = std::make_unique<CManagerPage>(library, window, messages, &clock);
            scheduler = std::make_unique<CSchedulerPage>(library, window, messages, &clock);
            window.manager = manager.get();
            window.scheduler = scheduler.get();
        }
        CMacro Node(int32_t id) const { return *library.FindById(id); }

        CMacroLibrary library;
        CFakeMainWindow window;
        CRecordingMessageBox messages;
        CFakeClock clock{kNow};
        std::unique_ptr<CManagerPage> manager;
        std::unique_ptr<CSchedulerPage> scheduler;
        int32_t root = 0, tools = 0, t1 = 0, empty = 0, a = 0, b = 0;
    };

private Q_SLOTS:
    // ---- Manager page

    void addMacroWithEmptyNameAndBadFrequencyShowsBothMessagesAndAddsNothing() {
        Fixture f;
        const int before = CountNodes(f.library);
        f.manager->repeatedButton->setChecked(true);
        f.manager->unitList->setCurrentIndex(0);
        f.manager->frequencyEdit->setText(QStringLiteral("90000"));
        QTest::mouseClick(f.manager->addButton, Qt::LeftButton);
        QCOMPARE(f.messages.shown.size(), size_t(2));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Frequency must be in range (0 > x >= 86400) for this type"));
        QCOMPARE(f.messages.shown[0].title, std::string("Wingmate Error"));
        QCOMPARE(f.messages.shown[1].text, std::string("Macro must have a Name"));
        QCOMPARE(f.messages.shown[1].title, std::string("Wingmate Error"));
        QCOMPARE(f.manager->frequencyEdit->text(), QStringLiteral("86400"));
        QCOMPARE(CountNodes(f.library), before);
        QCOMPARE(f.manager->ShownId(), 0);
    }

    void addMacroGoesNextToTheCaret_data() {
        QTest::addColumn<QString>("caret");
        QTest::addColumn<QString>("shape");
        QTest::newRow("root") << "My Macros"
                              << "My Macros(Tools(t1),Empty,A,new,B)";
        QTest::newRow("none") << ""
                              << "My Macros(Tools(t1),Empty,A,new,B)";
        QTest::newRow("macro") << "A"
                               << "My Macros(Tools(t1),Empty,A,new,B)";
        QTest::newRow("set") << "Tools"
                             << "My Macros(Tools(t1,new),Empty,A,B)";
    }
    void addMacroGoesNextToTheCaret() {
        QFETCH(QString, caret);
        QFETCH(QString, shape);
        Fixture f;
        // "none" and "root" both append to the root: tell them apart from "macro".
        if (caret.isEmpty())
            f.library.RemoveNode(f.b);
        if (caret == QStringLiteral("My Macros"))
            f.library.RemoveNode(f.b);
        f.window.caretId = caret == QStringLiteral("A")       ? f.a
                           : caret == QStringLiteral("Tools") ? f.tools
                           : caret.isEmpty()                  ? 0
                                                              : f.root;
        if (caret.isEmpty() || caret == QStringLiteral("My Macros"))
            f.library.InsertRecord(Record("B"), f.root, InsertPosition::Into);

        f.window.SelectMacro(f.a); // the form shows A, with a last run
        f.manager->lastRunEdit->setText(QStringLiteral("Thursday, May 09, 2024; at 10:00:00"));
        f.manager->nameEdit->setText(QStringLiteral("new"));
        f.manager->descriptionEdit->setPlainText(QStringLiteral("made by the test"));
        QTest::mouseClick(f.manager->addButton, Qt::LeftButton);

        QVERIFY(f.messages.shown.empty());
        if (caret.isEmpty() || caret == QStringLiteral("My Macros"))
            QCOMPARE(QString::fromStdString(Shape(f.library.Root())),
                     QStringLiteral("My Macros(Tools(t1),Empty,A,B,new)"));
        else
            QCOMPARE(QString::fromStdString(Shape(f.library.Root())), shape);
        const int32_t added = f.manager->ShownId();
        QVERIFY(added > f.b);
        const CMacro record = f.Node(added);
        QCOMPARE(record.name, std::string("new"));
        QCOMPARE(record.description, std::string("made by the test"));
        QVERIFY(record.lastRunText.empty());
        QVERIFY(f.manager->lastRunEdit->text().isEmpty());
        QCOMPARE(f.Node(f.a).name, std::string("A")); // the shown entry is untouched
    }

    void macroSetBoxFollowsTheEntry() {
        Fixture f;
        f.window.SelectMacro(f.tools);
        QVERIFY(f.manager->macroSetBox->isChecked());
        QVERIFY(!f.manager->macroSetBox->isEnabled());
        QVERIFY(!f.manager->fileEdit->isEnabled());
        QVERIFY(!f.manager->triggerEdit->isEnabled());
        QVERIFY(!f.manager->repeatedButton->isEnabled());
        QVERIFY(f.manager->nameEdit->isEnabled());
        QVERIFY(f.manager->descriptionEdit->isEnabled());

        f.window.SelectMacro(f.root);
        QVERIFY(f.manager->macroSetBox->isChecked());
        QVERIFY(!f.manager->macroSetBox->isEnabled());

        // An empty set can become a macro.
        f.window.SelectMacro(f.empty);
        QVERIFY(f.manager->macroSetBox->isChecked());
        QVERIFY(f.manager->macroSetBox->isEnabled());
        f.manager->macroSetBox->setChecked(false);
        QVERIFY(f.manager->fileEdit->isEnabled());
        QVERIFY(f.manager->triggerEdit->isEnabled());
        f.window.CommitManagerForm();
        QCOMPARE(f.Node(f.empty).kind, 1);
    }

    void useTesseraEnablesTheExecutableBox() {
        Fixture f;
        f.window.SelectMacro(f.a);
        QVERIFY(f.manager->useTesseraBox->isChecked());
        QVERIFY(!f.manager->executableEdit->isEnabled());
        QVERIFY(!f.manager->executableBrowse->isEnabled());
        f.manager->useTesseraBox->click();
        QVERIFY(f.manager->executableEdit->isEnabled());
        QVERIFY(f.manager->executableBrowse->isEnabled());
        f.manager->executableEdit->setText(QStringLiteral("/usr/bin/xterm"));
        f.manager->useTesseraBox->click();
        QVERIFY(!f.manager->executableEdit->isEnabled());
        QCOMPARE(f.manager->executableEdit->text(), QStringLiteral("/usr/bin/xterm"));
    }

    // Every extras field goes into the entry on a commit and comes back when
    // the entry is shown again; another entry shows its own.
    void extrasRoundTripThroughTheForm_data() {
        QTest::addColumn<QString>("abbreviation");
        QTest::addColumn<bool>("immediately");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("byTitle");
        QTest::addColumn<bool>("exclude");
        QTest::newRow("abbreviation and text") << ";sig" << false << false << "Best regards,\n$|$"
                                               << "" << false << false;
        QTest::newRow("immediately, case, placeholders")
            << QString::fromUtf8("@@\u00fc") << true << true << "{date:%Y-%m-%d} {clipboard}"
            << "" << false << false;
        QTest::newRow("only in a class") << "" << false << false << ""
                                         << "xterm" << false << false;
        QTest::newRow("all but titles") << "" << false << false << ""
                                        << "re:^Pass(word)?" << true << true;
    }
    void extrasRoundTripThroughTheForm() {
        QFETCH(QString, abbreviation);
        QFETCH(bool, immediately);
        QFETCH(bool, matchCase);
        QFETCH(QString, replacement);
        QFETCH(QString, pattern);
        QFETCH(bool, byTitle);
        QFETCH(bool, exclude);
        Fixture f;
        CManagerPage& m = *f.manager;
        f.window.SelectMacro(f.a);
        m.abbreviationEdit->setText(abbreviation);
        m.expandImmediatelyBox->setChecked(immediately);
        m.matchCaseBox->setChecked(matchCase);
        m.replaceTextEdit->setPlainText(replacement);
        m.filterEdit->setText(pattern);
        m.filterFieldList->setCurrentIndex(byTitle ? 1 : 0);
        m.filterModeList->setCurrentIndex(exclude ? 1 : 0);
        f.window.SelectMacro(f.b); // commits A

        const MacroExtras stored = f.Node(f.a).extras;
        QCOMPARE(Text(stored.abbreviation), abbreviation);
        QCOMPARE(stored.expandImmediately, immediately);
        QCOMPARE(stored.matchCase, matchCase);
        QCOMPARE(Text(stored.replaceWithText), replacement);
        QCOMPARE(Text(stored.filter.pattern), pattern);
        QCOMPARE(stored.filter.matchTitle, byTitle);
        QCOMPARE(stored.filter.exclude, exclude);
        QVERIFY(f.Node(f.b).extras.Empty());
        QVERIFY(m.FormValues().extras.Empty()); // B shows its own (none)

        f.window.SelectMacro(f.a);
        QCOMPARE(m.FormValues().extras, stored);
        QVERIFY(!m.HasEdits());
    }

    // A field that cannot work is said under it and not stored: the entry
    // keeps its good value, the rest of the form commits, and the typing
    // stays in the box when the form is shown again.
    void badExtrasAreSaidAndNotStored_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("good");
        QTest::newRow("abbreviation too long")
            << "abbreviationEdit" << QString(33, QLatin1Char('a')) << false;
        QTest::newRow("32 characters of two bytes")
            << "abbreviationEdit" << QString(32, QChar(0xfc)) << true;
        QTest::newRow("regex that does not compile") << "filterEdit"
                                                     << "re:(draft" << false;
    }
    void badExtrasAreSaidAndNotStored() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(bool, good);
        Fixture f;
        CManagerPage& m = *f.manager;
        MacroExtras before;
        before.abbreviation = ";ok";
        before.filter.pattern = "xterm";
        f.library.SetExtras(f.a, before);
        f.window.SelectMacro(f.a);
        QVERIFY(m.extrasNote->isHidden());
        m.nameEdit->setText(QStringLiteral("A renamed"));
        auto* box = m.findChild<QLineEdit*>(field);
        box->setText(typed);
        const QLabel* note = m.extrasNote;
        QCOMPARE(note->isHidden(), good);
        // The sign is in the box the user typed in, and the note names it.
        const QAction* sign =
            field == QLatin1String("filterEdit") ? m.filterWarning : m.abbreviationWarning;
        QCOMPARE(sign->isVisible(), !good);
        QVERIFY(good || note->toolTip().startsWith(field == QLatin1String("filterEdit")
                                                       ? QStringLiteral("Windows matching:")
                                                       : QStringLiteral("Abbreviation:")));
        f.window.CommitManagerForm();

        QCOMPARE(f.Node(f.a).name, std::string("A renamed"));
        const MacroExtras after = f.Node(f.a).extras;
        const std::string stored =
            field == QLatin1String("filterEdit") ? after.filter.pattern : after.abbreviation;
        QCOMPARE(Text(stored),
                 good ? typed
                      : Text(field == QLatin1String("filterEdit") ? before.filter.pattern
                                                                  : before.abbreviation));
        QCOMPARE(box->text(), typed);
        QCOMPARE(note->isHidden(), good);
        QVERIFY(good || !note->toolTip().isEmpty());
        QCOMPARE(m.HasEdits(), !good);

        // A new entry made from the form does not take A's value instead.
        f.window.caretId = f.b;
        f.manager->AddMacro();
        const MacroExtras added = f.Node(f.manager->ShownId()).extras;
        QCOMPARE(
            Text(field == QLatin1String("filterEdit") ? added.filter.pattern : added.abbreviation),
            good ? typed : QString());
        QCOMPARE(m.HasEdits(), !good);
    }

    // Pick Window names the window clicked by the chosen part; a failed
    // pick says why and a cancelled one says nothing; neither changes the
    // filter.
    void pickWindowFillsTheFilter_data() {
        QTest::addColumn<bool>("byTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("failWith");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("message");
        QTest::newRow("class") << false << "~ - xterm"
                               << "XTerm"
                               << "" << false << "XTerm"
                               << "";
        QTest::newRow("instance when no class") << false << "~ - xterm"
                                                << ""
                                                << "" << false << "xterm"
                                                << "";
        QTest::newRow("title") << true << "Notes (draft).txt"
                               << "Mousepad"
                               << "" << false << "Notes (draft).txt"
                               << "";
        QTest::newRow("title that reads as a regex") << true << "re:(a.b)*"
                                                     << "Mousepad"
                                                     << "" << false << "re:^re\\:\\(a\\.b\\)\\*$"
                                                     << "";
        QTest::newRow("no title") << true << ""
                                  << "XTerm"
                                  << "" << false << "before"
                                  << "The window picked has no title.";
        QTest::newRow("grab failed") << false << ""
                                     << ""
                                     << "the pointer is grabbed" << false << "before"
                                     << "No window was picked: the pointer is grabbed";
        QTest::newRow("cancelled") << false << ""
                                   << ""
                                   << "" << true << "before"
                                   << "";
    }
    void pickWindowFillsTheFilter() {
        QFETCH(bool, byTitle);
        QFETCH(QString, title);
        QFETCH(QString, className);
        QFETCH(QString, failWith);
        QFETCH(bool, cancel);
        QFETCH(QString, pattern);
        QFETCH(QString, message);
        Fixture f;
        CFakeWindowPicker picker;
        picker.window = {title.toStdString(), "xterm", className.toStdString()};
        picker.failWith = failWith.toStdString();
        picker.cancel = cancel;
        CManagerPage& m = *f.manager;
        m.SetWindowPicker(&picker);
        f.window.SelectMacro(f.a);
        m.filterEdit->setText(QStringLiteral("before"));
        m.filterFieldList->setCurrentIndex(byTitle ? 1 : 0);
        QTest::mouseClick(m.pickWindowButton, Qt::LeftButton);
        QCOMPARE(picker.picks, 1);
        QCOMPARE(m.filterEdit->text(), pattern);
        QCOMPARE(f.messages.shown.empty(), message.isEmpty());
        if (!message.isEmpty())
            QCOMPARE(Text(f.messages.shown[0].text), message);
        if (message.isEmpty() && !cancel) {
            // The filter made of it lets the trigger work in that window.
            const ActiveWindow window{title.toStdString(), "xterm", className.toStdString()};
            QVERIFY(WindowFilterAllows(m.FormValues().extras.filter, &window));
        }
    }

    void scheduleTypeRuleSetsTheControls() {
        Fixture f;
        f.window.SelectMacro(f.a);
        f.manager->notScheduledButton->click();
        QVERIFY(!f.manager->frequencyEdit->isEnabled());
        QVERIFY(!f.manager->datePicker->isEnabled());
        QCOMPARE(f.manager->dateLabel->text(), QStringLiteral("On Date:"));
        f.manager->singleButton->click();
        QVERIFY(!f.manager->unitList->isEnabled());
        QVERIFY(f.manager->timePicker->isEnabled());
        f.manager->repeatedButton->click();
        QVERIFY(f.manager->unitList->isEnabled());
        QCOMPARE(f.manager->dateLabel->text(), QStringLiteral("Starting Date:"));
    }

    void selectingAfterClearFieldsCommitsNothing() {
        Fixture f;
        f.window.SelectMacro(f.a);
        f.manager->nameEdit->setText(QStringLiteral("A renamed"));
        QTest::mouseClick(f.manager->clearFieldsButton, Qt::LeftButton);
        QCOMPARE(f.Node(f.a).name, std::string("A renamed")); // Clear Fields commits first
        QCOMPARE(f.manager->ShownId(), 0);
        QVERIFY(f.manager->nameEdit->text().isEmpty());
        QCOMPARE(f.manager->unitList->currentText(), QStringLiteral("Day(s)"));

        f.manager->nameEdit->setText(QStringLiteral("draft"));
        f.window.committed.clear();
        f.window.SelectMacro(f.b);
        QVERIFY(f.window.committed.empty());
        QCOMPARE(f.Node(f.a).name, std::string("A renamed"));
        QCOMPARE(f.Node(f.b).name, std::string("B"));
        QCOMPARE(f.manager->ShownId(), f.b);
        QCOMPARE(f.manager->nameEdit->text(), QStringLiteral("B"));
    }

    void showMacroOfAnUnknownIdLeavesTheForm() {
        Fixture f;
        f.window.SelectMacro(f.a);
        CMacro ghost = Record("ghost", 1, 999);
        f.manager->ShowMacro(ghost);
        QCOMPARE(f.manager->ShownId(), f.a);
        QCOMPARE(f.manager->nameEdit->text(), QStringLiteral("A"));
    }

    void oldStartDatesSurviveTheForm() {
        Fixture f;
        CMacroNode* a = f.library.FindById(f.a);
        a->startDate = "7\\4\\1600";
        a->startTime = "9:0:0";
        f.window.SelectMacro(f.a);
        QCOMPARE(f.manager->ReadForm().startDate, std::string("7\\4\\1600"));
        f.scheduler->Update();
        QCOMPARE(f.Node(f.a).startDate, std::string("7\\4\\1600"));
    }

    void lastRunFollowsOnlyTheShownEntry() {
        Fixture f;
        f.window.SelectMacro(f.a);
        CMacro other = f.Node(f.b);
        other.lastRunText = "for B";
        f.manager->ShowLastRun(other);
        QVERIFY(f.manager->lastRunEdit->text().isEmpty());
        CMacro shown = f.Node(f.a);
        shown.lastRunText = "for A";
        f.manager->ShowLastRun(shown);
        QCOMPARE(f.manager->lastRunEdit->text(), QStringLiteral("for A"));
    }

    void browseReplacesTheTextOnlyOnOk() {
        Fixture f;
        QString answer = QStringLiteral("/home/u/Scripts/x.tsc");
        CManagerPage::BrowseKind asked{};
        f.manager->SetFileChooser([&](CManagerPage::BrowseKind kind, const QString&) {
            asked = kind;
            return answer;
        });
        f.manager->fileEdit->setText(QStringLiteral("old.tsc"));
        f.manager->Browse(CManagerPage::BrowseKind::ScriptFile);
        QCOMPARE(f.manager->fileEdit->text(), answer);
        answer.clear();
        f.manager->Browse(CManagerPage::BrowseKind::Executable);
        QVERIFY(asked == CManagerPage::BrowseKind::Executable);
        QVERIFY(f.manager->executableEdit->text().isEmpty());
    }

    // ---- the trigger-key box

    void triggerBoxRecordsKeysAndNeverEditsText() {
        CTriggerEdit edit;
        QTest::keyClick(&edit, Qt::Key_A);
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("<A>"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClick(&edit, Qt::Key_B, Qt::ShiftModifier);
        QTest::keyClick(&edit, Qt::Key_F4, Qt::AltModifier);
        QTest::keyClick(&edit, Qt::Key_VolumeUp);
        // The modifiers go down first and add their own tokens.
        QCOMPARE(edit.text(), QStringLiteral("<A><BKSP><LEFT><DEL><HOME><SHIFT><B><ALT><F4>"));
        QCOMPARE(edit.cursorPosition(), edit.text().size());

        edit.clear();
        edit.allowRepeat = true;
        edit.upperCase = false;
        QTest::keyClick(&edit, Qt::Key_A);
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("<a><a>"));

        // Window shortcuts and mnemonics never take a key from the box.
        QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_A, Qt::AltModifier,
                           QStringLiteral("a"));
        QApplication::sendEvent(&edit, &shortcut);
        QVERIFY(shortcut.isAccepted());
    }

    void triggerTypedInTheBoxIsWhatTheHookMatches() {
        Fixture f;
        CRecordingKeyHook port;
        CRecordingMacroStarter starter;
        CKeyHook hook(port, f.library, starter, [] { return true; });
        hook.SetMainWindow(1);
        HookControl control(hook);
        f.manager->SetHookControl(&control);
        f.manager->SetHeldElsewhereQuery([&](int32_t id) { return hook.HeldElsewhere(id); });
        hook.SetTaking(true);
        const TakenKey ctrlAltX{TakenKey::Ctrl | TakenKey::Alt, 'X'};
        port.heldElsewhere = {ctrlAltX};
        f.manager->show();
        QApplication::setActiveWindow(f.manager.get());
        QVERIFY(QTest::qWaitForWindowActive(f.manager.get()));
        f.window.SelectMacro(f.b);

        f.manager->nameEdit->setFocus();
        port.calls.clear();
        f.manager->triggerEdit->setFocus();
        QVERIFY(f.manager->triggerEdit->hasFocus());
        QCOMPARE(port.calls.back(), std::string("Release"));
        QVERIFY(std::find(port.calls.begin(), port.calls.end(), "Init") == port.calls.end());

        // Ctrl, then Alt, then X, as the keys go down.
        QTest::keyPress(f.manager->triggerEdit, Qt::Key_Control, Qt::ControlModifier);
        QTest::keyPress(f.manager->triggerEdit, Qt::Key_Alt, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyPress(f.manager->triggerEdit, Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyRelease(f.manager->triggerEdit, Qt::Key_X, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(f.manager->triggerEdit->text(), QStringLiteral("<CTRL><ALT><X>"));

        port.calls.clear();
        f.manager->nameEdit->setFocus();
        QCOMPARE(port.calls.back(), std::string("Init")); // installed again
        f.window.CommitManagerForm();
        QCOMPARE(f.Node(f.b).triggerKey, std::string("<CTRL><ALT><X>"));
        // Taken at the next tick; another program holds it: the note shows.
        QVERIFY(f.manager->findChild<QLabel*>("triggerHeldNote")->isHidden());
        hook.TickPrefix();
        QCOMPARE(port.taken, std::vector<TakenKey>{ctrlAltX});
        f.manager->RefreshTriggerNote();
        QVERIFY(!f.manager->findChild<QLabel*>("triggerHeldNote")->isHidden());

        // The same keys through the hook start B on the third press.
        starter.calls.clear();
        hook.OnHookCommand(CKeyHook::kKeyDown, 17);
        hook.OnHookCommand(CKeyHook::kKeyDown, 18);
        QVERIFY(starter.calls.empty());
        hook.OnHookCommand(CKeyHook::kKeyDown, 'X');
        QCOMPARE(starter.calls.size(), size_t(2));
        QCOMPARE(starter.calls[0], "Enqueue " + std::to_string(f.b));
        f.manager->SetHookControl(nullptr);
    }

    void clearTriggerEmptiesTheBoxAndResetsThePrefix() {
        Fixture f;
        f.window.SelectMacro(f.a);
        f.manager->triggerEdit->setText(QStringLiteral("<Q>"));
        f.manager->prefixList->setCurrentIndex(2);
        QTest::mouseClick(f.manager->clearTriggerButton, Qt::LeftButton);
        QVERIFY(f.manager->triggerEdit->text().isEmpty());
        QCOMPARE(f.manager->prefixList->currentText(), QStringLiteral("<NONE>"));
    }

    // ---- Scheduler page

    void dayListHasThreeColumnsAfterEveryRebuild() {
        Fixture f;
        for (int i = 0; i < 4; ++i)
            f.scheduler->RefreshCalendar();
        CScheduleList* list = f.scheduler->dayList;
        QCOMPARE(list->columnCount(), 3);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Time"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Run Time"));
        QCOMPARE(list->headerItem()->text(2), QStringLiteral("Name"));
        QCOMPARE(list->topLevelItemCount(), 26);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Repeated"));
        QCOMPARE(list->topLevelItem(25)->text(0), QStringLiteral("24:00"));
    }

    void pageStartsWithTheFormDisabled() {
        Fixture f;
        QCOMPARE(f.scheduler->formGroup->title(), QStringLiteral("Macro Name: None Selected"));
        QVERIFY(!f.scheduler->updateButton->isEnabled());
        QVERIFY(!f.scheduler->repeatedButton->isEnabled());
        QVERIFY(f.scheduler->notScheduledButton->isChecked());
        f.scheduler->ShowMacro(f.Node(f.a));
        QCOMPARE(f.scheduler->formGroup->title(), QStringLiteral("Macro Name: A"));
        QVERIFY(f.scheduler->updateButton->isEnabled());
        QVERIFY(f.scheduler->manageButton->isEnabled());
        QVERIFY(f.scheduler->repeatedButton->isEnabled());
    }

    void dropOnAnHourRowSchedulesTheMacro() {
        Fixture f;
        f.scheduler->calendar->setSelectedDate(QDate(2024, 5, 9));
        f.scheduler->resize(520, 420);
        f.scheduler->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.scheduler.get()));
        CScheduleList* list = f.scheduler->dayList;
        auto drop = [&](int32_t id) {
            const QList<QTreeWidgetItem*> rows =
                list->findItems(QStringLiteral("7:00"), Qt::MatchExactly, 0);
            QCOMPARE(rows.size(), qsizetype(1));
            list->scrollToItem(rows[0]);
            const QPoint at = list->visualItemRect(rows[0]).center();
            QMimeData mime;
            mime.setData(QString::fromLatin1(CMacroTree::kMacroIdMime), QByteArray::number(id));
            QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &enter);
            QVERIFY(enter.isAccepted());
            QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &move);
            QCOMPARE(list->currentItem()->text(0), QStringLiteral("7:00"));
            QDropEvent dropped(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &dropped);
        };
        drop(f.a);
        QVERIFY(f.messages.shown.empty());
        QCOMPARE(f.Node(f.a).scheduleType, 1);
        QCOMPARE(f.Node(f.a).startDate, std::string("5\\9\\2024"));
        QCOMPARE(f.Node(f.a).startTime, std::string("7:00:00"));
        QCOMPARE(f.window.calls.back(), "Propagate " + std::to_string(f.a));
        QCOMPARE(list->topLevelItem(1 + 8)->text(2), QStringLiteral("A"));
        QCOMPARE(list->currentItem()->text(2), QStringLiteral("A"));
        QCOMPARE(f.scheduler->formGroup->title(), QStringLiteral("Macro Name: A"));
        QVERIFY(f.scheduler->calendar->dateTextFormat(QDate(2024, 5, 9)).fontWeight() ==
                QFont::Bold);
        QVERIFY(f.scheduler->calendar->dateTextFormat(QDate(2024, 5, 10)).fontWeight() !=
                QFont::Bold);

        // Scheduled already: asked first; No leaves it.
        f.messages.answer = MessageAnswer::No;
        drop(f.a);
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.messages.shown[0].text, std::string("Overwrite scheduling information?"));
        QCOMPARE(f.Node(f.a).startTime, std::string("7:00:00"));

        // A macro set changes nothing.
        const size_t calls = f.window.calls.size();
        drop(f.tools);
        QCOMPARE(f.Node(f.tools).scheduleType, 0);
        QCOMPARE(f.window.calls.size(), calls);
    }

    void clickOnAMacroRowShowsItInTheForm() {
        Fixture f;
        CMacroNode* node = f.library.FindById(f.b);
        node->scheduleType = 2;
        node->unit = 2;
        node->frequency = 4;
        f.scheduler->RefreshCalendar();
        f.scheduler->resize(520, 420);
        f.scheduler->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.scheduler.get()));
        CScheduleList* list = f.scheduler->dayList;
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("Every 4 Hour(s)"));
        const QPoint at = list->visualItemRect(list->topLevelItem(1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(f.scheduler->ShownId(), f.b);
        QVERIFY(f.scheduler->repeatedButton->isChecked());
        QCOMPARE(f.scheduler->unitList->currentText(), QStringLiteral("Hour(s)"));
        QCOMPARE(f.scheduler->frequencyEdit->text(), QStringLiteral("4"));
        // A fixed row shows nothing new.
        f.scheduler->ShowMacro(f.Node(f.a));
        const QPoint fixed = list->visualItemRect(list->topLevelItem(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, fixed);
        QCOMPARE(f.scheduler->ShownId(), f.a);
    }

    void updateWritesTheScheduleAndBoundsTheFrequency() {
        Fixture f;
        f.library.FindById(f.a)->description = "kept";
        f.scheduler->ShowMacro(f.Node(f.a));
        f.scheduler->repeatedButton->click();
        f.scheduler->unitList->setCurrentIndex(5); // Month
        f.scheduler->frequencyEdit->setText(QStringLiteral("3"));
        f.scheduler->datePicker->setDate(QDate(2023, 11, 15));
        f.scheduler->timePicker->setTime(QTime(8, 5, 0));
        f.scheduler->calendar->setSelectedDate(QDate(2024, 1, 15));
        QTest::mouseClick(f.scheduler->updateButton, Qt::LeftButton);
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 std::string("Frequency must be in range (0 > x >= 1) for this type"));
        QCOMPARE(f.scheduler->frequencyEdit->text(), QStringLiteral("1"));
        const CMacro a = f.Node(f.a);
        QCOMPARE(a.scheduleType, 2);
        QCOMPARE(a.unit, 5);
        QCOMPARE(a.frequency, 1);
        QCOMPARE(a.startDate, std::string("11\\15\\2023"));
        QCOMPARE(a.startTime, std::string("08:05:00"));
        QCOMPARE(a.description, std::string("kept"));
        // Monthly from November: bold and listed on the 15th of January.
        QVERIFY(f.scheduler->calendar->dateTextFormat(QDate(2024, 1, 15)).fontWeight() ==
                QFont::Bold);
        QCOMPARE(f.scheduler->dayList->topLevelItem(1)->text(2), QStringLiteral("A"));

        f.library.RemoveNode(f.a);
        f.scheduler->Update();
        QCOMPARE(f.messages.shown.back().text, std::string("Could Not Update Macro"));
    }

    void manageAndFindReachTheMainWindowAndTree() {
        Fixture f;
        CMacroTree tree;
        tree.SetLibrary(&f.library);
        tree.Initialize();
        QVERIFY(tree.LoadAll());
        f.scheduler->SetTree(&tree);
        f.scheduler->ShowMacro(f.Node(f.t1));
        f.scheduler->Find();
        QCOMPARE(CMacroTree::GetItemId(tree.currentItem()), f.t1);
        QCOMPARE(f.manager->ShownId(), 0); // Find leaves the Manager page alone

        f.window.calls.clear();
        QTest::mouseClick(f.scheduler->manageButton, Qt::LeftButton);
        QCOMPARE(f.window.calls.front(), std::string("Commit"));
        QVERIFY(std::find(f.window.calls.begin(), f.window.calls.end(),
                          "Select " + std::to_string(f.t1)) != f.window.calls.end());
        QCOMPARE(f.window.calls.back(), std::string("ShowManagerTab"));
        QCOMPARE(f.manager->ShownId(), f.t1);
    }

    // ---- how the pages look at the main window's default size

    void pagesFitTheDefaultWindow() {
        Fixture f;
        f.window.SelectMacro(f.a);
        CMacroNode* b = f.library.FindById(f.b);
        b->scheduleType = 1;
        b->startDate = "5\\9\\2024";
        b->startTime = "9:30:0";
        f.scheduler->calendar->setSelectedDate(QDate(2024, 5, 9));
        f.scheduler->ShowMacro(*b);
        f.scheduler->RefreshCalendar();

        // The tab area of the 800 x 540 main window (tree pane 230 wide).
        QTabWidget tabs;
        tabs.addTab(f.manager.release(), QStringLiteral("Manager")); // the tabs own the pages now
        tabs.addTab(f.scheduler.release(), QStringLiteral("Scheduler"));
        tabs.resize(566, 482);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        const QString folder = QCoreApplication::applicationDirPath();
        for (int page = 0; page < tabs.count(); ++page) {
            tabs.setCurrentIndex(page);
            QWidget* shown = tabs.widget(page);
            const QString path =
                folder + QStringLiteral("/page-%1.png").arg(tabs.tabText(page).toLower());
            QVERIFY(tabs.grab().save(path));
            const QSize needed = shown->minimumSizeHint();
            QVERIFY2(needed.width() <= shown->width() && needed.height() <= shown->height(),
                     qPrintable(QStringLiteral("%1 needs %2 x %3, has %4 x %5")
                                    .arg(tabs.tabText(page))
                                    .arg(needed.width())
                                    .arg(needed.height())
                                    .arg(shown->width())
                                    .arg(shown->height())));
            // Nothing clipped: every label, button and box gets its full width.
            const auto children = shown->findChildren<QWidget*>();
            for (QWidget* child : children) {
                if (!child->isVisibleTo(shown) ||
                    !(qobject_cast<QLabel*>(child) || qobject_cast<QAbstractButton*>(child) ||
                      qobject_cast<QComboBox*>(child) || qobject_cast<QAbstractSpinBox*>(child)))
                    continue;
                if (qobject_cast<QLabel*>(child) && child->width() == 20)
                    continue; // the icon
                const QString what = tabs.tabText(page) + QLatin1Char('/') +
                                     child->metaObject()->className() + QLatin1Char(' ') +
                                     child->property("text").toString();
                // What the layout must give it: its own minimum when set.
                const int least = child->minimumWidth() > 0 ? child->minimumWidth()
                                                            : child->minimumSizeHint().width();
                QVERIFY2(child->width() >= least, qPrintable(what));
                if (auto* button = qobject_cast<QPushButton*>(child))
                    QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(
                                                    button->text().remove(QLatin1Char('&'))) +
                                                    12,
                             qPrintable(what));
                const QRect inPage(child->mapTo(shown, QPoint(0, 0)), child->size());
                QVERIFY2(shown->rect().contains(inPage), qPrintable(what));
            }
        }
    }
};

QTEST_MAIN(PagesQtTest)
#include "PagesQtTest.moc"
