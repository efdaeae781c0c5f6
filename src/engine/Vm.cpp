#include "engine/Vm.h"

#include "engine/Assert.h"
#include "engine/Operations.h"

#include <exception>
#include <new>

namespace tessera {

namespace {

constexpr int32_t kPollInterval = 1024;
constexpr uint8_t kIntResult = static_cast<uint8_t>(DeclType::Int) + 1;
constexpr uint8_t kFloatResult = static_cast<uint8_t>(DeclType::Float) + 1;

[[noreturn]] void IndexError(int64_t index, size_t size, const char* what) {
    throw ScriptError{"index " + std::to_string(index) + " out of range (" + what + " has " +
                      std::to_string(size) + (size == 1 ? " element)" : " elements)")};
}

int64_t IndexOf(const Value& index) {
    if (index.type != ValueType::Int)
        throw ScriptError{std::string("an index must be an int, not a ") + TypeName(index.type)};
    return index.AsInt();
}

} // namespace

Vm::Vm(const Program& p, VmHost& h, BuiltinContext& c, const VmLimits& l)
    : program(p), host(h), ctx(c), limits(l) {}

RunResult Vm::Run(const Value& args) {
    RunResult result;
    stack.clear();
    frames.clear();
    handlers.clear();
    steps = 0;
    pollBudget = kPollInterval;
    try {
        stack.resize(static_cast<size_t>(program.main.frameSize) + 64);
        for (int g = 0; g < program.globalCount; ++g)
            stack[static_cast<size_t>(g)] =
                DefaultValue(program.globalTypes[static_cast<size_t>(g)], *ctx.heap);
        if (program.argsGlobal >= 0)
            stack[static_cast<size_t>(program.argsGlobal)] = args;
        frames.reserve(64);
        frames.push_back({&program.main, program.main.code.data(), 0});
        if (!program.loadsLibraries)
            CheckExternals();
    } catch (const ScriptError& e) {
        result.outcome = RunOutcome::Failed;
        result.message = Where() + e.message;
        return result;
    }
    for (;;) {
        try {
            Execute();
            result.outcome = RunOutcome::Finished;
            break;
        } catch (const ScriptError& e) {
            if (Recover(e.message))
                continue;
            result.outcome = RunOutcome::Failed;
            result.message = Where() + e.message;
            break;
        } catch (const std::bad_alloc&) {
            result.outcome = RunOutcome::Failed;
            result.message = Where() + "out of memory";
            break;
        } catch (const std::exception& e) {
            // Nothing a script does may take the host down.
            result.outcome = RunOutcome::Failed;
            result.message = Where() + e.what();
            break;
        } catch (const ExitSignal& e) {
            result.outcome = RunOutcome::Exited;
            result.exitStatus = e.status;
            break;
        } catch (const StopSignal& e) {
            result.outcome = RunOutcome::Stopped;
            result.message = Location() + ": " + e.reason;
            break;
        }
    }
    // Drop every value of the run now, while the list heap is alive.
    stack.clear();
    stack.shrink_to_fit();
    frames.clear();
    handlers.clear();
    return result;
}

// A script that loads no libraries at run time must call only functions that
// exist now; report the first unknown one before anything runs.
void Vm::CheckExternals() {
    auto check = [&](const Proto& proto) {
        for (uint32_t k : proto.externalCalls) {
            if (k >= proto.code.size() || proto.code[k].op != Op::CALLX)
                continue;
            const Instr& in = proto.code[k];
            const std::string& name = proto.constants[in.b].AsStr();
            if (!host.HasExternal(name)) {
                frames.back() = {&proto, proto.code.data() + k + 1, 0};
                throw ScriptError{"unknown function '" + name + "'"};
            }
        }
    };
    check(program.main);
    for (const Proto& fn : program.functions)
        check(fn);
    frames.back() = {&program.main, program.main.code.data(), 0};
}

// "FILE:LINE" of the instruction that just ran.
std::string Vm::Location() const {
    std::string file = program.files.empty() ? "?" : program.files[0];
    if (frames.empty())
        return file;
    const Frame& f = frames.back();
    size_t index = static_cast<size_t>(f.pc - f.proto->code.data());
    if (index > 0)
        --index;
    if (index >= f.proto->lines.size())
        return file;
    return program.files[f.proto->FileAt(index)] + ":" + std::to_string(f.proto->lines[index]);
}

std::string Vm::Where() const {
    return Location() + ": runtime error: ";
}

// Hands an error to the innermost try of the running frames.
bool Vm::Recover(const std::string& message) {
    if (handlers.empty())
        return false;
    Handler h = handlers.back();
    handlers.pop_back();
    frames.resize(h.frame + 1);
    Frame& f = frames.back();
    f.pc = h.target;
    stack[f.base + h.reg] = Value::Str(message);
    return true;
}

int32_t Vm::Poll() {
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    if (limits.maxSteps) {
        steps += kPollInterval;
        if (steps > limits.maxSteps)
            throw StopSignal{"step limit reached"};
    }
    return kPollInterval;
}

// Arithmetic off the fast path. A nonzero `x` names the type of the variable
// the result is stored in, so the result is converted before it lands.
void Vm::Arithmetic(Instr in, Value& dst, const Value& b, const Value& c, const Instr* pc) {
    if (!in.x)
        return BinaryOp(in.op, dst, b, c, limits.maxString);
    Value result;
    BinaryOp(in.op, result, b, c, limits.maxString);
    const Proto& proto = *frames.back().proto;
    auto at = proto.conversionTargets.find(static_cast<uint32_t>(pc - 1 - proto.code.data()));
    ConvertTo(result, static_cast<DeclType>(in.x - 1),
              at == proto.conversionTargets.end() ? std::string("variable") : at->second);
    dst = std::move(result);
}

// The immediate forms off their fast path: the plain operation with the
// immediate as an int operand.
void Vm::ArithmeticImmediate(Op op, Value& dst, const Value& b, const Instr* pc) {
    Instr plain = pc[-1];
    plain.op = op;
    Arithmetic(plain, dst, b, Value::Int(static_cast<int32_t>(plain.c)), pc);
}

// A counting loop's step when the counter is not an int (a script wrote
// another type into it).
void Vm::ForStepSlow(Value& counter, int64_t step) {
    BinaryOp(Op::ADD, counter, counter, Value::Int(step), limits.maxString);
}

bool Vm::CompareImmediate(Op op, const Value& b, int32_t imm) {
    Value k = Value::Int(imm);
    switch (op) {
    case Op::JLTI:
        return LessThan(b, k, false);
    case Op::JLEI:
        return LessThan(b, k, true);
    case Op::JGTI:
        return LessThan(k, b, false);
    default:
        return LessThan(k, b, true);
    }
}

void Vm::GrowStack(size_t needed) {
    size_t size = stack.size() * 2;
    if (size < needed)
        size = needed + 64;
    stack.resize(size);
}

// Threaded dispatch where the compiler supports labels as values; a plain
// switch elsewhere.
#if defined(__GNUC__)
#define TESSERA_COMPUTED_GOTO 1
#define CASE(name)                                                                                 \
    case Op::name:                                                                                 \
        L_##name:
// A plain goto to the one dispatch point, so that leaving a case runs the
// destructors of its locals.
#define NEXT goto next_instruction
#else
#define TESSERA_COMPUTED_GOTO 0
#define CASE(name) case Op::name:
#define NEXT continue
#endif

#define RK(x) ((x)&kConstFlag ? K[(x) & ~kConstFlag] : R[(x)])
#define JUMP_FOLLOWING()                                                                           \
    do {                                                                                           \
        int32_t offset = pc->Sbx();                                                                \
        pc += 1 + offset;                                                                          \
        if (offset < 0 && --budget <= 0)                                                           \
            budget = Poll();                                                                       \
    } while (0)
// Takes the jump word that follows when `cond` holds, else steps over it.
#define BRANCH_IF(cond)                                                                            \
    do {                                                                                           \
        if (cond)                                                                                  \
            JUMP_FOLLOWING();                                                                      \
        else                                                                                       \
            ++pc;                                                                                  \
    } while (0)
#define IMM() static_cast<int32_t>(in->c)
#define RELOAD()                                                                                   \
    do {                                                                                           \
        f = &frames.back();                                                                        \
        R = stack.data() + f->base;                                                                \
        K = f->proto->constants.data();                                                            \
    } while (0)

void Vm::Execute() {
    Frame* f = &frames.back();
    const Instr* pc = f->pc;
    Value* R = stack.data() + f->base;
    const Value* K = f->proto->constants.data();
    const std::vector<BuiltinInfo>& builtins = Builtins();
    const size_t maxString = limits.maxString;
    int32_t budget = pollBudget;
    // The running instruction; operands are read through it, not copied.
    const Instr* in = pc;
#if TESSERA_COMPUTED_GOTO
    static const void* const dispatch[] = {
#define TESSERA_OP_LABEL(name) &&L_##name,
        TESSERA_OPCODES(TESSERA_OP_LABEL)
#undef TESSERA_OP_LABEL
    };
#endif
    try {
        for (;;) {
#if TESSERA_COMPUTED_GOTO
        next_instruction:
            in = pc++;
            goto* dispatch[static_cast<size_t>(in->op)];
#else
            in = pc++;
#endif
            switch (in->op) {
                CASE(MOVE)
                R[in->a] = R[in->b];
                NEXT;
                CASE(LOADK)
                R[in->a] = K[in->b];
                NEXT;
                CASE(LOADINT)
                R[in->a].SetInt(in->Sbx());
                NEXT;
                CASE(LOADBOOL)
                R[in->a].SetBool(in->b != 0);
                NEXT;
                CASE(LOADDEF)
                R[in->a] = DefaultValue(static_cast<DeclType>(in->b), *ctx.heap);
                NEXT;
                CASE(GETGLOBAL)
                R[in->a] = stack[in->b];
                NEXT;
                CASE(SETGLOBAL)
                stack[in->b] = R[in->a];
                NEXT;
                CASE(NEWLIST) {
                    ListObj* list = ctx.heap->NewList();
                    Value made = Value::List(list);
                    list->items.assign(R + in->b, R + in->b + in->c);
                    R[in->a] = std::move(made);
                    NEXT;
                }
                CASE(ADD) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    if (b.type == ValueType::Int && c.type == ValueType::Int && in->x <= kIntResult)
                        R[in->a].SetInt(WrapAdd(b.AsInt(), c.AsInt()));
                    else if (b.type == ValueType::Float && c.type == ValueType::Float &&
                             (in->x == 0 || in->x == kFloatResult))
                        R[in->a].SetFloat(b.AsFloat() + c.AsFloat());
                    else
                        Arithmetic(*in, R[in->a], b, c, pc);
                    NEXT;
                }
                CASE(SUB) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    if (b.type == ValueType::Int && c.type == ValueType::Int && in->x <= kIntResult)
                        R[in->a].SetInt(WrapSub(b.AsInt(), c.AsInt()));
                    else
                        Arithmetic(*in, R[in->a], b, c, pc);
                    NEXT;
                }
                CASE(MUL) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    if (b.type == ValueType::Int && c.type == ValueType::Int && in->x <= kIntResult)
                        R[in->a].SetInt(WrapMul(b.AsInt(), c.AsInt()));
                    else
                        Arithmetic(*in, R[in->a], b, c, pc);
                    NEXT;
                }
                CASE(MOD) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    if (b.type == ValueType::Int && c.type == ValueType::Int && c.AsInt() > 0 &&
                        in->x <= kIntResult)
                        R[in->a].SetInt(b.AsInt() % c.AsInt());
                    else
                        Arithmetic(*in, R[in->a], b, c, pc);
                    NEXT;
                }
                CASE(ADDI) {
                    const Value& b = R[in->b];
                    if (b.type == ValueType::Int && in->x <= kIntResult)
                        R[in->a].SetInt(WrapAdd(b.AsInt(), IMM()));
                    else
                        ArithmeticImmediate(Op::ADD, R[in->a], b, pc);
                    NEXT;
                }
                CASE(SUBI) {
                    const Value& b = R[in->b];
                    if (b.type == ValueType::Int && in->x <= kIntResult)
                        R[in->a].SetInt(WrapSub(b.AsInt(), IMM()));
                    else
                        ArithmeticImmediate(Op::SUB, R[in->a], b, pc);
                    NEXT;
                }
                CASE(MODI) {
                    const Value& b = R[in->b];
                    if (b.type == ValueType::Int && IMM() > 0 && in->x <= kIntResult)
                        R[in->a].SetInt(b.AsInt() % IMM());
                    else
                        ArithmeticImmediate(Op::MOD, R[in->a], b, pc);
                    NEXT;
                }
                CASE(DIV) {
                    Arithmetic(*in, R[in->a], RK(in->b), RK(in->c), pc);
                    NEXT;
                }
                CASE(EQ)
                CASE(NE)
                CASE(LT)
                CASE(LE)
                CASE(GT)
                CASE(GE)
                BinaryOp(in->op, R[in->a], RK(in->b), RK(in->c), maxString);
                NEXT;
                CASE(NOT)
                R[in->a].SetBool(!Truth(R[in->b]));
                NEXT;
                CASE(NEG) {
                    const Value& b = R[in->b];
                    if (b.type == ValueType::Float)
                        R[in->a].SetFloat(-b.AsFloat());
                    else if (b.type == ValueType::Int || b.type == ValueType::Bool)
                        R[in->a].SetInt(WrapSub(0, b.AsInt()));
                    else
                        throw ScriptError{std::string("cannot negate a ") + TypeName(b.type)};
                    NEXT;
                }
                CASE(TRUTH)
                R[in->a].SetBool(Truth(R[in->b]));
                NEXT;
                CASE(JMP) {
                    int32_t offset = in->Sbx();
                    pc += offset;
                    if (offset < 0 && --budget <= 0)
                        budget = Poll();
                    NEXT;
                }
                CASE(JT)
                CASE(JF) {
                    if (Truth(R[in->a]) == (in->op == Op::JT)) {
                        int32_t offset = in->Sbx();
                        pc += offset;
                        if (offset < 0 && --budget <= 0)
                            budget = Poll();
                    }
                    NEXT;
                }
                CASE(JEQ)
                CASE(JNE) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    bool equal = b.type == ValueType::Int && c.type == ValueType::Int
                                     ? b.AsInt() == c.AsInt()
                                     : ValuesEqual(b, c);
                    bool holds = in->op == Op::JEQ ? equal : !equal;
                    if (holds == (in->x != 0))
                        JUMP_FOLLOWING();
                    else
                        ++pc;
                    NEXT;
                }
                CASE(JLT)
                CASE(JLE) {
                    const Value& b = RK(in->b);
                    const Value& c = RK(in->c);
                    bool holds;
                    if (b.type == ValueType::Int && c.type == ValueType::Int)
                        holds = in->op == Op::JLT ? b.AsInt() < c.AsInt() : b.AsInt() <= c.AsInt();
                    else
                        holds = LessThan(b, c, in->op == Op::JLE);
                    if (holds == (in->x != 0))
                        JUMP_FOLLOWING();
                    else
                        ++pc;
                    NEXT;
                }
                CASE(JLTI) {
                    const Value& b = R[in->b];
                    BRANCH_IF((b.type == ValueType::Int
                                   ? b.AsInt() < IMM()
                                   : CompareImmediate(Op::JLTI, b, IMM())) == (in->x != 0));
                    NEXT;
                }
                CASE(JLEI) {
                    const Value& b = R[in->b];
                    BRANCH_IF((b.type == ValueType::Int
                                   ? b.AsInt() <= IMM()
                                   : CompareImmediate(Op::JLEI, b, IMM())) == (in->x != 0));
                    NEXT;
                }
                CASE(JGTI) {
                    const Value& b = R[in->b];
                    BRANCH_IF((b.type == ValueType::Int
                                   ? b.AsInt() > IMM()
                                   : CompareImmediate(Op::JGTI, b, IMM())) == (in->x != 0));
                    NEXT;
                }
                CASE(JGEI) {
                    const Value& b = R[in->b];
                    BRANCH_IF((b.type == ValueType::Int
                                   ? b.AsInt() >= IMM()
                                   : CompareImmediate(Op::JGEI, b, IMM())) == (in->x != 0));
                    NEXT;
                }
                CASE(CALL) {
                    const Proto* callee = &program.functions[in->b];
                    if (frames.size() >= limits.maxCallDepth)
                        throw ScriptError{"runaway recursion (more than " +
                                          std::to_string(limits.maxCallDepth) + " nested calls)"};
                    if (--budget <= 0)
                        budget = Poll();
                    size_t base = f->base + in->a;
                    size_t needed = base + static_cast<size_t>(callee->frameSize);
                    f->pc = pc;
                    if (needed > stack.size())
                        GrowStack(needed);
                    tessera_assert(needed <= stack.size());
                    frames.push_back({callee, callee->code.data(), base});
                    RELOAD();
                    pc = f->pc;
                    NEXT;
                }
                CASE(RET) {
                    if (in->x) {
                        if (in->a != 0)
                            R[0] = std::move(R[in->a]);
                    } else {
                        R[0] = DefaultValue(f->proto->result, *ctx.heap);
                    }
                    tessera_assert(frames.size() > 1); // the top-level code ends by END
                    size_t depth = frames.size() - 1;
                    while (!handlers.empty() && handlers.back().frame >= depth)
                        handlers.pop_back();
                    frames.pop_back();
                    RELOAD();
                    pc = f->pc;
                    NEXT;
                }
                CASE(CALLB) {
                    const BuiltinInfo& info = builtins[in->b];
                    Value result;
                    f->pc = pc;
                    try {
                        info.fn(ctx, R + in->a, in->c, result);
                    } catch (ScriptError& e) {
                        e.message = std::string(info.name) + ": " + e.message;
                        throw;
                    }
                    R[in->a] = std::move(result);
                    NEXT;
                }
                CASE(CALLB1) {
                    const BuiltinInfo& info = builtins[in->c];
                    Value result;
                    f->pc = pc;
                    try {
                        info.fn(ctx, R + in->b, 1, result);
                    } catch (ScriptError& e) {
                        e.message = std::string(info.name) + ": " + e.message;
                        throw;
                    }
                    R[in->a] = std::move(result);
                    NEXT;
                }
                CASE(CALLB2) {
                    const BuiltinInfo& info = builtins[in->x];
                    Value args[2] = {R[in->b], R[in->c]};
                    Value result;
                    f->pc = pc;
                    try {
                        info.fn(ctx, args, 2, result);
                    } catch (ScriptError& e) {
                        e.message = std::string(info.name) + ": " + e.message;
                        throw;
                    }
                    R[in->a] = std::move(result);
                    NEXT;
                }
                CASE(LEN) {
                    const Value& v = R[in->b];
                    if (v.type == ValueType::List) {
                        R[in->a].SetInt(static_cast<int64_t>(v.AsList()->items.size()));
                        NEXT;
                    }
                    if (v.type == ValueType::Str && in->x) {
                        R[in->a].SetInt(static_cast<int64_t>(v.AsStr().size()));
                        NEXT;
                    }
                    const BuiltinInfo& info = builtins[in->c];
                    Value result;
                    f->pc = pc;
                    try {
                        info.fn(ctx, R + in->b, 1, result);
                    } catch (ScriptError& e) {
                        e.message = std::string(info.name) + ": " + e.message;
                        throw;
                    }
                    R[in->a] = std::move(result);
                    NEXT;
                }
                CASE(CALLX) {
                    const std::string& name = K[in->b].AsStr();
                    Value result;
                    f->pc = pc;
                    bool found;
                    try {
                        found = host.CallExternal(name, R + in->a, in->c, result);
                    } catch (ScriptError& e) {
                        e.message = name + ": " + e.message;
                        throw;
                    }
                    if (!found)
                        throw ScriptError{"unknown function '" + name + "'"};
                    R[in->a] = std::move(result);
                    NEXT;
                }
                CASE(GETINDEX) {
                    const Value& base = R[in->b];
                    const Value& index = RK(in->c);
                    if (base.type == ValueType::List) {
                        const auto& items = base.AsList()->items;
                        int64_t i = IndexOf(index);
                        if (i < 0 || static_cast<uint64_t>(i) >= items.size())
                            IndexError(i, items.size(), "list");
                        Value item = items[static_cast<size_t>(i)];
                        R[in->a] = std::move(item);
                    } else if (base.type == ValueType::Str) {
                        const std::string& text = base.AsStr();
                        int64_t i = IndexOf(index);
                        if (i < 0 || static_cast<uint64_t>(i) >= text.size())
                            IndexError(i, text.size(), "string");
                        R[in->a] = Value::Str(std::string(1, text[static_cast<size_t>(i)]));
                    } else {
                        throw ScriptError{std::string("cannot index a ") + TypeName(base.type)};
                    }
                    NEXT;
                }
                CASE(SETINDEX) {
                    const Value& base = R[in->a];
                    if (base.type != ValueType::List)
                        throw ScriptError{
                            base.type == ValueType::Str
                                ? std::string("cannot assign to a character of a string")
                                : std::string("cannot index a ") + TypeName(base.type)};
                    auto& items = base.AsList()->items;
                    int64_t i = IndexOf(RK(in->b));
                    if (i < 0 || static_cast<uint64_t>(i) >= items.size())
                        IndexError(i, items.size(), "list");
                    items[static_cast<size_t>(i)] = RK(in->c);
                    NEXT;
                }
                CASE(CONV)
                ConvertTo(R[in->a], static_cast<DeclType>(in->b), K[in->c].AsStr());
                NEXT;
                CASE(FORIN) {
                    const Value& seq = R[in->a];
                    Value& position = R[in->a + 1];
                    int64_t i = position.AsInt();
                    bool more;
                    if (seq.type == ValueType::List) {
                        const auto& items = seq.AsList()->items;
                        more = static_cast<uint64_t>(i) < items.size();
                        if (more) {
                            Value item = items[static_cast<size_t>(i)];
                            R[in->b] = std::move(item);
                        }
                    } else if (seq.type == ValueType::Str) {
                        const std::string& text = seq.AsStr();
                        more = static_cast<uint64_t>(i) < text.size();
                        if (more)
                            R[in->b] = Value::Str(std::string(1, text[static_cast<size_t>(i)]));
                    } else {
                        throw ScriptError{std::string("cannot loop over a ") + TypeName(seq.type)};
                    }
                    if (more) {
                        position.SetInt(i + 1);
                        ++pc;
                    } else {
                        pc += 1 + pc->Sbx();
                    }
                    NEXT;
                }
                CASE(FORINC) {
                    Value& counter = R[in->a];
                    const int64_t step = static_cast<int32_t>(in->b);
                    const int compare = in->x & 3;
                    bool holds;
                    if (counter.type == ValueType::Int &&
                        ((in->x & kForLimitImmediate) || RK(in->c).type == ValueType::Int)) {
                        int64_t i = WrapAdd(counter.AsInt(), step);
                        counter.i = i;
                        int64_t n = (in->x & kForLimitImmediate) ? IMM() : RK(in->c).AsInt();
                        holds = compare == 0   ? i < n
                                : compare == 1 ? i <= n
                                : compare == 2 ? i > n
                                               : i >= n;
                    } else {
                        ForStepSlow(counter, step);
                        Value limit = (in->x & kForLimitImmediate) ? Value::Int(IMM()) : RK(in->c);
                        holds = compare < 2 ? LessThan(counter, limit, compare == 1)
                                            : LessThan(limit, counter, compare == 3);
                    }
                    BRANCH_IF(holds);
                    NEXT;
                }
                CASE(TRY)
                handlers.push_back({frames.size() - 1, pc + 1 + pc->Sbx(), in->a});
                ++pc;
                NEXT;
                CASE(ENDTRY)
                if (!handlers.empty())
                    handlers.pop_back();
                NEXT;
                CASE(THROW)
                throw ScriptError{ToText(R[in->a])};
                CASE(EXIT) {
                    int64_t status = 0;
                    if (in->x) {
                        Value v = R[in->a];
                        if (v.type == ValueType::Str || v.type == ValueType::List)
                            throw ScriptError{std::string("exit needs an int status, not a ") +
                                              TypeName(v.type)};
                        ConvertTo(v, DeclType::Int, "exit status");
                        status = v.AsInt();
                    }
                    throw ExitSignal{status};
                }
                CASE(DLL)
                CASE(UNLOAD) {
                    const Value& path = R[in->a];
                    if (path.type != ValueType::Str)
                        throw ScriptError{std::string(in->op == Op::DLL ? "dll" : "unload") +
                                          " needs a file name, not a " + TypeName(path.type)};
                    f->pc = pc;
                    std::string name = path.AsStr();
                    if (in->op == Op::DLL)
                        host.LoadLibrary(name);
                    else
                        host.UnloadLibrary(name);
                    NEXT;
                }
                CASE(END)
                f->pc = pc;
                return;
            }
        }
    } catch (...) {
        frames.back().pc = pc;
        pollBudget = budget;
        throw;
    }
}

} // namespace tessera
