// The main window's script commands: Edit opens the selected macro's script
// with the engine's function names, New and Open open editors, the editors'
// Run goes through the program's runner, Exit asks open editors first, and
// unsaved editor text outlives the end of the session.

#include "app/MainDlg.h"
#include "editor/DecTree.h"
#include "editor/EditorDlg.h"
#include "editor/EditorRecovery.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <filesystem>

namespace {

class CRecordingRunner : public IMacroRunner {
public:
    int Run(CMacro macro) override {
        scripts.push_back(macro.scriptFile);
        ids.push_back(macro.id);
        return 1;
    }
    std::vector<std::string> scripts;
    std::vector<int32_t> ids;
};

class COneAnswerChooser : public IFileChooser {
public:
    std::vector<std::string> OpenFiles(const std::string&, bool) override {
        return answer.empty() ? std::vector<std::string>{} : std::vector<std::string>{answer};
    }
    std::string SaveFile(const std::string&, const std::string&) override { return {}; }
    std::string ChooseFolder(const std::string&) override { return {}; }
    std::string answer;
};

// One run of the program on `home`.
struct Run {
    Run(const std::string& home, MessageAnswer answer) : services(store, messages) {
        store.exists = true;
        messages.answer = answer;
        services.files = &files;
        services.clock = &clock;
        services.editorOpened = [this](CEditorDlg& editor) {
            editor.setAttribute(Qt::WA_DeleteOnClose, false);
            editors.push_back(&editor);
        };
        window = std::make_unique<CMainDlg>(home, services);
        window->Start();
    }
    ~Run() {
        for (CEditorDlg* editor : editors)
            delete editor;
    }
    CMemorySettingsStore store;
    CRecordingMessageBox messages;
    COneAnswerChooser files;
    CFakeClock clock{1'700'000'000};
    MainDlgServices services;
    std::vector<CEditorDlg*> editors;
    std::unique_ptr<CMainDlg> window;
};

struct Fixture {
    Fixture() : services(store, messages) {
        home = dir.path().toStdString();
        WriteFile(home + "/tidy.tsc", "Frob(1);\n");
        CMacroLibrary saved;
        const int32_t root = saved.InsertRecord(MacroSet("My Macros"), -1, InsertPosition::Into);
        CMacro tidy;
        tidy.name = "Tidy";
        tidy.scriptFile = "tidy.tsc ARGS=1";
        saved.InsertRecord(tidy, root, InsertPosition::Into);
        saved.File().SetPaths(home);
        saved.Save();
        store.exists = true;
        services.runner = &runner;
        services.files = &files;
        services.clock = &clock;
        services.loadFunctionNames = [] { return std::string("Frob,Twiddle"); };
        services.editorOpened = [this](CEditorDlg& editor) {
            editor.setAttribute(Qt::WA_DeleteOnClose, false);
            editors.push_back(&editor);
        };
        window = std::make_unique<CMainDlg>(home, services);
        window->Start();
    }
    ~Fixture() {
        for (CEditorDlg* editor : editors)
            delete editor;
    }
    static CMacro MacroSet(const char* name) {
        CMacro set;
        set.name = name;
        set.kind = static_cast<int32_t>(MacroKind::MacroSet);
        return set;
    }
    int32_t TidyId() const { return window->Library().Root()->firstChild->id; }

