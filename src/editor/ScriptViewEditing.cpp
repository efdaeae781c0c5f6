// The script view's editing aids: auto-indent, Tab and Shift+Tab over
// lines, the current line and the bracket matching the caret's, and
// completion of the script's own names.

#include "editor/ScriptHighlighter.h"
#include "editor/ScriptNames.h"
#include "editor/ScriptView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>

namespace {
// How far a bracket's partner is looked for: enough for any block a person
// reads, and a keystroke stays cheap on a very large script.
constexpr int kBracketReach = 200000;

QChar PartnerOf(QChar c) {
    switch (c.unicode()) {
    case '(':
        return QLatin1Char(')');
    case ')':
        return QLatin1Char('(');
    case '[':
        return QLatin1Char(']');
    case ']':
        return QLatin1Char('[');
    case '{':
        return QLatin1Char('}');
    case '}':
        return QLatin1Char('{');
    default:
        return QChar();
    }
}

bool Opens(QChar c) {
    return c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{');
}

QString LeadingBlanks(const QString& line) {
    qsizetype n = 0;
    while (n < line.size() && (line.at(n) == QLatin1Char(' ') || line.at(n) == QLatin1Char('\t')))
        ++n;
    return line.left(n);
}
} // namespace

// Return keeps the line's indentation, one tab deeper after a "{", and a
// "}" alone on its line goes back one level; Tab on a selection across
// lines indents them, Shift+Tab unindents. true when the key was taken here.
bool CScriptView::HandleEditingKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    QTextCursor cursor = textCursor();
    if (event->text() == QLatin1String("}") && !cursor.hasSelection()) {
        const QString before = cursor.block().text().left(cursor.positionInBlock());
        if (!before.isEmpty() && before.trimmed().isEmpty()) {
            int remove = 0;
            if (before.endsWith(QLatin1Char('\t')))
                remove = 1;
            else
                while (remove < 4 && remove < before.size() &&
                       before.at(before.size() - 1 - remove) == QLatin1Char(' '))
                    ++remove;
            cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor, remove);
            setTextCursor(cursor);
            InsertText(QStringLiteral("}"));
            return true;
        }
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        mods == Qt::NoModifier) {
        const QString before = cursor.block().text().left(cursor.positionInBlock());
        QString indent = LeadingBlanks(cursor.block().text());
        if (indent.size() > before.size())
            indent = before;
        if (before.trimmed().endsWith(QLatin1Char('{')))
            indent += QLatin1Char('\t');
        InsertText(QLatin1Char('\n') + indent);
        return true;
    }
    const bool backtab = event->key() == Qt::Key_Backtab ||
                         (event->key() == Qt::Key_Tab && mods == Qt::ShiftModifier);
    const bool tab = event->key() == Qt::Key_Tab && mods == Qt::NoModifier;
    if (!backtab && !(tab && SelectionSpansLines()))
        return false;
    IndentLines(backtab);
    return true;
}

bool CScriptView::SelectionSpansLines() const {
    const QTextCursor cursor = textCursor();
    return cursor.hasSelection() && document()->findBlock(cursor.selectionStart()) !=
                                        document()->findBlock(cursor.selectionEnd());
}

// Every line the selection touches (not the last one when the selection
// ends at its start), as one undo step; the lines stay selected.
void CScriptView::IndentLines(bool outdent) {
    QTextCursor cursor = textCursor();
    const QTextBlock first = document()->findBlock(cursor.selectionStart());
    QTextBlock last = document()->findBlock(cursor.selectionEnd());
    if (last != first && cursor.selectionEnd() == last.position())
        last = last.previous();
    cursor.beginEditBlock();
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        QTextCursor line(block);
        if (!outdent) {
            line.insertText(QStringLiteral("\t"));
        } else {
            const QString text = block.text();
            int remove = 0;
            if (text.startsWith(QLatin1Char('\t')))
                remove = 1;
            else
                while (remove < 4 && remove < text.size() && text.at(remove) == QLatin1Char(' '))
                    ++remove;
            line.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, remove);
            if (remove > 0)
                line.removeSelectedText();
        }
        if (block == last)
            break;
    }
    cursor.endEditBlock();
    QTextCursor selection(document());
    selection.setPosition(first.position());
    selection.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    setTextCursor(selection);
    LinePasses(first.blockNumber(), last.blockNumber());
}

// The bracket at or just before the caret and its partner; -1 when there is
// none (or it is in a string or a comment).
std::pair<int, int> CScriptView::MatchingBrackets() const {
    const QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return {-1, -1};
    for (const int at : {cursor.position(), cursor.position() - 1}) {
        const QChar c = document()->characterAt(at);
        const QChar partner = PartnerOf(c);
        if (partner.isNull() || !highlighter->IsCodeAt(document()->findBlock(at), at))
            continue;
        const int step = Opens(c) ? 1 : -1;
        int depth = 0;
        const int limit = std::min(document()->characterCount(), at + kBracketReach);
        for (int i = at; i >= 0 && i < limit && std::abs(i - at) < kBracketReach; i += step) {
            const QChar here = document()->characterAt(i);
            if (here != c && here != partner)
                continue;
            if (!highlighter->IsCodeAt(document()->findBlock(i), i))
                continue;
            depth += here == c ? 1 : -1;
            if (depth == 0)
                return {at, i};
        }
        return {at, -1};
    }
    return {-1, -1};
}

// Drawn under the text: the caret's line, and the bracket pair (red when the
// partner is missing). The extra selections stay the error mark's alone.
void CScriptView::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        const QTextCursor cursor = textCursor();
        const QRect caret = cursorRect(cursor);
        painter.fillRect(QRect(0, caret.top(), viewport()->width(), caret.height()),
                         QColor(240, 244, 255));
        const auto [at, partner] = MatchingBrackets();
        for (const int position : {at, partner}) {
            if (position < 0)
                continue;
            QTextCursor one(document());
            one.setPosition(position);
            const QRect left = cursorRect(one);
            one.setPosition(position + 1);
            const QRect right = cursorRect(one);
            painter.fillRect(QRect(left.left(), left.top(), std::max(2, right.left() - left.left()),
                                   left.height()),
                             partner < 0 ? QColor(255, 200, 200) : QColor(200, 230, 200));
        }
    }
    QPlainTextEdit::paintEvent(event);
}

QStringList CScriptView::CompletionWords() const {
    QStringList words = StatementKeywords();
    words << TypeKeywords();
    words << functionNames;
    const QByteArray utf8 = ScriptText().toUtf8();
    const ScriptNames own =
        FindScriptNames(std::string_view(utf8.constData(), size_t(utf8.size())));
    for (const auto* list : {&own.functions, &own.variables, &own.defines})
        for (const std::string& name : *list)
            words << QString::fromUtf8(name.data(), qsizetype(name.size()));
    words.removeDuplicates();
    words.sort(Qt::CaseInsensitive);
    return words;
}
