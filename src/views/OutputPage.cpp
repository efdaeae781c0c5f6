#include "views/OutputPage.h"

#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

COutputPage::COutputPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* lastRunRow = new QHBoxLayout;
    auto* label = new QLabel(tr("Last Macro Run: "), this);
    lastRun = new QLabel(this);
    lastRun->setObjectName(QStringLiteral("lastRun"));
    lastRun->setAccessibleName(tr("Last Macro Run"));
    lastRun->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastRunRow->addWidget(label);
    lastRunRow->addWidget(lastRun, 1);
    layout->addLayout(lastRunRow);

    output = new QPlainTextEdit(this);
    output->setObjectName(QStringLiteral("outputBox"));
    output->setAccessibleName(tr("Script Output"));
    output->setReadOnly(true);
    output->setUndoRedoEnabled(false);
    output->setLineWrapMode(QPlainTextEdit::NoWrap);
    output->setMaximumBlockCount(0);
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(12);
    output->setFont(font);
    // The caret stays visible so the user can see where output goes.
    output->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(output, 1);

    drainTimer = new QTimer(this);
    drainTimer->setSingleShot(true);
    drainTimer->setInterval(kDrainMs);
    connect(drainTimer, &QTimer::timeout, this, &COutputPage::FlushOutput);
}

void COutputPage::AppendOutput(const std::string& text) {
    const bool wake = pending.Append(text);
    if (QThread::currentThread() == thread())
        FlushOutput();
    else if (wake)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!drainTimer->isActive())
                    drainTimer->start();
            },
            Qt::QueuedConnection);
}

void COutputPage::FlushOutput() {
    const std::string text = pending.Take();
    if (!text.empty())
        InsertOutput(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

// At the caret (the end unless the user moved it), replacing a selection;
// then the oldest characters beyond the limit go.
void COutputPage::InsertOutput(const QString& text) {
    QTextCursor cursor = output->textCursor();
    QTextDocument* document = output->document();
    if (text.size() >= kOutputLimit && !cursor.hasSelection() && cursor.atEnd()) {
        // Nothing the box holds would stay: start it over with the tail.
        qsizetype from = text.size() - kOutputLimit;
        if (text.at(from).isLowSurrogate())
            ++from;
        output->clear();
        cursor = output->textCursor();
        cursor.insertText(text.mid(from));
    } else {
        cursor.insertText(text);
    }
    output->setTextCursor(cursor);
    int excess = document->characterCount() - 1 - kOutputLimit;
    if (excess > 0) {
        // Never half of a surrogate pair.
        if (document->characterAt(excess).isLowSurrogate())
            ++excess;
        QTextCursor oldest(document);
        oldest.setPosition(excess, QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    output->ensureCursorVisible();
}

std::string COutputPage::LastOutputText() const {
    return pending.LastText();
}

// Output still waiting belongs to the emptied box too.
void COutputPage::ClearOutput() {
    pending.Clear();
    output->clear();
}

void COutputPage::SetLastRun(const std::string& text) {
    lastRun->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

QString COutputPage::OutputText() const {
    return output->toPlainText();
}

QString COutputPage::LastRunText() const {
    return lastRun->text();
}

// The page never closes itself: Escape stops here.
void COutputPage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}
