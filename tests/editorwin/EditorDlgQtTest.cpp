// The script editor window as a user drives it, offscreen: titles, saving and
// its path rules, load failures, the layout split, a dropped declaration,
// the close question, colouring, live diagnostics, Run, byte-exact saves,
// printing, and a script changed on disk.

#include "editor/DecTree.h"
#include "editor/EditorDlg.h"
#include "editor/FindDlg.h"
#include "editor/ScriptHighlighter.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "ports/FileChooser.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCompleter>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <deque>
#include <filesystem>

#include "EditorTestFixture.h"

class EditorDlgQtTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newWindowIsTitledNewFileAndSaveAsksForAPath() {
        Fixture f;
        QCOMPARE(f.editor->windowTitle(), QStringLiteral("[New File] - Tessera Wingmate Editor"));
        QCOMPARE(f.editor->LineLabel()->text(), QStringLiteral("Line: 1"));
        f.files.saveAnswers.push_back(f.Path("first"));
        f.editor->View()->setPlainText("int x = 1;\n");
        f.editor->RunCommand(EditorCommand::kSaveScript);
        QCOMPARE(f.files.saves, 1);
        QCOMPARE(ReadFile(f.Path("first.tsc")), std::string("int x = 1;\n"));
        QCOMPARE(f.editor->windowTitle(),
                 QString::fromStdString("[" + f.Path("first.tsc") + "] - Tessera Wingmate Editor"));
        // Saving again uses the path without asking.
        f.editor->RunCommand(EditorCommand::kSaveScript);
        QCOMPARE(f.files.saves, 1);
    }

    void saveAsAddsTscToANameWithoutADot_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("plain name") << "s/macro"
                                    << "s/macro.tsc";
        QTest::newRow("dotted folder") << "s.d/macro"
                                       << "s.d/macro.tsc";
        QTest::newRow("own extension") << "s/macro.txt"
                                       << "s/macro.txt";
    }
    void saveAsAddsTscToANameWithoutADot() {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        Fixture f;
        std::filesystem::create_directories(f.Path("s"));
        std::filesystem::create_directories(f.Path("s.d"));
        f.files.saveAnswers.push_back(f.Path(chosen.toStdString()));
        f.editor->RunCommand(EditorCommand::kSaveScriptAs);
        QVERIFY(std::filesystem::is_regular_file(f.Path(saved.toStdString())));
        QCOMPARE(f.editor->View()->FilePath(), f.Path(saved.toStdString()));
    }

    // The name is completed after the file dialog, which therefore never saw
    // the file that would be replaced: the editor asks itself.
    void saveAsAsksBeforeReplacingAnotherFile_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("completed name, No") << "other" << false << true << false;
        QTest::newRow("completed name, Yes") << "other" << true << true << true;
        QTest::newRow("full name, No") << "other.tsc" << false << true << false;
        QTest::newRow("own file") << "mine.tsc" << false << false << true;
    }
    void saveAsAsksBeforeReplacingAnotherFile() {
        QFETCH(QString, chosen);
        QFETCH(bool, answerYes);
        QFETCH(bool, asked);
        QFETCH(bool, replaced);
        Fixture f;
        WriteFile(f.Path("other.tsc"), "other;\n");
        QVERIFY(f.Open("mine.tsc", "mine;\n"));
        f.editor->View()->selectAll();
        f.editor->View()->insertPlainText("new;\n"); // typed: the text is modified
        f.messages.answer = answerYes ? MessageAnswer::Yes : MessageAnswer::No;
        f.files.saveAnswers.push_back(f.Path(chosen.toStdString()));
        f.editor->RunCommand(EditorCommand::kSaveScriptAs);
        const std::string target = chosen == "mine.tsc" ? "mine.tsc" : "other.tsc";
        QCOMPARE(f.messages.shown.size(), size_t(asked ? 1 : 0));
        if (asked)
            QCOMPARE(f.messages.shown[0].text,
                     "File '" + f.Path("other.tsc") + "' already exists. Overwrite?");
        QCOMPARE(ReadFile(f.Path(target)), std::string(replaced               ? "new;\n"
                                                       : target == "mine.tsc" ? "mine;\n"
                                                                              : "other;\n"));
        // Declined, the window still edits its own file, unsaved.
        QCOMPARE(f.editor->View()->FilePath(), f.Path(replaced ? target : "mine.tsc"));
        QCOMPARE(f.editor->View()->IsModified(), !replaced);
    }

    void openingAnUnreadableFileSaysBothMessages() {
        Fixture f;
        f.Open("old.tsc", "old text;\n");
        const std::string missing = f.Path("missing.tsc");
        f.files.openAnswers.push_back(missing);
        f.editor->RunCommand(EditorCommand::kOpen);
        QCOMPARE(f.messages.shown.size(), size_t(2));
        QVERIFY(f.messages.shown[0].text.rfind("Could not load file: " + missing, 0) == 0);
        QCOMPARE(f.messages.shown[0].title, std::string("Wingmate Error"));
        QCOMPARE(f.messages.shown[1].text, std::string("Could not open file"));
        QVERIFY(f.editor->View()->toPlainText().isEmpty());
        // Nothing is left pointing at the old file to be saved over.
        QVERIFY(f.editor->View()->FilePath().empty());
        QCOMPARE(ReadFile(f.Path("old.tsc")), std::string("old text;\n"));
    }

    void aWindow400WideGivesTheTreeAQuarter() {
        Fixture f;
        f.editor->show();
        f.editor->resize(400, 300);
        QTRY_COMPARE(f.editor->centralWidget()->width(), 400);
        QCOMPARE(f.editor->Tree()->geometry().x(), 0);
        QCOMPARE(f.editor->Tree()->geometry().width(), 100);
        QCOMPARE(f.editor->View()->geometry().x(), 105);
        QCOMPARE(f.editor->View()->geometry().right(), 399);
        const int height = f.editor->centralWidget()->height();
        QCOMPARE(f.editor->View()->geometry().bottom(), height - 21 - 1);
        QCOMPARE(f.editor->LineLabel()->geometry().bottom(), height - 1);
    }

    void droppedDeclarationLandsAtTheLineUnderThePointer() {
        Fixture f;
        WriteFile(f.Path("app.dec"), kDecs);
        QVERIFY(f.Open("drop.tsc", "use \"app.dec\";\nfirst();\nsecond();\n"));
        QCOMPARE(f.editor->UseList(), std::string("app.dec::"));
        CDeclNode* node = nullptr;
        for (int id = 1; id < 10 && !node; ++id)
            if (CDeclNode* candidate = f.editor->Tree()->FindById(id);
                candidate && candidate->name == "Ok")
                node = candidate;
        QVERIFY(node);
        const QString text = f.editor->Tree()->DragText(node->id);
        QVERIFY(text.startsWith(QStringLiteral("App.")) && text.endsWith(QLatin1Char('\n')));

        f.editor->show();
        f.editor->resize(600, 400);
        QTest::qWait(0);
        CScriptView* view = f.editor->View();
        const QTextBlock second = view->document()->findBlockByNumber(2);
        QTextCursor at(second);
        at.setPosition(second.position() + 3);
        const QPoint point = view->cursorRect(at).center();
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(view->document()->findBlockByNumber(2).text(), text.chopped(1));
        QCOMPARE(view->document()->findBlockByNumber(3).text(), QStringLiteral("second();"));
        QVERIFY(view->IsModified());
        // A look at the window as a person sees it, when asked for.
        const QString shots = qEnvironmentVariable("EDITOR_SCREENSHOTS");
        if (!shots.isEmpty()) {
            f.editor->Tree()->expandAll();
            view->InsertText("x = ;\n");
            view->CheckNow();
            f.editor->grab().save(shots + QStringLiteral("/editor.png"));
        }
    }

    void closingAChangedScriptAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("onDisk");
        QTest::newRow("yes saves") << int(MessageAnswer::Yes) << true << "a;\nb;\n";
        QTest::newRow("no discards") << int(MessageAnswer::No) << true << "a;\n";
        QTest::newRow("cancel stays") << int(MessageAnswer::Cancel) << false << "a;\n";
    }
    void closingAChangedScriptAsks() {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QString, onDisk);
        Fixture f;
        QVERIFY(f.Open("close.tsc", "a;\n"));
        f.editor->show();
        f.editor->View()->moveCursor(QTextCursor::End);
        QTest::keyClicks(f.editor->View(), "b;");
        QTest::keyClick(f.editor->View(), Qt::Key_Return);
        QVERIFY(f.editor->View()->IsModified());
        f.messages.answer = MessageAnswer(answer);
        QCOMPARE(f.editor->close(), closed);
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.messages.shown[0].text,
                 "Save script and declarations?\n\n" + f.Path("close.tsc"));
        QCOMPARE(f.messages.shown[0].title, std::string("Script / Declarations not saved"));
        QVERIFY(f.messages.shown[0].buttons == MessageButtons::YesNoCancel);
        QCOMPARE(ReadFile(f.Path("close.tsc")), onDisk.toStdString());
    }

    void anUnchangedScriptClosesWithoutAsking() {
        Fixture f;
        QVERIFY(f.Open("calm.tsc", "a;\n"));
        QVERIFY(f.editor->close());
        QVERIFY(f.messages.shown.empty());
    }

    void anEditedDeclarationIsNotLostOnClose() {
        Fixture f;
        WriteFile(f.Path("app.dec"), kDecs);
        QVERIFY(f.Open("decl.tsc", "use \"app.dec\";\n"));
        f.editor->Tree()->SetPropertiesEditor([](CDeclNode& copy) {
            copy.tag = "Renamed";
            return true;
        });
        QVERIFY(f.editor->Tree()->EditDeclaration(1));
        QVERIFY(f.editor->DeclarationsEdited());
        f.messages.answer = MessageAnswer::Yes;
        QVERIFY(f.editor->close());
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QVERIFY(ReadFile(f.Path("app.dec")).find("Tag=\"Renamed\"") != std::string::npos);
        QCOMPARE(ReadFile(f.Path("decl.tsc")), std::string("use \"app.dec\";\n"));
    }

    void savingKeepsTheScriptsLinkAndMode() {
        Fixture f;
        WriteFile(f.Path("real.tsc"), "a;\n");
        std::filesystem::permissions(f.Path("real.tsc"), std::filesystem::perms(0640));
        std::filesystem::create_symlink("real.tsc", f.Path("link.tsc"));
        f.editor->SetPathToLoad(f.Path("link.tsc"));
        QVERIFY(f.editor->Load());
        f.editor->View()->InsertText("b;\n");
        QVERIFY(f.editor->SaveScript());
        QVERIFY(std::filesystem::is_symlink(f.Path("link.tsc")));
        QCOMPARE(ReadFile(f.Path("real.tsc")), std::string("b;\na;\n"));
        QCOMPARE(int(std::filesystem::status(f.Path("real.tsc")).permissions() &
                     std::filesystem::perms::all),
                 0640);
    }

    void colouringLeavesTheMarkUndoAndCaretAlone() {
        Fixture f;
        QVERIFY(f.Open("colour.tsc", "if (x) { Frob(1); }\n"));
        CScriptView* view = f.editor->View();
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(2);
        cursor.setPosition(6, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
        view->AddKeywords("Frob,Other");
        QVERIFY(!view->IsModified());
        QCOMPARE(view->document()->availableUndoSteps(), 0);
        QCOMPARE(view->textCursor().anchor(), 2);
        QCOMPARE(view->textCursor().position(), 6);
        // And the colours are really there.
        const QList<QTextLayout::FormatRange> formats =
            view->document()->firstBlock().layout()->formats();
        bool red = false, blue = false;
        for (const QTextLayout::FormatRange& range : formats) {
            red =
                red || (range.start == 0 && range.format.foreground().color() == QColor(230, 0, 0));
            blue = blue ||
                   (range.start == 9 && range.format.foreground().color() == QColor(0, 0, 230));
        }
        QVERIFY(red);
        QVERIFY(blue);
    }

    void aBrokenScriptShowsItsErrorUntilFixed() {
        Fixture f;
        QVERIFY(f.Open("diag.tsc", "int x = 1;\nPrint(x);\n"));
        CScriptView* view = f.editor->View();
        QVERIFY(!view->Diagnostic().failed);
        QVERIFY(f.editor->StatusText().isEmpty());
        QTextCursor cursor(view->document()->findBlockByNumber(1));
        cursor.insertText("x = ;\n");
        QTRY_VERIFY(view->Diagnostic().failed); // after the typing pause
        QCOMPARE(view->Diagnostic().line, 2);
        QCOMPARE(view->extraSelections().size(), 1);
        QCOMPARE(view->extraSelections()[0].cursor.block().blockNumber(), 1);
        QVERIFY(!f.editor->StatusText().isEmpty());
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.select(QTextCursor::BlockUnderCursor);
        cursor.removeSelectedText();
        QTRY_VERIFY(!view->Diagnostic().failed);
        QVERIFY(view->extraSelections().isEmpty());
        QVERIFY(f.editor->StatusText().isEmpty());
    }

    void runSavesAndHandsTheScriptToTheRunner() {
        Fixture f;
        QVERIFY(f.Open("run.tsc", "Print(1);\n"));
        f.editor->View()->moveCursor(QTextCursor::End);
        f.editor->View()->InsertText("Print(2);");
        f.editor->RunCommand(EditorCommand::kRun);
        QCOMPARE(f.runner.paths.size(), size_t(1));
        QCOMPARE(f.runner.paths[0], f.Path("run.tsc"));
        QCOMPARE(ReadFile(f.Path("run.tsc")), std::string("Print(1);\nPrint(2);"));
        QVERIFY(f.editor->StatusText().startsWith(QStringLiteral("Running run.tsc")));
        QVERIFY(f.editor->RunPending());
    }

    // A script the editor marks as not compiling is not run: the caret goes
    // to the error.
    void runRefusesAScriptThatDoesNotCompile() {
        Fixture f;
        QVERIFY(f.Open("broken.tsc", "int a = 1;\nint b = 2;\nb = ;\n"));
        f.editor->RunCommand(EditorCommand::kRun);
        QVERIFY(f.runner.paths.empty());
        QVERIFY(!f.editor->RunPending());
        QCOMPARE(f.editor->View()->textCursor().blockNumber(), 2);
        QVERIFY(f.editor->StatusText().startsWith(QStringLiteral("Not run: line 3")));
    }

    // The status follows the run to its end; a runtime error in this script
    // is marked on its line.
    void runShowsItsEndAndMarksARuntimeError_data() {
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("logWritten");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("markedLine"); // 0: none
        QTest::newRow("ended, no log")
            << false << false << "Run of run.tsc ended. It wrote no log." << 0;
        QTest::newRow("ended, log")
            << false << true << "Run of run.tsc ended. Its output is in" << 0;
        QTest::newRow("runtime error")
            << true << false << "Run of run.tsc failed: line 2: division by zero" << 2;
    }
    void runShowsItsEndAndMarksARuntimeError() {
        QFETCH(bool, failed);
        QFETCH(bool, logWritten);
        QFETCH(QString, status);
        QFETCH(int, markedLine);
        Fixture f;
        QVERIFY(f.Open("run.tsc", "int a = 0;\nint b = 1 / a;\nPrint(b);\n"));
        f.editor->RunCommand(EditorCommand::kRun);
        QVERIFY(f.runner.whenEnded);
        QVERIFY(f.editor->RunPending());
        EditorRunEnd end;
        end.failed = failed;
        if (failed)
            end.error = f.Path("run.tsc") + ":2: runtime error: division by zero";
        if (logWritten)
            end.logPath = f.Path("run.log");
        f.runner.whenEnded(end);
        QVERIFY(!f.editor->RunPending());
        QVERIFY2(f.editor->StatusText().startsWith(status), qPrintable(f.editor->StatusText()));
        CScriptView* view = f.editor->View();
        QCOMPARE(view->Diagnostic().line, markedLine);
        QCOMPARE(view->extraSelections().size(), markedLine ? 1 : 0);
        if (markedLine) {
            QCOMPARE(view->extraSelections()[0].cursor.block().blockNumber(), markedLine - 1);
            QCOMPARE(view->extraSelections()[0].cursor.selectedText(),
                     QStringLiteral("int b = 1 / a;"));
        }
    }

    void savingAnUnchangedScriptKeepsItsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("crlf") << QByteArray("a = 1;\r\nb;\r\n");
        QTest::newRow("no final newline") << QByteArray("a = 1;\nb;");
        QTest::newRow("invalid utf-8") << QByteArray("s = \"caf\xe9\";\n\xff");
        QTest::newRow("lone cr and mixed") << QByteArray("a;\rb;\r\nc;\n");
    }
    void savingAnUnchangedScriptKeepsItsBytes() {
        QFETCH(QByteArray, bytes);
        Fixture f;
        const std::string original = bytes.toStdString();
        QVERIFY(f.Open("bytes.tsc", original));
        QVERIFY(f.editor->View()->Save());
        QCOMPARE(ReadFile(f.Path("bytes.tsc")), original);
        // An edit keeps the file's line ends and encoding.
        f.editor->View()->moveCursor(QTextCursor::Start);
        f.editor->View()->InsertText("x;\n");
        QVERIFY(f.editor->View()->Save());
        const std::string edited = ReadFile(f.Path("bytes.tsc"));
        QVERIFY(edited.size() > original.size());
        if (original == "a = 1;\r\nb;\r\n")
            QCOMPARE(edited, std::string("x;\r\na = 1;\r\nb;\r\n"));
        if (original.find('\xe9') != std::string::npos)
            QVERIFY(edited.find('\xe9') != std::string::npos); // never U+FFFD
    }

    void aFailedSaveKeepsTextAndMark() {
        Fixture f;
        QVERIFY(f.Open("keep.tsc", "a;\n"));
        f.editor->View()->InsertText("b;\n");
        const std::string blocked = f.Path("no/such/folder/keep.tsc");
        f.editor->View()->SetFilePath(blocked);
        QVERIFY(!f.editor->View()->Save());
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QVERIFY(f.messages.shown[0].text.rfind("Could not save: " + blocked, 0) == 0);
        QCOMPARE(f.messages.shown[0].title, std::string("Save Failed"));
        QVERIFY(f.editor->View()->IsModified());
        QCOMPARE(f.editor->View()->toPlainText(), QStringLiteral("b;\na;\n"));
    }

    void printingWritesEveryLineToThePdf() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        CRecordingMessageBox messages;
        CAnsweringFileChooser files;
        EditorServices services(messages, files);
        services.setUpPrinter = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        CEditorDlg editor(services);
        QString text;
        for (int i = 1; i <= 150; ++i) // several pages
            text += QStringLiteral("Print(\"line %1\");\n").arg(i);
        editor.View()->setPlainText(text);
        editor.RunCommand(EditorCommand::kPrint);
        QProcess process;
        process.start(pdftotext, {pdf, QStringLiteral("-")});
        QVERIFY(process.waitForFinished(20000));
        const QString printed = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY(printed.contains(QStringLiteral("Print(\"line 1\");")));
        QVERIFY(printed.contains(QStringLiteral("Print(\"line 150\");")));
        QVERIFY(printed.count(QChar('\f')) >= 2); // more than one page
    }

    void findAndReplaceHonourTheirOptions_data() {
        QTest::addColumn<QString>("needle");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<int>("found"); // start of the match from position 5; -1 none
        QTest::addColumn<int>("replaced");
        // Text: "cat Cat cats cat\n", caret at 5 (inside the second word).
        QTest::newRow("next, any case") << "cat" << false << false << false << 8 << 4;
        QTest::newRow("match case wraps") << "Cat" << true << false << false << 4 << 1;
        QTest::newRow("whole word") << "cat" << false << true << false << 13 << 3;
        QTest::newRow("previous wraps") << "cats" << false << false << true << 8 << 1;
        QTest::newRow("absent") << "dog" << false << false << false << -1 << 0;
    }
    void findAndReplaceHonourTheirOptions() {
        QFETCH(QString, needle);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(bool, backward);
        QFETCH(int, found);
        QFETCH(int, replaced);
        Fixture f;
        CScriptView* view = f.editor->View();
        view->setPlainText(QStringLiteral("cat Cat cats cat\n"));
        QTextCursor at = view->textCursor();
        at.setPosition(5);
        view->setTextCursor(at);
        f.editor->RunCommand(EditorCommand::kReplace);
        CFindDlg* find = f.editor->FindDialog();
        QVERIFY(find);
        find->FindBox()->setText(needle);
        find->MatchCaseBox()->setChecked(matchCase);
        find->WholeWordBox()->setChecked(wholeWord);
        find->ReplaceBox()->setText(QStringLiteral("X"));
        const bool hit = find->FindNext(backward);
        QCOMPARE(hit, found >= 0);
        if (hit)
            QCOMPARE(view->textCursor().selectionStart(), found);
        QCOMPARE(find->ReplaceAll(), replaced);
        if (replaced > 0) {
            QVERIFY(view->IsModified());
            view->undo(); // one step takes every replacement back
            QCOMPARE(view->toPlainText(), QStringLiteral("cat Cat cats cat\n"));
        }
    }

    void completionOffersNamesByPrefix() {
        Fixture f;
        f.editor->show();
        CScriptView* view = f.editor->View();
        view->AddKeywords("Twiddle,Frob");
        view->setFocus();
        QTest::keyClicks(view, "x = Tw");
        QTest::keyClick(view, Qt::Key_Space, Qt::ControlModifier);
        auto* completer = view->findChild<QCompleter*>();
        QVERIFY(completer);
        QCOMPARE(completer->completionCount(), 1);
        QCOMPARE(completer->currentCompletion(), QStringLiteral("Twiddle"));
        QVERIFY(view->CompletionWords().contains(QStringLiteral("while")));
        Q_EMIT completer->activated(completer->currentCompletion());
        QCOMPARE(view->toPlainText(), QStringLiteral("x = Twiddle"));
    }

    void helpOpensTheHtmlFileOrSaysWhy_data() {
        QTest::addColumn<bool>("present");
        QTest::newRow("present") << true;
        QTest::newRow("missing") << false;
    }
    void helpOpensTheHtmlFileOrSaysWhy() {
        QFETCH(bool, present);
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        if (present) {
            std::filesystem::create_directories(home + "/help");
            WriteFile(home + "/help/Tessera.html", "<html></html>");
        }
        CRecordingMessageBox messages;
        CAnsweringFileChooser files;
        EditorServices services(messages, files);
        services.home = home;
        std::vector<QString> opened;
        services.openUrl = [&](const QUrl& url) {
            opened.push_back(url.toLocalFile());
            return true;
        };
        CEditorDlg editor(services);
        editor.RunCommand(EditorCommand::kHelpTessera);
        QCOMPARE(opened.size(), size_t(present ? 1 : 0));
        QCOMPARE(messages.shown.size(), size_t(present ? 0 : 1));
        if (!present) {
            QCOMPARE(messages.shown[0].text,
                     "Could not open help file: " + home + "/help/Tessera.html");
            QCOMPARE(messages.shown[0].title, std::string("Failed to open Help"));
        }
    }

    void aScriptChangedOnDiskIsOfferedForReload_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("modified");
        QTest::newRow("reload") << int(MessageAnswer::Yes) << "from disk;\n" << false;
        QTest::newRow("keep") << int(MessageAnswer::No) << "mine;\n" << true;
    }
    void aScriptChangedOnDiskIsOfferedForReload() {
        QFETCH(int, answer);
        QFETCH(QString, shown);
        QFETCH(bool, modified);
        Fixture f;
        QVERIFY(f.Open("disk.tsc", "mine;\n"));
        f.editor->CheckDisk();
        QVERIFY(f.messages.shown.empty()); // nothing changed yet
        std::filesystem::last_write_time(f.Path("disk.tsc"),
                                         std::filesystem::file_time_type::clock::now() +
                                             std::chrono::seconds(5));
        WriteFile(f.Path("disk.tsc"), "from disk;\n");
        f.messages.answer = MessageAnswer(answer);
        f.editor->CheckDisk();
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.editor->View()->toPlainText(), shown);
        QCOMPARE(f.editor->View()->IsModified(), modified);
        QCOMPARE(ReadFile(f.Path("disk.tsc")), std::string("from disk;\n"));
    }

    // Saving over a version another program wrote since the window read the
    // file asks first; declined, that version stays on disk.
    void savingOverAChangeOnDiskAsks_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("changeOnDisk");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("onDisk");
        const int save = EditorCommand::kSaveScript, saveAs = EditorCommand::kSaveScriptAs;
        const int yes = int(MessageAnswer::Yes), no = int(MessageAnswer::No);
        QTest::newRow("unchanged") << save << false << no << "mine;\n";
        QTest::newRow("changed, No") << save << true << no << "theirs;\n";
        QTest::newRow("changed, Yes") << save << true << yes << "mine;\n";
        QTest::newRow("save as own file, No") << saveAs << true << no << "theirs;\n";
    }
    void savingOverAChangeOnDiskAsks() {
        QFETCH(int, command);
        QFETCH(bool, changeOnDisk);
        QFETCH(int, answer);
        QFETCH(QString, onDisk);
        Fixture f;
        QVERIFY(f.Open("disk.tsc", "old;\n"));
        f.editor->View()->selectAll();
        f.editor->View()->insertPlainText("mine;\n");
        if (changeOnDisk) {
            std::filesystem::last_write_time(f.Path("disk.tsc"),
                                             std::filesystem::file_time_type::clock::now() +
                                                 std::chrono::seconds(5));
            WriteFile(f.Path("disk.tsc"), "theirs;\n");
        }
        f.messages.answer = MessageAnswer(answer);
        f.files.saveAnswers.push_back(f.Path("disk.tsc"));
        f.editor->RunCommand(command);
        QCOMPARE(f.messages.shown.size(), size_t(changeOnDisk ? 1 : 0));
        QCOMPARE(ReadFile(f.Path("disk.tsc")), onDisk.toStdString());
        QCOMPARE(f.editor->View()->IsModified(), onDisk != "mine;\n");
        // Once saved, the window's own write is not taken for another change.
        f.messages.shown.clear();
        f.editor->RunCommand(EditorCommand::kSaveScript);
        QCOMPARE(f.messages.shown.size(), size_t(onDisk == "mine;\n" ? 0 : 1));
    }
};

QTEST_MAIN(EditorDlgQtTest)
#include "EditorDlgQtTest.moc"
