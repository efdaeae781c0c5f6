#pragma once
// "Macro Quick Menu": a small popup over the tray that shows the whole
// library, its bottom-right corner at the anchor; a left-button release on a
// macro, or Enter on the one reached with the arrow keys, closes it with that
// macro chosen.

#include "library/MacroLibrary.h"

#include <QDialog>
#include <QPoint>

#include <cstdint>

class CPopupTree;

class CQuickMenuDlg : public QDialog {
    Q_OBJECT
public:
    explicit CQuickMenuDlg(QWidget* parent = nullptr);

    CMacroLibrary* library = nullptr; // set before the dialog runs
    QPoint anchor;                    // screen point of the bottom-right corner

    // Fills the tree (every set open) and moves the popup to the anchor;
    // exec() and show() do it themselves.
    void Prepare();
    int exec() override;
    int32_t ChosenId() const { return chosenId; }
    CPopupTree* Tree() const { return tree; }

    // Closes as with OK; a non-zero id is the choice.
    void Finish(int32_t id);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CPopupTree* tree = nullptr;
    int32_t chosenId = 0;
    bool prepared = false;
};
