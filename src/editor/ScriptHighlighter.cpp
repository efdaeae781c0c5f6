#include "editor/ScriptHighlighter.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTextBlock>
#include <QTextLayout>

namespace {
enum BlockState { kNormal = 0, kInBlockComment = 1 };

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}
} // namespace

CScriptHighlighter::CScriptHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    commentFormat.setFontItalic(true);
    PickColours();
    // A theme switched while the editor is open recolours the script.
    qApp->installEventFilter(this);
}

// One set for light paper, one for a dark theme's: the light set's deep
// blue and red are barely readable on dark grey.
void CScriptHighlighter::PickColours() {
    const bool dark = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    statementFormat.setForeground(dark ? QColor(255, 120, 120) : QColor(230, 0, 0));
    functionFormat.setForeground(dark ? QColor(130, 180, 255) : QColor(0, 0, 230));
    typeFormat.setForeground(dark ? QColor(90, 210, 210) : QColor(0, 128, 128));
    stringFormat.setForeground(dark ? QColor(120, 210, 150) : QColor(0, 120, 60));
    commentFormat.setForeground(dark ? QColor(160, 160, 160) : QColor(128, 128, 128));
}

bool CScriptHighlighter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        PickColours();
        rehighlight();
    }
    return QSyntaxHighlighter::eventFilter(watched, event);
}

namespace {
void AddWords(QSet<QString>& set, const QStringList& words) {
    for (const QString& word : words)
        if (!word.trimmed().isEmpty())
            set.insert(word.trimmed());
}
} // namespace

void CScriptHighlighter::AddStatementKeywords(const QStringList& words) {
    AddWords(statements, words);
    rehighlight();
}

void CScriptHighlighter::AddTypeKeywords(const QStringList& words) {
    AddWords(types, words);
    rehighlight();
}

void CScriptHighlighter::AddFunctionNames(const QStringList& words) {
    AddWords(functions, words);
    rehighlight();
}

bool CScriptHighlighter::IsCodeAt(const QTextBlock& block, int position) const {
    if (!block.isValid() || !block.layout())
        return true;
    const int column = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length)
            return range.format != stringFormat && range.format != commentFormat;
    return true;
}

// One pass over the line: block comments carry over lines through the
// block state; "#" and "//" end the line; strings honour backslash escapes.
void CScriptHighlighter::highlightBlock(const QString& text) {
    const qsizetype length = text.size();
    qsizetype i = 0;
    setCurrentBlockState(kNormal);
    if (previousBlockState() == kInBlockComment) {
        const qsizetype end = text.indexOf(QStringLiteral("*/"));
        if (end < 0) {
            setFormat(0, int(length), commentFormat);
            setCurrentBlockState(kInBlockComment);
            return;
        }
        setFormat(0, int(end + 2), commentFormat);
        i = end + 2;
    }
    while (i < length) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < length ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('#') || (c == QLatin1Char('/') && next == QLatin1Char('/'))) {
            setFormat(int(i), int(length - i), commentFormat);
            return;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0) {
                setFormat(int(i), int(length - i), commentFormat);
                setCurrentBlockState(kInBlockComment);
                return;
            }
            setFormat(int(i), int(end + 2 - i), commentFormat);
            i = end + 2;
            continue;
        }
        if (c == QLatin1Char('"')) {
            qsizetype end = i + 1;
            while (end < length && text.at(end) != QLatin1Char('"'))
                end += text.at(end) == QLatin1Char('\\') ? 2 : 1;
            end = std::min(end + 1, length);
            setFormat(int(i), int(end - i), stringFormat);
            i = end;
            continue;
        }
        if (IsWordStart(c)) {
            qsizetype end = i + 1;
            while (end < length && IsWordPart(text.at(end)))
                ++end;
            const QString word = text.mid(i, end - i);
            if (statements.contains(word))
                setFormat(int(i), int(end - i), statementFormat);
            else if (functions.contains(word))
                setFormat(int(i), int(end - i), functionFormat);
            else if (types.contains(word))
                setFormat(int(i), int(end - i), typeFormat);
            i = end;
            continue;
        }
        ++i;
    }
}
