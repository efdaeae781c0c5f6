// Compiler entry points and the parts that are not expressions or
// statements: the first pass (globals, defines, function signatures,
// includes), emitting instructions and constants, name lookup and scopes,
// and the top-level code and functions as a whole.
#include "engine/Compiler.h"

#include "engine/Builtins.h"
#include "engine/CompilerState.h"
#include "engine/Operations.h"
#include "engine/Parser.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessera {

namespace {

constexpr int kMaxIncludeDepth = 32;

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

// Reads a script in one piece: sized from fstat and read straight into the
// buffer (a stream copy would touch every byte three times), then on until
// end of file for files whose size the system reports as 0.
bool ReadWholeFile(const std::string& path, PodVector<char>& out, std::string& why) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "Is a directory" : std::strerror(errno);
        ::close(fd);
        return false;
    }
    out.clear();
    size_t have = 0;
    size_t want = S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    for (;;) {
        if (have == out.size())
            out.resize_for_overwrite(std::max(have + 1, want > have ? want + 1 : have * 2 + 65536));
        ssize_t n = ::read(fd, out.data() + have, out.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        have += static_cast<size_t>(n);
    }
    ::close(fd);
    out.resize_for_overwrite(have);
    return true;
}

} // namespace

std::unique_ptr<Program> Compiler::Run(const std::string& path, std::string_view source) {
    program = std::make_unique<Program>();
    program->files.push_back(path);
    includedPaths.insert(CanonicalPath(path));
    auto root = std::make_unique<Module>();
    root->path = path;
    root->source = source;
    modules.push_back(std::move(root));
    // `args` is a predeclared global list.
    program->argsGlobal = AddGlobal("args", DeclType::List, 1, 1);
    try {
        Collect(*modules[0], 0);
    } catch (const CompileError& error) {
        // The first pass steps over statements unparsed: a syntax error in
        // one before this error is the first error of the script.
        std::pair<int, int> at = curFile == 0 ? std::pair{error.line, error.column} : rootDeclStart;
        uint32_t file = curFile;
        StatementReader reader(modules[0]->source);
        try {
            int line = 0, column = 0;
            while (reader.Next(&line, &column) && std::pair{line, column} < at) {
            }
        } catch (const CompileError& earlier) {
            if (std::pair{earlier.line, earlier.column} < at) {
                curFile = 0;
                throw;
            }
        }
        curFile = file;
        throw;
    }
    program->globalCount = static_cast<int>(globalOrder.size());
    CompileMain();
    for (auto& [name, info] : functions)
        CompileFunction(info);
    return std::move(program);
}

std::string Compiler::FileName(uint32_t file) const {
    return program && file < program->files.size() ? program->files[file] : "?";
}

std::string Compiler::CanonicalPath(const std::string& path) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

// ---- pass 1: names, signatures, defines, includes ------------------------------

