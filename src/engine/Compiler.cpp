#include "engine/Compiler.h"

#include "engine/Builtins.h"
#include "engine/Operations.h"
#include "engine/Parser.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

namespace tessera {

namespace {

constexpr int kMaxIncludeDepth = 32;

struct Module {
    std::string path;
    uint32_t file = 0;
    std::vector<StmtPtr> stmts;
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
    std::map<std::pair<int, std::string>, int> constIndex;
};

// An operand: a register or constant (RK form) and its static type.
struct Operand {
    uint16_t rk;
    DeclType type;
};

DeclType StaticTypeOf(ValueType type) {
    switch (type) {
    case ValueType::Int:
        return DeclType::Int;
    case ValueType::Float:
        return DeclType::Float;
    case ValueType::Bool:
        return DeclType::Bool;
    case ValueType::Str:
        return DeclType::Str;
    case ValueType::List:
        return DeclType::List;
    }
    return DeclType::Var;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string& why) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        why = "Is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

class Compiler {
public:
    std::unique_ptr<Program> Run(const std::string& path, std::string_view source) {
        program = std::make_unique<Program>();
        program->files.push_back(path);
        includedPaths.insert(CanonicalPath(path));
        auto root = std::make_unique<Module>();
        root->path = path;
        root->stmts = Parse(source, 0);
        modules.push_back(std::move(root));
        // `args` is a predeclared global list.
        program->argsGlobal = AddGlobal("args", DeclType::List, 1, 1);
        Collect(*modules[0], 0);
        program->globalCount = static_cast<int>(globalOrder.size());
        CompileMain();
        for (auto& [name, info] : functions)
            CompileFunction(info);
        return std::move(program);
    }

    uint32_t curFile = 0;
    std::string FileName(uint32_t file) const {
        return program && file < program->files.size() ? program->files[file] : "?";
    }

private:
    [[noreturn]] void Fail(int line, int column, const std::string& message) {
        throw CompileError(line, column, message);
    }
    template <class Node> [[noreturn]] void Fail(const Node& at, const std::string& message) {
        Fail(at.line, at.column, message);
    }

    std::vector<StmtPtr> Parse(std::string_view source, uint32_t file) {
        curFile = file;
        return ParseScript(source);
    }

    static std::string CanonicalPath(const std::string& path) {
        std::error_code ec;
        auto canonical = std::filesystem::weakly_canonical(path, ec);
        return ec ? path : canonical.string();
    }

    // ---- pass 1: names, signatures, defines, includes -------------------

    int AddGlobal(const std::string& name, DeclType type, int line, int column) {
        CheckNewName(name, line, column);
        int index = static_cast<int>(globalOrder.size());
        if (index >= kMaxRegisters / 2)
            Fail(line, column, "too many global variables");
        globals[name] = {index, type};
        globalOrder.push_back(name);
        program->globalTypes.push_back(type);
        program->globalNames.push_back(name);
        return index;
    }

    void CheckNewName(const std::string& name, int line, int column) {
        if (globals.count(name) || defines.count(name) || functions.count(name))
            Fail(line, column, "'" + name + "' is already declared");
        if (FindBuiltin(name) >= 0)
            Fail(line, column, "'" + name + "' is the name of a builtin function");
    }

    void Collect(Module& module, int depth) {
        for (StmtPtr& s : module.stmts) {
            curFile = module.file;
            switch (s->kind) {
            case StmtKind::Function: {
                CheckNewName(s->name, s->line, s->column);
                int index = static_cast<int>(functionOrder.size());
                functions[s->name] = {s.get(), module.file, index};
                functionOrder.push_back(s->name);
                break;
            }
            case StmtKind::Define: {
                CheckNewName(s->name, s->line, s->column);
                Value value = ConstEval(*s->value);
                DeclType type = StaticTypeOf(value.type);
                defines[s->name] = {std::move(value), type};
                break;
            }
            case StmtKind::VarDecl:
                AddGlobal(s->name, s->type, s->line, s->column);
                break;
            case StmtKind::Use:
                program->usedFiles.push_back(s->text);
                break;
            case StmtKind::Include:
                Include(module, *s, depth);
                break;
            default:
                if (ContainsDll(*s))
                    program->loadsLibraries = true;
                break;
            }
        }
    }

    static bool ContainsDll(const Stmt& s) {
        if (s.kind == StmtKind::Dll || s.kind == StmtKind::Unload)
            return true;
        for (const Stmt* child :
             {s.init.get(), s.step.get(), s.body.get(), s.elseBody.get(), s.catchBody.get()})
            if (child && ContainsDll(*child))
                return true;
        for (const StmtPtr& child : s.stmts)
            if (ContainsDll(*child))
                return true;
        return false;
    }

    void Include(Module& from, const Stmt& s, int depth) {
        if (depth >= kMaxIncludeDepth)
            Fail(s, "includes nested too deeply");
        std::filesystem::path target(s.text);
        if (target.is_relative())
            target = std::filesystem::path(from.path).parent_path() / target;
        std::string path = target.lexically_normal().string();
        if (!includedPaths.insert(CanonicalPath(path)).second)
            return; // included once only
        std::string source, why;
        if (!ReadWholeFile(path, source, why))
            Fail(s, "cannot open include file '" + s.text + "': " + why);
        auto module = std::make_unique<Module>();
        module->path = path;
        module->file = static_cast<uint32_t>(program->files.size());
        program->files.push_back(path);
        module->stmts = Parse(source, module->file);
        Module& ref = *module;
        includeOf[&s] = module.get();
        modules.push_back(std::move(module));
        Collect(ref, depth + 1);
        curFile = from.file;
    }

