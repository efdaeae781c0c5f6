#include "engine/Operations.h"

#include <cmath>

namespace tessera {

namespace {

const char* OpSymbol(Op op) {
    switch (op) {
    case Op::ADD:
        return "+";
    case Op::SUB:
        return "-";
    case Op::MUL:
        return "*";
    case Op::DIV:
        return "/";
    case Op::MOD:
        return "%";
    case Op::LT:
        return "<";
    case Op::LE:
        return "<=";
    case Op::GT:
        return ">";
    case Op::GE:
        return ">=";
    default:
        return "?";
    }
}

[[noreturn]] void OperandError(Op op, const Value& a, const Value& b) {
    throw ScriptError{std::string("cannot apply '") + OpSymbol(op) + "' to " + TypeName(a.type) +
                      " and " + TypeName(b.type)};
}

// Numbers for arithmetic; bools count as 0 and 1, as in C.
bool Numeric(const Value& v) {
    return v.type <= ValueType::Bool;
}
double AsDouble(const Value& v) {
    return v.type == ValueType::Float ? v.AsFloat() : static_cast<double>(v.AsInt());
}

void CheckLength(size_t length, size_t maxString) {
    if (length > maxString)
        throw ScriptError{"string too long (more than " + std::to_string(maxString) + " bytes)"};
}

} // namespace

void AppendInPlace(Value& dst, const Value& b, size_t maxString) {
    std::string& text = dst.StrObject()->text;
    if (b.type == ValueType::Str) {
        CheckLength(text.size() + b.AsStr().size(), maxString);
        text += b.AsStr();
        return;
    }
    std::string piece = ToText(b);
    CheckLength(text.size() + piece.size(), maxString);
    text += piece;
}

void BinaryOp(Op op, Value& dst, const Value& a, const Value& b, size_t maxString) {
    switch (op) {
    case Op::ADD:
        if (a.type == ValueType::Str || b.type == ValueType::Str) {
            if (&dst == &a && a.type == ValueType::Str && a.StrObject()->refs == 1) {
                AppendInPlace(dst, b, maxString);
                return;
            }
            // Measure before copying, so an oversized result costs nothing.
            std::string leftText = a.type == ValueType::Str ? std::string() : ToText(a);
            std::string rightText = b.type == ValueType::Str ? std::string() : ToText(b);
            const std::string& left = a.type == ValueType::Str ? a.AsStr() : leftText;
            const std::string& right = b.type == ValueType::Str ? b.AsStr() : rightText;
            CheckLength(left.size() + right.size(), maxString);
            std::string joined;
            joined.reserve(left.size() + right.size());
            joined += left;
            joined += right;
            dst = Value::Str(std::move(joined));
            return;
        }
        [[fallthrough]];
    case Op::SUB:
    case Op::MUL:
    case Op::DIV:
    case Op::MOD: {
        if (!Numeric(a) || !Numeric(b))
            OperandError(op, a, b);
        if (a.type != ValueType::Float && b.type != ValueType::Float) {
            int64_t x = a.AsInt(), y = b.AsInt();
            switch (op) {
            case Op::ADD:
                return dst.SetInt(WrapAdd(x, y));
            case Op::SUB:
                return dst.SetInt(WrapSub(x, y));
            case Op::MUL:
                return dst.SetInt(WrapMul(x, y));
            case Op::DIV:
                if (y == 0)
                    throw ScriptError{"division by zero"};
                return dst.SetInt(y == -1 ? WrapSub(0, x) : x / y);
            default:
                if (y == 0)
                    throw ScriptError{"division by zero"};
                return dst.SetInt(y == -1 ? 0 : x % y);
            }
        }
        double x = AsDouble(a), y = AsDouble(b);
        switch (op) {
        case Op::ADD:
            return dst.SetFloat(x + y);
        case Op::SUB:
            return dst.SetFloat(x - y);
        case Op::MUL:
            return dst.SetFloat(x * y);
        case Op::DIV:
            if (y == 0)
                throw ScriptError{"division by zero"};
            return dst.SetFloat(x / y);
        default:
            if (y == 0)
                throw ScriptError{"division by zero"};
            return dst.SetFloat(std::fmod(x, y));
        }
    }
    case Op::EQ:
        return dst.SetBool(ValuesEqual(a, b));
    case Op::NE:
        return dst.SetBool(!ValuesEqual(a, b));
    case Op::LT:
        return dst.SetBool(LessThan(a, b, false));
    case Op::LE:
        return dst.SetBool(LessThan(a, b, true));
    case Op::GT:
        return dst.SetBool(LessThan(b, a, false));
    case Op::GE:
        return dst.SetBool(LessThan(b, a, true));
    default:
        throw ScriptError{"bad operator"};
    }
}

bool LessThan(const Value& a, const Value& b, bool orEqual) {
    if (Numeric(a) && Numeric(b)) {
        if (a.type != ValueType::Float && b.type != ValueType::Float)
            return orEqual ? a.AsInt() <= b.AsInt() : a.AsInt() < b.AsInt();
        return orEqual ? AsDouble(a) <= AsDouble(b) : AsDouble(a) < AsDouble(b);
    }
    if (a.type == ValueType::Str && b.type == ValueType::Str) {
        int c = a.AsStr().compare(b.AsStr());
        return orEqual ? c <= 0 : c < 0;
    }
    throw ScriptError{std::string("cannot compare ") + TypeName(a.type) + " with " +
                      TypeName(b.type)};
}

bool Truth(const Value& v) {
    switch (v.type) {
    case ValueType::Bool:
    case ValueType::Int:
        return v.AsInt() != 0;
    case ValueType::Float:
        return v.AsFloat() != 0;
    default:
        throw ScriptError{std::string("a ") + TypeName(v.type) + " cannot be used as a condition"};
    }
}

int64_t FloatToInt(double f, const char* what) {
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!(f > -9223372036854775808.0 - 1024 && f < 9223372036854775808.0))
        throw ScriptError{std::string(what) + " " + FormatFloat(f) + " does not fit in an int"};
    if (f <= -9223372036854775808.0)
        return INT64_MIN;
    return static_cast<int64_t>(f);
}

