#pragma once
// Colours a script as the user reads it: statement keywords red, the engine's
// function names blue, types teal, strings and comments in quieter colours
// (lighter shades of each on a dark theme). Formats are layout-only, so the
// text, the undo stack, the caret, the selection and the modified mark stay
// as they were.

#include <QSet>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class CScriptHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit CScriptHighlighter(QTextDocument* document);

    void AddStatementKeywords(const QStringList& words);
    void AddFunctionNames(const QStringList& words);
    void AddTypeKeywords(const QStringList& words);
    // Whether the character at document position `position` (in `block`) is
    // code: not in a string or a comment.
    bool IsCodeAt(const QTextBlock& block, int position) const;
    const QSet<QString>& StatementKeywords() const { return statements; }
    const QSet<QString>& FunctionNames() const { return functions; }

protected:
    void highlightBlock(const QString& text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PickColours();

    QSet<QString> statements;
    QSet<QString> functions;
    QSet<QString> types;
    QTextCharFormat statementFormat;
    QTextCharFormat functionFormat;
    QTextCharFormat typeFormat;
    QTextCharFormat stringFormat;
    QTextCharFormat commentFormat;
};
