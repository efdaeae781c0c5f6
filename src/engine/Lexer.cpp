#include "engine/Lexer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace tessera {

namespace {

struct Spelling {
    Tok kind;
    const char* text;
};

// One table serves both the keyword lookup and TokName.
constexpr Spelling kSpellings[] = {
    {Tok::End, "end of file"},
    {Tok::Ident, "identifier"},
    {Tok::IntLit, "integer"},
    {Tok::FloatLit, "number"},
    {Tok::StrLit, "string"},
    {Tok::LParen, "("},
    {Tok::RParen, ")"},
    {Tok::LBrace, "{"},
    {Tok::RBrace, "}"},
    {Tok::LBracket, "["},
    {Tok::RBracket, "]"},
    {Tok::Comma, ","},
    {Tok::Semicolon, ";"},
    {Tok::Dot, "."},
    {Tok::Plus, "+"},
    {Tok::Minus, "-"},
    {Tok::Star, "*"},
    {Tok::Slash, "/"},
    {Tok::Percent, "%"},
    {Tok::Not, "!"},
    {Tok::Assign, "="},
    {Tok::PlusAssign, "+="},
    {Tok::MinusAssign, "-="},
    {Tok::StarAssign, "*="},
    {Tok::SlashAssign, "/="},
    {Tok::PercentAssign, "%="},
    {Tok::PlusPlus, "++"},
    {Tok::MinusMinus, "--"},
    {Tok::Eq, "=="},
    {Tok::Ne, "!="},
    {Tok::Lt, "<"},
    {Tok::Le, "<="},
    {Tok::Gt, ">"},
    {Tok::Ge, ">="},
    {Tok::AndAnd, "&&"},
    {Tok::OrOr, "||"},
    {Tok::KwInclude, "include"},
    {Tok::KwUse, "use"},
    {Tok::KwFunction, "function"},
    {Tok::KwDefine, "define"},
    {Tok::KwDll, "dll"},
    {Tok::KwReturn, "return"},
    {Tok::KwIf, "if"},
    {Tok::KwFor, "for"},
    {Tok::KwWhile, "while"},
    {Tok::KwElse, "else"},
    {Tok::KwTrue, "true"},
    {Tok::KwFalse, "false"},
    {Tok::KwTry, "try"},
    {Tok::KwCatch, "catch"},
    {Tok::KwClear, "clear"},
    {Tok::KwUnload, "unload"},
    {Tok::KwPackage, "package"},
    {Tok::KwExit, "exit"},
    {Tok::KwInt, "int"},
    {Tok::KwFloat, "float"},
    {Tok::KwString, "string"},
    {Tok::KwBool, "bool"},
    {Tok::KwList, "list"},
    {Tok::KwVar, "var"},
    {Tok::KwVoid, "void"},
    {Tok::KwBreak, "break"},
    {Tok::KwContinue, "continue"},
    {Tok::KwIn, "in"},
    {Tok::KwThrow, "throw"},
};

Tok KeywordKind(std::string_view word) {
    // Every reserved word starts with a lower-case letter and is 2 to 8 long.
    if (word.size() < 2 || word.size() > 8 || word[0] < 'a' || word[0] > 'z')
        return Tok::Ident;
    for (const Spelling& s : kSpellings)
        if (s.kind >= Tok::KwInclude && s.text[0] == word[0] && word == s.text)
            return s.kind;
    return Tok::Ident;
}

bool IsIdentStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : src(source) {
        // Editors on other systems start UTF-8 files with a byte-order mark.
        if (src.substr(0, 3) == "\xEF\xBB\xBF")
            pos = lineStart = 3;
    }

    // The next token; Tok::End at the end of the source, and again after.
    Token Next() {
        Token token;
        NextInto(token);
        return token;
    }

    // The same into a token the caller reuses, so that its text keeps its
    // storage: the declaration pass reads every token of a script this way.
    void NextInto(Token& token) {
        SkipBlanksAndComments();
        token.kind = Tok::End;
        token.line = line;
        token.column = Column();
        token.text.clear();
        token.intValue = 0;
        token.floatValue = 0;
        if (pos < src.size())
            Scan(token);
    }