    // Value of a define: literals, other defines, and operators on them.
    Value ConstEval(const Expr& e) {
        switch (e.kind) {
        case ExprKind::IntLit:
            return Value::Int(e.intValue);
        case ExprKind::FloatLit:
            return Value::Float(e.floatValue);
        case ExprKind::StrLit:
            return Value::Str(e.text);
        case ExprKind::BoolLit:
            return Value::Bool(e.intValue != 0);
        case ExprKind::Name: {
            auto it = defines.find(e.text);
            if (it == defines.end())
                Fail(e, "a define's value must be a constant ('" + e.text + "' is not)");
            return it->second.value;
        }
        case ExprKind::Unary: {
            Value v = ConstEval(*e.args[0]);
            try {
                if (e.op == Tok::Not)
                    return Value::Bool(!Truth(v));
                Value r;
                BinaryOp(Op::SUB, r, Value::Int(0), v, kMaxConstString);
                return r;
            } catch (const ScriptError& err) {
                Fail(e, err.message);
            }
        }
        case ExprKind::Binary: {
            Value a = ConstEval(*e.args[0]);
            Value b = ConstEval(*e.args[1]);
            try {
                if (e.op == Tok::AndAnd)
                    return Value::Bool(Truth(a) && Truth(b));
                if (e.op == Tok::OrOr)
                    return Value::Bool(Truth(a) || Truth(b));
                Value r;
                BinaryOp(BinaryOpcode(e.op), r, a, b, kMaxConstString);
                return r;
            } catch (const ScriptError& err) {
                Fail(e, err.message);
            }
        }
        default:
            Fail(e, "a define's value must be a constant");
        }
    }
    static constexpr size_t kMaxConstString = 1 << 20;

    static Op BinaryOpcode(Tok op) {
        switch (op) {
        case Tok::Plus:
            return Op::ADD;
        case Tok::Minus:
            return Op::SUB;
        case Tok::Star:
            return Op::MUL;
        case Tok::Slash:
            return Op::DIV;
        case Tok::Percent:
            return Op::MOD;
        case Tok::Eq:
            return Op::EQ;
        case Tok::Ne:
            return Op::NE;
        case Tok::Lt:
            return Op::LT;
        case Tok::Le:
            return Op::LE;
        case Tok::Gt:
            return Op::GT;
        default:
            return Op::GE;
        }
    }

    // ---- emitting ----------------------------------------------------------

    int Emit(Op op, int a = 0, int b = 0, int c = 0, int x = 0) {
        Proto& p = *fs->proto;
        Instr in{op, static_cast<uint8_t>(x), static_cast<uint16_t>(a), static_cast<uint16_t>(b),
                 static_cast<uint16_t>(c)};
        p.code.push_back(in);
        p.lines.push_back({static_cast<uint32_t>(curLine), curFile});
        return static_cast<int>(p.code.size()) - 1;
    }
    int EmitJump(Op op = Op::JMP, int a = 0) {
        int at = Emit(op, a);
        return at;
    }
    int Here() const { return static_cast<int>(fs->proto->code.size()); }
    void PatchTo(int jump, int target) { fs->proto->code[jump].SetSbx(target - (jump + 1)); }
    void PatchHere(const std::vector<int>& jumps) {
        for (int j : jumps)
            PatchTo(j, Here());
    }

    int AllocReg(int line, int column) {
        int reg = fs->freeReg++;
        if (reg >= kMaxRegisters)
            Fail(line, column, "function too large (too many registers)");
        if (fs->freeReg > fs->proto->frameSize)
            fs->proto->frameSize = fs->freeReg;
        return reg;
    }
    int Temp(const Expr& at) { return AllocReg(at.line, at.column); }

    uint16_t Constant(const Value& v, const Expr& at) {
        std::pair<int, std::string> key{static_cast<int>(v.type), ""};
        if (v.type == ValueType::Str)
            key.second = v.AsStr();
        else
            key.second = std::to_string(v.bits);
        auto it = fs->constIndex.find(key);
        if (it != fs->constIndex.end())
            return static_cast<uint16_t>(it->second | kConstFlag);
        int index = static_cast<int>(fs->proto->constants.size());
        if (index >= kMaxConstants)
            Fail(at, "function too large (too many constants)");
        fs->proto->constants.push_back(v);
        fs->constIndex[key] = index;
        return static_cast<uint16_t>(index | kConstFlag);
    }
    uint16_t NameConstant(const std::string& text, const Expr& at) {
        return static_cast<uint16_t>(Constant(Value::Str(text), at) & ~kConstFlag);
    }

    // ---- names -------------------------------------------------------------

    enum class NameKind { Local, Global, Define, None };
    struct NameRef {
        NameKind kind = NameKind::None;
        int reg = 0; // register of a local (or of a global in the top-level code)
        int global = 0;
        DeclType type = DeclType::Var;
        const DefineInfo* define = nullptr;
    };

    NameRef Lookup(const std::string& name) {
        NameRef ref;
        for (auto scope = fs->scopes.rbegin(); scope != fs->scopes.rend(); ++scope)
            for (auto local = scope->rbegin(); local != scope->rend(); ++local)
                if (local->name == name) {
                    ref.kind = NameKind::Local;
                    ref.reg = local->reg;
                    ref.type = local->type;
                    return ref;
                }
        auto g = globals.find(name);
        if (g != globals.end() && (fs->decl || visibleGlobals.count(name))) {
            ref.kind = NameKind::Global;
            ref.global = g->second.index;
            ref.reg = g->second.index;
            ref.type = g->second.type;
            return ref;
        }
        auto d = defines.find(name);
        if (d != defines.end()) {
            ref.kind = NameKind::Define;
            ref.define = &d->second;
            ref.type = d->second.type;
        }
        return ref;
    }

    // In the top-level code globals are plain registers.
    bool IsRegister(const NameRef& ref) const {
        return ref.kind == NameKind::Local || (ref.kind == NameKind::Global && !fs->decl);
    }

