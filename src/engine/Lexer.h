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

} // namespace tessera
