#pragma once
// Helpers shared by the Qt view tests.

#include "library/MacroLibrary.h"
#include "views/MacroTree.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

#include <string>

// The items as "name(child,child)", the same notation as the library shape.
inline std::string ItemShape(const QTreeWidgetItem* parent) {
    std::string out;
    for (int i = 0; i < parent->childCount(); ++i) {
        const QTreeWidgetItem* item = parent->child(i);
        out += item->text(0).toStdString();
        if (item->childCount() > 0)
            out += "(" + ItemShape(item) + ")";
        if (i + 1 < parent->childCount())
            out += ",";
    }
    return out;
}

// True when every item carries the id of the node at the same place.
inline bool ItemsMatchNodes(const QTreeWidgetItem* parent, const CMacroNode* first) {
    const CMacroNode* node = first;
    for (int i = 0; i < parent->childCount(); ++i, node = node->next) {
        if (!node || CMacroTree::GetItemId(parent->child(i)) != node->id)
            return false;
        if (!ItemsMatchNodes(parent->child(i), node->firstChild))
            return false;
    }
    return node == nullptr;
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove
                                      ? Qt::MouseButtons()
                                      : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