    void DeclareLocal(const std::string& name, int reg, DeclType type, int line, int column) {
        for (const Local& local : fs->scopes.back())
            if (local.name == name)
                Fail(line, column, "'" + name + "' is already declared in this block");
        if (FindBuiltin(name) >= 0 || functions.count(name))
            Fail(line, column, "'" + name + "' is the name of a function");
        fs->scopes.back().push_back({name, reg, type});
    }

    void OpenScope() { fs->scopes.emplace_back(); }
    void CloseScope(int mark) {
        fs->scopes.pop_back();
        fs->freeReg = mark;
    }

    // ---- expressions -------------------------------------------------------

    // Whether compiling `e` into a variable's register can only write that
    // register as its last step (so `x = x - 1` may target x directly).
    static bool WritesTargetLast(const Expr& e) {
        switch (e.kind) {
        case ExprKind::Binary:
        case ExprKind::Unary:
        case ExprKind::IntLit:
        case ExprKind::FloatLit:
        case ExprKind::StrLit:
        case ExprKind::BoolLit:
        case ExprKind::Name:
        case ExprKind::Index:
            return true;
        default:
            return false;
        }
    }

    // An operand in RK form: locals and constants need no instruction.
    Operand Use(const Expr& e) {
        curLine = e.line;
        switch (e.kind) {
        case ExprKind::IntLit:
            return {Constant(Value::Int(e.intValue), e), DeclType::Int};
        case ExprKind::FloatLit:
            return {Constant(Value::Float(e.floatValue), e), DeclType::Float};
        case ExprKind::StrLit:
            return {Constant(Value::Str(e.text), e), DeclType::Str};
        case ExprKind::BoolLit:
            return {Constant(Value::Bool(e.intValue != 0), e), DeclType::Bool};
        case ExprKind::Name: {
            NameRef ref = Lookup(e.text);
            if (IsRegister(ref))
                return {static_cast<uint16_t>(ref.reg), ref.type};
            if (ref.kind == NameKind::Define && ref.define->value.type != ValueType::List)
                return {Constant(ref.define->value, e), ref.type};
            break;
        }
        default:
            break;
        }
        int reg = Temp(e);
        DeclType type = Into(e, reg);
        return {static_cast<uint16_t>(reg), type};
    }

    // A value in a register (not a constant): for indexing and calls.
    int UseRegister(const Expr& e, DeclType* type = nullptr) {
        if (e.kind == ExprKind::Name) {
            NameRef ref = Lookup(e.text);
            if (IsRegister(ref)) {
                if (type)
                    *type = ref.type;
                return ref.reg;
            }
        }
        int reg = Temp(e);
        DeclType t = Into(e, reg);
        if (type)
            *type = t;
        return reg;
    }

    // Compiles `e` so that its value ends in register `dst`; returns its
    // static type (Var when only known at run time).
    DeclType Into(const Expr& e, int dst) {
        curLine = e.line;
        int mark = fs->freeReg;
        DeclType type = DeclType::Var;
        switch (e.kind) {
        case ExprKind::IntLit:
            if (e.intValue >= INT32_MIN && e.intValue <= INT32_MAX) {
                int at = Emit(Op::LOADINT, dst);
                fs->proto->code[at].SetSbx(static_cast<int32_t>(e.intValue));
            } else {
                Emit(Op::LOADK, dst, Constant(Value::Int(e.intValue), e) & ~kConstFlag);
            }
            type = DeclType::Int;
            break;
        case ExprKind::BoolLit:
            Emit(Op::LOADBOOL, dst, static_cast<int>(e.intValue));
            type = DeclType::Bool;
            break;
        case ExprKind::FloatLit:
        case ExprKind::StrLit: {
            Operand k = Use(e);
            Emit(Op::LOADK, dst, k.rk & ~kConstFlag);
            type = k.type;
            break;
        }
        case ExprKind::Name:
            type = NameInto(e, dst);
            break;
        case ExprKind::ListLit: {
            int base = fs->freeReg;
            for (const ExprPtr& item : e.args)
                Into(*item, Temp(*item));
            curLine = e.line;
            Emit(Op::NEWLIST, dst, base, static_cast<int>(e.args.size()));
            type = DeclType::List;
            break;
        }
        case ExprKind::Call:
            type = CallInto(e, dst, true);
            break;
        case ExprKind::Index: {
            DeclType baseType = DeclType::Var;
            int base = UseRegister(*e.args[0], &baseType);
            Operand index = Use(*e.args[1]);
            if (baseType != DeclType::Var && baseType != DeclType::List &&
                baseType != DeclType::Str)
                Fail(e, std::string("cannot index a ") + DeclTypeName(baseType));
            curLine = e.line;
            Emit(Op::GETINDEX, dst, base, index.rk);
            type = baseType == DeclType::Str ? DeclType::Str : DeclType::Var;
            break;
        }
        case ExprKind::Member:
            Fail(e, "'." + e.text +
                        "': member access needs window declarations, which are "
                        "not available");
        case ExprKind::Unary: {
            Operand operand = Use(*e.args[0]);
            curLine = e.line;
            if (e.op == Tok::Not) {
                Emit(Op::NOT, dst, RegOf(operand, *e.args[0]));
                type = DeclType::Bool;
            } else {
                Emit(Op::NEG, dst, RegOf(operand, *e.args[0]));
                type = operand.type == DeclType::Int || operand.type == DeclType::Float
                           ? operand.type
                           : DeclType::Var;
            }
            break;
        }
        case ExprKind::Binary:
            type = BinaryInto(e, dst);
            break;
        }
        fs->freeReg = mark;
        return type;
    }

    // NOT and NEG take a register; move a constant into one.
    int RegOf(Operand operand, const Expr& at) {
        if (!(operand.rk & kConstFlag))
            return operand.rk;
        int reg = Temp(at);
        Emit(Op::LOADK, reg, operand.rk & ~kConstFlag);
        return reg;
    }

