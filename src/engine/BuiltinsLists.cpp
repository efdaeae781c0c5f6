// Builtins for lists and text beyond the first set: sorting, searching,
// prefixes and padding.
#include "engine/Builtins.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tessera {

namespace {

// A new list holding `count` slots' worth of room, owned by `result`.
ListObj* NewResultList(BuiltinContext& ctx, Value& result, size_t count) {
    ListObj* list = ctx.heap->NewList();
    result = Value::List(list);
    list->items.reserve(count);
    return list;
}

// Numbers (bools count as numbers) sort before strings; numbers by value,
// strings by bytes. A list has no place in the order.
int CompareForSort(const Value& a, const Value& b) {
    const bool aText = a.type == ValueType::Str, bText = b.type == ValueType::Str;
    if (aText != bText)
        return aText ? 1 : -1;
    if (aText)
        return a.AsStr().compare(b.AsStr());
    auto number = [](const Value& v) {
        return v.type == ValueType::Float ? v.AsFloat() : static_cast<double>(v.AsInt());
    };
    if (a.type != ValueType::Float && b.type != ValueType::Float)
        return a.AsInt() < b.AsInt() ? -1 : a.AsInt() > b.AsInt();
    const double x = number(a), y = number(b);
    // NaN after every other number, so the order stays strict.
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) - std::isnan(y);
    return x < y ? -1 : x > y;
}

void Sort(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const ListObj* source = ArgList(args, 0);
    const bool descending = argc > 1 && ArgInt(args, 1) != 0;
    std::vector<Value> items(source->items.begin(), source->items.end());
    for (size_t k = 0; k < items.size(); ++k)
        if (items[k].type == ValueType::List)
            throw ScriptError{"element " + std::to_string(k) + " is a list, which has no order"};
    std::stable_sort(items.begin(), items.end(), [descending](const Value& a, const Value& b) {
        return descending ? CompareForSort(b, a) < 0 : CompareForSort(a, b) < 0;
    });
    ListObj* list = NewResultList(ctx, result, items.size());
    for (Value& item : items)
        list->items.push_back(std::move(item));
}

// A list back to front, or a string's characters (UTF-8 sequences kept whole).
void Reverse(BuiltinContext& ctx, Value* args, int, Value& result) {
    if (args[0].type == ValueType::Str) {
        const std::string& s = args[0].AsStr();
        std::string out;
        out.reserve(s.size());
        for (size_t end = s.size(); end > 0;) {
            size_t start = end - 1;
            while (start > 0 && end - start < 4 &&
                   (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
                --start;
            out.append(s, start, end - start);
            end = start;
        }
        return SetStr(result, std::move(out), ctx);
    }
    const ListObj* source = ArgList(args, 0);
    std::vector<Value> items(source->items.begin(), source->items.end());
    ListObj* list = NewResultList(ctx, result, items.size());
    for (auto item = items.rbegin(); item != items.rend(); ++item)
        list->items.push_back(std::move(*item));
}

int64_t IndexIn(const ListObj* list, const Value& wanted) {
    for (size_t k = 0; k < list->items.size(); ++k)
        if (ValuesEqual(list->items[k], wanted))
            return static_cast<int64_t>(k);
    return -1;
}

void IndexOf(BuiltinContext&, Value* args, int, Value& result) {
    result.SetInt(IndexIn(ArgList(args, 0), args[1]));
}

// A substring of a string, or an element of a list.
void Contains(BuiltinContext&, Value* args, int, Value& result) {
    if (args[0].type == ValueType::List)
        return result.SetBool(IndexIn(args[0].AsList(), args[1]) >= 0);
    result.SetBool(ArgStr(args, 0).find(ArgStr(args, 1)) != std::string::npos);
}

void StartsWith(BuiltinContext&, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const std::string& prefix = ArgStr(args, 1);
    result.SetBool(s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0);
}

void EndsWith(BuiltinContext&, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const std::string& suffix = ArgStr(args, 1);
    result.SetBool(s.size() >= suffix.size() &&
                   s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0);
}

void Repeat(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const int64_t n = ArgInt(args, 1);
    if (n < 0)
        throw ScriptError{"the count " + std::to_string(n) + " is negative"};
    if (!s.empty() && static_cast<uint64_t>(n) > ctx.maxString / s.size())
        throw ScriptError{"result too long"};
    std::string text;
    text.reserve(s.size() * static_cast<size_t>(n));
    for (int64_t k = 0; k < n; ++k)
        text += s;
    SetStr(result, std::move(text), ctx);
}

size_t CharacterCount(const std::string& s) {
    return Utf8CharacterCount(s);
}

// Pads to `n` characters with one fill character (a space unless given).
void Pad(BuiltinContext& ctx, Value* args, int argc, Value& result, bool left) {
    const std::string& s = ArgStr(args, 0);
    const int64_t n = ArgInt(args, 1);
    std::string fill = " ";
    if (argc > 2) {
        fill = ArgStr(args, 2);
        if (CharacterCount(fill) != 1)
            throw ScriptError{"the fill '" + fill + "' is not one character"};
    }
    const size_t have = CharacterCount(s);
    if (n <= 0 || static_cast<uint64_t>(n) <= have)
        return SetStr(result, s, ctx);
    const size_t missing = static_cast<size_t>(n) - have;
    if (missing > ctx.maxString / fill.size() || s.size() + missing * fill.size() > ctx.maxString)
        throw ScriptError{"result too long"};
    std::string padding;
    padding.reserve(missing * fill.size());
    for (size_t k = 0; k < missing; ++k)
        padding += fill;
    SetStr(result, left ? padding + s : s + padding, ctx);
}

void PadLeft(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    Pad(ctx, args, argc, result, true);
}

void PadRight(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    Pad(ctx, args, argc, result, false);
}

} // namespace

const BuiltinInfo kListBuiltins[] = {
    {"Sort", 1, 2, DeclType::List, Sort},
    {"Reverse", 1, 1, DeclType::Var, Reverse},
    {"IndexOf", 2, 2, DeclType::Int, IndexOf},
    {"Contains", 2, 2, DeclType::Bool, Contains},
    {"StartsWith", 2, 2, DeclType::Bool, StartsWith},
    {"EndsWith", 2, 2, DeclType::Bool, EndsWith},
    {"Repeat", 2, 2, DeclType::Str, Repeat},
    {"PadLeft", 2, 3, DeclType::Str, PadLeft},
    {"PadRight", 2, 3, DeclType::Str, PadRight},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
