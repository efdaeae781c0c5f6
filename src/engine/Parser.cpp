#include "engine/Parser.h"

#include <deque>

namespace tessera {

namespace {

// Binary operators by precedence level, loosest (0) first; -1 for tokens
// that are not binary operators. Every level is left-associative.
constexpr int kLevels = 6;
int BinaryLevel(Tok kind) {
    switch (kind) {
    case Tok::OrOr:
        return 0;
    case Tok::AndAnd:
        return 1;
    case Tok::Eq:
    case Tok::Ne:
        return 2;
    case Tok::Lt:
    case Tok::Le:
    case Tok::Gt:
    case Tok::Ge:
        return 3;
    case Tok::Plus:
    case Tok::Minus:
        return 4;
    case Tok::Star:
    case Tok::Slash:
    case Tok::Percent:
        return 5;
    default:
        return -1;
    }
}

bool IsTypeKeyword(Tok kind) {
    return kind == Tok::KwInt || kind == Tok::KwFloat || kind == Tok::KwString ||
           kind == Tok::KwBool || kind == Tok::KwList || kind == Tok::KwVar;
}

DeclType TypeOf(Tok kind) {
    switch (kind) {
    case Tok::KwInt:
        return DeclType::Int;
    case Tok::KwFloat:
        return DeclType::Float;
    case Tok::KwString:
        return DeclType::Str;
    case Tok::KwBool:
        return DeclType::Bool;
    case Tok::KwList:
        return DeclType::List;
    case Tok::KwVoid:
        return DeclType::Void;
    default:
        return DeclType::Var;
    }
}

} // namespace

// Tokens come from the lexer as the parser needs them and are dropped after
// each top-level statement; a deque keeps references to the tokens of the
// statement being parsed valid while more are read.
class Parser {
public:
    explicit Parser(std::string_view source) : lexer(source) {}

    // script := { topLevel } END
    // One top-level statement, or null at the end.
    StmtPtr NextTopLevel(int* line, int* column) {
        DropRead();
        if (Cur().kind == Tok::End)
            return nullptr;
        if (line) {
            *line = Cur().line;
            *column = Cur().column;
        }
        return TopLevel();
    }

    // The next top-level declaration, skipping the statements between token
    // by token without building them: a declaration starts at brace and
    // bracket depth 0 after a ';' or '}' (or at the start), where no
    // if/while/for body can begin. Errors in skipped statements are left for
    // the full parse.
    StmtPtr NextDeclaration(bool& skippedDll, int& line, int& column) {
        DropRead();
        int parens = 0, braces = 0;
        bool atStart = true;
        for (;;) {
            // Skipped tokens never enter the buffer.
            Token& t = skipped;
            if (tokens.empty()) {
                lexer.NextInto(t);
            } else {
                t = std::move(tokens.front());
                tokens.pop_front();
            }
            bool end = t.kind == Tok::End;
            if (end || (atStart && (IsTypeKeyword(t.kind) || t.kind == Tok::KwFunction ||
                                    t.kind == Tok::KwDefine || t.kind == Tok::KwInclude ||
                                    t.kind == Tok::KwUse))) {
                line = t.line;
                column = t.column;
                tokens.push_front(std::move(t));
                current = nullptr;
                return end ? nullptr : TopLevel();
            }
            switch (t.kind) {
            case Tok::KwDll:
            case Tok::KwUnload:
                skippedDll = true;
                break;
            case Tok::LParen:
            case Tok::LBracket:
                ++parens;
                break;
            case Tok::RParen:
            case Tok::RBracket:
                parens = parens > 0 ? parens - 1 : 0;
                break;
            case Tok::LBrace:
                ++braces;
                break;
            case Tok::RBrace:
                braces = braces > 0 ? braces - 1 : 0;
                break;
            default:
                break;
            }
            atStart =
                parens == 0 && braces == 0 && (t.kind == Tok::Semicolon || t.kind == Tok::RBrace);
            // Inside a statement nothing but brackets matters: step over its
            // text without making tokens.
            if (!atStart && tokens.empty())
                atStart = lexer.SkipStatementText(parens, braces, skippedDll);
        }
    }