    DeclType NameInto(const Expr& e, int dst) {
        NameRef ref = Lookup(e.text);
        switch (ref.kind) {
        case NameKind::Local:
            if (ref.reg != dst)
                Emit(Op::MOVE, dst, ref.reg);
            return ref.type;
        case NameKind::Global:
            if (!fs->decl) {
                if (ref.reg != dst)
                    Emit(Op::MOVE, dst, ref.reg);
            } else {
                Emit(Op::GETGLOBAL, dst, ref.global);
            }
            return ref.type;
        case NameKind::Define:
            if (ref.define->value.type == ValueType::List) {
                // A list define yields a fresh copy each time, so it stays constant.
                const auto& items = ref.define->value.AsList()->items;
                int base = fs->freeReg;
                for (const Value& item : items)
                    Emit(Op::LOADK, Temp(e), Constant(item, e) & ~kConstFlag);
                Emit(Op::NEWLIST, dst, base, static_cast<int>(items.size()));
            } else {
                Emit(Op::LOADK, dst, Constant(ref.define->value, e) & ~kConstFlag);
            }
            return ref.type;
        case NameKind::None:
            break;
        }
        UnknownName(e);
    }

    [[noreturn]] void UnknownName(const Expr& e) {
        if (globals.count(e.text))
            Fail(e, "'" + e.text + "' is used before its declaration");
        if (functions.count(e.text) || FindBuiltin(e.text) >= 0)
            Fail(e, "'" + e.text + "' is a function; call it with ()");
        Fail(e, "unknown variable '" + e.text + "'");
    }

    DeclType BinaryInto(const Expr& e, int dst) {
        if (e.op == Tok::AndAnd || e.op == Tok::OrOr) {
            std::vector<int> falseJumps = CondJump(e, false);
            Emit(Op::LOADBOOL, dst, 1);
            int skip = EmitJump();
            PatchHere(falseJumps);
            Emit(Op::LOADBOOL, dst, 0);
            PatchTo(skip, Here());
            return DeclType::Bool;
        }
        Operand a = Use(*e.args[0]);
        Operand b = Use(*e.args[1]);
        curLine = e.line;
        Op op = BinaryOpcode(e.op);
        Emit(op, dst, a.rk, b.rk);
        return BinaryType(op, a.type, b.type);
    }

    // Static result type of a binary operator; Var when known only at run time.
    static DeclType BinaryType(Op op, DeclType a, DeclType b) {
        if (op >= Op::EQ)
            return DeclType::Bool;
        if (op == Op::ADD && (a == DeclType::Str || b == DeclType::Str))
            return DeclType::Str;
        auto numeric = [](DeclType t) { return t == DeclType::Int || t == DeclType::Float; };
        if (numeric(a) && numeric(b))
            return a == DeclType::Float || b == DeclType::Float ? DeclType::Float : DeclType::Int;
        return DeclType::Var;
    }

    // Emits jumps taken when `e` as a condition equals `jumpIf`; returns them
    // for patching. Comparisons become one fused compare-and-jump.
    std::vector<int> CondJump(const Expr& e, bool jumpIf) {
        curLine = e.line;
        int mark = fs->freeReg;
        std::vector<int> jumps;
        if (e.kind == ExprKind::Unary && e.op == Tok::Not) {
            jumps = CondJump(*e.args[0], !jumpIf);
        } else if (e.kind == ExprKind::Binary && (e.op == Tok::AndAnd || e.op == Tok::OrOr)) {
            bool isAnd = e.op == Tok::AndAnd;
            if (isAnd != jumpIf) {
                // and-false / or-true: either side decides
                jumps = CondJump(*e.args[0], jumpIf);
                std::vector<int> more = CondJump(*e.args[1], jumpIf);
                jumps.insert(jumps.end(), more.begin(), more.end());
            } else {
                std::vector<int> skip = CondJump(*e.args[0], !jumpIf);
                jumps = CondJump(*e.args[1], jumpIf);
                PatchHere(skip);
            }
        } else if (e.kind == ExprKind::Binary && e.op >= Tok::Eq && e.op <= Tok::Ge) {
            Operand a = Use(*e.args[0]);
            Operand b = Use(*e.args[1]);
            curLine = e.line;
            Op op = Op::JEQ;
            bool swap = false;
            switch (e.op) {
            case Tok::Eq:
                op = Op::JEQ;
                break;
            case Tok::Ne:
                op = Op::JNE;
                break;
            case Tok::Lt:
                op = Op::JLT;
                break;
            case Tok::Le:
                op = Op::JLE;
                break;
            case Tok::Gt:
                op = Op::JLT;
                swap = true;
                break;
            default:
                op = Op::JLE;
                swap = true;
                break;
            }
            Emit(op, 0, swap ? b.rk : a.rk, swap ? a.rk : b.rk, jumpIf ? 1 : 0);
            jumps.push_back(EmitJump());
        } else if (e.kind == ExprKind::BoolLit) {
            if ((e.intValue != 0) == jumpIf)
                jumps.push_back(EmitJump());
        } else {
            int reg = UseRegister(e);
            curLine = e.line;
            jumps.push_back(EmitJump(jumpIf ? Op::JT : Op::JF, reg));
        }
        fs->freeReg = mark;
        return jumps;
    }

