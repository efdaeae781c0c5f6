#include "editor/FindDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

CFindDlg::CFindDlg(QPlainTextEdit* textView, bool replaceMode, QWidget* parent)
    : QDialog(parent), view(textView) {
    setObjectName(QStringLiteral("findDlg"));
    auto* grid = new QGridLayout;
    findBox = new QLineEdit(this);
    findBox->setObjectName(QStringLiteral("findText"));
    replaceBox = new QLineEdit(this);
    replaceBox->setObjectName(QStringLiteral("replaceText"));
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(findBox);
    replaceLabel = new QLabel(tr("Re&place with:"), this);
    replaceLabel->setBuddy(replaceBox);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(findBox, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replaceBox, 1, 1);

    matchCase = new QCheckBox(tr("Match &case"), this);
    wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    wrap = new QCheckBox(tr("W&rap around"), this);
    wrap->setChecked(true);
    auto* options = new QVBoxLayout;
    options->addWidget(matchCase);
    options->addWidget(wholeWord);
    options->addWidget(wrap);
    note = new QLabel(this);
    note->setObjectName(QStringLiteral("findNote"));
    options->addWidget(note);

    auto* next = new QPushButton(tr("&Find Next"), this);
    next->setDefault(true);
    auto* previous = new QPushButton(tr("Find Pre&vious"), this);
    replaceButton = new QPushButton(tr("&Replace"), this);
    replaceAllButton = new QPushButton(tr("Replace &All"), this);
    auto* close = new QPushButton(tr("Close"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {next, previous, replaceButton, replaceAllButton, close})
        buttons->addWidget(button);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(options);
    left->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    connect(next, &QPushButton::clicked, this, [this] { FindNext(false); });
    connect(previous, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(replaceButton, &QPushButton::clicked, this, [this] { ReplaceOne(); });
    connect(replaceAllButton, &QPushButton::clicked, this, [this] { ReplaceAll(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    SetReplaceMode(replaceMode);
}

void CFindDlg::SetReplaceMode(bool replaceMode) {
    setWindowTitle(replaceMode ? tr("Replace") : tr("Find"));
    for (QWidget* widget :
         std::initializer_list<QWidget*>{replaceLabel, replaceBox, replaceButton, replaceAllButton})
        widget->setVisible(replaceMode);
    const QString selected = view->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        findBox->setText(selected);
    findBox->selectAll();
    findBox->setFocus();
}

void CFindDlg::Note(const QString& text) {
    note->setText(text);
}

bool CFindDlg::FindNext(bool backward) {
    const QString needle = findBox->text();
    Note(QString());
    if (needle.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (backward)
        flags |= QTextDocument::FindBackward;
    QTextDocument* document = view->document();
    QTextCursor found = document->find(needle, view->textCursor(), flags);
    if (found.isNull() && wrap->isChecked()) {
        QTextCursor from(document);
        from.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        found = document->find(needle, from, flags);
        if (!found.isNull())
            Note(tr("Search wrapped around."));
    }
    if (found.isNull()) {
        Note(tr("Cannot find \"%1\".").arg(needle));
        return false;
    }
    view->setTextCursor(found);
    return true;
}

bool CFindDlg::SelectionIsMatch() const {
    const QString selected = view->textCursor().selectedText();
    if (selected.isEmpty())
        return false;
    const Qt::CaseSensitivity sensitivity =
        matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return selected.compare(findBox->text(), sensitivity) == 0;
}

bool CFindDlg::ReplaceOne() {
    if (SelectionIsMatch()) {
        QTextCursor cursor = view->textCursor();
        cursor.insertText(replaceBox->text());
        view->setTextCursor(cursor);
        Q_EMIT textReplaced();
    }
    return FindNext(false);
}

int CFindDlg::ReplaceAll() {
    const QString needle = findBox->text();
    if (needle.isEmpty())
        return 0;
    QTextDocument::FindFlags flags;
    if (matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    QTextDocument* document = view->document();
    QTextCursor edit(document);
    edit.beginEditBlock();
    int count = 0;
    QTextCursor from(document);
    for (;;) {
        QTextCursor found = document->find(needle, from, flags);
        if (found.isNull())
            break;
        found.insertText(replaceBox->text());
        from = found; // continue after the replacement, never inside it
        ++count;
    }
    edit.endEditBlock();
    Note(tr("%1 replaced.").arg(count));
    if (count > 0)
        Q_EMIT textReplaced();
    return count;
}
