// The editor never loses an edit nor surprises: declaration edits survive a
// rebuilt use list, its dialogs belong to it, a save changes only the bytes
// that were edited, and a new macro's missing script keeps its path.

#include "editor/DecTree.h"
#include "views/QtFileChooser.h"
#include "views/QtMessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include "EditorTestFixture.h"

namespace {

// Whatever modal dialog opens next: which window it belongs to; then it is
// closed unanswered.
struct ModalWatcher {
    explicit ModalWatcher(QObject* context) {
        auto* timer = new QTimer(context);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, context, [this, timer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            owner = modal->parentWidget() ? modal->parentWidget()->window() : nullptr;
            ++seen;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            timer->stop();
        });
        timer->start();
    }
    QWidget* owner = nullptr;
    int seen = 0;
};

QTreeWidgetItem* DeclarationItem(TDecTree* tree) {
    QTreeWidgetItem* file = tree->topLevelItem(0);
    return file && file->childCount() ? file->child(0) : nullptr;
}

} // namespace

class EditorEditsQtTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A declaration renamed in Window Properties stays renamed, in the tree
    // and in the file saved, when the use list is scanned again; reading
    // the files again asks first.
    void declarationEditsSurviveARebuiltUseList_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("shown");   // the first declaration in the tree
        QTest::addColumn<QString>("written"); // its name in app.dec once saved
        QTest::newRow("space and backspace on the use line")
            << "retype" << int(MessageAnswer::No) << 0 << "Renamed"
            << "Renamed";
        QTest::newRow("tab then undo") << "tabUndo" << int(MessageAnswer::No) << 0 << "Renamed"
                                       << "Renamed";
        QTest::newRow("refresh, keep") << "refresh" << int(MessageAnswer::Yes) << 1 << "Renamed"
                                       << "Renamed";
        QTest::newRow("refresh, discard") << "refresh" << int(MessageAnswer::No) << 1 << "App"
                                          << "App";
        QTest::newRow("file no longer used, keep")
            << "unuse" << int(MessageAnswer::Yes) << 1 << "App"
            << "Renamed";
        QTest::newRow("file no longer used, discard")
            << "unuse" << int(MessageAnswer::No) << 1 << "App"
            << "App";
    }
    void declarationEditsSurviveARebuiltUseList() {
        QFETCH(QString, action);
        QFETCH(int, answer);
        QFETCH(int, questions);
        QFETCH(QString, shown);
        QFETCH(QString, written);
        Fixture f;
        WriteFile(f.Path("app.dec"), kDecs);
        WriteFile(f.Path("other.dec"), kDecs);
        QVERIFY(f.Open("decl.tsc", "use \"app.dec\";\nx = 1;\n"));
        f.editor->show();
        TDecTree* tree = f.editor->Tree();
        tree->SetPropertiesEditor([](CDeclNode& copy) {
            copy.name = "Renamed";
            return true;
        });
        QVERIFY(tree->EditDeclaration(DeclarationItem(tree)->data(0, TDecTree::IdRole).toInt()));
        f.messages.answer = MessageAnswer(answer);
        CScriptView* view = f.editor->View();
        QTextCursor cursor(view->document()->findBlockByNumber(0));
        cursor.movePosition(QTextCursor::EndOfBlock);
        view->setTextCursor(cursor);
        view->setFocus();
        if (action == QLatin1String("retype")) {
            QTest::keyClick(view, Qt::Key_Space);
            QTest::keyClick(view, Qt::Key_Backspace);
        } else if (action == QLatin1String("tabUndo")) {
            QTest::keyClick(view, Qt::Key_Tab);
            f.editor->RunCommand(EditorCommand::kUndo);
        } else if (action == QLatin1String("refresh")) {
            f.editor->RunCommand(EditorCommand::kRefreshDecs);
        } else {
            cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
            view->setTextCursor(cursor);
            QTest::keyClicks(view, "use \"other.dec\";");
            QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("other.dec"));
        }
        QCOMPARE(int(f.messages.shown.size()), questions);
        if (questions)
            QCOMPARE(f.messages.shown[0].title, std::string("Declarations not saved"));
        QCOMPARE(DeclarationItem(tree)->text(0), shown);
        QCOMPARE(f.editor->DeclarationsEdited(), written == QLatin1String("Renamed"));
        QVERIFY(f.editor->SaveDeclarations());
        const std::string saved = ReadFile(f.Path("app.dec"));
        QVERIFY2(saved.find("\"" + written.toStdString() + "\"") != std::string::npos,
                 saved.c_str());
        QVERIFY(!f.editor->DeclarationsEdited());
    }

    // The desktop's dialogs an editor opens are its own children, so they
    // open in front of it rather than raising the main window.
    void dialogsBelongToTheEditor_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("save as") << EditorCommand::kSaveScriptAs;
        QTest::newRow("open") << EditorCommand::kOpen;
        QTest::newRow("load error") << 0;
        QTest::newRow("close question") << EditorCommand::kExit;
    }
    void dialogsBelongToTheEditor() {
        QFETCH(int, command);
        CQtMessageBox desktopBoxes;
        CQtFileChooser desktopFiles(nullptr);
        Fixture f(&desktopBoxes, &desktopFiles);
        f.editor->show();
        ModalWatcher watcher(f.editor);
        if (command == 0) {
            f.editor->SetPathToLoad(f.Path("missing.tsc"));
            QVERIFY(!f.editor->Load());
        } else {
            if (command == EditorCommand::kExit)
                f.editor->View()->InsertText("unsaved;");
            f.editor->RunCommand(command);
        }
        QVERIFY(watcher.seen >= 1);
        QCOMPARE(watcher.owner, static_cast<QWidget*>(f.editor));
        f.editor->View()->SetModified(false);
    }

    // Typing on the first line and saving changes that line's bytes only.
    void savingAnEditKeepsTheOtherBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF"
                                           "a;\r\nb;\r\n")
                             << QByteArray("\xEF\xBB\xBF"
                                           "a;x\r\nb;\r\n")
                             << "UTF-8 BOM  CRLF";
        QTest::newRow("mixed ends")
            << QByteArray("a;\r\nb;\nc;\r\n") << QByteArray("a;x\r\nb;\nc;\r\n") << "UTF-8  CRLF";
        QTest::newRow("latin1 with no-break space")
            << QByteArray("caf\xe9;\n\xa0\xa0s = 1;\n") << QByteArray("caf\xe9;x\n\xa0\xa0s = 1;\n")
            << "Windows-1252  LF";
        QTest::newRow("invalid utf8") << QByteArray("a;\n\xc3( \xff;\n")
                                      << QByteArray("a;x\n\xc3( \xff;\n") << "Windows-1252  LF";
    }
    void savingAnEditKeepsTheOtherBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        QFETCH(QString, encoding);
        Fixture f;
        QVERIFY(f.Open("bytes.tsc", bytes.toStdString()));
        QCOMPARE(f.editor->EncodingLabel()->text(), encoding);
        CScriptView* view = f.editor->View();
        QTextCursor cursor(view->document()->firstBlock());
        cursor.movePosition(QTextCursor::EndOfBlock);
        view->setTextCursor(cursor);
        QTest::keyClicks(view, "x");
        QVERIFY(f.editor->SaveScript());
        QCOMPARE(QByteArray::fromStdString(ReadFile(f.Path("bytes.tsc"))), expected);
        QVERIFY(f.messages.shown.empty());
    }

    // A character the file's encoding cannot store: the save says so and
    // writes nothing; saved as UTF-8 it is kept; another encoding can be
    // chosen to read the file.
    void encodingCanBeChosen() {
        Fixture f;
        QVERIFY(f.Open("enc.tsc", "Print(\"caf\xe9\");\n"));
        QVERIFY2(f.editor->StatusText().contains(QStringLiteral("Windows-1252")),
                 qPrintable(f.editor->StatusText()));
        f.editor->View()->moveCursor(QTextCursor::End);
        f.editor->View()->InsertText(QStringLiteral("Print(\"\u2192\");\n"));
        QVERIFY(!f.editor->SaveScript());
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QVERIFY2(f.messages.shown[0].text.find("cannot store") != std::string::npos,
                 f.messages.shown[0].text.c_str());
        QCOMPARE(ReadFile(f.Path("enc.tsc")), std::string("Print(\"caf\xe9\");\n"));
        f.editor->RunCommand(EditorCommand::kSaveWith + int(ScriptEncoding::Utf8));
        QCOMPARE(ReadFile(f.Path("enc.tsc")),
                 std::string("Print(\"caf\xc3\xa9\");\nPrint(\"\xe2\x86\x92\");\n"));
        QCOMPARE(f.editor->EncodingLabel()->text(), QStringLiteral("UTF-8  LF"));
        // Read again as ISO-8859-1: the UTF-8 bytes show as two characters.
        f.editor->RunCommand(EditorCommand::kReopenWith + int(ScriptEncoding::Latin1));
        QCOMPARE(f.editor->EncodingLabel()->text(), QStringLiteral("ISO-8859-1  LF"));
        QCOMPARE(f.editor->View()->document()->firstBlock().text(),
                 QStringLiteral("Print(\"caf\u00c3\u00a9\");"));
        // A file that is not UTF-8 cannot be read as UTF-8.
        WriteFile(f.Path("enc.tsc"), "Print(\"caf\xe9\");\n");
        f.editor->View()->AcceptDiskState();
        f.messages.shown.clear();
        QVERIFY(!f.editor->ReopenWith(ScriptEncoding::Utf8));
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.editor->EncodingLabel()->text(), QStringLiteral("ISO-8859-1  LF"));
    }

    // A new macro's script not written yet: the editor offers to create it
    // and keeps its path either way.
    void missingMacroScriptKeepsItsPath_data() {
        QTest::addColumn<bool>("create");
        QTest::newRow("create") << true;
        QTest::newRow("not now") << false;
    }
    void missingMacroScriptKeepsItsPath() {
        QFETCH(bool, create);
        Fixture f;
        const std::string path = f.Path("new.tsc");
        f.messages.answer = create ? MessageAnswer::Yes : MessageAnswer::No;
        f.editor->SetPathToLoad(path);
        QVERIFY(f.editor->Load(CEditorDlg::MissingFile::OfferToCreate));
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QVERIFY(f.messages.shown[0].text.find("does not exist") != std::string::npos);
        QCOMPARE(std::filesystem::exists(path), create);
        QCOMPARE(f.editor->View()->FilePath(), path);
        QCOMPARE(f.editor->windowTitle(),
                 QString::fromStdString("[" + path + "] - Tessera Wingmate Editor"));
        f.editor->View()->InsertText("a;\n");
        QVERIFY(f.editor->SaveScript());
        QCOMPARE(ReadFile(path), std::string("a;\n"));
    }

    // A window placed partly off its screen is moved back onto it.
    void newWindowIsWhollyOnItsScreen() {
        Fixture f;
        const QRect available = f.editor->screen()->availableGeometry();
        f.editor->move(available.right() - 100, available.bottom() - 15);
        f.editor->show();
        QCoreApplication::processEvents();
        QVERIFY2(available.contains(f.editor->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(f.editor->frameGeometry().x())
                                .arg(f.editor->frameGeometry().y())
                                .arg(f.editor->frameGeometry().width())
                                .arg(f.editor->frameGeometry().height())));
    }

    // Keys editors are expected to know. The text holds "|" for the caret
    // and "[" "]" around a selection, before and after.
    void editingKeysIndentAsEditorsDo_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("after");
        QTest::newRow("return keeps the indent")
            << "\tx = 1;|\ny;" << int(Qt::Key_Return) << 0 << "\tx = 1;\n\t\ny;";
        QTest::newRow("return after a brace goes deeper")
            << "\tif (a) {|" << int(Qt::Key_Return) << 0 << "\tif (a) {\n\t\t";
        QTest::newRow("tab indents selected lines")
            << "[a;\nb;]\nc;" << int(Qt::Key_Tab) << 0 << "\ta;\n\tb;\nc;";
        QTest::newRow("a selection ending at a line start leaves that line")
            << "[a;\n]b;" << int(Qt::Key_Tab) << 0 << "\ta;\nb;";
        QTest::newRow("tab in one line replaces the selection")
            << "a [bc] d" << int(Qt::Key_Tab) << 0 << "a \t d";
        QTest::newRow("shift+tab unindents") << "[\ta;\n    b;\n  c;]" << int(Qt::Key_Backtab)
                                             << int(Qt::ShiftModifier) << "a;\nb;\nc;";
        QTest::newRow("a closing brace alone goes back a level")
            << "\tif (a) {\n\t\tx;\n\t\t|" << int(Qt::Key_BraceRight) << 0
            << "\tif (a) {\n\t\tx;\n\t}";
        QTest::newRow("a closing brace after text stays where it is")
            << "\t\tx; |" << int(Qt::Key_BraceRight) << 0 << "\t\tx; }";
    }
    void editingKeysIndentAsEditorsDo() {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, after);
        Fixture f;
        QVERIFY(f.Open("keys.tsc", ""));
        CScriptView* view = f.editor->View();
        const int anchor = int(before.indexOf(QLatin1Char('[')));
        QString text = before;
        text.remove(QLatin1Char('[')).remove(QLatin1Char(']')).remove(QLatin1Char('|'));
        view->setPlainText(text);
        view->SetModified(false);
        QTextCursor cursor(view->document());
        if (anchor >= 0) {
            cursor.setPosition(anchor);
            cursor.setPosition(int(before.indexOf(QLatin1Char(']'))) - 1, QTextCursor::KeepAnchor);
        } else {
            cursor.setPosition(int(before.indexOf(QLatin1Char('|'))));
        }
        view->setTextCursor(cursor);
        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(view->toPlainText(), after);
        QVERIFY(view->IsModified());
        QVERIFY(f.editor->windowTitle().startsWith(QLatin1Char('*')));
        // One key, one undo step.
        f.editor->RunCommand(EditorCommand::kUndo);
        QCOMPARE(view->toPlainText(), text);
        QVERIFY(!f.editor->windowTitle().startsWith(QLatin1Char('*')));
        QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(view->toPlainText(), after);
    }

    void completionOffersTheScriptsOwnNames() {
        Fixture f;
        QVERIFY(f.Open("names.tsc", "define LIMIT = 2;\nfunction int Twice(int value) { return "
                                    "value * 2; }\nstring greeting = \"int notAName\";\n"));
        const QStringList words = f.editor->View()->CompletionWords();
        for (const char* name : {"LIMIT", "Twice", "value", "greeting", "string", "if"})
            QVERIFY2(words.contains(QLatin1String(name)), name);
        QVERIFY(!words.contains(QStringLiteral("notAName")));
    }

    void openStartsInTheScriptsFolderAndTheColumnIsShown() {
        Fixture f;
        std::filesystem::create_directory(f.Path("sub"));
        QVERIFY(f.Open("sub/here.tsc", "abc;\n"));
        f.editor->RunCommand(EditorCommand::kOpen);
        QCOMPARE(f.files.openFolders, std::vector<std::string>{f.Path("sub")});
        QTextCursor cursor(f.editor->View()->document());
        cursor.setPosition(2);
        f.editor->View()->setTextCursor(cursor);
        QCOMPARE(f.editor->ColumnLabel()->text(), QStringLiteral("Col: 3"));
    }

    // A large script is shown from its first piece and the rest follows from
    // the event loop; meanwhile the text cannot change and the script as a
    // whole is what a save or a check sees.
    void aLargeScriptArrivesInPieces() {
        Fixture f;
        std::string big = "string s;\n";
        int lines = 1;
        for (; big.size() < 400 * 1024; ++lines)
            big += "s = \"a line of the script\";\n";
        big += "use \"app.dec\";\ns = ;\n"; // the check must see the last line
        QVERIFY(f.Open("big.tsc", big));
        CScriptView* view = f.editor->View();
        QVERIFY(view->IsLoading());
        QVERIFY(view->isReadOnly());
        QVERIFY(size_t(view->document()->characterCount()) < big.size());
        QCOMPARE(view->ScriptText().toStdString(), big);
        QTRY_VERIFY(!view->IsLoading());
        QCOMPARE(view->toPlainText().toStdString(), big);
        QVERIFY(!view->IsModified());
        QVERIFY(!view->isReadOnly());
        QVERIFY(!view->document()->isUndoAvailable()); // the load is no edit
        QCOMPARE(f.editor->UseList(), std::string("app.dec::"));
        QTRY_VERIFY(!view->Checking());
        QCOMPARE(view->Diagnostic().line, lines + 2);
    }

    // "|" marks the caret; the pair found, as positions in the text without it.
    void bracketsMatchOutsideStringsAndComments_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("partner");
        QTest::newRow("after a closing brace") << "if (a[1]) { x; }|" << 15 << 10;
        QTest::newRow("before an opening one") << "f|(g(1), 2);" << 1 << 9;
        QTest::newRow("a string's bracket is skipped") << "|(\")\", 1)" << 0 << 7;
        QTest::newRow("no partner") << "x = (1;|\n// )" << -1 << -1;
        QTest::newRow("unclosed") << "|(1;\n// )" << 0 << -1;
    }
    void bracketsMatchOutsideStringsAndComments() {
        QFETCH(QString, text);
        QFETCH(int, at);
        QFETCH(int, partner);
        Fixture f;
        QVERIFY(f.Open("brackets.tsc", ""));
        CScriptView* view = f.editor->View();
        const int caret = int(text.indexOf(QLatin1Char('|')));
        view->setPlainText(text.remove(QLatin1Char('|')));
        QTextCursor cursor(view->document());
        cursor.setPosition(caret);
        view->setTextCursor(cursor);
        QCOMPARE(view->MatchingBrackets(), std::make_pair(at, partner));
    }
};

QTEST_MAIN(EditorEditsQtTest)
#include "EditorEditsQtTest.moc"