    // literalList := [ literal { "," literal } ] END
    // literal := ["-"] (INT | FLOAT) | STRING | "true" | "false"
    std::vector<ExprPtr> LiteralList() {
        std::vector<ExprPtr> items;
        if (Cur().kind == Tok::End)
            return items;
        for (;;) {
            const Token& t = Cur();
            bool negative = Accept(Tok::Minus);
            const Token& lit = Cur();
            ExprKind kind;
            switch (lit.kind) {
            case Tok::IntLit:
                kind = ExprKind::IntLit;
                break;
            case Tok::FloatLit:
                kind = ExprKind::FloatLit;
                break;
            case Tok::StrLit:
            case Tok::KwTrue:
            case Tok::KwFalse:
                if (negative)
                    Fail(lit, "expected a number after '-'");
                kind = lit.kind == Tok::StrLit ? ExprKind::StrLit : ExprKind::BoolLit;
                break;
            default:
                Fail(lit, "expected a literal");
            }
            ExprPtr e = Primary();
            e->line = t.line;
            e->column = t.column;
            if (negative)
                Negate(*e, lit);
            else if (kind == ExprKind::IntLit && lit.text == "min")
                Fail(lit, "integer literal too large");
            items.push_back(std::move(e));
            if (Accept(Tok::End))
                return items;
            Expect(Tok::Comma, "',' between arguments");
        }
    }

private:
    // Forgets the tokens already parsed; only between statements.
    void DropRead() {
        tokens.erase(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(pos));
        pos = 0;
        current = nullptr;
    }

    // Token `index` of the buffer, reading up to it; the End token past the end.
    const Token& At(size_t index) {
        while (tokens.size() <= index && (tokens.empty() || tokens.back().kind != Tok::End)) {
            Token& token = tokens.emplace_back();
            try {
                lexer.NextInto(token);
            } catch (...) {
                tokens.pop_back(); // no half-read token left behind
                throw;
            }
        }
        return tokens[index < tokens.size() ? index : tokens.size() - 1];
    }
    const Token& Cur() {
        if (!current)
            current = &At(pos);
        return *current;
    }
    const Token& Next() { return At(pos + 1); }
    const Token& Advance() {
        const Token& t = Cur();
        if (t.kind != Tok::End) {
            ++pos;
            current = nullptr;
        }
        return t;
    }
    bool Accept(Tok kind) {
        if (Cur().kind != kind)
            return false;
        Advance();
        return true;
    }
    [[noreturn]] void Fail(const Token& at, const std::string& message) {
        throw CompileError(at.line, at.column, message);
    }
    std::string Found(const Token& t) {
        if (t.kind == Tok::Ident)
            return "'" + t.text + "'";
        if (t.kind == Tok::End || t.kind == Tok::IntLit || t.kind == Tok::FloatLit ||
            t.kind == Tok::StrLit)
            return TokName(t.kind);
        return std::string("'") + TokName(t.kind) + "'";
    }
    const Token& Expect(Tok kind, const char* what) {
        if (Cur().kind != kind)
            Fail(Cur(), std::string("expected ") + what + ", found " + Found(Cur()));
        return Advance();
    }
    std::string ExpectName(const char* what) { return Expect(Tok::Ident, what).text; }

    // Guards recursion: every nested statement or expression passes here.
    struct Nest {
        Parser& p;
        Nest(Parser& parser, const Token& at) : p(parser) {
            if (++p.depth > kMaxNesting)
                p.Fail(at, "nesting too deep");
        }
        ~Nest() { --p.depth; }
    };

    template <class Node> std::unique_ptr<Node> Make(auto kind, const Token& at) {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->line = at.line;
        node->column = at.column;
        return node;
    }

