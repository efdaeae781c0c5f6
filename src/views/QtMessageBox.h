#pragma once
// Message boxes on the desktop: QMessageBox with the given text and title.

#include "ports/MessageBox.h"

#include <memory>

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

// The message boxes a window shows: when `shared` is the desktop's, boxes of
// its own (made in `own`) that belong to `owner` and open in front of it; any
// other box (a test's recording one) stays shared.
IMessageBox& MessagesOwnedBy(QWidget* owner, IMessageBox& shared,
                             std::unique_ptr<IMessageBox>& own);
