// The Record Script dialog as a user drives it, in both modes: its states and
// messages, the main window paused while it records and given back its own
// flags afterwards, saving, and the two callers (the Record Script command
// and the wizard's "Record New Script").

#include "app/MainDlg.h"
#include "engine/EngineTestUtil.h"
#include "fakes/FakeKeyHook.h"
#include "fakes/FakeRecordSource.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "ports/FileChooser.h"
#include "record/RecordDlg.h"
#include "views/MacroTreeLogic.h"
#include "wizard/WizardDlg.h"
#include "wizard/WizardPages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <thread>

namespace {

class CAnsweringFileChooser : public IFileChooser {
public:
    std::vector<std::string> OpenFiles(const std::string&, bool) override { return {}; }
    std::string SaveFile(const std::string&, const std::string&) override {
        asked.push_back("save");
        return saveAnswer;
    }
    std::string SaveFileAskingOverwrite(const std::string& filter,
                                        const std::string& suffix) override {
        asked.push_back("save asking " + filter + " " + suffix);
        return saveAnswer;
    }
    std::string ChooseFolder(const std::string&) override { return {}; }

    std::string saveAnswer;
    std::vector<std::string> asked;
};

// The source handed to the main window, which owns what it is given.
class CForwardingSource : public IRecordSource {
public:
    explicit CForwardingSource(IRecordSource& real) : target(real) {}
    std::string Start(EventFn onEvent) override { return target.Start(std::move(onEvent)); }
    void Stop() override { target.Stop(); }

private:
    IRecordSource& target;
};

RecordedEvent Key(RecordedEvent::Kind kind, int code, std::string text, int64_t time) {
    RecordedEvent event;
    event.kind = kind;
    event.keyCode = code;
    event.text = std::move(text);
    event.timeMs = time;
    return event;
}

// Types `text` (lower-case letters) through the source.
void Type(CFakeRecordSource& source, const std::string& text) {
    int64_t time = 1000;
    for (char letter : text) {
        const int code = letter - 'a' + 'A';
        source.Emit(Key(RecordedEvent::Kind::KeyDown, code, std::string(1, letter), time += 50));
        source.Emit(Key(RecordedEvent::Kind::KeyUp, code, "", time += 50));
    }
}

// Runs `act` once the modal loop that the next statement enters is running;
// `close` ends that loop whatever `act` found.
void WhenModal(std::function<void()> act, std::function<void()> close) {
    QTimer::singleShot(0, [act = std::move(act), close = std::move(close)] {
        act();
        close();
    });
}

struct DialogFixture {
    explicit DialogFixture(bool embedded = false) : dialog(source, messages, files) {
        dialog.SetEmbedded(embedded);
        dialog.mainWnd = &mainWindow;
    }
    std::string LastMessage() const {
        return messages.shown.empty()
                   ? std::string()
                   : messages.shown.back().title + ": " + messages.shown.back().text;
    }
    bool OptionsEnabled() const {
        return dialog.modifierList->isEnabled() && dialog.keyBox->isEnabled() &&
               dialog.hideBox->isEnabled() && dialog.sleepBox->isEnabled() &&
               dialog.truncateBox->isEnabled() && dialog.waitBox->isEnabled();
    }

    CFakeRecordSource source;
    CRecordingMessageBox messages;
    CAnsweringFileChooser files;
    CFakeRecordMainWindow mainWindow;
    CRecordDlg dialog;
};

bool HookInstalled(const CRecordingKeyHook& hook) {
    return !hook.calls.empty() && hook.calls.back() == "Init";
}

enum class Ending { StopButton, StopCommand, Cancel, SaveAndExit, StartAgainThenStop };

} // namespace

Q_DECLARE_METATYPE(Ending)

class RecordDlgTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensWithItsDefaultsInEachMode_data() {
        QTest::addColumn<bool>("embedded");
        QTest::newRow("standalone") << false;
        QTest::newRow("embedded") << true;
    }
    void opensWithItsDefaultsInEachMode() {
        QFETCH(bool, embedded);
        DialogFixture f(embedded);
        CRecordDlg& d = f.dialog;
        QCOMPARE(d.modifierList->currentText() + "+" + d.keyBox->text(), QStringLiteral("CTRL+Z"));
        QVERIFY(d.truncateBox->isChecked());
        QCOMPARE(d.saveButton->isVisibleTo(&d), !embedded);
        QCOMPARE(d.saveExitButton->isVisibleTo(&d), !embedded);
        QCOMPARE(d.okButton->isVisibleTo(&d), embedded);
        QVERIFY(!d.browseButton->isVisibleTo(&d));
        QVERIFY(!d.secondsBox->isEnabled());
        d.sleepBox->setChecked(true);
        QVERIFY(d.secondsBox->isEnabled());
    }

    // However the recording ends, the main window gets back the flags it had
    // before Start, even when they were changed while recording.
    void recordingPausesTheMainWindowUntilItEnds_data() {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<bool>("scheduler");
        QTest::addColumn<bool>("triggers");
        QTest::newRow("Stop, both on") << Ending::StopButton << true << true;
        QTest::newRow("stop command, scheduler off") << Ending::StopCommand << false << true;
        QTest::newRow("Cancel, triggers off") << Ending::Cancel << true << false;
        QTest::newRow("Save & Exit, both off") << Ending::SaveAndExit << false << false;
        QTest::newRow("Start twice, then Stop") << Ending::StartAgainThenStop << true << false;
    }
    void recordingPausesTheMainWindowUntilItEnds() {
        QFETCH(Ending, ending);
        QFETCH(bool, scheduler);
        QFETCH(bool, triggers);
        DialogFixture f;
        f.mainWindow.scheduler = scheduler;
        f.mainWindow.triggers = triggers;
        f.dialog.modifierList->setCurrentIndex(0);
        f.dialog.keyBox->setText(QStringLiteral("q"));
        f.dialog.sleepBox->setChecked(true);
        f.dialog.startButton->click();

        QVERIFY(f.dialog.Recording());
        QVERIFY(f.source.Started());
        QVERIFY(f.mainWindow.recording);
        QCOMPARE(f.mainWindow.stopKeyText, std::string("ALT+Q"));
        QVERIFY(!f.mainWindow.scheduler);
        QVERIFY(!f.mainWindow.triggers);
        QCOMPARE(f.mainWindow.hookReleases, triggers ? 1 : 0);
        QVERIFY(f.mainWindow.trayRefreshes > 0);
        QVERIFY(!f.OptionsEnabled());
        QVERIFY(!f.dialog.secondsBox->isEnabled());

        // The user flips both switches meanwhile (say, from the tray).
        f.mainWindow.scheduler = !scheduler;
        f.mainWindow.triggers = !triggers;
        f.files.saveAnswer = ""; // Save & Exit's dialog is cancelled
        switch (ending) {
        case Ending::StopButton:
            f.dialog.stopButton->click();
            break;
        case Ending::StopCommand:
            f.dialog.HandleCommand(kStopRecording);
            break;
        case Ending::Cancel:
            f.dialog.cancelButton->click();
            break;
        case Ending::SaveAndExit:
            f.dialog.saveExitButton->click();
            break;
        case Ending::StartAgainThenStop:
            f.dialog.startButton->click();
            QVERIFY(f.dialog.Recording());
            QVERIFY(!f.mainWindow.scheduler);
            f.dialog.stopButton->click();
            break;
        }
        QVERIFY(!f.dialog.Recording());
        QVERIFY(!f.source.Started());
        QVERIFY(!f.mainWindow.recording);
        QCOMPARE(f.mainWindow.scheduler, scheduler);
        QCOMPARE(f.mainWindow.triggers, triggers);
        QVERIFY(f.OptionsEnabled());
        QVERIFY(f.dialog.secondsBox->isEnabled());
        QVERIFY(f.messages.shown.empty());
    }

    // The window wait opens as the settings keep it, goes into the script's
    // window lines, and is kept for next time at Start.
    void windowWaitComesFromTheSettingsAndGoesBackAtStart() {
        DialogFixture f;
        f.mainWindow.windowWait = 12000;
        QString script;
        WhenModal(
            [&] {
                QCOMPARE(f.dialog.waitBox->value(), 12000);
                f.dialog.waitBox->setValue(30000);
                f.dialog.startButton->click();
                RecordedEvent window;
                window.kind = RecordedEvent::Kind::WindowChange;
                window.title = "Editor";
                f.source.Emit(window);
                Type(f.source, "a");
                f.dialog.stopButton->click();
                script = f.dialog.scriptView->toPlainText();
            },
            [&] { f.dialog.reject(); });
        f.dialog.Run();
        QCOMPARE(f.mainWindow.windowWait, 30000);
        QCOMPARE(script, QStringLiteral("WinWait(\"Editor\", 30000);\n"
                                        "WinActivate(\"Editor\", 30000);\nTypeKeys(\"a\");"));
    }

    // Without a recording there is nothing to give back: Cancel leaves the
    // main window's switches as the user set them.
    void cancelWithoutRecordingLeavesTheSwitchesAlone() {
        DialogFixture f(true);
        f.mainWindow.scheduler = false;
        f.mainWindow.triggers = false;
        f.dialog.cancelButton->click();
        QVERIFY(!f.mainWindow.scheduler);
        QVERIFY(!f.mainWindow.triggers);
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
    }

    void stopCombinationFromTheSourceThreadEndsTheRecording() {
        DialogFixture f;
        f.dialog.show();
        f.dialog.startButton->click();
        f.dialog.scriptView->setPlainText(QStringLiteral("Sleep(1);"));
        Type(f.source, "hi");
        // The typing shows while it is gathered, then as its one line.
        QTRY_VERIFY(f.dialog.scriptView->toPlainText().contains(QStringLiteral("hi")));
        std::thread([&] { f.dialog.PostCommand(kStopRecording); }).join();
        QTRY_VERIFY(!f.dialog.Recording());
        QVERIFY(f.mainWindow.scheduler);
        const QString view = f.dialog.scriptView->toPlainText();
        QVERIFY(view.startsWith(QStringLiteral("Sleep(1);\nTypeKeys(")));
        QCOMPARE(view.count(QStringLiteral("hi")), 1);
    }

    void startFailureSaysWhyAndRecordsNothing() {
        DialogFixture f;
        f.source.startError = "Recording is unavailable: no X display.";
        f.mainWindow.scheduler = false;
        f.dialog.hideBox->setChecked(true);
        f.dialog.show();
        f.dialog.startButton->click();
        QCOMPARE(f.LastMessage(), std::string("Wingmate Error: ") + f.source.startError);
        QVERIFY(!f.dialog.Recording());
        QVERIFY(!f.mainWindow.recording);
        QVERIFY(!f.mainWindow.scheduler);
        QVERIFY(f.mainWindow.triggers);
        QVERIFY(!f.mainWindow.hidden);
        QVERIFY(f.dialog.isVisible());
        QVERIFY(f.OptionsEnabled());
        QVERIFY(!f.source.Emit(Key(RecordedEvent::Kind::KeyDown, 'A', "a", 1)));
        QVERIFY(f.dialog.scriptView->toPlainText().isEmpty());
    }

    // Save asks for a file each time the Script File box is empty; a failed
    // write leaves the earlier file as it was; long lines are written whole.
    void saveWritesTheWholeScript_data() {
        QTest::addColumn<QString>("viewText");
        QTest::addColumn<QString>("answer"); // relative to the folder; "" cancels
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("message");
        const QString longLine = QStringLiteral("TypeKeys(\"") + QString(9000, QLatin1Char('w')) +
                                 QStringLiteral("\");");
        QTest::newRow("chosen file") << "Sleep(200);\nMouseClick(4, 5);"
                                     << "rec.tsc"
                                     << "Sleep(200);\nMouseClick(4, 5);\n"
                                     << "";
        QTest::newRow("line over 8192 bytes") << longLine << "rec.tsc" << longLine + "\n"
                                              << "";
        QTest::newRow("save dialog cancelled") << "Sleep(1);"
                                               << ""
                                               << "old\n"
                                               << "";
        QTest::newRow("folder missing") << "Sleep(1);"
                                        << "gone/rec.tsc"
                                        << "old\n"
                                        << "Wingmate Error: Could Not Write To File";
    }
    void saveWritesTheWholeScript() {
        QFETCH(QString, viewText);
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const std::string existing = dir.filePath(QStringLiteral("rec.tsc")).toStdString();
        WriteFile(existing, "old\n");
        DialogFixture f;
        f.files.saveAnswer = answer.isEmpty() ? std::string() : dir.filePath(answer).toStdString();
        f.dialog.scriptView->setPlainText(viewText);
        f.dialog.saveButton->click();
        QCOMPARE(ReadFile(existing), written.toStdString());
        QCOMPARE(f.LastMessage(), message.toStdString());
        QCOMPARE(f.files.asked,
                 std::vector<std::string>{"save asking Tessera Scripts (*.tsc) .tsc"});
        QCOMPARE(f.dialog.scriptView->toPlainText(), viewText); // the script stays in the view
        QCOMPARE(f.dialog.fileBox->text(), QString());          // the box is only Browse's
    }

    void saveAndExitClosesEvenWhenTheSaveDialogIsCancelled() {
        DialogFixture f;
        f.dialog.scriptView->setPlainText(QStringLiteral("Sleep(1);"));
        WhenModal([&] { f.dialog.saveExitButton->click(); }, [] {});
        QTimer::singleShot(2000, &f.dialog, [&] { f.dialog.done(42); }); // should it stay open
        QCOMPARE(f.dialog.Run(), int(QDialog::Accepted));
        QCOMPARE(f.files.asked.size(), size_t(1));
        QVERIFY(f.messages.shown.empty());
    }

    void okNeedsARecordedScript_data() {
        QTest::addColumn<QString>("viewText");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("scriptText");
        QTest::newRow("nothing recorded") << "" << false << "";
        QTest::newRow("only blanks") << " \n\t\n" << false << "";
        QTest::newRow("recorded") << "Sleep(1);\nMouseClick(1, 2);" << true
                                  << "Sleep(1);\r\nMouseClick(1, 2);\r\n";
    }
    void okNeedsARecordedScript() {
        QFETCH(QString, viewText);
        QFETCH(bool, accepted);
        QFETCH(QString, scriptText);
        DialogFixture f(true);
        f.dialog.scriptView->setPlainText(viewText);
        f.dialog.show();
        f.dialog.okButton->click();
        QCOMPARE(f.dialog.isVisible(), !accepted);
        QCOMPARE(f.dialog.result(), accepted ? int(QDialog::Accepted) : 0);
        QCOMPARE(f.LastMessage(), accepted ? std::string()
                                           : std::string("Error: No Script Recorded: Click "
                                                         "'Start' to record a script.  Click "
                                                         "'Cancel' to abort."));
        if (accepted)
            QCOMPARE(QString::fromStdString(f.dialog.scriptText), scriptText);
    }

    // Hidden while recording, the dialog keeps running and comes back when
    // the stop combination is pressed; OK then hands the typing over.
    void hiddenWhileRecordingTheDialogKeepsRunning() {
        DialogFixture f(true);
        f.dialog.hideBox->setChecked(true);
        bool hiddenMeanwhile = false;
        WhenModal(
            [&] {
                f.dialog.startButton->click();
                hiddenMeanwhile = !f.dialog.isVisible() && f.mainWindow.hidden;
                Type(f.source, "ok");
                f.dialog.PostCommand(kStopRecording);
                QTRY_VERIFY(f.dialog.isVisible());
                QVERIFY(!f.mainWindow.hidden);
            },
            [&] {
                f.dialog.okButton->isVisible() ? f.dialog.okButton->click() : f.dialog.reject();
            });
        const int result = f.dialog.Run();
        QVERIFY(hiddenMeanwhile);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(QString::fromStdString(f.dialog.scriptText).contains(QStringLiteral("ok")));
    }

    // With no key to stop with, hiding would leave no way back.
    void withoutAStopKeyTheDialogStaysInSight() {
        DialogFixture f;
        f.dialog.hideBox->setChecked(true);
        f.dialog.keyBox->clear();
        f.dialog.show();
        f.dialog.startButton->click();
        QVERIFY(f.dialog.Recording());
        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.mainWindow.hidden);
        f.dialog.stopButton->click();
        QVERIFY(!f.dialog.Recording());
    }

    // The Record Script command: the dialog pauses the real main window,
    // whose tray (or title, without a tray) and toolbar show the recording.
    void recordScriptCommandShowsTheRecordingInTheMainWindow() {
        QTemporaryDir dir;
        CMemorySettingsStore store;
        CRecordingMessageBox messages;
        CFakeRecordSource source;
        CAnsweringFileChooser files;
        MainDlgServices services(store, messages);
        CRecordingKeyHook* hook = nullptr;
        services.makeKeyHook = [&](KeyHookReportFn, std::string*) {
            auto port = std::make_unique<CRecordingKeyHook>();
            hook = port.get();
            return std::unique_ptr<IKeyHook>(std::move(port));
        };
        services.makeRecordSource = [&](std::string*) {
            return std::make_unique<CForwardingSource>(source);
        };
        services.files = &files;
        CMainDlg window(dir.path().toStdString(), services);
        window.Start();
        QVERIFY(window.CommandAction(Command::RecordScript));
        QCOMPARE(window.CommandAction(Command::RecordScript)->text(),
                 QStringLiteral("&Script"));
        QCOMPARE(window.ToolbarAction(Command::RecordScript)->toolTip(),
                 QStringLiteral("Record Script"));
        const QString idleTip = TrayOrTitle(window);

        bool checked = false;
        WhenModal(
            [&] {
                auto* dialog = window.findChild<CRecordDlg*>();
                QVERIFY(dialog && dialog->isVisible());
                QVERIFY(!dialog->okButton->isVisible());
                dialog->startButton->click();
                QVERIFY(window.State().recording);
                QCOMPARE(TrayOrTitle(window).replace(QLatin1Char('\n'), QLatin1Char(' ')),
                         QStringLiteral("Tessera Wingmate - Recording (CTRL+Z to stop)"));
                QVERIFY(!window.ToolbarAction(MacroCommand::kExecute)->isEnabled());
                QVERIFY(!window.ToolbarAction(Command::Stop)->isEnabled());
                QVERIFY(!window.SchedulerEnabled());
                QVERIFY(!window.TriggersEnabled());
                QVERIFY(window.CommandAction(Command::DisableScheduler)->isChecked());
                QVERIFY(hook && !HookInstalled(*hook));
                window.HandleCommand(Command::RecordScript); // no second recording
                QCOMPARE(window.findChildren<CRecordDlg*>().size(), qsizetype(1));
                dialog->HandleCommand(kStopRecording);
                QVERIFY(!window.State().recording);
                checked = true;
            },
            [&] {
                if (auto* dialog = window.findChild<CRecordDlg*>())
                    dialog->cancelButton->click();
            });
        window.HandleCommand(Command::RecordScript);
        QVERIFY(checked);
        QVERIFY(window.SchedulerEnabled());
        QVERIFY(window.TriggersEnabled());
        QVERIFY(!window.CommandAction(Command::DisableScheduler)->isChecked());
        QVERIFY(HookInstalled(*hook));
        QCOMPARE(TrayOrTitle(window), idleTip);
        QVERIFY(!window.findChild<CRecordDlg*>());
    }

    // "Record New Script" from the name to Finish: the embedded dialog
    // records, OK hands the script over, Finish writes it after the header.
    void wizardRecordsANewScript_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel closes the wizard") << false;
    }
    void wizardRecordsANewScript() {
        QFETCH(bool, ok);
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        std::filesystem::create_directories(home + "/Scripts");
        CRecordingMessageBox messages;
        CAnsweringFileChooser files;
        CFakeRecordSource source;
        CFakeRecordMainWindow mainWindow;
        CWizardDlg wizard(home, messages, files);
        wizard.SetRecording(&source, &mainWindow);
        wizard.show();
        wizard.nameEdit->setText(QStringLiteral("Log in"));
        wizard.typeList->setCurrentRow(int(WizardType::RecordScript));
        bool recorded = false;
        WhenModal(
            [&] {
                CRecordDlg* dialog = wizard.RecordDialog();
                QVERIFY(dialog && dialog->embedded);
                QVERIFY(dialog->mainWnd == &mainWindow);
                wizard.reject(); // the wizard stays while the dialog runs
                QVERIFY(wizard.isVisible() && !wizard.cancelButton->isEnabled());
                dialog->startButton->click();
                QVERIFY(!mainWindow.scheduler);
                Type(source, "abc");
                recorded = true;
            },
            [&] {
                CRecordDlg* dialog = wizard.RecordDialog();
                ok ? dialog->okButton->click() : dialog->cancelButton->click();
            });
        wizard.nextButton->click();
        QVERIFY(recorded);
        QVERIFY(mainWindow.scheduler);
        QVERIFY(messages.shown.empty());
        if (!ok) {
            QCOMPARE(wizard.result(), int(QDialog::Rejected));
            QVERIFY(!wizard.isVisible());
            return;
        }
        QVERIFY(wizard.finishButton->isVisible());
        QVERIFY(!wizard.RecordDialog());
        wizard.finishButton->click();
        QVERIFY(wizard.Finished());
        const std::string file = home + "/Scripts/Log_in.tsc";
        QCOMPARE(wizard.Macro().scriptFile, file);
        const std::string script = ReadFile(file);
        QVERIFY(script.starts_with("#Created using Tessera Wingmate Macro Wizard v2.0\n"));
        QVERIFY(script.find("abc") != std::string::npos);
        QVERIFY(script.ends_with("\r\n"));
        QCOMPARE(script, wizard.ScriptText());
        CCaptureStream stream;
        CScript compiled(&stream, &stream);
        QVERIFY2(compiled.LoadSource("rec.tsc", script.c_str()) != 0, stream.err.c_str());
    }

private:
    static QString TrayOrTitle(CMainDlg& window) {
        return window.Tray() ? window.Tray()->toolTip() : window.windowTitle();
    }
};

QTEST_MAIN(RecordDlgTest)
#include "RecordDlgQtTest.moc"