    // topLevel := function | define | include | use | statement
    StmtPtr TopLevel() {
        const Token& t = Cur();
        switch (t.kind) {
        case Tok::KwFunction:
            return Function();
        case Tok::KwDefine: {
            // define := "define" NAME "=" expr ";"
            Advance();
            auto s = Make<Stmt>(StmtKind::Define, t);
            s->name = ExpectName("a name after 'define'");
            Expect(Tok::Assign, "'=' after the define's name");
            s->value = Expression();
            Expect(Tok::Semicolon, "';'");
            return s;
        }
        case Tok::KwInclude:
        case Tok::KwUse: {
            // include := "include" STRING ";"    use := "use" STRING ";"
            Advance();
            auto s = Make<Stmt>(t.kind == Tok::KwInclude ? StmtKind::Include : StmtKind::Use, t);
            s->text = Expect(Tok::StrLit, "a file name in double quotes").text;
            Expect(Tok::Semicolon, "';'");
            return s;
        }
        default:
            return Statement();
        }
    }

    // function := "function" TYPE NAME "(" [ TYPE NAME { "," TYPE NAME } ] ")" block
    StmtPtr Function() {
        const Token& t = Advance();
        auto s = Make<Stmt>(StmtKind::Function, t);
        if (!IsTypeKeyword(Cur().kind) && Cur().kind != Tok::KwVoid)
            Fail(Cur(), "expected the function's result type, found " + Found(Cur()));
        s->type = TypeOf(Advance().kind);
        const Token& name = Expect(Tok::Ident, "the function's name");
        s->name = name.text;
        s->line = name.line;
        s->column = name.column;
        Expect(Tok::LParen, "'('");
        if (Cur().kind != Tok::RParen) {
            do {
                if (!IsTypeKeyword(Cur().kind))
                    Fail(Cur(), "expected a parameter type, found " + Found(Cur()));
                DeclType type = TypeOf(Advance().kind);
                const Token& param = Expect(Tok::Ident, "a parameter name");
                s->params.push_back({type, param.text, param.line, param.column});
            } while (Accept(Tok::Comma));
        }
        Expect(Tok::RParen, "')'");
        if (Cur().kind != Tok::LBrace)
            Fail(Cur(), "expected '{' to begin the function body, found " + Found(Cur()));
        s->body = Block();
        return s;
    }

    // block := "{" { statement } "}"
    StmtPtr Block() {
        const Token& t = Expect(Tok::LBrace, "'{'");
        auto s = Make<Stmt>(StmtKind::Block, t);
        while (Cur().kind != Tok::RBrace) {
            if (Cur().kind == Tok::End)
                Fail(t, "'{' is never closed");
            s->stmts.push_back(Statement());
        }
        Advance();
        return s;
    }

    // statement := block | if | while | for | try | declaration ";" | simple ";"
    //            | "break" ";" | "continue" ";" | "return" [expr] ";" | "throw" expr ";"
    //            | "exit" [expr] ";" | "dll" expr ";" | "unload" expr ";" | ";"
    StmtPtr Statement() {
        const Token& t = Cur();
        Nest nest(*this, t);
        switch (t.kind) {
        case Tok::LBrace:
            return Block();
        case Tok::KwIf: {
            // if := "if" "(" expr ")" statement { "else" "if" "(" expr ")" statement }
            //       [ "else" statement ]
            // An `else if` continues the chain rather than nesting in it, so
            // generated chains of any length parse in this one loop.
            Advance();
            auto s = Make<Stmt>(StmtKind::If, t);
            s->cond = Condition();
            s->body = Statement();
            while (Accept(Tok::KwElse)) {
                if (Cur().kind != Tok::KwIf) {
                    s->elseBody = Statement();
                    break;
                }
                auto branch = Make<Stmt>(StmtKind::If, Advance());
                branch->cond = Condition();
                branch->body = Statement();
                s->stmts.push_back(std::move(branch));
            }
            return s;
        }
        case Tok::KwWhile: {
            // while := "while" "(" expr ")" statement
            Advance();
            auto s = Make<Stmt>(StmtKind::While, t);
            s->cond = Condition();
            s->body = Statement();
            return s;
        }
        case Tok::KwFor:
            return For();
        case Tok::KwTry:
            return Try();
        case Tok::KwBreak:
        case Tok::KwContinue: {
            Advance();
            auto s = Make<Stmt>(t.kind == Tok::KwBreak ? StmtKind::Break : StmtKind::Continue, t);
            Expect(Tok::Semicolon, "';'");
            return s;
        }
        case Tok::KwReturn:
        case Tok::KwExit: {
            Advance();
            auto s = Make<Stmt>(t.kind == Tok::KwReturn ? StmtKind::Return : StmtKind::Exit, t);
            if (Cur().kind != Tok::Semicolon)
                s->value = Expression();
            Expect(Tok::Semicolon, "';'");
            return s;
        }
        case Tok::KwThrow:
        case Tok::KwDll:
        case Tok::KwUnload: {
            Advance();
            StmtKind kind = t.kind == Tok::KwThrow ? StmtKind::Throw
                            : t.kind == Tok::KwDll ? StmtKind::Dll
                                                   : StmtKind::Unload;
            auto s = Make<Stmt>(kind, t);
            s->value = Expression();
            Expect(Tok::Semicolon, "';'");
            return s;
        }
        case Tok::Semicolon:
            Advance();
            return Make<Stmt>(StmtKind::Empty, t);
        case Tok::KwFunction:
            Fail(t, "functions may only be defined at the top level");
        case Tok::KwDefine:
        case Tok::KwInclude:
        case Tok::KwUse:
            Fail(t, std::string("'") + TokName(t.kind) + "' may only be used at the top level");
        case Tok::KwClear:
        case Tok::KwPackage:
        case Tok::KwElse:
        case Tok::KwCatch:
        case Tok::KwIn:
        case Tok::KwVoid:
            Fail(t, std::string("'") + TokName(t.kind) + "' is reserved here");
        default:
            break;
        }
        StmtPtr s = Simple();
        Expect(Tok::Semicolon, "';'");
        return s;
    }