    // Calls leave their result in the first argument register.
    DeclType CallInto(const Expr& e, int dst, bool needValue) {
        int argc = static_cast<int>(e.args.size());
        auto fn = functions.find(e.text);
        int builtin = fn == functions.end() ? FindBuiltin(e.text) : -1;
        const std::vector<Param>* params = nullptr;
        DeclType result = DeclType::Var;
        if (fn != functions.end()) {
            params = &fn->second.decl->params;
            result = fn->second.decl->type;
            if (static_cast<int>(params->size()) != argc)
                Fail(e, "'" + e.text + "' takes " + std::to_string(params->size()) + " argument" +
                            (params->size() == 1 ? "" : "s") + ", not " + std::to_string(argc));
        } else if (builtin >= 0) {
            const BuiltinInfo& info = Builtins()[static_cast<size_t>(builtin)];
            result = info.result;
            if (argc < info.minArgs || (info.maxArgs >= 0 && argc > info.maxArgs)) {
                std::string count = info.minArgs == info.maxArgs ? std::to_string(info.minArgs)
                                    : info.maxArgs < 0 ? "at least " + std::to_string(info.minArgs)
                                                       : std::to_string(info.minArgs) + " to " +
                                                             std::to_string(info.maxArgs);
                Fail(e, "'" + e.text + "' takes " + count + " argument" +
                            (count == "1" ? "" : "s") + ", not " + std::to_string(argc));
            }
        } else if (Lookup(e.text).kind != NameKind::None) {
            Fail(e, "'" + e.text + "' is not a function");
        }
        if (needValue && result == DeclType::Void)
            Fail(e, "'" + e.text + "' does not return a value");
        // Arguments already in registers need no copies.
        if (builtin >= 0 && argc >= 1 && argc <= 2) {
            int regs[2] = {-1, -1};
            for (int k = 0; k < argc; ++k) {
                const Expr& arg = *e.args[static_cast<size_t>(k)];
                if (arg.kind != ExprKind::Name)
                    break;
                NameRef ref = Lookup(arg.text);
                if (IsRegister(ref))
                    regs[k] = ref.reg;
            }
            curLine = e.line;
            if (argc == 1 && regs[0] >= 0) {
                bool length = e.text == "Count" || e.text == "Len";
                Emit(length ? Op::LEN : Op::CALLB1, dst, regs[0], builtin);
                return result;
            }
            if (argc == 2 && regs[0] >= 0 && regs[1] >= 0 && builtin < 256) {
                Emit(Op::CALLB2, dst, regs[0], regs[1], builtin);
                return result;
            }
        }
        // Arguments go to consecutive registers; reuse dst when it is the top.
        int base = dst == fs->freeReg - 1 ? dst : fs->freeReg;
        if (base != dst)
            AllocReg(e.line, e.column);
        for (int k = 0; k < argc; ++k) {
            int reg = k == 0 ? base : AllocReg(e.args[k]->line, e.args[k]->column);
            DeclType type = Into(*e.args[static_cast<size_t>(k)], reg);
            if (params) {
                const Param& p = (*params)[static_cast<size_t>(k)];
                if (p.type != DeclType::Var && p.type != type)
                    Emit(Op::CONV, reg, static_cast<int>(p.type),
                         NameConstant(std::string(DeclTypeName(p.type)) + " parameter '" + p.name +
                                          "' of '" + e.text + "'",
                                      e));
            }
        }
        if (fs->freeReg > fs->proto->frameSize)
            fs->proto->frameSize = fs->freeReg;
        curLine = e.line;
        if (fn != functions.end())
            Emit(Op::CALL, base, fn->second.index, argc);
        else if (builtin >= 0)
            Emit(Op::CALLB, base, builtin, argc);
        else
            Emit(Op::CALLX, base, NameConstant(e.text, e), argc);
        if (base != dst)
            Emit(Op::MOVE, dst, base);
        return result;
    }

    // ---- statements --------------------------------------------------------

    // Stores the value of `e` into a variable, converting as its type needs.
    void AssignTo(const NameRef& ref, const std::string& name, const Expr& e) {
        std::string target = std::string(DeclTypeName(ref.type)) + " variable '" + name + "'";
        if (IsRegister(ref) && WritesTargetLast(e)) {
            int mark = fs->freeReg;
            // Try the direct form; fall back to a temporary when a conversion is needed.
            size_t codeSize = fs->proto->code.size();
            DeclType type = Into(e, ref.reg);
            if (ref.type == DeclType::Var || type == ref.type)
                return;
            // Arithmetic converts its result on the way into the variable.
            Instr& last = fs->proto->code.back();
            if (e.kind == ExprKind::Binary && last.op >= Op::ADD && last.op <= Op::MOD &&
                last.a == ref.reg && fs->proto->code.size() > codeSize) {
                MarkConversion(last, ref.type, target);
                return;
            }
            fs->proto->code.resize(codeSize);
            fs->proto->lines.resize(codeSize);
            fs->freeReg = mark;
        }
        int mark = fs->freeReg;
        int tmp = Temp(e);
        DeclType type = Into(e, tmp);
        if (ref.type != DeclType::Var && type != ref.type)
            Emit(Op::CONV, tmp, static_cast<int>(ref.type), NameConstant(target, e));
        if (IsRegister(ref))
            Emit(Op::MOVE, ref.reg, tmp);
        else
            Emit(Op::SETGLOBAL, tmp, ref.global);
        fs->freeReg = mark;
    }

    void MarkConversion(Instr& in, DeclType type, const std::string& target) {
        in.x = static_cast<uint8_t>(static_cast<int>(type) + 1);
        size_t index = static_cast<size_t>(&in - fs->proto->code.data());
        fs->proto->conversionTargets[static_cast<uint32_t>(index)] = target;
    }

    NameRef AssignableName(const Expr& target) {
        NameRef ref = Lookup(target.text);
        if (ref.kind == NameKind::Local || ref.kind == NameKind::Global)
            return ref;
        if (ref.kind == NameKind::Define)
            Fail(target, "cannot assign to the define '" + target.text + "'");
        UnknownName(target);
    }

    static Op CompoundOpcode(Tok op) {
        switch (op) {
        case Tok::PlusAssign:
        case Tok::PlusPlus:
            return Op::ADD;
        case Tok::MinusAssign:
        case Tok::MinusMinus:
            return Op::SUB;
        case Tok::StarAssign:
            return Op::MUL;
        case Tok::SlashAssign:
            return Op::DIV;
        default:
            return Op::MOD;
        }
    }

