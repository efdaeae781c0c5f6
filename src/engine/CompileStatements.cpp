// Compiling statements: assignments and declarations with the conversions
// their types need, control flow, loops (with the counting-loop fast path),
// return and try/catch.
#include "engine/Assert.h"
#include "engine/CompilerState.h"

namespace tessera {

// Stores the value of `e` into a variable, converting as its type needs.
void Compiler::AssignTo(const NameRef& ref, const std::string& name, const Expr& e) {
    // The target's description is only needed for a conversion.
    auto target = [&] { return std::string(DeclTypeName(ref.type)) + " variable '" + name + "'"; };
    if (IsRegister(ref) && WritesTargetLast(e)) {
        int mark = fs->freeReg;
        // Try the direct form; fall back to a temporary when a conversion is needed.
        size_t codeSize = fs->proto->code.size();
        DeclType type = Into(e, ref.reg);
        if (ref.type == DeclType::Var || type == ref.type)
            return;
        // Arithmetic converts its result on the way into the variable.
        Instr& last = fs->proto->code.back();
        if (e.kind == ExprKind::Binary && IsArithmetic(last.op) && last.a == ref.reg &&
            fs->proto->code.size() > codeSize) {
            MarkConversion(last, ref.type, target());
            return;
        }
        fs->proto->TruncateCode(codeSize);
        fs->freeReg = mark;
    }
    int mark = fs->freeReg;
    int tmp = Temp(e);
    DeclType type = Into(e, tmp);
    if (ref.type != DeclType::Var && type != ref.type)
        Emit(Op::CONV, tmp, static_cast<int>(ref.type), NameConstant(target(), e));
    if (IsRegister(ref))
        Emit(Op::MOVE, ref.reg, tmp);
    else
        Emit(Op::SETGLOBAL, tmp, ref.global);
    fs->freeReg = mark;
}

void Compiler::MarkConversion(Instr& in, DeclType type, const std::string& target) {
    in.x = static_cast<uint8_t>(static_cast<int>(type) + 1);
    size_t index = static_cast<size_t>(&in - fs->proto->code.data());
    fs->proto->conversionTargets[static_cast<uint32_t>(index)] = target;
}

Compiler::NameRef Compiler::AssignableName(const Expr& target) {
    NameRef ref = Lookup(target.text);
    if (ref.kind == NameKind::Local || ref.kind == NameKind::Global)
        return ref;
    if (ref.kind == NameKind::Define)
        Fail(target, "cannot assign to the define '" + target.text + "'");
    UnknownName(target);
}

Op Compiler::CompoundOpcode(Tok op) {
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
Operand Compiler::CompoundOperand(const Stmt& s) {
    if (s.value)
        return Use(*s.value);
    Expr one;
    one.kind = ExprKind::IntLit;
    one.intValue = 1;
    one.line = s.line;
    one.column = s.column;
    return {Constant(Value::Int(1), one), DeclType::Int};
}

void Compiler::Assign(const Stmt& s) {
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
            int at = EmitArithmetic(op, ref.reg, ref.reg, v.rk);
            if (!exact)
                MarkConversion(fs->proto->code[static_cast<size_t>(at)], ref.type,
                               std::string(DeclTypeName(ref.type)) + " variable '" + target.text +
                                   "'");
        } else {
            int tmp = Temp(target);
            if (IsRegister(ref))
                EmitArithmetic(op, tmp, ref.reg, v.rk);
            else {
                Emit(Op::GETGLOBAL, tmp, ref.global);
                EmitArithmetic(op, tmp, tmp, v.rk);
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
        EmitArithmetic(CompoundOpcode(s.op), tmp, tmp, v.rk);
        Emit(Op::SETINDEX, base, index.rk, tmp);
    }
    fs->freeReg = mark;
}

void Compiler::VarDecl(const Stmt& s, bool isGlobal) {
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

// statement -> declaration | assignment | call | block | if | loop | ... ;
// Every statement leaves the registers as it found them, except that a
// declaration may keep one for its local.
void Compiler::Statement(const Stmt& s) {
    [[maybe_unused]] const int before = fs->freeReg;
    StatementBody(s);
    tessera_assert(fs->freeReg >= before &&
                   fs->freeReg <= before + (s.kind == StmtKind::VarDecl ? 1 : 0));
    tessera_assert(fs->freeReg <= fs->proto->frameSize || fs->freeReg == before);
}

void Compiler::StatementBody(const Stmt& s) {
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
        // The first branch and each `else if` in turn; every branch but the
        // last jumps to the end after its body.
        std::vector<int> toEnd;
        size_t branches = s.stmts.size() + 1;
        for (size_t k = 0; k < branches; ++k) {
            const Stmt& branch = k == 0 ? s : *s.stmts[k - 1];
            curLine = branch.line;
            std::vector<int> toNext = CondJump(*branch.cond, false);
            ScopedStatement(*branch.body);
            if (k + 1 < branches || s.elseBody)
                toEnd.push_back(EmitJump());
            PatchHere(toNext);
        }
        if (s.elseBody)
            ScopedStatement(*s.elseBody);
        PatchHere(toEnd);
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
void Compiler::ScopedStatement(const Stmt& s) {
    int mark = fs->freeReg;
    OpenScope();
    Statement(s);
    CloseScope(mark);
}

// Loop layout: jump to the condition at the bottom, so each iteration
// runs the body, the step and one fused compare-and-jump back.
void Compiler::Loop(const Expr* cond, const Stmt* step, const Stmt& body) {
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

// `for (...; i < limit; i++)` with an int variable in a register, a
// constant step and a limit that is a constant or a local.
bool Compiler::MatchCountingLoop(const Expr& cond, const Stmt& step, CountingLoop& out) {
    if (step.kind != StmtKind::Assign || step.target->kind != ExprKind::Name)
        return false;
    if (step.op == Tok::PlusPlus || step.op == Tok::MinusMinus)
        out.step = step.op == Tok::PlusPlus ? 1 : -1;
    else if ((step.op == Tok::PlusAssign || step.op == Tok::MinusAssign) &&
             step.value->kind == ExprKind::IntLit)
        out.step = step.op == Tok::PlusAssign
                       ? step.value->intValue
                       : static_cast<int64_t>(0ULL - static_cast<uint64_t>(step.value->intValue));
    else
        return false;
    if (out.step < INT32_MIN || out.step > INT32_MAX)
        return false; // the step is an immediate
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
void Compiler::CountedLoop(const Expr& cond, const CountingLoop& counting, const Stmt& body) {
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
    int32_t imm = 0;
    bool immediate = SmallIntConstant(limit.rk, imm);
    Emit(Op::FORINC, counting.reg, static_cast<uint32_t>(static_cast<int32_t>(counting.step)),
         immediate ? static_cast<uint32_t>(imm) : limit.rk,
         counting.compare | (immediate ? kForLimitImmediate : 0));
    PatchTo(EmitJump(), top);
    fs->freeReg = mark;
    PatchHere(exits);
    PatchHere(loop.breaks);
}

void Compiler::ForIn(const Stmt& s) {
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

void Compiler::Return(const Stmt& s) {
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
             NameConstant(std::string(DeclTypeName(result)) + " result of '" + fs->decl->name + "'",
                          *s.value));
    }
    Emit(Op::RET, reg, 0, 0, 1);
    fs->freeReg = mark;
}

void Compiler::Try(const Stmt& s) {
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

} // namespace tessera
