#include "views/PopupTree.h"

#include "views/QuickMenuDlg.h"
#include "views/QuickMenuLogic.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

CPopupTree::CPopupTree(CQuickMenuDlg* owner, QWidget* parent)
    : CMacroTree(parent), popupOwner(owner) {
    setMouseTracking(true);
    setDragEnabled(false);
    setAcceptDrops(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
}

// The highlight follows the pointer; off the items nothing is highlighted.
void CPopupTree::mouseMoveEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item != currentItem()) {
        if (item) {
            setCurrentItem(item);
        } else {
            clearSelection();
            setCurrentItem(nullptr);
        }
    }
    event->accept();
}

// Presses and double clicks do nothing: the caret moves only with the pointer
// and nothing starts a drag.
void CPopupTree::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void CPopupTree::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
void CPopupTree::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CPopupTree::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        ActOnCaret();
}

void CPopupTree::ActOnCaret() {
    if (!library)
        return;
    QTreeWidgetItem* caret = currentItem();
    const QuickMenuRelease release = OnQuickMenuRelease(*library, GetItemId(caret));
    if (release.action == QuickMenuRelease::Action::ToggleExpand) {
        caret->setExpanded(!caret->isExpanded());
        return;
    }
    if (popupOwner)
        popupOwner->Finish(release.action == QuickMenuRelease::Action::Pick ? release.chosenId : 0);
}