    // The right-hand operand of `x op= e`, or 1 for ++ and --.
    Operand CompoundOperand(const Stmt& s) {
        if (s.value)
            return Use(*s.value);
        Expr one;
        one.kind = ExprKind::IntLit;
        one.intValue = 1;
        one.line = s.line;
        one.column = s.column;
        return {Constant(Value::Int(1), one), DeclType::Int};
    }

    void Assign(const Stmt& s) {
        const Expr& target = *s.target;
        int mark = fs->freeReg;
        if (target.kind == ExprKind::Name) {
            NameRef ref = AssignableName(target);
            if (s.op == Tok::Assign) {
                AssignTo(ref, target.text, *s.value);
                return;
            }
            // x op= e: in place when the variable is a register and the
            // result keeps its type (so s += "x" appends in place).
            Op op = CompoundOpcode(s.op);
            Operand v = CompoundOperand(s);
            curLine = s.line;
            DeclType type = BinaryType(op, ref.type, v.type);
            bool exact = ref.type == DeclType::Var || type == ref.type;
            if (IsRegister(ref)) {
                int at = Emit(op, ref.reg, ref.reg, v.rk);
                if (!exact)
                    MarkConversion(fs->proto->code[static_cast<size_t>(at)], ref.type,
                                   std::string(DeclTypeName(ref.type)) + " variable '" +
                                       target.text + "'");
            } else {
                int tmp = Temp(target);
                if (IsRegister(ref))
                    Emit(op, tmp, ref.reg, v.rk);
                else {
                    Emit(Op::GETGLOBAL, tmp, ref.global);
                    Emit(op, tmp, tmp, v.rk);
                }
                if (!exact)
                    Emit(Op::CONV, tmp, static_cast<int>(ref.type),
                         NameConstant(std::string(DeclTypeName(ref.type)) + " variable '" +
                                          target.text + "'",
                                      target));
                if (IsRegister(ref))
                    Emit(Op::MOVE, ref.reg, tmp);
                else
                    Emit(Op::SETGLOBAL, tmp, ref.global);
            }
            fs->freeReg = mark;
            return;
        }
        // list[index] (op)= value
        int base = UseRegister(*target.args[0]);
        Operand index = Use(*target.args[1]);
        if (s.op == Tok::Assign) {
            Operand v = Use(*s.value);
            curLine = s.line;
            Emit(Op::SETINDEX, base, index.rk, v.rk);
        } else {
            int tmp = Temp(target);
            curLine = s.line;
            Emit(Op::GETINDEX, tmp, base, index.rk);
            Operand v = CompoundOperand(s);
            curLine = s.line;
            Emit(CompoundOpcode(s.op), tmp, tmp, v.rk);
            Emit(Op::SETINDEX, base, index.rk, tmp);
        }
        fs->freeReg = mark;
    }

    void VarDecl(const Stmt& s, bool isGlobal) {
        curLine = s.line;
        if (isGlobal) {
            const GlobalInfo& g = globals.at(s.name);
            NameRef ref;
            ref.kind = NameKind::Global;
            ref.reg = ref.global = g.index;
            ref.type = g.type;
            if (s.value)
                AssignTo(ref, s.name, *s.value);
            else
                Emit(Op::LOADDEF, g.index, static_cast<int>(s.type));
            visibleGlobals.insert(s.name);
            return;
        }
        int reg = AllocReg(s.line, s.column);
        if (s.value) {
            DeclType type = Into(*s.value, reg);
            if (s.type != DeclType::Var && type != s.type)
                Emit(Op::CONV, reg, static_cast<int>(s.type),
                     NameConstant(std::string(DeclTypeName(s.type)) + " variable '" + s.name + "'",
                                  *s.value));
        } else {
            Emit(Op::LOADDEF, reg, static_cast<int>(s.type));
        }
        DeclareLocal(s.name, reg, s.type, s.line, s.column);
    }

    void Statement(const Stmt& s) {
        curLine = s.line;
        switch (s.kind) {
        case StmtKind::VarDecl:
            VarDecl(s, !fs->decl && fs->scopes.size() == 1 && globals.count(s.name) &&
                           !visibleGlobals.count(s.name) && topLevelDecls.count(&s));
            break;
        case StmtKind::Assign:
            Assign(s);
            break;
        case StmtKind::Call: {
            int mark = fs->freeReg;
            CallInto(*s.value, Temp(*s.value), false);
            fs->freeReg = mark;
            break;
        }
        case StmtKind::Block: {
            int mark = fs->freeReg;
            OpenScope();
            for (const StmtPtr& child : s.stmts)
                Statement(*child);
            CloseScope(mark);
            break;
        }
        case StmtKind::If: {
            std::vector<int> toElse = CondJump(*s.cond, false);
            ScopedStatement(*s.body);
            if (s.elseBody) {
                int toEnd = EmitJump();
                PatchHere(toElse);
                ScopedStatement(*s.elseBody);
                PatchTo(toEnd, Here());
            } else {
                PatchHere(toElse);
            }
            break;
        }
        case StmtKind::While:
            Loop(s.cond.get(), nullptr, *s.body);
            break;
        case StmtKind::For: {
            int mark = fs->freeReg;
            OpenScope();
            if (s.init)
                Statement(*s.init);
            Loop(s.cond.get(), s.step.get(), *s.body);
            CloseScope(mark);
            break;
        }
        case StmtKind::ForIn:
            ForIn(s);
            break;
        case StmtKind::Break:
        case StmtKind::Continue: {
            if (fs->loops.empty())
                Fail(s, std::string("'") + (s.kind == StmtKind::Break ? "break" : "continue") +
                            "' outside a loop");
            LoopInfo& loop = fs->loops.back();
            for (int k = loop.tryDepth; k < fs->tryDepth; ++k)
                Emit(Op::ENDTRY);
            int jump = EmitJump();
            (s.kind == StmtKind::Break ? loop.breaks : loop.continues).push_back(jump);
            break;
        }
        case StmtKind::Return:
            Return(s);
            break;
        case StmtKind::Try:
            Try(s);
            break;
        case StmtKind::Throw:
        case StmtKind::Exit:
        case StmtKind::Dll:
        case StmtKind::Unload: {
            int mark = fs->freeReg;
            int reg = s.value ? UseRegister(*s.value) : 0;
            curLine = s.line;
            Op op = s.kind == StmtKind::Throw  ? Op::THROW
                    : s.kind == StmtKind::Exit ? Op::EXIT
                    : s.kind == StmtKind::Dll  ? Op::DLL
                                               : Op::UNLOAD;
            Emit(op, reg, 0, 0, s.value ? 1 : 0);
            fs->freeReg = mark;
            break;
        }
        case StmtKind::Include:
        case StmtKind::Use:
        case StmtKind::Define:
        case StmtKind::Function:
        case StmtKind::Empty:
            break;
        }
    }

