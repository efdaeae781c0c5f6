// The Window Declarations tree and the Window Properties dialog, offscreen.

#include "editor/DecTree.h"
#include "editor/WindowPropsDlg.h"

#include "fakes/TestFiles.h"
#include "views/QtTestUtil.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const char* const kAppDecs =
    "[ ]Window \"App\"\n\t( )Tag=\"App title\"\n\t( )Class=\"AppClass\"\n\t( )Parent=1\n\t( "
    ")Child=0\n"
    "\t[ ]Menu\n\t\t( )Tag=\"\"\n\t\t( )Class=\"m\"\n\t\t( )Parent=0\n\t\t( )Child=1\n"
    "\t\t[ ]MenuItem \"Quit\"\n\t\t\t( )Tag=\"Quit\"\n\t\t\t( )Class=\"m\"\n\t\t\t( "
    ")Parent=0\n\t\t\t( )Child=1\n"
    "\t[ ]Button \"Ok\"\n\t\t( )Tag=7\n\t\t( )Class=\"Button\"\n\t\t( )Parent=0\n\t\t( )Child=1\n";
const char* const kDialogDecs =
    "[ ]Dialog \"Find\"\n\t( )Tag=\"Find\"\n\t( )Class=\"Dlg\"\n\t( )Parent=1\n\t( )Child=0\n";

} // namespace

class DecTreeQtTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir;
    std::string Folder() const { return dir.path().toStdString(); }
    void LoadBoth(TDecTree& tree) {
        QVERIFY(tree.Load("app.dec", Folder()));
        QVERIFY(!tree.Load("missing.dec", Folder()));
        QVERIFY(tree.Load("dialog.dec", Folder()));
    }
    static void DoubleClick(TDecTree& tree, QTreeWidgetItem* item) {
        const QPoint at = tree.visualItemRect(item).center();
        SendMouse(tree.viewport(), QEvent::MouseButtonPress, at);
        SendMouse(tree.viewport(), QEvent::MouseButtonRelease, at);
        SendMouse(tree.viewport(), QEvent::MouseButtonDblClick, at);
        SendMouse(tree.viewport(), QEvent::MouseButtonRelease, at);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir.isValid());
        WriteFile(dir.filePath("app.dec").toStdString(), kAppDecs);
        WriteFile(dir.filePath("dialog.dec").toStdString(), kDialogDecs);
    }

    void showsEachFileAfterTheOthersWithAnErrorItemForOneThatDoesNotRead() {
        TDecTree tree;
        LoadBoth(tree);
        QCOMPARE(tree.topLevelItemCount(), 3);
        QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("app.dec"));
        QCOMPARE(ItemShape(tree.topLevelItem(0)), std::string("App(Top Menu(Quit),Ok)"));
        QCOMPARE(tree.topLevelItem(1)->text(0),
                 QStringLiteral("ERROR: Could Not Open missing.dec"));
        QCOMPARE(tree.topLevelItem(2)->text(0), QStringLiteral("dialog.dec"));
        QCOMPARE(tree.topLevelItem(2)->child(0)->data(0, TDecTree::IdRole).toInt(), 5);
        QVERIFY(!tree.topLevelItem(0)->icon(0).pixmap(16).isNull()); // the artwork is linked in

        tree.Clear();
        QCOMPARE(tree.topLevelItemCount(), 0);
        QVERIFY(tree.FindById(5) != nullptr); // the list keeps its nodes
        QVERIFY(tree.Load("dialog.dec", Folder()));
        QCOMPARE(tree.topLevelItem(0)->child(0)->data(0, TDecTree::IdRole).toInt(), 6);
    }

    void reloadShowsTheUseListFilesFromTheScriptFolder() {
        TDecTree tree;
        QVERIFY(tree.Load("app.dec", Folder()));
        tree.Reload("dialog.dec::missing.dec::", Folder());
        QCOMPARE(tree.topLevelItemCount(), 2);
        QCOMPARE(tree.topLevelItem(0)->text(0), QStringLiteral("dialog.dec"));
        QCOMPARE(tree.topLevelItem(1)->text(0),
                 QStringLiteral("ERROR: Could Not Open missing.dec"));
    }

    void selectedIdIsZeroForFileAndErrorItems() {
        TDecTree tree;
        LoadBoth(tree);
        tree.setCurrentItem(tree.topLevelItem(0));
        QCOMPARE(tree.SelectedId(), 0);
        tree.setCurrentItem(tree.topLevelItem(1));
        QCOMPARE(tree.SelectedId(), 0);
        tree.setCurrentItem(tree.topLevelItem(0)->child(0)->child(1));
        QCOMPARE(tree.SelectedId(), 4);
    }

    void doubleClickEditsTheDeclarationAndItsItemText() {
        TDecTree tree;
        LoadBoth(tree);
        tree.resize(300, 400);
        tree.show();
        tree.expandAll();
        QTreeWidgetItem* ok = tree.topLevelItem(0)->child(0)->child(1);
        bool sawDialog = false;
        QTimer::singleShot(0, &tree, [&] {
            auto* dialog = qobject_cast<CWindowPropsDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            sawDialog = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Window Properties"));
            QCOMPARE(dialog->tagEdit->text(), QStringLiteral("7"));
            QVERIFY(dialog->isChildBox->isChecked());
            QVERIFY(dialog->isChildBox->isHidden());
            dialog->nameEdit->setText(QStringLiteral("Accept"));
            dialog->classEdit->setText(QStringLiteral("PushButton"));
            dialog->accept();
        });
        DoubleClick(tree, ok);
        QVERIFY(sawDialog);
        QCOMPARE(ok->text(0), QStringLiteral("Accept"));
        const CDeclNode* node = tree.FindById(4);
        QCOMPARE(node->cls, std::string("PushButton"));
        QCOMPARE(node->unquotedTag, 1); // what the dialog does not show stays
        QCOMPARE(CDeclList::QualifiedName(node), std::string("App.Accept."));
    }

    void doubleClickLeavesTopMenusFilesAndCancelledEditsAlone_data() {
        QTest::addColumn<int>("topIndex");
        QTest::addColumn<QList<int>>("childPath");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("editorCalls");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("top menu") << 0 << QList<int>{0, 0} << true << 0
                                  << QStringLiteral("Top Menu");
        QTest::newRow("file item") << 0 << QList<int>{} << true << 0 << QStringLiteral("app.dec");
        QTest::newRow("error item") << 1 << QList<int>{} << true << 0
                                    << QStringLiteral("ERROR: Could Not Open missing.dec");
        QTest::newRow("cancelled")
            << 0 << QList<int>{0, 0, 0} << false << 1 << QStringLiteral("Quit");
        QTest::newRow("menu item")
            << 0 << QList<int>{0, 0, 0} << true << 1 << QStringLiteral("Renamed");
    }
    void doubleClickLeavesTopMenusFilesAndCancelledEditsAlone() {
        QFETCH(int, topIndex);
        QFETCH(QList<int>, childPath);
        QFETCH(bool, accept);
        QFETCH(int, editorCalls);
        QFETCH(QString, textAfter);
        TDecTree tree;
        LoadBoth(tree);
        tree.resize(300, 400);
        tree.expandAll();
        tree.show();
        int calls = 0;
        tree.SetPropertiesEditor([&](CDeclNode& copy) {
            ++calls;
            copy.name = "Renamed";
            return accept;
        });
        QTreeWidgetItem* item = tree.topLevelItem(topIndex);
        for (int index : childPath)
            item = item->child(index);
        DoubleClick(tree, item);
        QCOMPARE(calls, editorCalls);
        QCOMPARE(item->text(0), textAfter);
        QVERIFY(item->isExpanded() ||
                item->childCount() == 0); // no expand/collapse on double-click
    }

    void draggingADeclarationCarriesItsQualifiedNameAndALineBreak_data() {
        QTest::addColumn<QList<int>>("childPath");
        QTest::addColumn<QString>("text");
        QTest::newRow("below a top menu") << QList<int>{0, 0} << QStringLiteral("App.Quit.\n");
        QTest::newRow("top level") << QList<int>{} << QStringLiteral("App.\n");
        QTest::newRow("child") << QList<int>{1} << QStringLiteral("App.Ok.\n");
    }
    void draggingADeclarationCarriesItsQualifiedNameAndALineBreak() {
        QFETCH(QList<int>, childPath);
        QFETCH(QString, text);
        TDecTree tree;
        LoadBoth(tree);
        QTreeWidgetItem* item = tree.topLevelItem(0)->child(0);
        for (int index : childPath)
            item = item->child(index);
        QVERIFY(item->flags() & Qt::ItemIsDragEnabled);
        std::unique_ptr<QMimeData> data(tree.model()->mimeData({tree.indexFromItem(item)}));
        QVERIFY(data);
        QCOMPARE(data->text(), text);
    }

    void fileAndErrorItemsCannotBeDragged() {
        TDecTree tree;
        LoadBoth(tree);
        for (int i = 0; i < tree.topLevelItemCount(); ++i) {
            QVERIFY(!(tree.topLevelItem(i)->flags() & Qt::ItemIsDragEnabled));
            std::unique_ptr<QMimeData> data(
                tree.model()->mimeData({tree.indexFromItem(tree.topLevelItem(i))}));
            QVERIFY(!data);
        }
    }

    void pressSelectsTheItemUnderThePointer() {
        TDecTree tree;
        LoadBoth(tree);
        tree.resize(300, 400);
        tree.show();
        QTreeWidgetItem* dialogItem = tree.topLevelItem(2)->child(0);
        SendMouse(tree.viewport(), QEvent::MouseButtonPress,
                  tree.visualItemRect(dialogItem).center());
        SendMouse(tree.viewport(), QEvent::MouseButtonRelease,
                  tree.visualItemRect(dialogItem).center());
        QCOMPARE(tree.SelectedId(), 5);
    }

    void windowPropertiesCancelChangesNothingAndOkReadsFlagsAsOneOrZero() {
        CDeclNode node;
        node.name = "Main";
        node.type = "Window";
        node.tag = "T";
        node.cls = "C";
        node.isParent = 72; // a stray character in the file
        CWindowPropsDlg dialog(node);
        QCOMPARE(dialog.nameEdit->text(), QStringLiteral("Main"));
        QVERIFY(dialog.isParentBox->isChecked());
        QVERIFY(!dialog.isChildBox->isChecked());
        dialog.typeEdit->setText(QStringLiteral("Dialog"));
        dialog.tagEdit->setText(QStringLiteral("line\nbreak"));
        CDeclNode copy = node;
        dialog.ApplyTo(copy);
        QCOMPARE(copy.type, std::string("Dialog"));
        QCOMPARE(copy.isParent, 1);
        QCOMPARE(copy.isChild, 0);
        QVERIFY(copy.tag.find('\n') == std::string::npos);
    }
};

QTEST_MAIN(DecTreeQtTest)
#include "DecTreeQtTest.moc"