    // Parenthesised condition of if and while.
    ExprPtr Condition() {
        Expect(Tok::LParen, "'('");
        ExprPtr e = Expression();
        Expect(Tok::RParen, "')'");
        return e;
    }

    // simple := TYPE NAME [ "=" expr ]
    //         | target ( "=" | "+=" | "-=" | "*=" | "/=" | "%=" ) expr
    //         | target ( "++" | "--" )
    //         | call
    StmtPtr Simple() {
        const Token& t = Cur();
        if (IsTypeKeyword(t.kind)) {
            Advance();
            auto s = Make<Stmt>(StmtKind::VarDecl, t);
            s->type = TypeOf(t.kind);
            const Token& name = Expect(Tok::Ident, "a variable name");
            s->name = name.text;
            s->line = name.line;
            s->column = name.column;
            if (Accept(Tok::Assign))
                s->value = Expression();
            return s;
        }
        ExprPtr e = Expression();
        const Token& op = Cur();
        switch (op.kind) {
        case Tok::Assign:
        case Tok::PlusAssign:
        case Tok::MinusAssign:
        case Tok::StarAssign:
        case Tok::SlashAssign:
        case Tok::PercentAssign:
        case Tok::PlusPlus:
        case Tok::MinusMinus: {
            if (e->kind != ExprKind::Name && e->kind != ExprKind::Index)
                Fail(op, "can only assign to a variable or a list element");
            Advance();
            auto s = Make<Stmt>(StmtKind::Assign, op);
            s->op = op.kind;
            s->target = std::move(e);
            if (op.kind != Tok::PlusPlus && op.kind != Tok::MinusMinus)
                s->value = Expression();
            return s;
        }
        default:
            break;
        }
        if (e->kind != ExprKind::Call) {
            if (op.kind == Tok::Semicolon)
                Fail(t, "expression result is not used (expected an assignment or a call)");
            Fail(op, "expected ';', found " + Found(op));
        }
        auto s = Make<Stmt>(StmtKind::Call, t);
        s->value = std::move(e);
        return s;
    }

