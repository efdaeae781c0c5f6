#include "views/QuickMenuDlg.h"

#include "views/PopupTree.h"
#include "views/QuickMenuLogic.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CQuickMenuDlg::CQuickMenuDlg(QWidget* parent) : QDialog(parent, Qt::Popup) {
    setObjectName(QStringLiteral("quickMenu"));
    setWindowTitle(QStringLiteral("Macro Quick Menu"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);

    auto* title = new QLabel(QStringLiteral("Macro Quick Menu"), this);
    title->setAlignment(Qt::AlignCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);

    tree = new CPopupTree(this, this);
    tree->Initialize();
    layout->addWidget(tree, 1);

    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
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
    const PopupPoint topLeft =
        QuickMenuTopLeft({anchor.x(), anchor.y()}, width(), height());
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
