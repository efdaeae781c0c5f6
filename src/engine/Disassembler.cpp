// Readable listing of compiled bytecode, for tests and `tessera --disassemble`.
#include "engine/Bytecode.h"

#include <cstdio>

namespace tessera {

const char* OpName(Op op) {
    static const char* const names[] = {
#define TESSERA_OP_NAME(name) #name,
        TESSERA_OPCODES(TESSERA_OP_NAME)
#undef TESSERA_OP_NAME
    };
    return names[static_cast<size_t>(op)];
}

namespace {

const char* const kCompare[] = {"<", "<=", ">", ">="};

std::string Operand(uint32_t rk, const Proto& proto) {
    if (!(rk & kConstFlag))
        return "R" + std::to_string(rk);
    size_t k = rk & ~kConstFlag;
    if (k >= proto.constants.size())
        return "K?";
    const Value& v = proto.constants[k];
    return v.type == ValueType::Str ? "\"" + v.AsStr() + "\"" : ToText(v);
}

bool IsJumpWord(const Proto& proto, size_t k) {
    if (k == 0 || proto.code[k].op != Op::JMP)
        return false;
    switch (proto.code[k - 1].op) {
    case Op::JEQ:
    case Op::JNE:
    case Op::JLT:
    case Op::JLE:
    case Op::JLTI:
    case Op::JLEI:
    case Op::JGTI:
    case Op::JGEI:
    case Op::FORIN:
    case Op::FORINC:
    case Op::TRY:
        return true;
    default:
        return false;
    }
}

void List(std::string& out, const Proto& proto, const char* title) {
    out += title;
    out += " (registers " + std::to_string(proto.frameSize) + ", constants " +
           std::to_string(proto.constants.size()) + ")\n";
    for (size_t k = 0; k < proto.code.size(); ++k) {
        const Instr& in = proto.code[k];
        char head[48];
        std::snprintf(head, sizeof head, "%5zu  [%4u]  %-9s ", k, proto.lines[k],
                      OpName(in.op));
        std::string line = head;
        auto target = [&](int32_t offset) {
            return "-> " + std::to_string(static_cast<int64_t>(k) + 1 + offset);
        };
        switch (in.op) {
        case Op::MOVE:
        case Op::NOT:
        case Op::NEG:
        case Op::TRUTH:
            line += "R" + std::to_string(in.a) + " R" + std::to_string(in.b);
            break;
        case Op::LOADK:
            line += "R" + std::to_string(in.a) + " " + Operand(in.b | kConstFlag, proto);
            break;
        case Op::LOADINT:
            line += "R" + std::to_string(in.a) + " " + std::to_string(in.Sbx());
            break;
        case Op::LOADBOOL:
            line += "R" + std::to_string(in.a) + (in.b ? " true" : " false");
            break;
        case Op::LOADDEF:
            line += "R" + std::to_string(in.a) + " " + DeclTypeName(static_cast<DeclType>(in.b));
            break;
        case Op::GETGLOBAL:
        case Op::SETGLOBAL:
            line += "R" + std::to_string(in.a) + " G" + std::to_string(in.b);
            break;
        case Op::NEWLIST:
            line += "R" + std::to_string(in.a) + " R" + std::to_string(in.b) + " " +
                    std::to_string(in.c);
            break;
        case Op::ADD:
        case Op::SUB:
        case Op::MUL:
        case Op::DIV:
        case Op::MOD:
        case Op::EQ:
        case Op::NE:
        case Op::LT:
        case Op::LE:
        case Op::GT:
        case Op::GE:
        case Op::GETINDEX:
            line += "R" + std::to_string(in.a) + " " +
                    (in.op == Op::GETINDEX ? "R" + std::to_string(in.b) : Operand(in.b, proto)) +
                    " " + Operand(in.c, proto);
            break;
        case Op::ADDI:
        case Op::SUBI:
        case Op::MODI:
            line += "R" + std::to_string(in.a) + " R" + std::to_string(in.b) + " " +
                    std::to_string(static_cast<int32_t>(in.c));
            break;
        case Op::SETINDEX:
            line += "R" + std::to_string(in.a) + " " + Operand(in.b, proto) + " " +
                    Operand(in.c, proto);
            break;
        case Op::JMP:
            line += IsJumpWord(proto, k) ? "  (target " + target(in.Sbx()) + ")" : target(in.Sbx());
            break;
        case Op::JT:
        case Op::JF:
            line += "R" + std::to_string(in.a) + " " + target(in.Sbx());
            break;
        case Op::JEQ:
        case Op::JNE:
        case Op::JLT:
        case Op::JLE:
            line += Operand(in.b, proto) + " " + Operand(in.c, proto) +
                    (in.x ? " if true" : " if false");
            break;
        case Op::JLTI:
        case Op::JLEI:
        case Op::JGTI:
        case Op::JGEI:
            line += "R" + std::to_string(in.b) + " " + std::to_string(static_cast<int32_t>(in.c)) +
                    (in.x ? " if true" : " if false");
            break;
        case Op::CALL:
        case Op::CALLB:
        case Op::CALLX:
            line += "R" + std::to_string(in.a) + " " +
                    (in.op == Op::CALLX ? Operand(in.b | kConstFlag, proto)
                                        : "#" + std::to_string(in.b)) +
                    " " + std::to_string(in.c);
            break;
        case Op::CALLB2:
            line += "R" + std::to_string(in.a) + " #" + std::to_string(in.x) + " R" +
                    std::to_string(in.b) + " R" + std::to_string(in.c);
            break;
        case Op::LEN:
        case Op::CALLB1:
            line += "R" + std::to_string(in.a) + " #" + std::to_string(in.c) + " R" +
                    std::to_string(in.b);
            break;
        case Op::FORINC:
            line += "R" + std::to_string(in.a) +
                    " += " + std::to_string(static_cast<int32_t>(in.b)) + " " + kCompare[in.x & 3] +
                    " " +
                    (in.x & kForLimitImmediate ? std::to_string(static_cast<int32_t>(in.c))
                                               : Operand(in.c, proto));
            break;
        case Op::CONV:
            line += "R" + std::to_string(in.a) + " " + DeclTypeName(static_cast<DeclType>(in.b));
            break;
        case Op::FORIN:
            line += "R" + std::to_string(in.a) + " R" + std::to_string(in.b);
            break;
        case Op::RET:
        case Op::EXIT:
            line += in.x ? "R" + std::to_string(in.a) : std::string("-");
            break;
        case Op::TRY:
        case Op::THROW:
        case Op::DLL:
        case Op::UNLOAD:
            line += "R" + std::to_string(in.a);
            break;
        case Op::ENDTRY:
        case Op::END:
            break;
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
}

} // namespace

std::string Disassemble(const Program& program) {
    std::string out;
    List(out, program.main, "main");
    for (size_t k = 0; k < program.functions.size(); ++k) {
        const Proto& fn = program.functions[k];
        out += "\n";
        List(out, fn, ("function #" + std::to_string(k) + " " + fn.name).c_str());
    }
    return out;
}

} // namespace tessera
