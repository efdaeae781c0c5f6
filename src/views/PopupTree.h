#pragma once
// The quick menu's tree: the macro tree's items and icons, with a highlight
// that follows the pointer and a left-button release that picks.

#include "views/MacroTree.h"

class CQuickMenuDlg;

class CPopupTree : public CMacroTree {
    Q_OBJECT
public:
    explicit CPopupTree(CQuickMenuDlg* owner, QWidget* parent = nullptr);

    CQuickMenuDlg* popupOwner = nullptr;

    // What a left-button release on the caret item does (Enter does the
    // same): a set with entries opens or closes, any other item is picked and
    // closes the menu; with no caret item the menu closes picking nothing.
    void ActOnCaret();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
