// The Macro Wizard as a user drives it: each kind from name to Finish, the
// refusals that keep the page, the questions Finish asks, the copy list's
// order, and the main window adding the macro it hands back.

#include "app/MainDlg.h"
#include "fakes/Fakes.h"
#include "fakes/TestFiles.h"
#include "library/LibraryTestUtil.h"
#include "ports/FileChooser.h"
#include "views/FakeMainWindow.h"
#include "views/MacroTree.h"
#include "views/ManagerPage.h"
#include "views/QtMessageBox.h"
#include "wizard/WizardDlg.h"
#include "wizard/WizardPages.h"
#include "wizard/WizardScripts.h"

#include "triggers/TriggerEdit.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <deque>
#include <filesystem>
#include <fstream>

namespace {

// Answers the wizard's dialogs from queues; records what was asked.
class CScriptedFileChooser : public IFileChooser {
public:
    std::vector<std::string> OpenFiles(const std::string& filter, bool multiple) override {
        asked.push_back(std::string(multiple ? "OpenFiles " : "OpenFile ") + filter);
        return Take(openAnswers, std::vector<std::string>{});
    }
    std::string SaveFile(const std::string& filter, const std::string& initial) override {
        asked.push_back("SaveFile " + filter + " " + initial);
        return Take(saveAnswers, std::string());
    }
    std::string ChooseFolder(const std::string& title) override {
        asked.push_back("ChooseFolder " + title);
        return Take(folderAnswers, std::string());
    }
    template <class T> static T Take(std::deque<T>& queue, T none) {
        if (queue.empty())
            return none;
        T first = queue.front();
        queue.pop_front();
        return first;
    }

    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::string> saveAnswers;
    std::deque<std::string> folderAnswers;
    std::vector<std::string> asked;
};

// A home folder with its Scripts folder and a wizard over it.
struct WizardFixture {
    WizardFixture() {
        home = dir.path().toStdString();
        std::filesystem::create_directories(home + "/Scripts");
        wizard = std::make_unique<CWizardDlg>(home, messages, files);
    }
    void Start(const QString& name, WizardType type) {
        wizard->nameEdit->setText(name);
        wizard->typeList->setCurrentRow(static_cast<int>(type));
        wizard->nextButton->click();
    }
    std::string LastMessage() const {
        return messages.shown.empty() ? std::string() : messages.shown.back().text;
    }

    QTemporaryDir dir;
    std::string home;
    CRecordingMessageBox messages;
    CScriptedFileChooser files;
    std::unique_ptr<CWizardDlg> wizard;
};

const std::string kHeader = wizard::kScriptHeader;

} // namespace

class WizardQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachTypeWritesItsScriptAndHandsBackTheMacro_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("application")
            << int(WizardType::OpenApplication)
            << QString::fromStdString(kHeader + "string sExec = \"'/opt/My Editor/edit' "
                                                "'/tmp/a b.txt'\";\nRun(sExec);\n");
        QTest::newRow("copy") << int(WizardType::CopyFiles)
                              << QString::fromStdString(
                                     kHeader + "CopyFile(\"/data/a.txt\",\"/backup/a.txt\");\n\r");
        QTest::newRow("alert") << int(WizardType::AlertMessage)
                               << QString::fromStdString(
                                      kHeader + "string sAlert = \"Say \\\"hi\\\"\\nbye\";\n"
                                                "Alert(sAlert);\n");
        QTest::newRow("keys") << int(WizardType::TypeKeys)
                              << QString::fromStdString(kHeader +
                                                        "string sText = \"a<<>b><ENTER>c<<>/b>\";\n"
                                                        "TypeKeys(sText);\n");
    }
    void eachTypeWritesItsScriptAndHandsBackTheMacro() {
        QFETCH(int, type);
        QFETCH(QString, expected);
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        f.Start(QStringLiteral("  Open my/file.now "), static_cast<WizardType>(type));
        QCOMPARE(w.Step(), 1);
        switch (static_cast<WizardType>(type)) {
        case WizardType::OpenApplication:
            f.files.openAnswers = {{"/opt/My Editor/edit"}, {"/tmp/a b.txt"}};
            w.appPage->executableBrowse->click();
            w.appPage->parametersBrowse->click();
            QCOMPARE(w.pages->currentWidget(), w.appPage);
            break;
        case WizardType::CopyFiles:
            f.files.openAnswers = {{"/data/a.txt"}};
            f.files.folderAnswers = {"/backup"};
            w.copyPage->filesButton->click();
            w.copyPage->destinationButton->click();
            QCOMPARE(w.copyPage->destinationEdit->text(), QStringLiteral("/backup/"));
            break;
        case WizardType::AlertMessage:
            w.alertPage->textEdit->setPlainText(QStringLiteral("Say \"hi\"\nbye"));
            break;
        case WizardType::TypeKeys:
            QVERIFY(w.keysPage->textOption->isChecked());
            w.keysPage->textEdit->setPlainText(QStringLiteral("a<b>\nc</b>"));
            break;
        case WizardType::RecordScript:
            break;
        }
        w.nextButton->click();
        QCOMPARE(w.pages->currentWidget(), w.donePage);
        QVERIFY(w.nextButton->isHidden());
        QVERIFY(!w.finishButton->isHidden());
        const std::string file = f.home + "/Scripts/Open_my_file_now.tsc";
        QCOMPARE(w.donePage->fileEdit->text().toStdString(), file);
        QCOMPARE(w.donePage->nameLabel->text(), QStringLiteral("Open my/file.now"));
        QVERIFY(!std::filesystem::exists(file));
        w.finishButton->click();
        QVERIFY(w.Finished());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(ReadFile(file)), expected);
        QCOMPARE(w.Macro().name, std::string("Open my/file.now"));
        QCOMPARE(w.Macro().scriptFile, file);
        QCOMPARE(w.Macro().runAsScript, 1);
        QVERIFY(f.messages.shown.empty());
    }

    void firstPageRefusesWithoutTypeOrName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("message");
        QTest::newRow("no type") << "Backup" << -1 << "Must select macro type";
        QTest::newRow("no type, no name") << "" << -1 << "Must select macro type";
        QTest::newRow("blank name") << " \t " << 3 << "Macro requires a name";
        QTest::newRow("record, blank name") << "" << 0 << "Macro requires a name";
    }
    void firstPageRefusesWithoutTypeOrName() {
        QFETCH(QString, name);
        QFETCH(int, row);
        QFETCH(QString, message);
        WizardFixture f;
        f.wizard->nameEdit->setText(name);
        f.wizard->typeList->setCurrentRow(row);
        f.wizard->nextButton->click();
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(f.LastMessage()), message);
        QCOMPARE(f.wizard->Step(), 0);
        QCOMPARE(f.wizard->pages->currentIndex(), 0);
        QCOMPARE(f.wizard->typeList->count(), 5);
        QCOMPARE(f.wizard->typeList->item(0)->text(), QStringLiteral("Record New Script"));
    }

    // A refusal keeps the page and what was typed; a second Next tries again.
    void refusedPageStaysUntilMended_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::newRow("application")
            << int(WizardType::OpenApplication) << "Must enter an application name";
        QTest::newRow("copy") << int(WizardType::CopyFiles)
                              << "Must enter an a destination location";
        QTest::newRow("keys") << int(WizardType::TypeKeys)
                              << "Must enter TypeKeyse text in selected box";
        QTest::newRow("empty combination")
            << int(WizardType::TypeKeys) << "Must enter TypeKeyse text in selected box";
    }
    void refusedPageStaysUntilMended() {
        QFETCH(int, type);
        QFETCH(QString, message);
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        f.Start(QStringLiteral("Job"), static_cast<WizardType>(type));
        QWidget* page = w.pages->currentWidget();
        QSignalSpy closed(&w, &QDialog::finished);
        const bool combination =
            QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("empty combination");
        if (combination) {
            w.keysPage->textEdit->setPlainText(QStringLiteral("typed but not chosen"));
            w.keysPage->keysOption->setChecked(true);
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            w.nextButton->click();
            QCOMPARE(QString::fromStdString(f.LastMessage()), message);
            QCOMPARE(w.pages->currentWidget(), page);
            QCOMPARE(closed.count(), 0);
            QCOMPARE(w.Step(), 1);
        }
        switch (static_cast<WizardType>(type)) {
        case WizardType::OpenApplication:
            w.appPage->executableEdit->setText(QStringLiteral("gedit"));
            break;
        case WizardType::CopyFiles:
            f.files.folderAnswers = {"/backup"};
            w.copyPage->destinationButton->click();
            break;
        default:
            if (combination)
                QTest::keyClick(w.keysPage->keysEdit, Qt::Key_S, Qt::ControlModifier);
            else
                w.keysPage->textEdit->setPlainText(QStringLiteral("x"));
        }
        w.nextButton->click();
        QCOMPARE(w.pages->currentWidget(), w.donePage);
        QCOMPARE(f.messages.shown.size(), size_t(2));
        if (combination)
            QVERIFY2(w.ScriptText().find("TypeKeys(sText)") != std::string::npos &&
                         w.ScriptText().find("typed but not chosen") == std::string::npos,
                     w.ScriptText().c_str());
    }

    // Keys as a user presses them: Enter on the closing page finishes even
    // after Next was clicked (the focus must not land on Cancel), and Escape
    // on a page keeps the wizard and what was typed.
    void keyboardOnThePagesKeepsTheMacro() {
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.nameEdit->setText(QStringLiteral("Hello"));
        w.typeList->setCurrentRow(int(WizardType::AlertMessage));
        QTest::mouseClick(w.nextButton, Qt::LeftButton);
        QCOMPARE(w.pages->currentWidget(), w.alertPage);
        w.alertPage->textEdit->setFocus();
        QTest::keyClicks(w.alertPage->textEdit, QStringLiteral("Hi"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(w.alertPage->textEdit->toPlainText(), QStringLiteral("Hi"));
        QTest::mouseClick(w.nextButton, Qt::LeftButton);
        QCOMPARE(w.pages->currentWidget(), w.donePage);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(w.Finished());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(ReadFile(f.home + "/Scripts/Hello.tsc").find("Alert(sAlert);") !=
                std::string::npos);
    }

    // A very long name neither widens the wizard past the screen nor the
    // message box that names its file; the box belongs to the wizard.
    void longNameKeepsTheWizardAndItsBoxOnScreen() {
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        CQtMessageBox desktopBoxes;
        std::unique_ptr<IMessageBox> own;
        w.SetMessages(MessagesOwnedBy(&w, desktopBoxes, own));
        std::filesystem::remove(f.home + "/Scripts");
        const QString name = QString(300, QLatin1Char('n'));
        f.Start(name, WizardType::AlertMessage);
        w.nextButton->click();
        w.show();
        QCoreApplication::processEvents();
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY2(w.minimumSizeHint().width() <= 520, // its default width
                 qPrintable(QString::number(w.minimumSizeHint().width())));
        QVERIFY(w.width() <= screen.width());
        QCOMPARE(w.donePage->nameLabel->text(), name);
        QWidget* boxParent = nullptr;
        int boxWidth = 0;
        bool textFits = false;
        QTimer::singleShot(0, &w, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            boxParent = box->parentWidget();
            boxWidth = box->width();
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            textFits = label && label->sizeHint().width() <= label->width() &&
                       label->text().remove(QChar(0x200B)).contains(name);
            box->accept();
        });
        w.finishButton->click();
        QCOMPARE(boxParent, static_cast<QWidget*>(&w));
        QVERIFY2(boxWidth > 0 && boxWidth <= screen.width(), qPrintable(QString::number(boxWidth)));
        QVERIFY(textFits);
        QVERIFY(!w.Finished());
    }

    void keysClearEmptiesTheCombination() {
        WizardFixture f;
        CWizardKeysPage& page = *f.wizard->keysPage;
        QVERIFY(!page.keysEdit->upperCase);
        QVERIFY(page.keysEdit->allowRepeat);
        page.keysEdit->setText(QStringLiteral("<CTRL>s"));
        page.clearButton->click();
        QVERIFY(page.keysEdit->text().isEmpty());
    }

    // Finish: No to the overwrite question keeps the old file and the page;
    // Yes replaces it.
    void overwriteQuestion_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void overwriteQuestion() {
        QFETCH(bool, yes);
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        const std::string file = f.home + "/Scripts/Hello.tsc";
        { std::ofstream(file) << "old"; }
        f.Start(QStringLiteral("Hello"), WizardType::AlertMessage);
        w.nextButton->click();
        f.messages.answer = yes ? MessageAnswer::Yes : MessageAnswer::No;
        w.finishButton->click();
        QCOMPARE(f.messages.shown.size(), size_t(1));
        QCOMPARE(f.messages.shown[0].text, "File '" + file + "' alread exists. Overwrite?");
        QCOMPARE(f.messages.shown[0].title, std::string("File Exists"));
        QVERIFY(f.messages.shown[0].buttons == MessageButtons::YesNo);
        QCOMPARE(w.Finished(), yes);
        QCOMPARE(ReadFile(file) == "old", !yes);
        if (!yes)
            QCOMPARE(w.pages->currentWidget(), w.donePage);
    }

    void missingScriptsFolderIsReported() {
        WizardFixture f;
        std::filesystem::remove(f.home + "/Scripts");
        f.Start(QStringLiteral("Hello"), WizardType::AlertMessage);
        f.wizard->nextButton->click();
        f.wizard->finishButton->click();
        const std::string file = f.home + "/Scripts/Hello.tsc";
        QCOMPARE(f.LastMessage(), "Could not create file '" + file + "'.");
        QCOMPARE(f.messages.shown.back().title, std::string("Wingmate Error"));
        QVERIFY(!f.wizard->Finished());
        QVERIFY(!std::filesystem::exists(f.home + "/Scripts"));
        QCOMPARE(f.wizard->pages->currentWidget(), f.wizard->donePage);
    }

    // The done page's file edit and Browse choose another file.
    void donePageBrowseChoosesTheFile() {
        WizardFixture f;
        f.Start(QStringLiteral("Hello"), WizardType::AlertMessage);
        f.wizard->nextButton->click();
        const std::string other = f.home + "/elsewhere.tsc";
        f.files.saveAnswers = {other};
        f.wizard->donePage->browseButton->click();
        f.wizard->finishButton->click();
        QVERIFY(f.wizard->Finished());
        QCOMPARE(f.wizard->Macro().scriptFile, other);
        QVERIFY(ReadFile(other).rfind(kHeader, 0) == 0);
        QVERIFY(!std::filesystem::exists(f.home + "/Scripts/Hello.tsc"));
        QCOMPARE(f.files.asked.back(), "SaveFile Tessera Scripts (*.tsc);;All Files (*) " + f.home +
                                           "/Scripts/Hello.tsc");
    }

    // Two files, then a folder: the latest choice is at the top.
    void copyListShowsTheLatestChoiceFirst() {
        WizardFixture f;
        CWizardCopyPage& page = *f.wizard->copyPage;
        f.files.openAnswers = {{"/d/one.txt", "/d/two.txt"}};
        f.files.folderAnswers = {"/d/folder", "/"};
        page.filesButton->click();
        page.foldersButton->click();
        page.destinationButton->click();
        QCOMPARE(page.list->topLevelItemCount(), 3);
        QCOMPARE(page.list->topLevelItem(0)->text(0), QStringLiteral("/d/folder/"));
        QCOMPARE(page.list->topLevelItem(1)->text(0), QStringLiteral("/d/two.txt"));
        QCOMPARE(page.list->topLevelItem(2)->text(0), QStringLiteral("/d/one.txt"));
        QCOMPARE(page.destinationEdit->text(), QStringLiteral("/"));
        QVERIFY(page.destinationEdit->isReadOnly());
        QCOMPARE(f.files.asked,
                 (std::vector<std::string>{"OpenFiles All Files (*)", "ChooseFolder Select Folder",
                                           "ChooseFolder Select Folder"}));
    }

    // Every page fits the wizard's default size.
    void pagesFitTheDefaultSize() {
        WizardFixture f;
        CWizardDlg& w = *f.wizard;
        w.show();
        const QString shots = qEnvironmentVariable("WIZARD_SCREENSHOTS");
        for (int i = 0; i < w.pages->count(); ++i) {
            w.pages->setCurrentIndex(i);
            QWidget* page = w.pages->currentWidget();
            QCoreApplication::processEvents();
            const QSize need = page->minimumSizeHint();
            QVERIFY2(need.width() <= page->width() && need.height() <= page->height(),
                     qPrintable(QStringLiteral("page %1 needs %2x%3, has %4x%5")
                                    .arg(i)
                                    .arg(need.width())
                                    .arg(need.height())
                                    .arg(page->width())
                                    .arg(page->height())));
            if (!shots.isEmpty())
                w.grab().save(shots + QStringLiteral("/wizard-page-%1.png").arg(i));
        }
    }

    // The Manager page's hidden Wizard button adds what the wizard made at the
    // caret and leaves the form on the entry it showed.
    void managerPageWizardButtonAddsTheMacro() {
        CMacroLibrary library;
        library.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        CFakeMainWindow ops(library);
        CRecordingMessageBox messages;
        CManagerPage page(library, ops, messages);
        QVERIFY(page.wizardButton->isHidden());
        QCOMPARE(page.wizardButton->text(), QStringLiteral("&Wizard"));
        page.wizardButton->click();
        QVERIFY(ops.calls.empty());
        std::optional<CMacro> answer;
        page.SetWizardRunner([&answer] { return answer; });
        page.wizardButton->click();
        QVERIFY(ops.calls.empty());
        CMacro made = Record("Hello", 1, 77);
        answer = made;
        page.wizardButton->click();
        QCOMPARE(ops.calls, (std::vector<std::string>{"Add Hello"}));
        QCOMPARE(page.ShownId(), 0);
    }

    // The Macro Wizard command: the macro goes in after the selected macro
    // and is selected.
    void mainWindowAddsTheMacroAfterFinish() {
        QTemporaryDir dir;
        const std::string home = dir.path().toStdString();
        std::filesystem::create_directories(home + "/Scripts");
        CMacroLibrary saved;
        const int32_t root = saved.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        saved.InsertRecord(Record("First"), root, InsertPosition::Into);
        saved.InsertRecord(Record("Last"), root, InsertPosition::Into);
        saved.File().SetPaths(home);
        saved.Save();
        CMemorySettingsStore store;
        store.exists = true;
        CRecordingMessageBox messages;
        CFakeClock clock{1700000000};
        MainDlgServices services(store, messages);
        services.clock = &clock;
        CMainDlg window(home, services);
        window.Start();
        QVERIFY(window.CommandAction(Command::MacroWizard));
        QVERIFY(window.ToolbarAction(Command::MacroWizard));
        QCOMPARE(window.ToolbarAction(Command::MacroWizard)->toolTip(),
                 QStringLiteral("Macro Wizard"));
        CMacroTree* tree = window.Tree();
        QTreeWidgetItem* first = tree->topLevelItem(0)->child(0);
        QCOMPARE(first->text(0), QStringLiteral("First"));
        tree->setCurrentItem(first);
        bool drove = false;
        QTimer::singleShot(0, &window, [&] {
            auto* wizard = window.findChild<CWizardDlg*>();
            if (!wizard)
                return;
            wizard->nameEdit->setText(QStringLiteral("Hello"));
            wizard->typeList->setCurrentRow(int(WizardType::AlertMessage));
            wizard->nextButton->click();
            wizard->alertPage->textEdit->setPlainText(QStringLiteral("Hi"));
            wizard->nextButton->click();
            const QString shots = qEnvironmentVariable("WIZARD_SCREENSHOTS");
            if (!shots.isEmpty())
                wizard->grab().save(shots + QStringLiteral("/wizard-done-filled.png"));
            wizard->finishButton->click();
            drove = true;
        });
        window.ToolbarAction(Command::MacroWizard)->trigger();
        QVERIFY(drove);
        const QString shots = qEnvironmentVariable("WIZARD_SCREENSHOTS");
        if (!shots.isEmpty())
            window.grab().save(shots + QStringLiteral("/main-window.png"));
        QCOMPARE(messages.shown.empty() ? std::string() : messages.shown.front().text,
                 std::string());
        QTreeWidgetItem* added = tree->topLevelItem(0)->child(1);
        QVERIFY(added);
        QCOMPARE(added->text(0), QStringLiteral("Hello"));
        QCOMPARE(tree->topLevelItem(0)->child(2)->text(0), QStringLiteral("Last"));
        const int32_t id = CMacroTree::GetItemId(added);
        const CMacroNode* node = window.Library().FindById(id);
        QVERIFY(node);
        QCOMPARE(node->scriptFile, home + "/Scripts/Hello.tsc");
        QCOMPARE(node->parentId, window.Library().Root()->id);
        QCOMPARE(tree->GetCaretId(), id);
        QCOMPARE(tree->SelectedId(), id);
        QVERIFY(window.CommandAction(MacroCommand::kExecute)->isEnabled());
        QVERIFY(!window.findChild<CWizardDlg*>());
    }
};

QTEST_MAIN(WizardQtTest)
#include "WizardQtTest.moc"
