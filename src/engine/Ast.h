#pragma once
// Syntax tree built by the parser and walked by the compiler.

#include "engine/Lexer.h"
#include "engine/Value.h"

#include <memory>
#include <string>
#include <vector>

namespace tessera {

enum class ExprKind : uint8_t {
    IntLit,
    FloatLit,
    StrLit,
    BoolLit,
    ListLit, // args: items
    Name,    // text: the name
    Call,    // text: function name; args: arguments
    Index,   // args[0][args[1]]
    Member,  // args[0].text (window objects; not yet available)
    Unary,   // op args[0]
    Binary,  // args[0] op args[1]
};

struct Expr {
    ExprKind kind;
    int line = 0;
    int column = 0;
    Tok op = Tok::End;
    int64_t intValue = 0;
    double floatValue = 0;
    std::string text;
    std::vector<std::unique_ptr<Expr>> args;

    Expr() = default;
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;
    ~Expr();
};
using ExprPtr = std::unique_ptr<Expr>;

// Operator chains nest tens of thousands deep; a tree whose children have
// children of their own is taken apart with an explicit stack so that
// freeing it never recurses once per level.
inline Expr::~Expr() {
    bool deep = false;
    for (const ExprPtr& arg : args)
        deep = deep || (arg && !arg->args.empty());
    if (!deep)
        return;
    std::vector<ExprPtr> pending = std::move(args);
    while (!pending.empty()) {
        ExprPtr node = std::move(pending.back());
        pending.pop_back();
        for (ExprPtr& arg : node->args)
            if (arg)
                pending.push_back(std::move(arg));
        node->args.clear();
    }
}

enum class StmtKind : uint8_t {
    VarDecl, // type name [= value]
    Assign,  // target op value (op is =, +=, ..., ++ or --)
    Call,    // value is the call
    If,      // cond body, stmts: the `else if` branches (each an If), [elseBody]
    While,   // cond body
    For,     // init cond step body (each optional but body)
    ForIn,   // type name in value body
    Block,   // stmts
    Break,
    Continue,
    Return,   // [value]
    Function, // type name params body
    Define,   // name = value
    Include,  // text: path
    Use,      // text: path
    Dll,      // value: path
    Unload,   // value: path
    Try,      // body name catchBody
    Throw,    // value
    Exit,     // [value]
    Empty,
};

struct Param {
    DeclType type;
    std::string name;
    int line;
    int column;
};

struct Stmt {
    StmtKind kind;
    int line = 0;
    int column = 0;
    DeclType type = DeclType::Var;
    std::string name;
    std::string text;
    Tok op = Tok::End;
    ExprPtr target;
    ExprPtr value;
    ExprPtr cond;
    std::unique_ptr<Stmt> init;
    std::unique_ptr<Stmt> step;
    std::unique_ptr<Stmt> body;
    std::unique_ptr<Stmt> elseBody;
    std::unique_ptr<Stmt> catchBody;
    std::vector<std::unique_ptr<Stmt>> stmts;
    std::vector<Param> params;
    int catchLine = 0;
    int catchColumn = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;

} // namespace tessera
