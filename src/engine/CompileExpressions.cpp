// Compiling expressions: operands in RK form, values into registers,
// conditions as fused compare-and-jumps, and calls.
#include "engine/Builtins.h"
#include "engine/CompilerState.h"

#include <cstdint>

namespace tessera {

// Whether compiling `e` into a variable's register can only write that
// register as its last step (so `x = x - 1` may target x directly).
bool Compiler::WritesTargetLast(const Expr& e) {
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
Operand Compiler::Use(const Expr& e) {
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
            return {static_cast<uint32_t>(ref.reg), ref.type};
        if (ref.kind == NameKind::Define && ref.define->value.type != ValueType::List)
            return {Constant(ref.define->value, e), ref.type};
        break;
    }
    default:
        break;
    }
    int reg = Temp(e);
    DeclType type = Into(e, reg);
    return {static_cast<uint32_t>(reg), type};
}

// A value in a register (not a constant): for indexing and calls.
int Compiler::UseRegister(const Expr& e, DeclType* type) {
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
DeclType Compiler::Into(const Expr& e, int dst) {
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
        if (baseType != DeclType::Var && baseType != DeclType::List && baseType != DeclType::Str)
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
            type = operand.type == DeclType::Int || operand.type == DeclType::Float ? operand.type
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
int Compiler::RegOf(Operand operand, const Expr& at) {
    if (!(operand.rk & kConstFlag))
        return operand.rk;
    int reg = Temp(at);
    Emit(Op::LOADK, reg, operand.rk & ~kConstFlag);
    return reg;
}

DeclType Compiler::NameInto(const Expr& e, int dst) {
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

void Compiler::UnknownName(const Expr& e) {
    if (globals.count(e.text))
        Fail(e, "'" + e.text + "' is used before its declaration");
    if (functions.count(e.text) || FindBuiltin(e.text) >= 0)
        Fail(e, "'" + e.text + "' is a function; call it with ()");
    Fail(e, "unknown variable '" + e.text + "'");
}

DeclType Compiler::BinaryInto(const Expr& e, int dst) {
    if (e.op == Tok::AndAnd || e.op == Tok::OrOr) {
        std::vector<int> falseJumps = CondJump(e, false);
        Emit(Op::LOADBOOL, dst, 1);
        int skip = EmitJump();
        PatchHere(falseJumps);
        Emit(Op::LOADBOOL, dst, 0);
        PatchTo(skip, Here());
        return DeclType::Bool;
    }
    // A left-nested chain (a + b + c + ...) compiles in one loop rather than
    // one C++ call per operator: generated scripts write tens of thousands.
    // Inner results go to one temporary, so string chains append in place.
    std::vector<const Expr*> chain; // outermost first
    const Expr* leftmost = &e;
    while (leftmost->kind == ExprKind::Binary && leftmost->op != Tok::AndAnd &&
           leftmost->op != Tok::OrOr) {
        chain.push_back(leftmost);
        leftmost = leftmost->args[0].get();
    }
    int acc = chain.size() > 1 ? Temp(e) : -1;
    Operand a = Use(*leftmost);
    for (size_t k = chain.size(); k-- > 0;) {
        const Expr& node = *chain[k];
        Operand b = Use(*node.args[1]);
        curLine = node.line;
        Op op = BinaryOpcode(node.op);
        // The last piece of a string chain is appended in place too, and the
        // result moved: cheaper than copying the whole text into dst.
        bool stringChain = acc >= 0 && op == Op::ADD && a.type == DeclType::Str;
        int into = k == 0 && !stringChain ? dst : acc;
        EmitArithmetic(op, into, a.rk, b.rk);
        a = {static_cast<uint32_t>(into), BinaryType(op, a.type, b.type)};
        if (k == 0 && into != dst) {
            Emit(Op::MOVE, dst, into);
            a.rk = static_cast<uint32_t>(dst);
        }
        if (k > 0)
            fs->freeReg = acc + 1;
    }
    return a.type;
}

// Static result type of a binary operator; Var when known only at run time.
DeclType Compiler::BinaryType(Op op, DeclType a, DeclType b) {
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
std::vector<int> Compiler::CondJump(const Expr& e, bool jumpIf) {
    curLine = e.line;
    int mark = fs->freeReg;
    std::vector<int> jumps;
    if (e.kind == ExprKind::Unary && e.op == Tok::Not) {
        jumps = CondJump(*e.args[0], !jumpIf);
    } else if (e.kind == ExprKind::Binary && (e.op == Tok::AndAnd || e.op == Tok::OrOr)) {
        // a && b && c ... is left-nested; walk its operands in a loop.
        std::vector<const Expr*> operands; // rightmost first
        const Expr* node = &e;
        while (node->kind == ExprKind::Binary && node->op == e.op) {
            operands.push_back(node->args[1].get());
            node = node->args[0].get();
        }
        operands.push_back(node);
        bool isAnd = e.op == Tok::AndAnd;
        // and-false / or-true: any operand decides; otherwise only the last
        // one does, and the others skip it when they settle the result.
        bool anyDecides = isAnd != jumpIf;
        std::vector<int> skip;
        for (size_t k = operands.size(); k-- > 0;) {
            bool last = k == 0;
            std::vector<int> more = CondJump(*operands[k], anyDecides || last ? jumpIf : !jumpIf);
            std::vector<int>& into = anyDecides || last ? jumps : skip;
            into.insert(into.end(), more.begin(), more.end());
        }
        PatchHere(skip);
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
        // A register against a small int constant: the immediate forms, which
        // name the comparison as written, so a constant on the left mirrors it.
        int32_t imm = 0;
        Op immediate = Op::JMP;
        if (!(a.rk & kConstFlag) && SmallIntConstant(b.rk, imm))
            immediate = ImmediateCompare(e.op, false);
        else if (!(b.rk & kConstFlag) && SmallIntConstant(a.rk, imm))
            immediate = ImmediateCompare(e.op, true);
        if (immediate != Op::JMP)
            Emit(immediate, 0, (a.rk & kConstFlag) ? b.rk : a.rk, static_cast<uint32_t>(imm),
                 jumpIf ? 1 : 0);
        else
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
DeclType Compiler::CallInto(const Expr& e, int dst, bool needValue) {
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
            Fail(e, "'" + e.text + "' takes " + count + " argument" + (count == "1" ? "" : "s") +
                        ", not " + std::to_string(argc));
        }
    } else if (Lookup(e.text).kind != NameKind::None) {
        Fail(e, "'" + e.text + "' is not a function");
    }
    if (needValue && result == DeclType::Void)
        Fail(e, "'" + e.text + "' does not return a value");
    // Count and Len of a list or string need no call; Len also measures strings.
    bool length = builtin >= 0 && argc == 1 && (e.text == "Count" || e.text == "Len");
    if (length) {
        int reg = UseRegister(*e.args[0]);
        curLine = e.line;
        Emit(Op::LEN, dst, reg, builtin, e.text == "Len" ? 1 : 0);
        return result;
    }
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
            Emit(Op::CALLB1, dst, regs[0], builtin);
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
        fs->proto->externalCalls.push_back(
            static_cast<uint32_t>(Emit(Op::CALLX, base, NameConstant(e.text, e), argc)));
    if (base != dst)
        Emit(Op::MOVE, dst, base);
    return result;
}

} // namespace tessera