int Compiler::AddGlobal(const std::string& name, DeclType type, int line, int column) {
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

void Compiler::CheckNewName(const std::string& name, int line, int column) {
    if (globals.count(name) || defines.count(name) || functions.count(name))
        Fail(line, column, "'" + name + "' is already declared");
    if (FindBuiltin(name) >= 0)
        Fail(line, column, "'" + name + "' is the name of a builtin function");
}

void Compiler::Collect(Module& module, int depth) {
    StatementReader reader(module.source);
    for (;;) {
        curFile = module.file;
        bool skippedDll = false;
        int line = 0, column = 0;
        StmtPtr s = reader.NextDeclaration(skippedDll, line, column);
        if (skippedDll)
            program->loadsLibraries = true;
        if (!s)
            break;
        if (depth == 0)
            rootDeclStart = {line, column};
        switch (s->kind) {
        case StmtKind::Function: {
            CheckNewName(s->name, s->line, s->column);
            int index = static_cast<int>(functionOrder.size());
            if (index >= kMaxFunctions)
                Fail(*s, "too many functions");
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
            break;
        }
        module.stmts.push_back(std::move(s));
        module.stmtStarts.emplace_back(line, column);
    }
}

void Compiler::Include(Module& from, const Stmt& s, int depth) {
    if (depth >= kMaxIncludeDepth)
        Fail(s, "includes nested too deeply");
    std::filesystem::path target(s.text);
    if (target.is_relative())
        target = std::filesystem::path(from.path).parent_path() / target;
    std::string path = target.lexically_normal().string();
    if (!includedPaths.insert(CanonicalPath(path)).second)
        return; // included once only
    PodVector<char> source;
    std::string why;
    if (!ReadWholeFile(path, source, why))
        Fail(s, "cannot open include file '" + s.text + "': " + why);
    auto module = std::make_unique<Module>();
    module->path = path;
    module->file = static_cast<uint32_t>(program->files.size());
    module->ownedSource = std::move(source);
    module->source = std::string_view(module->ownedSource.data(), module->ownedSource.size());
    program->files.push_back(path);
    Module& ref = *module;
    includeOf[&s] = module.get();
    modules.push_back(std::move(module));
    Collect(ref, depth + 1);
    curFile = from.file;
}

// Value of a define: literals, other defines, and operators on them.
Value Compiler::ConstEval(const Expr& e) {
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
        // Left-nested chains fold in a loop, not one call per operator.
        std::vector<const Expr*> chain; // outermost first
        const Expr* leftmost = &e;
        while (leftmost->kind == ExprKind::Binary) {
            chain.push_back(leftmost);
            leftmost = leftmost->args[0].get();
        }
        Value a = ConstEval(*leftmost);
        for (size_t k = chain.size(); k-- > 0;) {
            const Expr& node = *chain[k];
            Value b = ConstEval(*node.args[1]);
            try {
                if (node.op == Tok::AndAnd) {
                    a = Value::Bool(Truth(a) && Truth(b));
                } else if (node.op == Tok::OrOr) {
                    a = Value::Bool(Truth(a) || Truth(b));
                } else {
                    Value r;
                    BinaryOp(BinaryOpcode(node.op), r, a, b, kMaxConstString);
                    a = std::move(r);
                }
            } catch (const ScriptError& err) {
                Fail(node, err.message);
            }
        }
        return a;
    }
    default:
        Fail(e, "a define's value must be a constant");
    }
}