    QTemporaryDir dir;
    std::string home;
    CMemorySettingsStore store;
    CRecordingMessageBox messages;
    CRecordingRunner runner;
    COneAnswerChooser files;
    CFakeClock clock{1'700'000'000};
    MainDlgServices services;
    std::vector<CEditorDlg*> editors;
    std::unique_ptr<CMainDlg> window;
};

std::vector<EditorRecoveryCopy> CopiesIn(const std::string& home) {
    return CEditorRecovery(home).List();
}

QString Text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

const char* const kAppDecs = "[ ]Window \"App\"\n\t( )Tag=\"App title\"\n\t( )Class=\"C\"\n"
                             "\t( )Parent=1\n\t( )Child=0\n";

// Opens the library's script tidy.tsc, which uses app.dec (kAppDecs), in an
// editor and renames the App window's tag there, unsaved. Null on failure.
CEditorDlg* EditTidysDeclaration(Fixture& f) {
    WriteFile(f.home + "/app.dec", kAppDecs);
    WriteFile(f.home + "/tidy.tsc", "use \"app.dec\";\n");
    f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
    f.window->HandleCommand(MacroCommand::kEdit);
    if (f.editors.empty())
        return nullptr;
    CEditorDlg* editor = f.editors[0];
    editor->Tree()->SetPropertiesEditor([](CDeclNode& copy) {
        copy.tag = "Renamed";
        return true;
    });
    return editor->Tree()->EditDeclaration(1) ? editor : nullptr;
}

} // namespace

class MainDlgEditorQtTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scriptCommandsOpenEditors_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("title");
        QTest::newRow("edit") << int(MacroCommand::kEdit) << "[tidy.tsc]";
        QTest::newRow("new") << int(Command::NewScript) << "[New File]";
        QTest::newRow("open") << int(Command::OpenScript) << "[@/tidy.tsc]";
    }
    void scriptCommandsOpenEditors() {
        QFETCH(int, command);
        QFETCH(QString, title);
        Fixture f;
        f.files.answer = f.home + "/tidy.tsc";
        f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
        f.window->HandleCommand(command);
        QCOMPARE(f.editors.size(), size_t(1));
        CEditorDlg* editor = f.editors[0];
        title.replace(QStringLiteral("@"), QString::fromStdString(f.home));
        QCOMPARE(editor->windowTitle(), title + QStringLiteral(" - Tessera Wingmate Editor"));
        // The engine's names are offered in every editor.
        QVERIFY(editor->View()->CompletionWords().contains(QStringLiteral("Twiddle")));
        if (command != int(Command::NewScript))
            QCOMPARE(editor->View()->toPlainText(), QStringLiteral("Frob(1);\n"));
    }

    // The editor's Run goes through the runner as a macro does, is recorded
    // in the run log, and the editor hears of its end and error.
    void editorRunGoesThroughTheRunner_data() {
        QTest::addColumn<QString>("error"); // "" when it ran to its end
        QTest::addColumn<bool>("writesLog");
        QTest::addColumn<QString>("status");
        QTest::newRow("ends") << "" << false << "Run of tidy.tsc ended. It wrote no log.";
        QTest::newRow("writes its log")
            << "" << true << "Run of tidy.tsc ended. Its output is in @/tidy.log.";
        QTest::newRow("fails")
            << "@/tidy.tsc:1: runtime error: unknown function 'Frob'" << false
            << "Run of tidy.tsc failed: line 1: unknown function 'Frob'. It wrote no log.";
    }
    void editorRunGoesThroughTheRunner() {
        QFETCH(QString, error);
        QFETCH(bool, writesLog);
        QFETCH(QString, status);
        Fixture f;
        error.replace(QStringLiteral("@"), Text(f.home));
        status.replace(QStringLiteral("@"), Text(f.home));
        f.files.answer = f.home + "/tidy.tsc";
        f.window->HandleCommand(Command::OpenScript);
        QCOMPARE(f.editors.size(), size_t(1));
        CEditorDlg* editor = f.editors[0];
        editor->RunCommand(EditorCommand::kRun);
        QCOMPARE(f.runner.scripts, std::vector<std::string>{f.home + "/tidy.tsc"});
        QVERIFY(f.window->CommandAction(Command::Stop)->isEnabled());
        QVERIFY(editor->RunPending());
        // Recorded as a run from the window is, and a second run waits.
        QVERIFY(ReadFile(f.home + "/Wingmate.log").find("\t\ttidy.tsc") != std::string::npos);
        editor->RunCommand(EditorCommand::kRun);
        QCOMPARE(f.runner.scripts.size(), size_t(1));

        if (writesLog)
            WriteFile(f.home + "/tidy.log", "output\n");
        if (!error.isEmpty())
            f.window->ReportMacroFailure(f.runner.ids[0], "tidy.tsc", error.toStdString());
        f.window->HandleCommand(Command::MacroFinished);
        QVERIFY(!editor->RunPending());
        QCOMPARE(editor->StatusText(), status);
        QCOMPARE(editor->View()->Diagnostic().line, error.isEmpty() ? 0 : 1);
    }

    void editorsGoWithTheMainWindow() {
        Fixture f;
        f.window->HandleCommand(Command::NewScript);
        QPointer<CEditorDlg> editor = f.editors.at(0);
        f.editors.clear();
        f.window.reset(); // its message box and runner go with it
        QVERIFY(editor.isNull());
    }

    void exitAsksOpenEditorsAndCanStay() {
        Fixture f;
        f.window->HandleCommand(Command::NewScript);
        QCOMPARE(f.editors.size(), size_t(1));
        f.editors[0]->View()->InsertText("unsaved;");
        f.messages.answer = MessageAnswer::Cancel;
        f.window->ExitProgram();
        QVERIFY(!f.window->Ended());
        QVERIFY(f.editors[0]->isVisible());
        QCOMPARE(f.messages.shown.back().text,
                 std::string("Save script and declarations?\n\n[New File]"));
    }

