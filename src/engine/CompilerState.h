#pragma once
// Internal to the compiler (Compiler.cpp, CompileExpressions.cpp,
// CompileStatements.cpp); nothing else includes it. The public interface
// is Compiler.h.
//
// The compiler works in two passes over the syntax tree: the first
// collects global variables, defines, function signatures and includes;
// the second emits bytecode for the top-level code and each function.

#include "engine/Ast.h"
#include "engine/Bytecode.h"
#include "engine/Lexer.h"
#include "engine/Value.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tessera {

// One source file: the script itself or an included file. The first pass
// parses only the declarations (functions, defines, variables, include and
// use) and keeps them; the other top-level statements are parsed when the
// top-level code is compiled, one at a time, and dropped at once, so that a
// huge script never has its whole syntax tree in memory.
struct Module {
    std::string path;
    uint32_t file = 0;
    PodVector<char> ownedSource; // an included file's text
    std::string_view source;
    std::vector<StmtPtr> stmts;                  // the declarations, in order
    std::vector<std::pair<int, int>> stmtStarts; // line and column of each
};

struct FunctionInfo {
    const Stmt* decl;
    uint32_t file;
    int index;
};

struct GlobalInfo {
    int index;
    DeclType type;
};

struct DefineInfo {
    Value value;
    DeclType type;
};

struct Local {
    std::string name;
    int reg;
    DeclType type;
};

struct LoopInfo {
    std::vector<int> breaks;
    std::vector<int> continues;
    int tryDepth;
};

struct FuncState {
    Proto* proto = nullptr;
    const Stmt* decl = nullptr; // null for the top-level code
    int freeReg = 0;
    std::vector<std::vector<Local>> scopes;
    std::vector<LoopInfo> loops;
    int tryDepth = 0;
    std::unordered_map<std::string, int> constIndex; // key: type byte + value bytes
};

// An operand: a register or constant (RK form) and its static type.
struct Operand {
    uint32_t rk;
    DeclType type;
};

class Compiler {
public:
    std::unique_ptr<Program> Run(const std::string& path, std::string_view source);

    uint32_t curFile = 0;
    std::string FileName(uint32_t file) const;

private:
    [[noreturn]] void Fail(int line, int column, const std::string& message) {
        throw CompileError(line, column, message);
    }
    template <class Node> [[noreturn]] void Fail(const Node& at, const std::string& message) {
        Fail(at.line, at.column, message);
    }

    static std::string CanonicalPath(const std::string& path);

    // ---- pass 1: names, signatures, defines, includes (Compiler.cpp) -------

    int AddGlobal(const std::string& name, DeclType type, int line, int column);
    void CheckNewName(const std::string& name, int line, int column);
    void Collect(Module& module, int depth);
    void Include(Module& from, const Stmt& s, int depth);
    Value ConstEval(const Expr& e);
    static constexpr size_t kMaxConstString = 1 << 20;
    static Op BinaryOpcode(Tok op);

    // ---- emitting (Compiler.cpp) -------------------------------------------

    int Emit(Op op, int a = 0, uint32_t b = 0, uint32_t c = 0, int x = 0);
    int EmitJump(Op op = Op::JMP, int a = 0);
    int EmitArithmetic(Op op, int a, uint32_t b, uint32_t c);
    bool SmallIntConstant(uint32_t rk, int32_t& value) const;
    static Op ImmediateCompare(Tok op, bool constantFirst);
    int Here() const;
    void PatchTo(int jump, int target);
    void PatchHere(const std::vector<int>& jumps);
    int AllocReg(int line, int column);
    int Temp(const Expr& at);
    uint32_t Constant(const Value& v, const Expr& at);
    uint32_t NameConstant(const std::string& text, const Expr& at);

    // ---- names (Compiler.cpp) ----------------------------------------------

    enum class NameKind { Local, Global, Define, None };
    struct NameRef {
        NameKind kind = NameKind::None;
        int reg = 0; // register of a local (or of a global in the top-level code)
        int global = 0;
        DeclType type = DeclType::Var;
        const DefineInfo* define = nullptr;
    };

    NameRef Lookup(const std::string& name);
    bool IsRegister(const NameRef& ref) const;
    void DeclareLocal(const std::string& name, int reg, DeclType type, int line, int column);
    void OpenScope();
    void CloseScope(int mark);

    // ---- expressions (CompileExpressions.cpp) ------------------------------

    static bool WritesTargetLast(const Expr& e);
    Operand Use(const Expr& e);
    int UseRegister(const Expr& e, DeclType* type = nullptr);
    DeclType Into(const Expr& e, int dst);
    int RegOf(Operand operand, const Expr& at);
    DeclType NameInto(const Expr& e, int dst);
    [[noreturn]] void UnknownName(const Expr& e);
    DeclType BinaryInto(const Expr& e, int dst);
    static DeclType BinaryType(Op op, DeclType a, DeclType b);
    std::vector<int> CondJump(const Expr& e, bool jumpIf);
    DeclType CallInto(const Expr& e, int dst, bool needValue);

    // ---- statements (CompileStatements.cpp) --------------------------------

    void AssignTo(const NameRef& ref, const std::string& name, const Expr& e);
    void MarkConversion(Instr& in, DeclType type, const std::string& target);
    NameRef AssignableName(const Expr& target);
    static Op CompoundOpcode(Tok op);
    Operand CompoundOperand(const Stmt& s);
    void Assign(const Stmt& s);
    void VarDecl(const Stmt& s, bool isGlobal);
    void Statement(const Stmt& s);
    void StatementBody(const Stmt& s);
    void ScopedStatement(const Stmt& s);
    void Loop(const Expr* cond, const Stmt* step, const Stmt& body);

    struct CountingLoop {
        int reg = 0;
        int64_t step = 0;
        int compare = 0; // 0 <, 1 <=, 2 >, 3 >=
    };

    bool MatchCountingLoop(const Expr& cond, const Stmt& step, CountingLoop& out);
    void CountedLoop(const Expr& cond, const CountingLoop& counting, const Stmt& body);
    void ForIn(const Stmt& s);
    void Return(const Stmt& s);
    void Try(const Stmt& s);

    // ---- functions and the top-level code (Compiler.cpp) -------------------

    void CompileMain();
    void MainStatements(const Module& module);
    void IncludedDeclarations(const Module& module);
    void CompileFunction(const FunctionInfo& info);

    std::unique_ptr<Program> program;
    std::vector<std::unique_ptr<Module>> modules;
    std::set<std::string> includedPaths;
    std::unordered_map<const Stmt*, Module*> includeOf;
    std::map<std::string, FunctionInfo> functions;
    std::vector<std::string> functionOrder;
    std::unordered_map<std::string, GlobalInfo> globals;
    std::vector<std::string> globalOrder;
    std::unordered_set<std::string> visibleGlobals;
    std::set<const Stmt*> topLevelDecls;
    std::unordered_map<std::string, DefineInfo> defines;
    FuncState* fs = nullptr;
    int curLine = 0;
    std::pair<int, int> rootDeclStart{0, 0}; // the script's declaration the first pass is at
};

} // namespace tessera
