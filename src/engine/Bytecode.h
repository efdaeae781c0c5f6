#pragma once
// The compiled form of a script: register bytecode, one Proto per function
// plus one for the top-level code.
//
// Every instruction is 12 bytes: an opcode, a small flag `x`, a 16-bit
// register operand a and two 32-bit operands b, c, so that constant, global
// and function indexes of scripts with millions of lines fit. R[n] is
// register n of the current frame. RK(n) is R[n] when n < kConstFlag, else
// constant K[n - kConstFlag]. G[n] is global n. Jump offsets `sbx` are
// signed 32-bit, held in b, and count from the instruction after the jump. A "+J" opcode is
// followed by one JMP word holding its target; it either takes that jump or skips it.
//
// The top-level code runs in frame 0 and its first registers are the
// globals, so top-level code reads and writes them as plain registers while
// functions reach them through GETGLOBAL / SETGLOBAL.
//
//   opcode      operands        effect
//   MOVE        a b             R[a] = R[b]
//   LOADK       a b             R[a] = K[b]
//   LOADINT     a sbx           R[a] = sbx
//   LOADBOOL    a b             R[a] = (b != 0)
//   LOADDEF     a b             R[a] = default value of DeclType b
//   GETGLOBAL   a b             R[a] = G[b]
//   SETGLOBAL   a b             G[b] = R[a]
//   NEWLIST     a b c           R[a] = [R[b], ..., R[b+c-1]]
//   ADD..MOD    a b c x         R[a] = RK(b) op RK(c); ADD concatenates strings and
//                               appends in place when R[a] is RK(b) and not shared;
//                               x > 0 converts the result to DeclType x-1 first
//   ADDI, SUBI, MODI  a b c x   R[a] = R[b] op c, with c a signed 32-bit int constant;
//                               otherwise as ADD, SUB, MOD (x included)
//   EQ..GE      a b c           R[a] = RK(b) cmp RK(c)
//   NOT, NEG    a b             R[a] = !R[b], -R[b]
//   TRUTH       a b             R[a] = R[b] as a condition (bool)
//   JMP         sbx             pc += sbx; a backward jump polls the stop flag
//   JT, JF      a sbx           jump if R[a] is true / false as a condition
//   JEQ..JLE    x b c +J        jump if (RK(b) cmp RK(c)) == x
//   JLTI..JGEI  x b c +J        jump if (R[b] cmp c) == x, with c a signed 32-bit int constant
//                               (<, <=, >, >=)
//   CALL        a b c           R[a] = function b (R[a], ..., R[a+c-1])
//   CALLB       a b c           R[a] = builtin b (R[a], ..., R[a+c-1])
//   CALLB1      a b c           R[a] = builtin c (R[b]): one argument already in a register
//   CALLB2      a b c x         R[a] = builtin x (R[b], R[c]): two arguments in registers
//   LEN         a b c x         R[a] = length of the list R[b], or of the string R[b] when
//                               x = 1 (Len); builtin c (Count or Len) for anything else
//   CALLX       a b c           R[a] = external function named K[b] (R[a], ...)
//   RET         a x             return R[a] (x = 1) or the function's default
//   GETINDEX    a b c           R[a] = R[b][RK(c)]
//   SETINDEX    a b c           R[a][RK(b)] = RK(c)
//   CONV        a b c           convert R[a] to DeclType b for variable named K[c]
//   FORIN       a b +J          R[a] is the sequence, R[a+1] the position: if more,
//                               R[b] = next element and fall through, else jump
//   FORINC      a b c x +J      R[a] += b (a signed 32-bit step); jump if R[a] cmp limit,
//                               cmp by x & 3: 0 <, 1 <=, 2 >, 3 >=; the limit is c as a
//                               signed 32-bit int when x & 4, else RK(c) (the step and test
//                               of a counting for loop)
//   TRY         a +J            catch errors into R[a] and continue at the jump target
//   ENDTRY                      drop the innermost catch of this frame
//   THROW       a               raise R[a] as an error
//   EXIT        a x             end the script with status R[a] (x = 1) or 0
//   DLL, UNLOAD a               load / unload the external library named R[a]
//   END                         end of the top-level code

#include "engine/PodVector.h"
#include "engine/Value.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace tessera {

