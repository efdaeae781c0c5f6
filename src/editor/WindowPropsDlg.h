#pragma once
// "Window Properties": edits one declaration's name, type, tag and class.
// The "Is Parent" and "Is Child" boxes are kept (hidden) so the flags go
// back as 1 or 0.

#include "editor/DeclList.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CWindowPropsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWindowPropsDlg(const CDeclNode& node, QWidget* parent = nullptr);

    // Copies the boxes into `node`: name, type, tag, class and the two flags
    // (1 checked, 0 not); the id, the other flags and the links stay.
    void ApplyTo(CDeclNode& node) const;

    QLineEdit* nameEdit = nullptr;    // 1007
    QLineEdit* typeEdit = nullptr;    // 1008
    QLineEdit* tagEdit = nullptr;     // 1009
    QLineEdit* classEdit = nullptr;   // 1010
    QCheckBox* isParentBox = nullptr; // 1011
    QCheckBox* isChildBox = nullptr;  // 1012
};