    // Steps over the rest of a statement the declaration pass does not
    // build, byte by byte: strings, comments and brackets are followed and
    // nothing else is looked at. Stops after a ';' or '}' that leaves no
    // bracket open, or at the end; `sawDll` is set on a `dll` or `unload`.
    // Returns false, having consumed nothing, at an unterminated string or
    // comment: read token by token, that statement reports its error.
    bool SkipStatementText(int& parens, int& braces, bool& sawDll) {
        const size_t startPos = pos, startLineStart = lineStart;
        const int startLine = line;
        auto bail = [&] {
            pos = startPos;
            lineStart = startLineStart;
            line = startLine;
            return false;
        };
        int p = parens, b = braces;
        bool dll = sawDll;
        while (pos < src.size()) {
            char c = src[pos];
            if (IsIdentStart(c) || IsDigit(c)) {
                size_t start = pos;
                while (pos < src.size() && (IsIdentStart(src[pos]) || IsDigit(src[pos])))
                    ++pos;
                std::string_view word = src.substr(start, pos - start);
                dll = dll || word == "dll" || word == "unload";
                continue;
            }
            ++pos;
            switch (c) {
            case '\n':
                NewLine();
                break;
            case '"': {
                bool finished = false;
                pos = StringEnd(src, pos - 1, finished);
                if (!finished)
                    return bail();
                break;
            }
            case '/':
                if (Peek() == '*') {
                    bool finished = false;
                    const size_t end = BlockCommentEnd(src, pos + 1, finished);
                    if (!finished)
                        return bail();
                    CountLines(end);
                    break;
                }
                if (Peek() != '/')
                    break;
                [[fallthrough]];
            case '#':
                pos = LineCommentEnd(src, pos);
                break;
            case '(':
            case '[':
                ++p;
                break;
            case ')':
            case ']':
                p = p > 0 ? p - 1 : 0;
                break;
            case '{':
                ++b;
                break;
            case '}':
                b = b > 0 ? b - 1 : 0;
                [[fallthrough]];
            case ';':
                if (p == 0 && b == 0) {
                    parens = p;
                    braces = b;
                    sawDll = dll;
                    return true;
                }
                break;
            default:
                break;
            }
        }
        parens = p;
        braces = b;
        sawDll = dll;
        return true;
    }

private:
    int Column() const { return static_cast<int>(pos - lineStart) + 1; }
    char Peek(size_t ahead = 0) const { return pos + ahead < src.size() ? src[pos + ahead] : '\0'; }
    [[noreturn]] void Fail(int l, int c, const std::string& message) {
        throw CompileError(l, c, message);
    }

    void NewLine() {
        ++line;
        lineStart = pos;
    }

    // Moves to `end`, counting the lines passed on the way.
    void CountLines(size_t end) {
        for (; pos < end; ++pos)
            if (src[pos] == '\n') {
                ++line;
                lineStart = pos + 1;
            }
    }

    void SkipBlanksAndComments() {
        while (pos < src.size()) {
            char c = src[pos];
            if (c == '\n') {
                ++pos;
                NewLine();
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos;
            } else if (c == '#' || (c == '/' && Peek(1) == '/')) {
                pos = LineCommentEnd(src, pos);
            } else if (c == '/' && Peek(1) == '*') {
                const int startLine = line, startColumn = Column();
                bool finished = false;
                const size_t end = BlockCommentEnd(src, pos + 2, finished);
                if (!finished)
                    Fail(startLine, startColumn, "unterminated comment");
                CountLines(end);
            } else {
                return;
            }
        }
    }

    void Scan(Token& token) {
        char c = src[pos];
        if (IsIdentStart(c)) {
            size_t start = pos;
            while (pos < src.size() && (IsIdentStart(src[pos]) || IsDigit(src[pos])))
                ++pos;
            token.text.assign(src.data() + start, pos - start);
            token.kind = KeywordKind(token.text);
            return;
        }
        if (IsDigit(c) || (c == '.' && IsDigit(Peek(1)))) {
            ScanNumber(token);
            return;
        }
        if (c == '"') {
            ScanString(token);
            return;
        }
        ScanPunctuation(token);
    }

