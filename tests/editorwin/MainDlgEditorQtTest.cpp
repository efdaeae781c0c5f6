// The main window's script commands: Edit opens the selected macro's script
// with the engine's function names, New and Open open editors, the editors'
// Run goes through the program's runner, and Exit asks open editors first.

#include "app/MainDlg.h"
#include "editor/EditorDlg.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "views/MacroTree.h"
#include "views/MacroTreeLogic.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>

namespace {

class CRecordingRunner : public IMacroRunner {
public:
    int Run(CMacro macro) override {
        scripts.push_back(macro.scriptFile);
        return 1;
    }
    std::vector<std::string> scripts;
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
    MainDlgServices services;
    std::vector<CEditorDlg*> editors;
    std::unique_ptr<CMainDlg> window;
};

} // namespace

class MainDlgEditorQtTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scriptCommandsOpenEditors_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("title");
        QTest::newRow("edit") << int(MacroCommand::kEdit) << "[tidy.tsc]";
        QTest::newRow("new") << int(MainCommand::kNewScript) << "[New File]";
        QTest::newRow("open") << int(MainCommand::kOpenScript) << "[@/tidy.tsc]";
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
        if (command != MainCommand::kNewScript)
            QCOMPARE(editor->View()->toPlainText(), QStringLiteral("Frob(1);\n"));
    }

    void editorRunGoesThroughTheRunner() {
        Fixture f;
        const std::string where = f.window->RunEditorScript(f.home + "/tidy.tsc");
        QCOMPARE(f.runner.scripts, std::vector<std::string>{f.home + "/tidy.tsc"});
        QVERIFY(where.find(f.home + "/tidy.log") != std::string::npos);
        QVERIFY(f.window->CommandAction(MainCommand::kStop)->isEnabled());
    }

    void editorsGoWithTheMainWindow() {
        Fixture f;
        f.window->HandleCommand(MainCommand::kNewScript);
        QPointer<CEditorDlg> editor = f.editors.at(0);
        f.editors.clear();
        f.window.reset(); // its message box and runner go with it
        QVERIFY(editor.isNull());
    }

    void exitAsksOpenEditorsAndCanStay() {
        Fixture f;
        f.window->HandleCommand(MainCommand::kNewScript);
        QCOMPARE(f.editors.size(), size_t(1));
        f.editors[0]->View()->InsertText("unsaved;");
        f.messages.answer = MessageAnswer::Cancel;
        f.window->ExitProgram();
        QVERIFY(!f.window->Ended());
        QVERIFY(f.editors[0]->isVisible());
        QCOMPARE(f.messages.shown.back().text, std::string("Save script and declarations?"));
    }
};

QTEST_MAIN(MainDlgEditorQtTest)
#include "MainDlgEditorQtTest.moc"