    // The body of if/else/loops gets a scope of its own.
    void ScopedStatement(const Stmt& s) {
        int mark = fs->freeReg;
        OpenScope();
        Statement(s);
        CloseScope(mark);
    }

    // Loop layout: jump to the condition at the bottom, so each iteration
    // runs the body, the step and one fused compare-and-jump back.
    void Loop(const Expr* cond, const Stmt* step, const Stmt& body) {
        CountingLoop counting;
        if (step && cond && MatchCountingLoop(*cond, *step, counting)) {
            CountedLoop(*cond, counting, body);
            return;
        }
        int toCond = EmitJump();
        int top = Here();
        fs->loops.push_back({{}, {}, fs->tryDepth});
        ScopedStatement(body);
        LoopInfo loop = std::move(fs->loops.back());
        fs->loops.pop_back();
        PatchHere(loop.continues);
        if (step)
            Statement(*step);
        PatchTo(toCond, Here());
        if (cond) {
            for (int jump : CondJump(*cond, true))
                PatchTo(jump, top);
        } else {
            PatchTo(EmitJump(), top);
        }
        PatchHere(loop.breaks);
    }

    struct CountingLoop {
        int reg = 0;
        int64_t step = 0;
        int compare = 0; // 0 <, 1 <=, 2 >, 3 >=
    };

    // `for (...; i < limit; i++)` with an int variable in a register, a
    // constant step and a limit that is a constant or a local.
    bool MatchCountingLoop(const Expr& cond, const Stmt& step, CountingLoop& out) {
        if (step.kind != StmtKind::Assign || step.target->kind != ExprKind::Name)
            return false;
        if (step.op == Tok::PlusPlus || step.op == Tok::MinusMinus)
            out.step = step.op == Tok::PlusPlus ? 1 : -1;
        else if ((step.op == Tok::PlusAssign || step.op == Tok::MinusAssign) &&
                 step.value->kind == ExprKind::IntLit)
            out.step =
                step.op == Tok::PlusAssign
                    ? step.value->intValue
                    : static_cast<int64_t>(0ULL - static_cast<uint64_t>(step.value->intValue));
        else
            return false;
        NameRef var = Lookup(step.target->text);
        if (!IsRegister(var) || var.type != DeclType::Int)
            return false;
        if (cond.kind != ExprKind::Binary || cond.args[0]->kind != ExprKind::Name ||
            cond.args[0]->text != step.target->text)
            return false;
        switch (cond.op) {
        case Tok::Lt:
            out.compare = 0;
            break;
        case Tok::Le:
            out.compare = 1;
            break;
        case Tok::Gt:
            out.compare = 2;
            break;
        case Tok::Ge:
            out.compare = 3;
            break;
        default:
            return false;
        }
        const Expr& limit = *cond.args[1];
        if (limit.kind == ExprKind::Name) {
            NameRef ref = Lookup(limit.text);
            if (!(ref.kind == NameKind::Local || ref.kind == NameKind::Define))
                return false;
        } else if (limit.kind != ExprKind::IntLit && limit.kind != ExprKind::FloatLit) {
            return false;
        }
        out.reg = var.reg;
        return true;
    }

    // Test once before the loop, then one FORINC per iteration.
    void CountedLoop(const Expr& cond, const CountingLoop& counting, const Stmt& body) {
        std::vector<int> exits = CondJump(cond, false);
        int top = Here();
        fs->loops.push_back({{}, {}, fs->tryDepth});
        ScopedStatement(body);
        LoopInfo loop = std::move(fs->loops.back());
        fs->loops.pop_back();
        PatchHere(loop.continues);
        int mark = fs->freeReg;
        Operand limit = Use(*cond.args[1]);
        curLine = cond.line;
        Emit(Op::FORINC, counting.reg, Constant(Value::Int(counting.step), cond) & ~kConstFlag,
             limit.rk, counting.compare);
        PatchTo(EmitJump(), top);
        fs->freeReg = mark;
        PatchHere(exits);
        PatchHere(loop.breaks);
    }

    void ForIn(const Stmt& s) {
        int mark = fs->freeReg;
        OpenScope();
        int seq = AllocReg(s.line, s.column);
        AllocReg(s.line, s.column); // position
        int var = AllocReg(s.line, s.column);
        Into(*s.value, seq);
        curLine = s.line;
        int at = Emit(Op::LOADINT, seq + 1);
        fs->proto->code[at].SetSbx(0);
        Emit(Op::LOADDEF, var, static_cast<int>(s.type));
        DeclareLocal(s.name, var, s.type, s.line, s.column);
        int top = Here();
        Emit(Op::FORIN, seq, var);
        int exit = EmitJump();
        if (s.type != DeclType::Var)
            Emit(Op::CONV, var, static_cast<int>(s.type),
                 NameConstant(std::string(DeclTypeName(s.type)) + " loop variable '" + s.name + "'",
                              *s.value));
        fs->loops.push_back({{}, {}, fs->tryDepth});
        ScopedStatement(*s.body);
        LoopInfo loop = std::move(fs->loops.back());
        fs->loops.pop_back();
        for (int jump : loop.continues)
            PatchTo(jump, top);
        PatchTo(EmitJump(), top);
        PatchTo(exit, Here());
        PatchHere(loop.breaks);
        CloseScope(mark);
    }