    void ScanNumber(Token& token) {
        size_t start = pos;
        if (src[pos] == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
            pos += 2;
            uint64_t value = 0;
            int digits = 0;
            while (HexValue(Peek()) >= 0) {
                if (digits == 16)
                    Fail(token.line, token.column, "integer literal too large");
                value = value * 16 + static_cast<uint64_t>(HexValue(src[pos++]));
                ++digits;
            }
            if (digits == 0)
                Fail(token.line, token.column, "malformed hexadecimal number");
            if (IsIdentStart(Peek()))
                Fail(token.line, token.column, "malformed number");
            token.kind = Tok::IntLit;
            token.intValue = static_cast<int64_t>(value);
            return;
        }
        bool isFloat = false;
        while (IsDigit(Peek()))
            ++pos;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++pos;
            while (IsDigit(Peek()))
                ++pos;
        } else if (Peek() == '.' && !IsIdentStart(Peek(1))) {
            isFloat = true; // "2." is a float
            ++pos;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            size_t save = pos;
            ++pos;
            if (Peek() == '+' || Peek() == '-')
                ++pos;
            if (!IsDigit(Peek())) {
                pos = save;
            } else {
                isFloat = true;
                while (IsDigit(Peek()))
                    ++pos;
            }
        }
        if (IsIdentStart(Peek()))
            Fail(token.line, token.column, "malformed number");
        std::string text(src.substr(start, pos - start));
        if (isFloat) {
            token.kind = Tok::FloatLit;
            token.floatValue = std::strtod(text.c_str(), nullptr);
            return;
        }
        uint64_t value = 0;
        for (char d : text) {
            uint64_t digit = static_cast<uint64_t>(d - '0');
            if (value > (UINT64_MAX - digit) / 10)
                Fail(token.line, token.column, "integer literal too large");
            value = value * 10 + digit;
        }
        if (value > static_cast<uint64_t>(INT64_MAX) + 1)
            Fail(token.line, token.column, "integer literal too large");
        // 9223372036854775808 is only valid after a minus; the parser checks.
        token.kind = Tok::IntLit;
        token.intValue = static_cast<int64_t>(value);
        token.text = value > static_cast<uint64_t>(INT64_MAX) ? "min" : "";
    }

    // Decodes the string's escapes; where it ends is StringEnd's to say.
    void ScanString(Token& token) {
        bool finished = false;
        const size_t end = StringEnd(src, pos, finished);
        const size_t stop = finished ? end - 1 : end;
        ++pos; // opening quote
        std::string text;
        for (;;) {
            if (pos >= stop) {
                if (!finished)
                    Fail(token.line, token.column, "unterminated string");
                pos = end;
                break;
            }
            char c = src[pos++];
            if (c != '\\') {
                text += c;
                continue;
            }
            int escColumn = Column() - 1;
            char e = Peek();
            ++pos;
            switch (e) {
            case '\\':
                text += '\\';
                break;
            case '"':
                text += '"';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '0':
                text += '\0';
                break;
            case 'x': {
                int hi = HexValue(Peek()), lo = HexValue(Peek(1));
                if (hi < 0 || lo < 0)
                    Fail(line, escColumn, "malformed \\x escape (needs two hex digits)");
                text += static_cast<char>(hi * 16 + lo);
                pos += 2;
                break;
            }
            default:
                --pos;
                Fail(line, escColumn,
                     e == '\0' || e == '\n' ? std::string("unterminated string")
                                            : std::string("unknown escape '\\") + e + "'");
            }
        }
        token.kind = Tok::StrLit;
        token.text = std::move(text);
    }

    void ScanPunctuation(Token& token) {
        char c = src[pos], n = Peek(1);
        auto two = [&](Tok kind) {
            token.kind = kind;
            pos += 2;
        };
        auto one = [&](Tok kind) {
            token.kind = kind;
            pos += 1;
        };
        switch (c) {
        case '(':
            return one(Tok::LParen);
        case ')':
            return one(Tok::RParen);
        case '{':
            return one(Tok::LBrace);
        case '}':
            return one(Tok::RBrace);
        case '[':
            return one(Tok::LBracket);
        case ']':
            return one(Tok::RBracket);
        case ',':
            return one(Tok::Comma);
        case ';':
            return one(Tok::Semicolon);
        case '.':
            return one(Tok::Dot);
        case '+':
            return n == '=' ? two(Tok::PlusAssign) : n == '+' ? two(Tok::PlusPlus) : one(Tok::Plus);
        case '-':
            return n == '='   ? two(Tok::MinusAssign)
                   : n == '-' ? two(Tok::MinusMinus)
                              : one(Tok::Minus);
        case '*':
            return n == '=' ? two(Tok::StarAssign) : one(Tok::Star);
        case '/':
            return n == '=' ? two(Tok::SlashAssign) : one(Tok::Slash);
        case '%':
            return n == '=' ? two(Tok::PercentAssign) : one(Tok::Percent);
        case '!':
            return n == '=' ? two(Tok::Ne) : one(Tok::Not);
        case '=':
            return n == '=' ? two(Tok::Eq) : one(Tok::Assign);
        case '<':
            return n == '=' ? two(Tok::Le) : one(Tok::Lt);
        case '>':
            return n == '=' ? two(Tok::Ge) : one(Tok::Gt);
        case '&':
            if (n == '&')
                return two(Tok::AndAnd);
            break;
        case '|':
            if (n == '|')
                return two(Tok::OrOr);
            break;
        default:
            break;
        }
        unsigned char u = static_cast<unsigned char>(c);
        char buffer[48];
        if (u >= 0x21 && u < 0x7f)
            std::snprintf(buffer, sizeof buffer, "unexpected character '%c'", c);
        else
            std::snprintf(buffer, sizeof buffer, "unexpected character 0x%02X", u);
        Fail(token.line, token.column, buffer);
    }

    std::string_view src;
    size_t pos = 0;
    size_t lineStart = 0;
    int line = 1;
};

} // namespace