    // for := "for" "(" TYPE NAME "in" expr ")" statement
    //      | "for" "(" [simple] ";" [expr] ";" [simple] ")" statement
    StmtPtr For() {
        const Token& t = Advance();
        Expect(Tok::LParen, "'(' after 'for'");
        if (IsTypeKeyword(Cur().kind) && Next().kind == Tok::Ident &&
            At(pos + 2).kind == Tok::KwIn) {
            auto s = Make<Stmt>(StmtKind::ForIn, t);
            s->type = TypeOf(Advance().kind);
            s->name = Advance().text;
            Advance(); // in
            s->value = Expression();
            Expect(Tok::RParen, "')'");
            s->body = Statement();
            return s;
        }
        auto s = Make<Stmt>(StmtKind::For, t);
        if (Cur().kind != Tok::Semicolon)
            s->init = Simple();
        Expect(Tok::Semicolon, "';' after the loop's start");
        if (Cur().kind != Tok::Semicolon)
            s->cond = Expression();
        Expect(Tok::Semicolon, "';' after the loop's condition");
        if (Cur().kind != Tok::RParen) {
            s->step = Simple();
            if (s->step->kind == StmtKind::VarDecl)
                Fail(Cur(), "the loop's step cannot declare a variable");
        }
        Expect(Tok::RParen, "')'");
        s->body = Statement();
        return s;
    }

    // try := "try" block "catch" "(" "string" NAME ")" block
    StmtPtr Try() {
        const Token& t = Advance();
        auto s = Make<Stmt>(StmtKind::Try, t);
        if (Cur().kind != Tok::LBrace)
            Fail(Cur(), "expected '{' after 'try', found " + Found(Cur()));
        s->body = Block();
        Expect(Tok::KwCatch, "'catch' after the try block");
        Expect(Tok::LParen, "'(' after 'catch'");
        if (Cur().kind != Tok::KwString && Cur().kind != Tok::KwVar)
            Fail(Cur(), "expected 'string' before the catch variable, found " + Found(Cur()));
        Advance();
        const Token& name = Expect(Tok::Ident, "the catch variable's name");
        s->name = name.text;
        s->catchLine = name.line;
        s->catchColumn = name.column;
        Expect(Tok::RParen, "')'");
        if (Cur().kind != Tok::LBrace)
            Fail(Cur(), "expected '{' after 'catch (...)', found " + Found(Cur()));
        s->catchBody = Block();
        return s;
    }

    // expr := binary(0)
    ExprPtr Expression() { return Binary(0); }

    // binary(n) := unary { OP binary(m + 1) }, for operators OP of a level m >= n
    // (precedence climbing: a chain of one level is built in this loop, left-nested)
    ExprPtr Binary(int minLevel) {
        ExprPtr left = Unary();
        for (int level; (level = BinaryLevel(Cur().kind)) >= minLevel;) {
            const Token& op = Advance();
            Nest nest(*this, op);
            auto e = Make<Expr>(ExprKind::Binary, op);
            e->op = op.kind;
            e->args.reserve(2);
            e->args.push_back(std::move(left));
            e->args.push_back(level + 1 < kLevels ? Binary(level + 1) : Unary());
            left = std::move(e);
        }
        return left;
    }

    // unary := ( "!" | "-" ) unary | postfix
    ExprPtr Unary() {
        const Token& t = Cur();
        Nest nest(*this, t);
        if (t.kind == Tok::Minus || t.kind == Tok::Not) {
            Advance();
            const Token& operand = Cur();
            ExprPtr inner = Unary();
            // Fold negative literals so -9223372036854775808 is an int.
            if (t.kind == Tok::Minus &&
                (inner->kind == ExprKind::IntLit || inner->kind == ExprKind::FloatLit) &&
                &operand == &tokens[pos - 1]) {
                Negate(*inner, operand);
                inner->line = t.line;
                inner->column = t.column;
                return inner;
            }
            auto e = Make<Expr>(ExprKind::Unary, t);
            e->op = t.kind;
            e->args.push_back(std::move(inner));
            return e;
        }
        return Postfix();
    }

    void Negate(Expr& e, const Token& lit) {
        if (e.kind == ExprKind::FloatLit)
            e.floatValue = -e.floatValue;
        else
            e.intValue = static_cast<int64_t>(0ULL - static_cast<uint64_t>(e.intValue));
        (void)lit;
        e.text.clear();
    }