void ConvertTo(Value& v, DeclType type, const std::string& target) {
    switch (type) {
    case DeclType::Var:
    case DeclType::Void:
        return;
    case DeclType::Int:
        if (v.type == ValueType::Int)
            return;
        if (v.type == ValueType::Float)
            return v.SetInt(FloatToInt(v.AsFloat(), "float"));
        if (v.type == ValueType::Bool)
            return v.SetInt(v.AsInt());
        break;
    case DeclType::Float:
        if (v.type == ValueType::Float)
            return;
        if (v.type == ValueType::Int || v.type == ValueType::Bool)
            return v.SetFloat(static_cast<double>(v.AsInt()));
        break;
    case DeclType::Bool:
        if (v.type == ValueType::Bool)
            return;
        if (v.type == ValueType::Int)
            return v.SetBool(v.AsInt() != 0);
        if (v.type == ValueType::Float)
            return v.SetBool(v.AsFloat() != 0);
        break;
    case DeclType::Str:
        if (v.type == ValueType::Str)
            return;
        break;
    case DeclType::List:
        if (v.type == ValueType::List)
            return;
        break;
    }
    throw ScriptError{std::string("cannot assign ") + TypeName(v.type) + " to " + target};
}

Value DefaultValue(DeclType type, ListHeap& heap) {
    switch (type) {
    case DeclType::Float:
        return Value::Float(0);
    case DeclType::Str:
        return Value::Str("");
    case DeclType::Bool:
        return Value::Bool(false);
    case DeclType::List:
        return Value::List(heap.NewList());
    default:
        return Value::Int(0);
    }
}

} // namespace tessera
