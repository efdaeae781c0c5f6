#pragma once
// Message boxes on the desktop: QMessageBox with the given text and title.

#include "ports/MessageBox.h"

class QWidget;

class CQtMessageBox : public IMessageBox {
public:
    explicit CQtMessageBox(QWidget* parent = nullptr) : owner(parent) {}
    void SetOwner(QWidget* parent) { owner = parent; }
    MessageAnswer Show(const std::string& text, const std::string& title,
                       MessageButtons buttons = MessageButtons::Ok) override;

private:
    QWidget* owner;
};