    // postfix := primary { "[" expr "]" | "." NAME }
    ExprPtr Postfix() {
        ExprPtr e = Primary();
        for (;;) {
            const Token& t = Cur();
            if (Accept(Tok::LBracket)) {
                Nest nest(*this, t);
                auto index = Make<Expr>(ExprKind::Index, t);
                index->args.push_back(std::move(e));
                index->args.push_back(Expression());
                Expect(Tok::RBracket, "']'");
                e = std::move(index);
            } else if (Accept(Tok::Dot)) {
                auto member = Make<Expr>(ExprKind::Member, t);
                member->text = ExpectName("a member name after '.'");
                member->args.push_back(std::move(e));
                if (Cur().kind == Tok::LParen)
                    CallArguments(*member);
                e = std::move(member);
            } else if (t.kind == Tok::LParen) {
                Fail(t, "only a named function can be called");
            } else {
                return e;
            }
        }
    }

    // arguments := "(" [ expr { "," expr } ] ")"
    void CallArguments(Expr& call) {
        Expect(Tok::LParen, "'('");
        if (Cur().kind != Tok::RParen) {
            do
                call.args.push_back(Expression());
            while (Accept(Tok::Comma));
        }
        Expect(Tok::RParen, "')' after the arguments");
    }

    // primary := INT | FLOAT | STRING | "true" | "false" | NAME [ arguments ]
    //          | "[" [ expr { "," expr } ] "]" | "(" expr ")"
    ExprPtr Primary() {
        const Token& t = Cur();
        switch (t.kind) {
        case Tok::IntLit: {
            if (t.text == "min" && !(pos > 0 && tokens[pos - 1].kind == Tok::Minus))
                Fail(t, "integer literal too large");
            Advance();
            auto e = Make<Expr>(ExprKind::IntLit, t);
            e->intValue = t.intValue;
            e->text = t.text;
            return e;
        }
        case Tok::FloatLit: {
            Advance();
            auto e = Make<Expr>(ExprKind::FloatLit, t);
            e->floatValue = t.floatValue;
            return e;
        }
        case Tok::StrLit: {
            Advance();
            auto e = Make<Expr>(ExprKind::StrLit, t);
            e->text = t.text;
            return e;
        }
        case Tok::KwTrue:
        case Tok::KwFalse: {
            Advance();
            auto e = Make<Expr>(ExprKind::BoolLit, t);
            e->intValue = t.kind == Tok::KwTrue;
            return e;
        }
        case Tok::Ident: {
            Advance();
            if (Cur().kind == Tok::LParen) {
                auto e = Make<Expr>(ExprKind::Call, t);
                e->text = t.text;
                CallArguments(*e);
                return e;
            }
            auto e = Make<Expr>(ExprKind::Name, t);
            e->text = t.text;
            return e;
        }
        case Tok::LBracket: {
            Advance();
            auto e = Make<Expr>(ExprKind::ListLit, t);
            if (Cur().kind != Tok::RBracket) {
                do
                    e->args.push_back(Expression());
                while (Accept(Tok::Comma));
            }
            Expect(Tok::RBracket, "']' to close the list");
            return e;
        }
        case Tok::LParen: {
            Advance();
            ExprPtr e = Expression();
            Expect(Tok::RParen, "')'");
            return e;
        }
        default:
            if (t.kind >= Tok::KwInclude)
                Fail(t, std::string("expected an expression, found '") + TokName(t.kind) +
                            "' (a reserved word)");
            Fail(t, "expected an expression, found " + Found(t));
        }
    }

    TokenStream lexer;
    std::deque<Token> tokens;
    Token skipped; // the declaration pass reads every skipped token into this one
    size_t pos = 0;
    const Token* current = nullptr; // tokens[pos] once read
    int depth = 0;
};

StatementReader::StatementReader(std::string_view source)
    : parser(std::make_unique<Parser>(source)) {}
StatementReader::~StatementReader() = default;

StmtPtr StatementReader::Next(int* line, int* column) {
    return parser->NextTopLevel(line, column);
}

StmtPtr StatementReader::NextDeclaration(bool& skippedDll, int& line, int& column) {
    return parser->NextDeclaration(skippedDll, line, column);
}

std::vector<StmtPtr> ParseScript(std::string_view source) {
    StatementReader reader(source);
    std::vector<StmtPtr> stmts;
    while (StmtPtr s = reader.Next())
        stmts.push_back(std::move(s));
    return stmts;
}

std::vector<ExprPtr> ParseLiteralList(std::string_view text) {
    return Parser(text).LiteralList();
}

} // namespace tessera
