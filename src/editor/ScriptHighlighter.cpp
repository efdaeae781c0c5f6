#include "editor/ScriptHighlighter.h"

#include "engine/Lexer.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTextBlock>
#include <QTextLayout>

#include <string_view>
#include <vector>

namespace {
enum BlockState { kNormal = 0, kInBlockComment = 1 };
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

// The engine's own rules split the line: block comments carry over lines
// through the block state; "#" and "//" end the line; strings honour
// backslash escapes. Offsets come back in UTF-8 bytes and go to the
// document in UTF-16 units.
void CScriptHighlighter::highlightBlock(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), size_t(utf8.size()));
    std::vector<int> unit(bytes.size() + 1, 0);
    int units = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unit[i] = units;
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    unit[bytes.size()] = units;

    bool inComment = previousBlockState() == kInBlockComment;
    for (const tessera::LexemeSpan& span : tessera::ScanLexemes(bytes, inComment)) {
        const int start = unit[span.begin], length = unit[span.end] - start;
        switch (span.kind) {
        case tessera::Lexeme::Comment:
            setFormat(start, length, commentFormat);
            break;
        case tessera::Lexeme::String:
            setFormat(start, length, stringFormat);
            break;
        case tessera::Lexeme::Word: {
            const QString word = text.mid(start, length);
            if (statements.contains(word))
                setFormat(start, length, statementFormat);
            else if (functions.contains(word))
                setFormat(start, length, functionFormat);
            else if (types.contains(word))
                setFormat(start, length, typeFormat);
            break;
        }
        default:
            break;
        }
    }
    setCurrentBlockState(inComment ? kInBlockComment : kNormal);
}
