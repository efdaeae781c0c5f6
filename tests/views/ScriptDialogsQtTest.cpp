// The dialogs a running script opens: shown on the window thread while the
// script's thread waits, driven by keys; a Stop closes the open one.

#include "views/ScriptDialogs.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fstream>
#include <thread>

class ScriptDialogsQtTest : public QObject {
    Q_OBJECT

    // Runs `ask` on a script thread and `answer` on the dialog it opens.
    template <class Ask, class Answer> void Drive(QWidget& owner, Ask ask, Answer answer) {
        CQtScriptDialogs dialogs(&owner, {});
        QPointer<QDialog> shown;
        connect(&dialogs, &CQtScriptDialogs::DialogShown, this,
                [&shown](QDialog* dialog) { shown = dialog; });
        std::atomic<bool> done{false};
        std::thread script([&] {
            ask(dialogs);
            done = true;
        });
        // A failed check returns early: the dialog is closed so that the
        // script's thread ends.
        struct Ending {
            std::thread& script;
            QPointer<QDialog>& shown;
            ~Ending() {
                if (shown)
                    shown->reject();
                script.join();
            }
        } ending{script, shown};
        QTRY_VERIFY(shown);
        QCOMPARE(shown->parentWidget(), &owner);
        answer(shown.data());
        QTRY_VERIFY(done);
        QTRY_VERIFY(!shown); // deleted once closed
    }

private Q_SLOTS:
    // A notification nothing showed (no service, no tray) is the script's
    // error, not a success.
    void notifyReportsWhetherItWasShown() {
        QWidget owner;
        for (const bool shown : {true, false}) {
            CQtScriptDialogs dialogs(&owner, [shown](const std::string&, const std::string&,
                                                     std::function<void(bool)> done) {
                QTimer::singleShot(10, [done, shown] { done(shown); });
            });
            DesktopResult result;
            std::atomic<bool> done{false};
            std::thread script([&] {
                result = dialogs.Notify("Backup", "done", [] { return false; });
                done = true;
            });
            QTRY_VERIFY(done);
            script.join();
            QCOMPARE(result.ok, shown);
        }
    }

    // Enter picks the selected item (the default at first), Escape cancels.
    void chooseByKeys() {
        const struct {
            std::vector<Qt::Key> keys;
            std::optional<size_t> chosen;
        } cases[] = {
            {{Qt::Key_Return}, 1},
            {{Qt::Key_Down, Qt::Key_Return}, 2},
            {{Qt::Key_Up, Qt::Key_Up, Qt::Key_Enter}, 0},
            {{Qt::Key_Down, Qt::Key_Escape}, std::nullopt},
        };
        QWidget owner;
        for (const auto& c : cases) {
            std::optional<size_t> chosen;
            Drive(
                owner,
                [&](CQtScriptDialogs& dialogs) {
                    dialogs.Choose("Fruit?", {"apple", "pear", "fig"}, 1, chosen,
                                   [] { return false; });
                },
                [&](QDialog* dialog) {
                    auto* choose = qobject_cast<CChooseDlg*>(dialog);
                    QVERIFY(choose);
                    QCOMPARE(choose->promptLabel->text(), QStringLiteral("Fruit?"));
                    QCOMPARE(choose->list->currentItem()->text(), QStringLiteral("pear"));
                    for (Qt::Key key : c.keys)
                        QTest::keyClick(choose->list, key);
                });
            QCOMPARE(chosen, c.chosen);
        }
    }

    // Enter is No (a key press meant for another window must not say Yes).
    void confirmDefaultsToNo() {
        QWidget owner;
        for (const bool clickYes : {false, true}) {
            bool yes = !clickYes;
            Drive(
                owner,
                [&](CQtScriptDialogs& dialogs) {
                    dialogs.Confirm("Delete?", yes, [] { return false; });
                },
                [&](QDialog* dialog) {
                    auto* box = qobject_cast<QMessageBox*>(dialog);
                    QVERIFY(box);
                    QCOMPARE(box->text(), QStringLiteral("Delete?"));
                    if (clickYes)
                        box->button(QMessageBox::Yes)->click();
                    else
                        QTest::keyClick(box, Qt::Key_Return);
                });
            QCOMPARE(yes, clickYes);
        }
    }

    void chooseFileAndFolder() {
        QTemporaryDir dir;
        std::ofstream(dir.filePath(QStringLiteral("notes.txt")).toStdString()) << "x";
        QWidget owner;
        std::optional<std::string> file, folder;
        Drive(
            owner,
            [&](CQtScriptDialogs& dialogs) {
                dialogs.ChooseFile(dir.path().toStdString(), "*.txt;*.md", file,
                                   [] { return false; });
            },
            [&](QDialog* dialog) {
                auto* chooser = qobject_cast<QFileDialog*>(dialog);
                QVERIFY(chooser);
                QCOMPARE(chooser->fileMode(), QFileDialog::ExistingFile);
                QCOMPARE(chooser->nameFilters(), QStringList{QStringLiteral("*.txt *.md")});
                auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(QStringLiteral("notes.txt"));
                QTest::keyClick(name, Qt::Key_Return);
            });
        QCOMPARE(file, dir.filePath(QStringLiteral("notes.txt")).toStdString());
        Drive(
            owner,
            [&](CQtScriptDialogs& dialogs) {
                dialogs.ChooseFolder(dir.path().toStdString(), folder, [] { return false; });
            },
            [&](QDialog* dialog) { dialog->reject(); });
        QCOMPARE(folder, std::nullopt);
    }

    // A Stop closes the dialog and the script's call returns at once.
    void stopClosesTheDialog() {
        QWidget owner;
        std::atomic<bool> stop{false};
        bool yes = true;
        Drive(
            owner,
            [&](CQtScriptDialogs& dialogs) {
                dialogs.Confirm("Wait?", yes, [&stop] { return stop.load(); });
            },
            [&](QDialog* dialog) {
                QVERIFY(dialog->isVisible());
                stop = true;
            });
        QVERIFY(!yes);
    }
};

QTEST_MAIN(ScriptDialogsQtTest)
#include "ScriptDialogsQtTest.moc"
