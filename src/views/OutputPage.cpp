#include "views/OutputPage.h"

#include <QFont>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QThread>
#include <QVBoxLayout>

COutputPage::COutputPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* lastRunRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Last Macro Run: "), this);
    lastRun = new QLabel(this);
    lastRun->setObjectName(QStringLiteral("lastRun"));
    lastRun->setAccessibleName(QStringLiteral("Last Macro Run"));
    lastRun->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lastRunRow->addWidget(label);
    lastRunRow->addWidget(lastRun, 1);
    layout->addLayout(lastRunRow);

    output = new QPlainTextEdit(this);
    output->setObjectName(QStringLiteral("outputBox"));
    output->setAccessibleName(QStringLiteral("Script Output"));
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
}

void COutputPage::AppendOutput(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(lastOutputMutex);
        lastOutput = text;
    }
    QString shown = QString::fromUtf8(text.data(), qsizetype(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (QThread::currentThread() == thread())
        InsertOutput(shown);
    else
        QMetaObject::invokeMethod(
            this, [this, shown] { InsertOutput(shown); }, Qt::QueuedConnection);
}

// At the caret (the end unless the user moved it), replacing a selection.
void COutputPage::InsertOutput(const QString& text) {
    QTextCursor cursor = output->textCursor();
    cursor.insertText(text);
    output->setTextCursor(cursor);
    QTextDocument* document = output->document();
    const int excess = document->characterCount() - 1 - kOutputLimit;
    if (excess > 0) {
        QTextCursor oldest(document);
        oldest.setPosition(excess, QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    output->ensureCursorVisible();
}

std::string COutputPage::LastOutputText() const {
    std::lock_guard<std::mutex> lock(lastOutputMutex);
    return lastOutput;
}

void COutputPage::ClearOutput() {
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