    // Two editors hold unsaved text when the session ends; the next start
    // offers both, and Yes shows them as they were, No keeps them aside.
    void sessionEndKeepsEditorTextForTheNextStart_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("yes opens the scripts") << true;
        QTest::newRow("no keeps the copies aside") << false;
    }
    void sessionEndKeepsEditorTextForTheNextStart() {
        QFETCH(bool, open);
        Fixture f;
        WriteFile(f.home + "/tidy.tsc", "Frob(1);\r\n"); // saved back with its own line ends
        f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
        f.window->HandleCommand(MacroCommand::kEdit);
        f.window->HandleCommand(Command::NewScript);
        QCOMPARE(f.editors.size(), size_t(2));
        f.editors[0]->View()->InsertText(QStringLiteral("Twiddle(\u00e9);\n"));
        f.editors[1]->View()->InsertText(QStringLiteral("untitled text"));
        const QString tidyText = f.editors[0]->View()->toPlainText();
        f.window->EndForSession();
        f.editors.clear();
        f.window.reset();
        QCOMPARE(CopiesIn(f.home).size(), size_t(2));
        QCOMPARE(ReadFile(f.home + "/tidy.tsc"), std::string("Frob(1);\r\n"));

        Run next(f.home, open ? MessageAnswer::Yes : MessageAnswer::No);
        QCOMPARE(next.messages.shown.size(), size_t(1));
        const std::string question = next.messages.shown[0].text;
        QVERIFY(question.find("2 scripts had unsaved changes") != std::string::npos);
        QVERIFY(question.find("tidy.tsc") != std::string::npos);
        QVERIFY(question.find("untitled") != std::string::npos);
        if (!open) {
            QVERIFY(next.editors.empty());
            QVERIFY(CopiesIn(f.home).empty());
            int keptAside = 0;
            for (const auto& entry : std::filesystem::directory_iterator(f.home + "/Recovery"))
                keptAside +=
                    entry.path().filename().string().find(".recovery-") != std::string::npos;
            QCOMPARE(keptAside, 2);
            return;
        }
        QCOMPARE(next.editors.size(), size_t(2));
        CEditorDlg* tidy =
            next.editors[0]->View()->FilePath() == "tidy.tsc" ? next.editors[0] : next.editors[1];
        CEditorDlg* untitled = tidy == next.editors[0] ? next.editors[1] : next.editors[0];
        QCOMPARE(tidy->View()->toPlainText(), tidyText);
        // Recovered text is unsaved: the title marks it.
        QCOMPARE(tidy->windowTitle(), QStringLiteral("*[tidy.tsc] - Tessera Wingmate Editor"));
        QVERIFY(tidy->View()->IsModified());
        QCOMPARE(untitled->View()->toPlainText(), QStringLiteral("untitled text"));
        QVERIFY(untitled->View()->FilePath().empty());
        QVERIFY(untitled->View()->IsModified());
        // Nothing reached the script before its Save; the Save writes there
        // and ends its copy, the other copy stays.
        QCOMPARE(ReadFile(f.home + "/tidy.tsc"), std::string("Frob(1);\r\n"));
        QVERIFY(tidy->SaveScript());
        QCOMPARE(Text(ReadFile(f.home + "/tidy.tsc")),
                 QString(tidyText).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        const std::vector<EditorRecoveryCopy> left = CopiesIn(f.home);
        QCOMPARE(left.size(), size_t(1));
        QCOMPARE(left[0].text, std::string("untitled text"));
    }

    // Declarations edited and not saved survive the session's end too: the
    // next start shows them edited and unsaved, the script itself unchanged,
    // and nothing reaches the declarations file before a save.
    void sessionEndKeepsEditedDeclarations() {
        Fixture f;
        const std::string decs = kAppDecs;
        CEditorDlg* editor = EditTidysDeclaration(f);
        QVERIFY(editor);
        QVERIFY(!editor->View()->IsModified());
        f.window->EndForSession();
        f.editors.clear();
        f.window.reset();
        QCOMPARE(CopiesIn(f.home).size(), size_t(1));
        // Meanwhile another program adds a line to the script, whose text
        // was not edited here: that version is the one shown.
        WriteFile(f.home + "/tidy.tsc", "use \"app.dec\";\nFrob(2);\n");

        Run next(f.home, MessageAnswer::Yes);
        QVERIFY(next.messages.shown.at(0).text.find("tidy.tsc (its window declarations)") !=
                std::string::npos);
        QCOMPARE(next.editors.size(), size_t(1));
        CEditorDlg* recovered = next.editors[0];
        QCOMPARE(recovered->View()->toPlainText(), QStringLiteral("use \"app.dec\";\nFrob(2);\n"));
        QVERIFY(!recovered->View()->IsModified());
        QVERIFY(recovered->DeclarationsEdited());
        QCOMPARE(recovered->Tree()->topLevelItemCount(), 1);
        const QTreeWidgetItem* shown = recovered->Tree()->topLevelItem(0)->child(0);
        QVERIFY(shown);
        const CDeclNode* node =
            recovered->Tree()->FindById(shown->data(0, TDecTree::IdRole).toInt());
        QVERIFY(node);
        QCOMPARE(node->tag, std::string("Renamed"));
        QCOMPARE(ReadFile(f.home + "/app.dec"), decs);
        QVERIFY(recovered->SaveDeclarations());
        QVERIFY(ReadFile(f.home + "/app.dec").find("Tag=\"Renamed\"") != std::string::npos);
        QVERIFY(CopiesIn(f.home).empty());
    }

    // A copy cut short is not offered, but it is said once and kept aside
    // where a text editor can open it; a whole copy beside it is offered.
    void aDamagedCopyIsSaidOnceAndKeptAside() {
        Fixture f;
        CEditorRecovery store(f.home);
        EditorRecoveryCopy whole{
            store.NewCopyPath(), "tidy.tsc", "Frob(3);\n", false, false, {}, {}};
        QVERIFY(store.Write(whole, nullptr));
        const std::string damaged = store.Folder() + "/editor-1-1.recovery";
        const std::string bytes = CEditorRecovery::Encode(whole);
        WriteFile(damaged, bytes.substr(0, bytes.size() - 5));
        f.window.reset();
        {
            Run next(f.home, MessageAnswer::No);
            QCOMPARE(next.messages.shown.size(), size_t(2));
            QCOMPARE(next.messages.shown[0].title, std::string("Recovery Copy Damaged"));
            QVERIFY(next.messages.shown[0].text.find(damaged + "-") != std::string::npos);
            QCOMPARE(next.messages.shown[1].title, std::string("Restore Unsaved Changes?"));
        }
        QVERIFY(!std::filesystem::exists(damaged));
        Run again(f.home, MessageAnswer::No);
        QVERIFY(again.messages.shown.empty());
    }

    // A large script's copy waits a second more per MiB, so typing in it
    // does not rewrite megabytes every second.
    void copyOfALargeScriptWaitsLonger_data() {
        QTest::addColumn<int>("mebibytes");
        QTest::addColumn<int>("seconds");
        QTest::newRow("small") << 0 << 1;
        QTest::newRow("2.5 MiB") << 2 << 3;
    }
    void copyOfALargeScriptWaitsLonger() {
        QFETCH(int, mebibytes);
        QFETCH(int, seconds);
        Fixture f;
        f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
        f.window->HandleCommand(MacroCommand::kEdit);
        CEditorDlg* editor = f.editors.at(0);
        const int lines = (mebibytes * (1 << 20) + (1 << 19)) / 16;
        editor->View()->InsertText(QStringLiteral("Frob(12345678);\n").repeated(lines) + "x");
        f.clock.Advance(seconds - 1);
        f.window->OnTimerTick();
        QVERIFY(CopiesIn(f.home).empty());
        f.clock.Advance(1);
        f.window->OnTimerTick();
        QCOMPARE(CopiesIn(f.home).size(), size_t(1));
    }

    // Glimmer or a text editor may rewrite a declarations file while the
    // window holds edited declarations, or between a kill and the recovery:
    // saving asks before it replaces that version, and No leaves it alone.
    void savingDeclarationsAsksWhenAnotherProgramWroteThem_data() {
        QTest::addColumn<bool>("throughRecovery");
        QTest::addColumn<bool>("replace");
        QTest::newRow("open window, No") << false << false;
        QTest::newRow("after recovery, No") << true << false;
        QTest::newRow("after recovery, Yes") << true << true;
    }
    void savingDeclarationsAsksWhenAnotherProgramWroteThem() {
        QFETCH(bool, throughRecovery);
        QFETCH(bool, replace);
        Fixture f;
        const std::string decs = kAppDecs;
        const std::string recorded = decs + "[ ]Window \"New\"\n\t( )Tag=\"N\"\n\t( )Class=\"C\"\n"
                                            "\t( )Parent=1\n\t( )Child=0\n";
        CEditorDlg* editor = EditTidysDeclaration(f);
        QVERIFY(editor);
        std::unique_ptr<Run> next;
        CRecordingMessageBox* messages = &f.messages;
        if (throughRecovery) {
            f.window->EndForSession();
            f.editors.clear();
            f.window.reset();
            WriteFile(f.home + "/app.dec", recorded);
            next = std::make_unique<Run>(f.home, MessageAnswer::Yes);
            QCOMPARE(next->editors.size(), size_t(1));
            editor = next->editors[0];
            messages = &next->messages;
        } else {
            WriteFile(f.home + "/app.dec", recorded);
        }
        messages->shown.clear();
        messages->answer = replace ? MessageAnswer::Yes : MessageAnswer::No;
        QCOMPARE(editor->SaveDeclarations(), replace);
        QCOMPARE(messages->shown.size(), size_t(1));
        QCOMPARE(messages->shown[0].title, std::string("Declarations Changed"));
        QVERIFY(messages->shown[0].text.find("app.dec") != std::string::npos);
        const std::string now = ReadFile(f.home + "/app.dec");
        QCOMPARE(now == recorded, !replace);
        QCOMPARE(now.find("Tag=\"Renamed\"") != std::string::npos, replace);
        QCOMPARE(editor->DeclarationsEdited(), !replace);
    }

    // A script rewritten by another program while Wingmate was down: saving
    // the recovered text asks first, as saving in the lost editor would
    // have; a script nobody touched is saved without a question.
    void savingRecoveredScriptAsksWhenAnotherProgramWroteIt_data() {
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("rewritten since") << true;
        QTest::newRow("untouched") << false;
    }
    void savingRecoveredScriptAsksWhenAnotherProgramWroteIt() {
        QFETCH(bool, rewritten);
        Fixture f;
        f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
        f.window->HandleCommand(MacroCommand::kEdit);
        f.editors.at(0)->View()->InsertText(QStringLiteral("Twiddle(2);\n"));
        const std::string typed = f.editors.at(0)->View()->toPlainText().toStdString();
        f.window->EndForSession();
        f.editors.clear();
        f.window.reset();
        const std::string other = "Frob(1);\nFrob(3); // written elsewhere\n";
        if (rewritten)
            WriteFile(f.home + "/tidy.tsc", other);

        Run next(f.home, MessageAnswer::Yes);
        QCOMPARE(next.editors.size(), size_t(1));
        next.messages.shown.clear();
        next.messages.answer = MessageAnswer::No;
        QCOMPARE(next.editors[0]->SaveScript(), !rewritten);
        QCOMPARE(next.messages.shown.size(), size_t(rewritten ? 1 : 0));
        QCOMPARE(ReadFile(f.home + "/tidy.tsc"), rewritten ? other : typed);
    }

    // The copy appears a second after typing, and goes with a save, a
    // discard or an undo back to the saved text: a clean end leaves none.
    void copyFollowsTheEditorsText_data() {
        QTest::addColumn<QString>("ending");
        QTest::newRow("save") << "save";
        QTest::newRow("discard at exit") << "discard";
        QTest::newRow("undo") << "undo";
    }
    void copyFollowsTheEditorsText() {
        QFETCH(QString, ending);
        Fixture f;
        f.window->Tree()->setCurrentItem(f.window->Tree()->FindItem(f.TidyId()));
        f.window->HandleCommand(MacroCommand::kEdit);
        CEditorDlg* editor = f.editors.at(0);
        editor->View()->InsertText(QStringLiteral("typed;"));
        f.window->OnTimerTick();
        QVERIFY(CopiesIn(f.home).empty()); // not on every keystroke
        f.clock.Advance(1);
        f.window->OnTimerTick();
        const std::vector<EditorRecoveryCopy> copies = CopiesIn(f.home);
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(Text(copies[0].text), editor->View()->toPlainText());
        if (ending == "save") {
            QVERIFY(editor->SaveScript());
        } else if (ending == "discard") {
            f.messages.answer = MessageAnswer::No;
            f.window->ExitProgram();
            QVERIFY(f.window->Ended());
        } else {
            editor->View()->Undo();
            QVERIFY(!editor->View()->IsModified());
        }
        f.clock.Advance(2);
        if (!f.window->Ended())
            f.window->OnTimerTick();
        QVERIFY(CopiesIn(f.home).empty());
        QVERIFY(!std::filesystem::exists(copies[0].file));
    }
};

QTEST_MAIN(MainDlgEditorQtTest)
#include "MainDlgEditorQtTest.moc"
