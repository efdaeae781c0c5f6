// The macro tree and the quick menu as Qt views over a library.

#include "QtTestUtil.h"

#include "library/LibraryTestUtil.h"
#include "views/IconSet.h"
#include "views/PopupTree.h"
#include "views/QuickMenuDlg.h"
#include "views/ScheduleDay.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <string>

class MacroTreeQtTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CMacroLibrary> lib;
    std::unique_ptr<CMacroTree> tree;
    int32_t root = 0, a = 0, a1 = 0, a2 = 0, b = 0, e = 0;

    // The library and the items agree in shape and ids.
    void CheckInStep() {
        QCOMPARE(ItemShape(tree->invisibleRootItem()), Shape(lib->Root()));
        QVERIFY(ItemsMatchNodes(tree->invisibleRootItem(), lib->Root()));
        CMacroLibrary::ForEachPreOrder(lib->Root(), [&](CMacroNode& node) {
            QTreeWidgetItem* item = tree->FindItem(node.id);
            [&] { QVERIFY(item); }();
            return item != nullptr;
        });
    }

    QPoint Center(int32_t id) { return tree->visualItemRect(tree->FindItem(id)).center(); }

    // Sends a drag of `source` over `over` (0: over the empty space below the
    // items) and drops it there.
    void DragAndDrop(int32_t source, const std::vector<int32_t>& over) {
        QMimeData mime;
        mime.setData(QString::fromLatin1(CMacroTree::kMacroIdMime), QByteArray::number(source));
        QWidget* viewport = tree->viewport();
        const QPoint empty(5, viewport->height() - 3);
        QDragEnterEvent enter(Center(source), Qt::MoveAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QPoint last = empty;
        for (int32_t id : over) {
            last = id ? Center(id) : empty;
            QDragMoveEvent move(last, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
        }
        QDropEvent drop(QPointF(last), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
    }

private Q_SLOTS:
    void init() {
        lib = std::make_unique<CMacroLibrary>();
        root = lib->InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
        a = lib->InsertRecord(Record("A", 2), root, InsertPosition::Into);
        a1 = lib->InsertRecord(Record("a1"), a, InsertPosition::Into);
        CMacro repeated = Record("a2");
        repeated.scheduleType = 2;
        a2 = lib->InsertRecord(repeated, a, InsertPosition::Into);
        b = lib->InsertRecord(Record("B"), root, InsertPosition::Into);
        e = lib->InsertRecord(Record("E", 2), root, InsertPosition::Into);
        tree = std::make_unique<CMacroTree>();
        tree->SetLibrary(lib.get());
        tree->Initialize();
        QVERIFY(tree->LoadAll());
        tree->resize(300, 400);
        tree->show();
        QVERIFY(QTest::qWaitForWindowExposed(tree.get()));
    }
    void cleanup() {
        tree.reset();
        lib.reset();
    }

    void showsTheLibraryWithIconsByRole() {
        CheckInStep();
        QVERIFY(tree->FindItem(a)->isExpanded());
        QCOMPARE(tree->FindItem(a)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::MacroSet).cacheKey());
        QCOMPARE(tree->FindItem(a1)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::NotScheduled).cacheKey());
        QCOMPARE(tree->FindItem(a2)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::Repeated).cacheKey());
        QVERIFY(!tree->FindItem(a1)->icon(0).pixmap(16, 16).isNull());
    }

    void loadAllRefusesAStrayNode() {
        // A node without parent that is not the root: the tree cannot show it.
        CMacroNode* stray = new CMacroNode(Record("stray", 1, 500));
        stray->parentId = 77;
        lib->Root()->next = stray;
        QVERIFY(!tree->LoadAll());
        lib->Root()->next = nullptr;
        delete stray;
        QVERIFY(tree->LoadAll());
        CheckInStep();
    }

    void refreshItemUsesTheSelectedIconOnTheCaret() {
        CMacro edited = *lib->FindById(b);
        edited.name = "B2";
        edited.scheduleType = 1;
        lib->UpdateRecord(edited);
        tree->setCurrentItem(tree->FindItem(b));
        QVERIFY(tree->RefreshItem(edited));
        QCOMPARE(tree->FindItem(b)->text(0), QStringLiteral("B2"));
        QCOMPARE(tree->FindItem(b)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::SingleOccurrenceSelected).cacheKey());
        QVERIFY(!tree->RefreshItem(Record("ghost", 1, 999)));
    }

    void commandsKeepTreeAndLibraryInStep() {
        QSignalSpy changed(tree.get(), &CMacroTree::libraryChanged);
        tree->setCurrentItem(tree->FindItem(a));
        tree->RunCommand(MacroCommand::kCut);
        CheckInStep();
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(B,E)"));

        tree->setCurrentItem(tree->FindItem(e));
        tree->RunCommand(MacroCommand::kPasteIn);
        tree->RunCommand(MacroCommand::kPasteAfter);
        CheckInStep();
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(B,E(A(a1,a2)),A(a1,a2))"));

        tree->setCurrentItem(tree->FindItem(b));
        tree->RunCommand(MacroCommand::kPasteBefore);
        tree->RunCommand(MacroCommand::kDelete);
        CheckInStep();
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a1,a2),E(A(a1,a2)),A(a1,a2))"));

        // The root is never cut or deleted; Copy changes nothing visible.
        tree->setCurrentItem(tree->FindItem(root));
        tree->RunCommand(MacroCommand::kCut);
        tree->RunCommand(MacroCommand::kDelete);
        tree->RunCommand(MacroCommand::kCopy);
        CheckInStep();
        QCOMPARE(changed.count(), 5);
    }

    void editAndExecuteArePassedOn() {
        QSignalSpy requested(tree.get(), &CMacroTree::commandRequested);
        tree->setCurrentItem(tree->FindItem(a1));
        tree->RunCommand(MacroCommand::kExecute);
        tree->RunCommand(MacroCommand::kEdit);
        QCOMPARE(requested.count(), 2);
        QCOMPARE(requested[0][0].toInt(), MacroCommand::kExecute);
        QCOMPARE(requested[0][1].toInt(), a1);
        QCOMPARE(requested[1][0].toInt(), MacroCommand::kEdit);
    }

    void contextMenuOffersByEntryAndClipboard() {
        auto texts = [&](int32_t id) {
            QStringList out;
            std::unique_ptr<QMenu> menu(tree->CreateContextMenu(id, nullptr));
            if (!menu)
                return out;
            for (QAction* action : menu->actions()) {
                out << (action->isSeparator() ? QStringLiteral("-") : action->text());
                if (action->menu()) {
                    for (QAction* sub : action->menu()->actions())
                        out << QStringLiteral(">") + sub->text();
                }
            }
            return out;
        };
        QCOMPARE(texts(root), QStringList());
        QCOMPARE(texts(a), (QStringList{"&Cut", "C&opy", "&Delete"}));
        QCOMPARE(texts(a1), (QStringList{"&Edit", "E&xecute", "-", "&Cut", "C&opy", "&Delete"}));
        lib->CopyToClipboard(b);
        QCOMPARE(texts(root), (QStringList{"&Paste", ">Paste &In"}));
        QCOMPARE(texts(a), (QStringList{"&Cut", "C&opy", "&Delete", "&Paste", ">Paste &In",
                                        ">Paste &After", ">Paste &Before"}));
        QCOMPARE(texts(a1), (QStringList{"&Edit", "E&xecute", "-", "&Cut", "C&opy", "&Delete",
                                         "&Paste", ">Paste &After", ">Paste &Before"}));
    }

    void rightClickRunsTheChosenCommandOnTheClickedItem() {
        tree->setCurrentItem(tree->FindItem(b));
        bool sawMenu = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            sawMenu = true;
            for (QAction* action : menu->actions()) {
                if (action->text() == QStringLiteral("&Delete"))
                    menu->setActiveAction(action);
            }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, Center(a1),
                                tree->viewport()->mapToGlobal(Center(a1)));
        QApplication::sendEvent(tree->viewport(), &event);
        QVERIFY(sawMenu);
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a2),B,E)"));
        CheckInStep();
    }

    void leftClickAsksForCommandState() {
        QSignalSpy state(tree.get(), &CMacroTree::commandStateRequested);
        QSignalSpy select(tree.get(), &CMacroTree::selectMacroRequested);
        SendMouse(tree->viewport(), QEvent::MouseButtonPress, Center(a1));
        SendMouse(tree->viewport(), QEvent::MouseButtonRelease, Center(a1));
        SendMouse(tree->viewport(), QEvent::MouseButtonPress,
                  QPoint(5, tree->viewport()->height() - 3));
        QCOMPARE(state.count(), 2);
        QCOMPARE(state[0][0].toInt(), a1);
        QCOMPARE(state[1][0].toInt(), 0);
        QCOMPARE(select.count(), 0); // a single click never loads the entry
    }

    void doubleClickMovesTheSelectedIconAndNeverCollapses() {
        QSignalSpy select(tree.get(), &CMacroTree::selectMacroRequested);
        QSignalSpy manager(tree.get(), &CMacroTree::showManagerTabRequested);
        tree->setCurrentItem(tree->FindItem(a1));
        tree->SyncSelection();
        QCOMPARE(tree->SelectedId(), a1);
        QCOMPARE(tree->FindItem(a1)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::NotScheduledSelected).cacheKey());

        tree->setCurrentItem(tree->FindItem(a));
        SendMouse(tree->viewport(), QEvent::MouseButtonDblClick, Center(a));
        QVERIFY(tree->FindItem(a)->isExpanded());
        QCOMPARE(tree->SelectedId(), a);
        QCOMPARE(tree->FindItem(a1)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::NotScheduled).cacheKey());
        QCOMPARE(tree->FindItem(a)->icon(0).cacheKey(),
                 TreeIconImage(TreeIcon::MacroSetSelected).cacheKey());
        QCOMPARE(select.count(), 2);
        QCOMPARE(select[1][0].toInt(), a);
        QCOMPARE(manager.count(), 1);

        // Space on the same caret changes nothing.
        QTest::keyClick(tree.get(), Qt::Key_Space);
        QCOMPARE(select.count(), 2);
    }

    void dropsMoveEntriesAndKeepTreeAndLibraryInStep() {
        DragAndDrop(b, {a}); // onto a set: its last child
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a1,a2,B),E)"));
        CheckInStep();
        QCOMPARE(tree->DropHighlightId(), 0);

        DragAndDrop(a2, {a1}); // onto a macro: just before it
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a2,a1,B),E)"));
        CheckInStep();

        DragAndDrop(a, {e}); // a set with children
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(E(A(a2,a1,B)))"));
        CheckInStep();
    }

    void dropOverEmptySpaceUsesTheLastHighlight() {
        DragAndDrop(a1, {b, 0});
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a2),a1,B,E)"));
        CheckInStep();
        // Released over empty space with nothing highlighted: nothing moves.
        DragAndDrop(b, {0});
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a2),a1,B,E)"));
    }

    void refusedDropsChangeNothing() {
        lib->CopyToClipboard(b);
        DragAndDrop(a, {a});    // onto itself
        DragAndDrop(a, {a2});   // into its own subtree
        DragAndDrop(root, {e}); // the root never moves
        QCOMPARE(Shape(lib->Root()), std::string("My Macros(A(a1,a2),B,E)"));
        QCOMPARE(Shape(lib->Clipboard()), std::string("B"));
        CheckInStep();
    }

    void quickMenuPlacesItselfAndPicksOnlyLeaves() {
        CQuickMenuDlg menu;
        menu.library = lib.get();
        menu.anchor = QPoint(900, 700);
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QCOMPARE(menu.geometry().bottomRight() + QPoint(1, 1), QPoint(900, 700));
        CPopupTree* popup = menu.Tree();
        QCOMPARE(ItemShape(popup->invisibleRootItem()), Shape(lib->Root()));
        QVERIFY(popup->FindItem(a)->isExpanded());
        QVERIFY(popup->currentItem() == nullptr);

        QWidget* viewport = popup->viewport();
        auto at = [&](int32_t id) { return popup->visualItemRect(popup->FindItem(id)).center(); };
        // The highlight follows the pointer; a press does not move it.
        SendMouse(viewport, QEvent::MouseMove, at(b));
        QCOMPARE(CMacroTree::GetItemId(popup->currentItem()), b);
        SendMouse(viewport, QEvent::MouseButtonPress, at(a1));
        QCOMPARE(CMacroTree::GetItemId(popup->currentItem()), b);
        SendMouse(viewport, QEvent::MouseMove, QPoint(5, viewport->height() - 3));
        QVERIFY(popup->currentItem() == nullptr);

        // A set with entries opens and closes; the menu stays.
        SendMouse(viewport, QEvent::MouseMove, at(a));
        SendMouse(viewport, QEvent::MouseButtonRelease, at(a));
        QVERIFY(!popup->FindItem(a)->isExpanded());
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.ChosenId(), 0);
        SendMouse(viewport, QEvent::MouseButtonRelease, at(a));
        QVERIFY(popup->FindItem(a)->isExpanded());

        // Right button releases do nothing.
        SendMouse(viewport, QEvent::MouseMove, at(a1));
        SendMouse(viewport, QEvent::MouseButtonRelease, at(a1), Qt::RightButton);
        QVERIFY(menu.isVisible());

        // A macro is picked and the menu closes.
        SendMouse(viewport, QEvent::MouseButtonRelease, at(a1));
        QVERIFY(!menu.isVisible());
        QCOMPARE(menu.result(), int(QDialog::Accepted));
        QCOMPARE(menu.ChosenId(), a1);
    }

    void quickMenuReleaseOffTheItemsClosesWithoutChoice() {
        CQuickMenuDlg menu;
        menu.library = lib.get();
        menu.anchor = QPoint(400, 500);
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QWidget* viewport = menu.Tree()->viewport();
        SendMouse(viewport, QEvent::MouseMove, QPoint(5, viewport->height() - 3));
        SendMouse(viewport, QEvent::MouseButtonRelease, QPoint(5, viewport->height() - 3));
        QVERIFY(!menu.isVisible());
        QCOMPARE(menu.ChosenId(), 0);
    }

    void quickMenuCancelChoosesNothing() {
        CQuickMenuDlg menu;
        menu.library = lib.get();
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        QTest::keyClick(&menu, Qt::Key_Escape);
        QVERIFY(!menu.isVisible());
        QCOMPARE(menu.result(), int(QDialog::Rejected));
        QCOMPARE(menu.ChosenId(), 0);
    }

    // Enter picks the highlighted macro, as a click on it would.
    void quickMenuEnterPicksTheHighlightedMacro() {
        CQuickMenuDlg menu;
        menu.library = lib.get();
        menu.show();
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        menu.Tree()->setCurrentItem(menu.Tree()->FindItem(a1));
        QTest::keyClick(menu.Tree(), Qt::Key_Return);
        QVERIFY(!menu.isVisible());
        QCOMPARE(menu.result(), int(QDialog::Accepted));
        QCOMPARE(menu.ChosenId(), a1);
    }

    // Twice the entries must cost about twice the time: building the library
    // entry by entry, filling the tree, listing the day and pasting a copy of
    // everything. A step that searched the entries once per entry would take
    // four times as long (seconds at these sizes). Best of three runs; a
    // half-second floor keeps a loaded machine's noise from deciding.
    void workGrowsInStepWithTheLibrary() {
        const auto seconds = [](int entries) {
            double best = 1e9;
            for (int run = 0; run < 3; ++run) {
                QElapsedTimer timer;
                timer.start();
                CMacroLibrary big;
                const int32_t top =
                    big.InsertRecord(Record("My Macros", 2), -1, InsertPosition::Into);
                const int32_t all = big.InsertRecord(Record("All", 2), top, InsertPosition::Into);
                int32_t set = all;
                for (int i = 0; i < entries; ++i) {
                    if (i % 100 == 0) {
                        set = big.InsertRecord(Record("Set", 2), all, InsertPosition::Into);
                        continue;
                    }
                    CMacro macro = Record("Macro " + std::to_string(i));
                    if (i % 2 == 0) {
                        macro.scheduleType = 2; // hourly: listed on every day
                        macro.unit = 2;
                        macro.startDate = "1\\1\\2099";
                        macro.startTime = "0:0:0";
                    }
                    big.InsertRecord(macro, set, InsertPosition::Into);
                }
                CMacroTree view;
                view.SetLibrary(&big);
                if (!view.LoadAll())
                    return -1.0;
                const size_t rows = BuildDayList(big, CalendarDate{2030, 5, 1}).size();
                view.setCurrentItem(view.FindItem(all));
                view.RunCommand(MacroCommand::kCopy);
                view.RunCommand(MacroCommand::kPasteAfter);
                const double elapsed = double(timer.nsecsElapsed()) / 1e9;
                // Every entry is in the tree twice, half of them in the list.
                if (rows != size_t(kDayListFixedRows + entries / 2 - entries / 100) ||
                    view.topLevelItem(0)->childCount() != 2)
                    return -1.0;
                best = std::min(best, elapsed);
            }
            return best;
        };
        const double small = seconds(20000);
        const double large = seconds(40000);
        QVERIFY(small > 0 && large > 0);
        qInfo("20,000 entries: %.3f s, 40,000 entries: %.3f s", small, large);
        QVERIFY2(large < 3.5 * std::max(small, 0.5),
                 qPrintable(QStringLiteral("20,000 entries: %1 s, 40,000 entries: %2 s")
                                .arg(small)
                                .arg(large)));
    }
};

QTEST_MAIN(MacroTreeQtTest)
#include "MacroTreeQtTest.moc"