const char* TokName(Tok kind) {
    for (const Spelling& s : kSpellings)
        if (s.kind == kind)
            return s.text;
    return "?";
}

struct TokenStream::Impl : Lexer {
    using Lexer::Lexer;
};

TokenStream::TokenStream(std::string_view source) : impl(std::make_unique<Impl>(source)) {}
TokenStream::~TokenStream() = default;

Token TokenStream::Next() {
    return impl->Next();
}

void TokenStream::NextInto(Token& token) {
    impl->NextInto(token);
}

bool TokenStream::SkipStatementText(int& parens, int& braces, bool& sawDll) {
    return impl->SkipStatementText(parens, braces, sawDll);
}

std::vector<Token> Tokenize(std::string_view source) {
    TokenStream stream(source);
    std::vector<Token> tokens;
    do
        tokens.push_back(stream.Next());
    while (tokens.back().kind != Tok::End);
    return tokens;
}

size_t LineCommentEnd(std::string_view text, size_t at) {
    const size_t end = text.find('\n', at);
    return end == std::string_view::npos ? text.size() : end;
}

size_t BlockCommentEnd(std::string_view text, size_t at, bool& finished) {
    const size_t close = text.find("*/", std::min(at, text.size()));
    finished = close != std::string_view::npos;
    return finished ? close + 2 : text.size();
}

size_t StringEnd(std::string_view text, size_t at, bool& finished) {
    size_t i = at + 1;
    while (i < text.size() && text[i] != '\n') {
        const char c = text[i++];
        if (c == '"') {
            finished = true;
            return i;
        }
        if (c == '\\') {
            if (i >= text.size() || text[i] == '\n')
                break;
            ++i;
        }
    }
    finished = false;
    return i;
}

std::vector<LexemeSpan> ScanLexemes(std::string_view text, bool& inBlockComment) {
    std::vector<LexemeSpan> spans;
    size_t i = 0;
    if (inBlockComment) {
        bool finished = false;
        i = BlockCommentEnd(text, 0, finished);
        spans.push_back({Lexeme::Comment, 0, i, finished});
        inBlockComment = !finished;
    }
    // Bytes of UTF-8 sequences join a word: no identifier has them, so such
    // a word is never taken for a keyword or a name.
    const auto wordByte = [](char c) {
        return IsIdentStart(c) || IsDigit(c) || static_cast<unsigned char>(c) >= 0x80;
    };
    while (i < text.size()) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        LexemeSpan span{Lexeme::Punct, i, i + 1};
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            span.kind = Lexeme::Blank;
            while (span.end < text.size() && std::string_view(" \t\r\n\f\v").find(text[span.end]) !=
                                                  std::string_view::npos)
                ++span.end;
        } else if (c == '#' || (c == '/' && next == '/')) {
            span = {Lexeme::Comment, i, LineCommentEnd(text, i)};
        } else if (c == '/' && next == '*') {
            span.kind = Lexeme::Comment;
            span.end = BlockCommentEnd(text, i + 2, span.finished);
            inBlockComment = !span.finished;
        } else if (c == '"') {
            span.kind = Lexeme::String;
            span.end = StringEnd(text, i, span.finished);
        } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
            span.kind = Lexeme::Number;
            while (span.end < text.size() && (wordByte(text[span.end]) || text[span.end] == '.'))
                ++span.end;
        } else if (wordByte(c)) {
            span.kind = Lexeme::Word;
            while (span.end < text.size() && wordByte(text[span.end]))
                ++span.end;
        }
        spans.push_back(span);
        i = span.end;
    }
    return spans;
}

const std::vector<std::string_view>& Keywords() {
    static const std::vector<std::string_view> words = [] {
        std::vector<std::string_view> list;
        for (const Spelling& s : kSpellings)
            if (s.kind >= Tok::KwInclude)
                list.emplace_back(s.text);
        return list;
    }();
    return words;
}

bool IsTypeKeyword(std::string_view word) {
    switch (KeywordKind(word)) {
    case Tok::KwInt:
    case Tok::KwFloat:
    case Tok::KwString:
    case Tok::KwBool:
    case Tok::KwList:
    case Tok::KwVar:
    case Tok::KwVoid:
        return true;
    default:
        return false;
    }
}

} // namespace tessera