Op Compiler::BinaryOpcode(Tok op) {
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

// ---- emitting ------------------------------------------------------------------

int Compiler::Emit(Op op, int a, uint32_t b, uint32_t c, int x) {
    Proto& p = *fs->proto;
    if (p.code.size() >= static_cast<size_t>(kMaxInstructions))
        Fail(curLine, 1, "function too large (too many instructions)");
    Instr in{op, static_cast<uint8_t>(x), static_cast<uint16_t>(a), b, c};
    return static_cast<int>(p.Append(in, static_cast<uint32_t>(curLine), curFile));
}

int Compiler::EmitJump(Op op, int a) {
    int at = Emit(op, a);
    return at;
}

// ADD, SUB and MOD of a register and a small int constant take the constant
// as an immediate, sparing the VM a constant load and a type test.
int Compiler::EmitArithmetic(Op op, int a, uint32_t b, uint32_t c) {
    static const std::pair<Op, Op> kImmediate[] = {
        {Op::ADD, Op::ADDI}, {Op::SUB, Op::SUBI}, {Op::MOD, Op::MODI}};
    int32_t imm = 0;
    if (!(b & kConstFlag) && SmallIntConstant(c, imm))
        for (const auto& [plain, immediate] : kImmediate)
            if (op == plain)
                return Emit(immediate, a, b, static_cast<uint32_t>(imm));
    return Emit(op, a, b, c);
}

// Whether operand `rk` is an int constant that fits 32 bits.
bool Compiler::SmallIntConstant(uint32_t rk, int32_t& value) const {
    if (!(rk & kConstFlag))
        return false;
    const Value& k = fs->proto->constants[rk & ~kConstFlag];
    if (k.type != ValueType::Int || k.AsInt() < INT32_MIN || k.AsInt() > INT32_MAX)
        return false;
    value = static_cast<int32_t>(k.AsInt());
    return true;
}

// The compare-with-immediate opcode for `reg op k`, or for `k op reg` when
// the constant comes first (k < r is r > k).
Op Compiler::ImmediateCompare(Tok op, bool constantFirst) {
    switch (op) {
    case Tok::Lt:
        return constantFirst ? Op::JGTI : Op::JLTI;
    case Tok::Le:
        return constantFirst ? Op::JGEI : Op::JLEI;
    case Tok::Gt:
        return constantFirst ? Op::JLTI : Op::JGTI;
    case Tok::Ge:
        return constantFirst ? Op::JLEI : Op::JGEI;
    default:
        return Op::JMP; // == and != keep the general form
    }
}

int Compiler::Here() const {
    return static_cast<int>(fs->proto->code.size());
}

void Compiler::PatchTo(int jump, int target) {
    fs->proto->code[jump].SetSbx(target - (jump + 1));
}

void Compiler::PatchHere(const std::vector<int>& jumps) {
    for (int j : jumps)
        PatchTo(j, Here());
}

int Compiler::AllocReg(int line, int column) {
    int reg = fs->freeReg++;
    if (reg >= kMaxRegisters)
        Fail(line, column, "function too large (too many registers)");
    if (fs->freeReg > fs->proto->frameSize)
        fs->proto->frameSize = fs->freeReg;
    return reg;
}

int Compiler::Temp(const Expr& at) {
    return AllocReg(at.line, at.column);
}

uint32_t Compiler::Constant(const Value& v, const Expr& at) {
    // Equal constants share a slot: the key is the type and the value's bytes.
    std::string key(1, static_cast<char>(v.type));
    if (v.type == ValueType::Str)
        key += v.AsStr();
    else
        key.append(reinterpret_cast<const char*>(&v.bits), sizeof v.bits);
    auto it = fs->constIndex.find(key);
    if (it != fs->constIndex.end())
        return static_cast<uint32_t>(it->second) | kConstFlag;
    int index = static_cast<int>(fs->proto->constants.size());
    if (index >= kMaxConstants)
        Fail(at, "function too large (too many constants)");
    fs->proto->constants.push_back(v);
    fs->constIndex[key] = index;
    return static_cast<uint32_t>(index) | kConstFlag;
}

uint32_t Compiler::NameConstant(const std::string& text, const Expr& at) {
    return Constant(Value::Str(text), at) & ~kConstFlag;
}

// ---- names ---------------------------------------------------------------------

Compiler::NameRef Compiler::Lookup(const std::string& name) {
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
bool Compiler::IsRegister(const NameRef& ref) const {
    return ref.kind == NameKind::Local || (ref.kind == NameKind::Global && !fs->decl);
}

void Compiler::DeclareLocal(const std::string& name, int reg, DeclType type, int line, int column) {
    for (const Local& local : fs->scopes.back())
        if (local.name == name)
            Fail(line, column, "'" + name + "' is already declared in this block");
    if (FindBuiltin(name) >= 0 || functions.count(name))
        Fail(line, column, "'" + name + "' is the name of a function");
    fs->scopes.back().push_back({name, reg, type});
}

void Compiler::OpenScope() {
    fs->scopes.emplace_back();
}

void Compiler::CloseScope(int mark) {
    fs->scopes.pop_back();
    fs->freeReg = mark;
}

// ---- functions and the top-level code ------------------------------------------

void Compiler::CompileMain() {
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

// Declarations come from the first pass; every other statement is parsed
// again here, compiled and dropped at once.
void Compiler::MainStatements(const Module& module) {
    StatementReader reader(module.source);
    size_t nextKept = 0;
    for (;;) {
        curFile = module.file;
        int line = 0, column = 0;
        StmtPtr fresh = reader.Next(&line, &column);
        if (!fresh)
            break;
        const Stmt* s = fresh.get();
        if (nextKept < module.stmts.size() &&
            module.stmtStarts[nextKept] == std::make_pair(line, column))
            s = module.stmts[nextKept++].get();
        if (s->kind == StmtKind::Include) {
            auto it = includeOf.find(s);
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
void Compiler::IncludedDeclarations(const Module& module) {
    for (const StmtPtr& s : module.stmts) {
        curFile = module.file;
        if (!s)
            continue;
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

void Compiler::CompileFunction(const FunctionInfo& info) {
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
    PodVector<char> source;
    std::string why;
    if (!ReadWholeFile(path, source, why)) {
        error = path + ": error: cannot open script: " + why;
        return nullptr;
    }
    return CompileSource(path, std::string_view(source.data(), source.size()), error);
}

} // namespace tessera