// clang-format off
#define TESSERA_OPCODES(X) \
    X(MOVE) \
    X(LOADK) \
    X(LOADINT) \
    X(LOADBOOL) \
    X(LOADDEF) \
    X(GETGLOBAL) \
    X(SETGLOBAL) \
    X(NEWLIST) \
    X(ADD) \
    X(SUB) \
    X(MUL) \
    X(DIV) \
    X(MOD) \
    X(ADDI) \
    X(SUBI) \
    X(MODI) \
    X(EQ) \
    X(NE) \
    X(LT) \
    X(LE) \
    X(GT) \
    X(GE) \
    X(NOT) \
    X(NEG) \
    X(TRUTH) \
    X(JMP) \
    X(JT) \
    X(JF) \
    X(JEQ) \
    X(JNE) \
    X(JLT) \
    X(JLE) \
    X(JLTI) \
    X(JLEI) \
    X(JGTI) \
    X(JGEI) \
    X(CALL) \
    X(CALLB) \
    X(CALLB1) \
    X(CALLB2) \
    X(LEN) \
    X(CALLX) \
    X(RET) \
    X(GETINDEX) \
    X(SETINDEX) \
    X(CONV) \
    X(FORIN) \
    X(FORINC) \
    X(TRY) \
    X(ENDTRY) \
    X(THROW) \
    X(EXIT) \
    X(DLL) \
    X(UNLOAD) \
    X(END)
// clang-format on

enum class Op : uint8_t {
#define TESSERA_OP_ENUM(name) name,
    TESSERA_OPCODES(TESSERA_OP_ENUM)
#undef TESSERA_OP_ENUM
};

const char* OpName(Op op);

// ADD..MOD and their immediate forms: the instructions whose x converts the result.
inline bool IsArithmetic(Op op) {
    return op >= Op::ADD && op <= Op::MODI;
}

constexpr uint32_t kConstFlag = 0x80000000u;
constexpr int kForLimitImmediate = 4; // FORINC's x: the limit is the immediate c
// Register operands are 16 bits wide (a); past these limits compiling fails
// with a clear error rather than wrapping an index.
constexpr int kMaxRegisters = 0x7fff;
constexpr int kMaxConstants = 1 << 28;
constexpr int kMaxFunctions = 1 << 28;
constexpr int kMaxInstructions = 1 << 30; // keeps every jump offset inside int32

struct Instr {
    // No member initialisers: a trivial type grows and copies with memmove.
    Op op;
    uint8_t x;
    uint16_t a;
    uint32_t b;
    uint32_t c;

    int32_t Sbx() const { return static_cast<int32_t>(b); }
    void SetSbx(int32_t offset) { b = static_cast<uint32_t>(offset); }
};
static_assert(sizeof(Instr) == 12);
static_assert(std::is_trivial_v<Instr>);

// From instruction `start` on, until the next run, code came from this file
// (an index into Program::files): included files' statements share a proto.
struct FileRun {
    uint32_t start;
    uint32_t file;
};

struct Proto {
    std::string name; // "" for the top-level code
    DeclType result = DeclType::Void;
    std::vector<DeclType> params;
    int frameSize = 0; // registers needed
    PodVector<Instr> code;
    PodVector<uint32_t> lines; // the source line of each instruction
    std::vector<FileRun> fileRuns;
    // Where CALLX instructions were emitted, so that a run checks its
    // external functions without walking all the code (an index whose
    // instruction was taken back is no longer CALLX and is passed over).
    PodVector<uint32_t> externalCalls;
    std::vector<Value> constants;
    // Arithmetic instructions whose x names a result type: the variable
    // they store into, for the message when the conversion fails.
    std::unordered_map<uint32_t, std::string> conversionTargets;

    // Appends one instruction with where it came from.
    size_t Append(const Instr& in, uint32_t line, uint32_t file) {
        if (fileRuns.empty() || fileRuns.back().file != file)
            fileRuns.push_back({static_cast<uint32_t>(code.size()), file});
        code.push_back(in);
        lines.push_back(line);
        return code.size() - 1;
    }
    // Takes back the instructions from `size` on.
    void TruncateCode(size_t size) {
        code.resize(size);
        lines.resize(size);
        while (!fileRuns.empty() && fileRuns.back().start >= size)
            fileRuns.pop_back();
    }
    // The file instruction `index` came from.
    uint32_t FileAt(size_t index) const {
        auto after = std::upper_bound(fileRuns.begin(), fileRuns.end(), index,
                                      [](size_t at, const FileRun& run) { return at < run.start; });
        return after == fileRuns.begin() ? 0 : std::prev(after)->file;
    }
};

struct Program {
    std::vector<std::string> files; // files[0] is the script itself
    std::vector<Proto> functions;
    Proto main;
    int globalCount = 0;
    int argsGlobal = -1; // global index of `args`
    std::vector<DeclType> globalTypes;
    std::vector<std::string> globalNames;
    std::vector<std::string> usedFiles; // names given to `use`
    bool loadsLibraries = false;        // the script has dll statements
};

// Readable listing of a program, one instruction per line.
std::string Disassemble(const Program& program);

} // namespace tessera
