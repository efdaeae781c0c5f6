#include "views/QtMessageBox.h"

#include "ports/UiText.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

namespace {
constexpr QChar kZeroWidthSpace(0x200B);

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton DefaultOf(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::YesNoCancel:
    case MessageButtons::YesNo:
        return QMessageBox::Yes;
    case MessageButtons::YesNoDefaultNo:
        return QMessageBox::No;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// The text as the box shows it: a run of characters too long for a line (a
// path, a long name) gets break opportunities after its slashes and every
// `run` characters, so it wraps instead of widening the box or being cut.
QString Breakable(const QString& text, int run = 48) {
    QString out;
    out.reserve(text.size() + text.size() / 16);
    int sinceBreak = 0;
    for (const QChar c : text) {
        out += c;
        if (c.isSpace()) {
            sinceBreak = 0;
            continue;
        }
        if (c == QLatin1Char('/') || ++sinceBreak >= run) {
            out += kZeroWidthSpace;
            sinceBreak = 0;
        }
    }
    return out;
}
} // namespace

// The box is at least as wide as its title, which the window manager would
// otherwise cut ("Script / Decl... not saved"). A title marked with UI_TEXT is
// shown translated; the text comes translated (a script's alert stays as it is).
MessageAnswer CQtMessageBox::Show(const std::string& text, const std::string& title,
                                  MessageButtons buttons) {
    const QString body = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const QString caption = QString::fromStdString(UiText(title.c_str()));
    // A window in the tray or minimized cannot hold a box in front of it.
    QWidget* parent = owner && owner->isVisible() && !owner->isMinimized() ? owner : nullptr;
    QMessageBox box(QMessageBox::NoIcon, caption, Breakable(body), ButtonsOf(buttons), parent);
    box.setDefaultButton(DefaultOf(buttons));
    if (buttons != MessageButtons::Ok)
        box.setIcon(QMessageBox::Question);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int titleWidth = box.fontMetrics().horizontalAdvance(caption) + 120;
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        break;
    }
    // Escape or the close box: the safe answer of the question.
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::No;
}

IMessageBox& MessagesOwnedBy(QWidget* owner, IMessageBox& shared,
                             std::unique_ptr<IMessageBox>& own) {
    if (!dynamic_cast<CQtMessageBox*>(&shared))
        return shared;
    own = std::make_unique<CQtMessageBox>(owner);
    return *own;
}
