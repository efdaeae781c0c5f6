#include "views/QuickMenuDlg.h"

#include "views/PopupTree.h"
#include "views/QuickMenuLogic.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

CQuickMenuDlg::CQuickMenuDlg(QWidget* parent) : QDialog(parent, Qt::Popup) {
    setObjectName(QStringLiteral("quickMenu"));
    setWindowTitle(tr("Macro Quick Menu"));
    // A popup has no window frame of its own: draw one.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Plain);
    outer->addWidget(frame);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto* title = new QLabel(tr("Macro Quick Menu"), frame);
    title->setAlignment(Qt::AlignCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);

    tree = new CPopupTree(this, frame);
    tree->Initialize();
    layout->addWidget(tree, 1);

    auto* cancel = new QPushButton(tr("Cancel"), frame);
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(cancel);

    resize(240, 320);
}

void CQuickMenuDlg::Prepare() {
    if (prepared)
        return;
    prepared = true;
    tree->SetLibrary(library);
    tree->LoadAll();
    tree->expandAll();
    tree->setCurrentItem(nullptr);
    tree->setFocus();
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    // Off every screen (a test's anchor) the corner goes at the anchor.
    const QRect area =
        screen ? screen->availableGeometry() : QRect(anchor - QPoint(width(), height()), size());
    const PopupPoint topLeft = QuickMenuTopLeft({anchor.x(), anchor.y()}, width(), height(),
                                                {area.x(), area.y(), area.width(), area.height()});
    move(topLeft.x, topLeft.y);
}

int CQuickMenuDlg::exec() {
    Prepare();
    return QDialog::exec();
}

void CQuickMenuDlg::showEvent(QShowEvent* event) {
    Prepare();
    QDialog::showEvent(event);
}

void CQuickMenuDlg::Finish(int32_t id) {
    if (id != 0)
        chosenId = id;
    accept();
}

// The arrow keys move the highlight in the tree (which has the focus);
// Enter acts on it as a click would; Escape cancels.
void CQuickMenuDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        tree->ActOnCaret();
        return;
    }
    QDialog::keyPressEvent(event);
}
