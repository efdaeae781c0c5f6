#pragma once
// Operators on values, shared by the VM and the compiler's constant folding.
// Failures throw ScriptError; the VM adds file and line.

#include "engine/Bytecode.h"
#include "engine/Value.h"

#include <cstdint>
#include <string>

namespace tessera {

// Ends a run at once: a Stop request or the step limit. Not catchable.
struct StopSignal {
    std::string reason;
};

// `exit` unwinds everything with the given status.
struct ExitSignal {
    int64_t status;
};

// Integer arithmetic wraps around, without undefined behaviour.
inline int64_t WrapAdd(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
inline int64_t WrapSub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
inline int64_t WrapMul(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}

// Binary operator `op` (ADD..GE) on any values; `dst` may alias an operand.
// `maxString` bounds the length of a concatenation.
void BinaryOp(Op op, Value& dst, const Value& a, const Value& b, size_t maxString);

// Appends b's text to the string in `dst`, in place when it is not shared.
void AppendInPlace(Value& dst, const Value& b, size_t maxString);

// a < b (or a <= b when `orEqual`) for numbers or for strings.
bool LessThan(const Value& a, const Value& b, bool orEqual);

// Value of a condition: bools and numbers; anything else is an error.
bool Truth(const Value& v);

// Converts `v` in place to a variable's declared type, or throws with
// "cannot assign TYPE to " + `target`.
void ConvertTo(Value& v, DeclType type, const std::string& target);

// Exact int from a float, or an error when it does not fit (NaN, infinity).
int64_t FloatToInt(double f, const char* what);

Value DefaultValue(DeclType type, ListHeap& heap);

} // namespace tessera
