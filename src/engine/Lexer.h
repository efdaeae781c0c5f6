#pragma once
// Lexer: turns script text into tokens with line and column.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tessera {

enum class Tok : uint8_t {
    End,
    Ident,
    IntLit,
    FloatLit,
    StrLit,
    // punctuation
    LParen,
    RParen,
    LBrace,
    RBrace,
    LBracket,
    RBracket,
    Comma,
    Semicolon,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    Not,
    Assign,
    PlusAssign,
    MinusAssign,
    StarAssign,
    SlashAssign,
    PercentAssign,
    PlusPlus,
    MinusMinus,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    AndAnd,
    OrOr,
    // reserved words
    KwInclude,
    KwUse,
    KwFunction,
    KwDefine,
    KwDll,
    KwReturn,
    KwIf,
    KwFor,
    KwWhile,
    KwElse,
    KwTrue,
    KwFalse,
    KwTry,
    KwCatch,
    KwClear,
    KwUnload,
    KwPackage,
    KwExit,
    KwInt,
    KwFloat,
    KwString,
    KwBool,
    KwList,
    KwVar,
    KwVoid,
    KwBreak,
    KwContinue,
    KwIn,
    KwThrow,
};

struct Token {
    Tok kind = Tok::End;
    int line = 1;
    int column = 1;
    std::string text; // identifier name, or the decoded string literal
    int64_t intValue = 0;
    double floatValue = 0;
};

// A compile error at a place in the source; the compiler adds the file name.
struct CompileError : std::runtime_error {
    CompileError(int l, int c, const std::string& message)
        : std::runtime_error(message), line(l), column(c) {}
    int line;
    int column;
};

// Readable spelling of a token kind, for messages and the disassembler.
const char* TokName(Tok kind);

// Reads `source` one token at a time, so that a parser need not hold every
// token of a large script at once. `source` must outlive the stream.
class TokenStream {
public:
    explicit TokenStream(std::string_view source);
    ~TokenStream();
    TokenStream(const TokenStream&) = delete;
    TokenStream& operator=(const TokenStream&) = delete;

    // The next token; Tok::End at the end, and again on every later call.
    // Throws CompileError at a malformed token.
    Token Next();
    // The same into `token`, reusing its text's storage.
    void NextInto(Token& token);
    // Steps over the rest of a statement without making tokens, for the
    // declaration pass: brackets are counted into `parens` and `braces`, and
    // it stops after a ';' or '}' that leaves none open. false, with nothing
    // consumed, when the text must be read token by token after all.
    bool SkipStatementText(int& parens, int& braces, bool& sawDll);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Splits `source` into tokens, ending with one Tok::End. Throws CompileError
// at the first malformed token.
std::vector<Token> Tokenize(std::string_view source);

// The language's comment and string rules, kept here once for every reader
// of scripts: the lexer, the declaration pass, the editor's colouring and
// its use scanner. Each returns the offset just past the construct that
// starts at `at` and says whether it was finished.
// "#" or "//" to the end of the line (the line end not included).
size_t LineCommentEnd(std::string_view text, size_t at);
// From inside a "/*" comment (at its "/*", or at a line that continues
// one) past its "*/"; unfinished: the end of the text.
size_t BlockCommentEnd(std::string_view text, size_t at, bool& finished);
// '"' to the closing '"', a backslash taking the next character along;
// unfinished at the line end or the end of the text (not consumed).
size_t StringEnd(std::string_view text, size_t at, bool& finished);

// What a stretch of script text is, for readers that must never fail on
// unfinished text (an editor colouring the line being typed).
enum class Lexeme : uint8_t { Blank, Comment, String, Word, Number, Punct };
struct LexemeSpan {
    Lexeme kind;
    size_t begin;
    size_t end;
    bool finished = true; // false: a string or comment the text cuts off
};
// Splits `text` into spans covering all of it. `inBlockComment` carries an
// open "/*" comment in (the text starts inside one) and out (it ends inside
// one), so that an editor can scan line by line.
std::vector<LexemeSpan> ScanLexemes(std::string_view text, bool& inBlockComment);

// The reserved words of the language, in one list.
const std::vector<std::string_view>& Keywords();
// Which of them name types ("int", "string", "var", ...).
bool IsTypeKeyword(std::string_view word);

} // namespace tessera
