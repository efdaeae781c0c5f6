#include "app/AboutDlg.h"

#include "views/IconSet.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About Wingmate"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(tr("<b>Tessera Wingmate</b><br>%1<br><br>"
                               "A macro manager for Linux desktops.")
                                .arg(VersionText()),
                            this);
    text->setObjectName(QStringLiteral("aboutText"));
    row->addWidget(text, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

QString CAboutDlg::VersionText() {
    return tr("Version %1").arg(QStringLiteral(WINGMATE_VERSION));
}
