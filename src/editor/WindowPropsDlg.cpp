#include "editor/WindowPropsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* AddField(QFormLayout* form, const char* label, const std::string& value,
                    const char* objectName) {
    auto* edit = new QLineEdit(QString::fromStdString(value));
    edit->setObjectName(QLatin1String(objectName));
    form->addRow(CWindowPropsDlg::tr(label), edit);
    return edit;
}

QCheckBox* AddHiddenFlag(QVBoxLayout* layout, const char* label, int value,
                         const char* objectName) {
    auto* box = new QCheckBox(CWindowPropsDlg::tr(label));
    box->setObjectName(QLatin1String(objectName));
    box->setChecked(value != 0);
    box->setVisible(false);
    layout->addWidget(box);
    return box;
}

// A declaration value is one line of the file: pasted line breaks become spaces.
std::string OneLine(const QLineEdit* edit) {
    QString text = edit->text();
    text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text.toStdString();
}

} // namespace

CWindowPropsDlg::CWindowPropsDlg(const CDeclNode& node, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Window Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    nameEdit = AddField(form, QT_TR_NOOP("&Name"), node.name, "nameEdit");
    typeEdit = AddField(form, QT_TR_NOOP("T&ype"), node.type, "typeEdit");
    tagEdit = AddField(form, QT_TR_NOOP("T&ag"), node.tag, "tagEdit");
    classEdit = AddField(form, QT_TR_NOOP("&Class"), node.cls, "classEdit");
    isParentBox = AddHiddenFlag(layout, QT_TR_NOOP("Is Parent"), node.isParent, "isParentBox");
    isChildBox = AddHiddenFlag(layout, QT_TR_NOOP("Is Child"), node.isChild, "isChildBox");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(360);
}

void CWindowPropsDlg::ApplyTo(CDeclNode& node) const {
    node.name = OneLine(nameEdit);
    node.type = OneLine(typeEdit);
    node.tag = OneLine(tagEdit);
    node.cls = OneLine(classEdit);
    node.isParent = isParentBox->isChecked() ? 1 : 0;
    node.isChild = isChildBox->isChecked() ? 1 : 0;
}