    void Return(const Stmt& s) {
        if (!fs->decl) {
            if (s.value)
                Fail(s, "'return' with a value outside a function");
            Emit(Op::END);
            return;
        }
        DeclType result = fs->decl->type;
        if (result == DeclType::Void) {
            if (s.value)
                Fail(s, "'" + fs->decl->name + "' is void and cannot return a value");
            Emit(Op::RET, 0, 0, 0, 0);
            return;
        }
        if (!s.value)
            Fail(s, "'" + fs->decl->name + "' must return a " + DeclTypeName(result));
        int mark = fs->freeReg;
        DeclType type = DeclType::Var;
        int reg = UseRegister(*s.value, &type);
        curLine = s.line;
        if (result != DeclType::Var && type != result) {
            if (reg < mark) { // a variable: convert a copy
                int tmp = Temp(*s.value);
                Emit(Op::MOVE, tmp, reg);
                reg = tmp;
            }
            Emit(Op::CONV, reg, static_cast<int>(result),
                 NameConstant(std::string(DeclTypeName(result)) + " result of '" + fs->decl->name +
                                  "'",
                              *s.value));
        }
        Emit(Op::RET, reg, 0, 0, 1);
        fs->freeReg = mark;
    }

    void Try(const Stmt& s) {
        int mark = fs->freeReg;
        OpenScope();
        int errorReg = AllocReg(s.catchLine, s.catchColumn);
        curLine = s.line;
        Emit(Op::TRY, errorReg);
        int toHandler = EmitJump();
        ++fs->tryDepth;
        ScopedStatement(*s.body);
        --fs->tryDepth;
        Emit(Op::ENDTRY);
        int toEnd = EmitJump();
        PatchTo(toHandler, Here());
        DeclareLocal(s.name, errorReg, DeclType::Str, s.catchLine, s.catchColumn);
        ScopedStatement(*s.catchBody);
        PatchTo(toEnd, Here());
        CloseScope(mark);
    }

    // ---- functions and the top-level code ---------------------------------

    void CompileMain() {
        FuncState state;
        state.proto = &program->main;
        state.freeReg = program->globalCount;
        state.proto->frameSize = program->globalCount;
        fs = &state;
        OpenScope();
        visibleGlobals.insert("args");
        for (const StmtPtr& s : modules[0]->stmts)
            topLevelDecls.insert(s.get());
        curFile = 0;
        MainStatements(*modules[0]);
        curFile = 0;
        Emit(Op::END);
        fs = nullptr;
    }

    void MainStatements(const Module& module) {
        for (const StmtPtr& s : module.stmts) {
            curFile = module.file;
            if (s->kind == StmtKind::Include) {
                auto it = includeOf.find(s.get());
                if (it != includeOf.end())
                    IncludedDeclarations(*it->second);
                continue;
            }
            Statement(*s);
        }
    }

    // An included file contributes its functions, defines and global
    // variables (initialised where it is included); its other top-level
    // statements do not run.
    void IncludedDeclarations(const Module& module) {
        for (const StmtPtr& s : module.stmts) {
            curFile = module.file;
            if (s->kind == StmtKind::VarDecl) {
                topLevelDecls.insert(s.get());
                Statement(*s);
            } else if (s->kind == StmtKind::Include) {
                auto it = includeOf.find(s.get());
                if (it != includeOf.end())
                    IncludedDeclarations(*it->second);
            }
        }
    }

    void CompileFunction(const FunctionInfo& info) {
        const Stmt& decl = *info.decl;
        program->functions.resize(functionOrder.size());
        Proto& proto = program->functions[static_cast<size_t>(info.index)];
        proto.name = decl.name;
        proto.result = decl.type;
        FuncState state;
        state.proto = &proto;
        state.decl = &decl;
        fs = &state;
        curFile = info.file;
        curLine = decl.line;
        OpenScope();
        for (const Param& p : decl.params) {
            proto.params.push_back(p.type);
            int reg = AllocReg(p.line, p.column);
            DeclareLocal(p.name, reg, p.type, p.line, p.column);
        }
        for (const StmtPtr& s : decl.body->stmts)
            Statement(*s);
        curLine = decl.body->line;
        Emit(Op::RET, 0, 0, 0, 0);
        if (proto.frameSize == 0)
            proto.frameSize = 1;
        fs = nullptr;
    }

    std::unique_ptr<Program> program;
    std::vector<std::unique_ptr<Module>> modules;
    std::set<std::string> includedPaths;
    std::unordered_map<const Stmt*, Module*> includeOf;
    std::map<std::string, FunctionInfo> functions;
    std::vector<std::string> functionOrder;
    std::unordered_map<std::string, GlobalInfo> globals;
    std::vector<std::string> globalOrder;
    std::set<std::string> visibleGlobals;
    std::set<const Stmt*> topLevelDecls;
    std::unordered_map<std::string, DefineInfo> defines;
    FuncState* fs = nullptr;
    int curLine = 0;
};

} // namespace

std::unique_ptr<Program> CompileSource(const std::string& path, std::string_view source,
                                       std::string& error) {
    Compiler compiler;
    try {
        return compiler.Run(path, source);
    } catch (const CompileError& e) {
        error = compiler.FileName(compiler.curFile) + ":" + std::to_string(e.line) + ":" +
                std::to_string(e.column) + ": error: " + e.what();
        return nullptr;
    }
}

std::unique_ptr<Program> CompileFile(const std::string& path, std::string& error) {
    std::string source, why;
    if (!ReadWholeFile(path, source, why)) {
        error = path + ": error: cannot open script: " + why;
        return nullptr;
    }
    return CompileSource(path, source, error);
}

} // namespace tessera
