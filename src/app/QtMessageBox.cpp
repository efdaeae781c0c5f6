#include "app/QtMessageBox.h"

#include <QMessageBox>

MessageAnswer CQtMessageBox::Show(const std::string& text, const std::string& title,
                                  MessageButtons buttons) {
    const QString body = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const QString caption = QString::fromUtf8(title.data(), qsizetype(title.size()));
    if (buttons == MessageButtons::YesNoCancel) {
        const auto answer = QMessageBox::question(
            owner, caption, body, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
            QMessageBox::Yes);
        if (answer == QMessageBox::Yes)
            return MessageAnswer::Yes;
        return answer == QMessageBox::No ? MessageAnswer::No : MessageAnswer::Cancel;
    }
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo) {
        const auto answer = QMessageBox::question(
            owner, caption, body, QMessageBox::Yes | QMessageBox::No,
            buttons == MessageButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, body, QMessageBox::Ok, owner);
    box.exec();
    return MessageAnswer::Ok;
}
