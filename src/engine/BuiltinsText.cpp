// Builtins for output and input, strings, conversions and lists.
#include "engine/Builtins.h"

#include "engine/Stream.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tessera {

namespace {

std::string JoinArgs(const Value* args, int argc, const BuiltinContext& ctx) {
    std::string text;
    for (int k = 0; k < argc; ++k) {
        AppendText(text, args[k]);
        if (text.size() > ctx.maxString)
            throw ScriptError{"output too long"};
    }
    return text;
}

void Print(BuiltinContext& ctx, Value* args, int argc, Value&) {
    ctx.Write(JoinArgs(args, argc, ctx), true);
}

void Write(BuiltinContext& ctx, Value* args, int argc, Value&) {
    ctx.Write(JoinArgs(args, argc, ctx), false);
}

// Writes the prompt, then asks the input stream for one line.
void Input(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    if (argc > 0)
        ctx.Write(ToText(args[0]), false);
    constexpr int kCapacity = 64 * 1024;
    std::vector<char> buffer(kCapacity, '\0');
    int length = ctx.input ? ctx.input->ReadInput(buffer.data(), kCapacity) : -1;
    // A Stop while the user was asked ends the script here, before the
    // empty answer reaches the next statement.
    if (ctx.StopRequested())
        throw StopSignal{"script stopped"};
    if (length < 0 || length >= kCapacity)
        length = 0;
    result = Value::Str(std::string(buffer.data(), static_cast<size_t>(length)));
}

void Len(BuiltinContext&, Value* args, int, Value& result) {
    if (args[0].type == ValueType::List)
        return result.SetInt(static_cast<int64_t>(args[0].AsList()->items.size()));
    result.SetInt(static_cast<int64_t>(ArgStr(args, 0).size()));
}

size_t Position(int64_t pos, size_t size, const char* what) {
    if (pos < 0 || static_cast<uint64_t>(pos) > size)
        throw ScriptError{std::string(what) + " " + std::to_string(pos) +
                          " is outside the string (length " + std::to_string(size) + ")"};
    return static_cast<size_t>(pos);
}

void SubStr(BuiltinContext& ctx, Value* args, int argc, Value& result) {
    const std::string& s = ArgStr(args, 0);
    size_t start = Position(ArgInt(args, 1), s.size(), "start");
    size_t length = std::string::npos;
    if (argc > 2) {
        int64_t n = ArgInt(args, 2);
        if (n < 0)
            throw ScriptError{"length " + std::to_string(n) + " is negative"};
        length = static_cast<size_t>(n);
    }
    SetStr(result, s.substr(start, length), ctx);
}

void Find(BuiltinContext&, Value* args, int argc, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const std::string& sub = ArgStr(args, 1);
    size_t from = argc > 2 ? Position(ArgInt(args, 2), s.size(), "start") : 0;
    size_t at = s.find(sub, from);
    result.SetInt(at == std::string::npos ? -1 : static_cast<int64_t>(at));
}

void Replace(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const std::string& from = ArgStr(args, 1);
    const std::string& to = ArgStr(args, 2);
    if (from.empty())
        throw ScriptError{"the text to replace is empty"};
    std::string out;
    size_t pos = 0;
    for (size_t at; (at = s.find(from, pos)) != std::string::npos; pos = at + from.size()) {
        out.append(s, pos, at - pos);
        out += to;
        if (out.size() > ctx.maxString)
            throw ScriptError{"result too long"};
    }
    out.append(s, pos, std::string::npos);
    SetStr(result, std::move(out), ctx);
}

void Upper(BuiltinContext& ctx, Value* args, int, Value& result) {
    std::string s = ArgStr(args, 0);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    SetStr(result, std::move(s), ctx);
}

void Lower(BuiltinContext& ctx, Value* args, int, Value& result) {
    std::string s = ArgStr(args, 0);
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    SetStr(result, std::move(s), ctx);
}

void Trim(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const char* blanks = " \t\r\n\f\v";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return SetStr(result, "", ctx);
    size_t last = s.find_last_not_of(blanks);
    SetStr(result, s.substr(first, last - first + 1), ctx);
}

void Split(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    const std::string& sep = ArgStr(args, 1);
    if (sep.empty())
        throw ScriptError{"the separator is empty"};
    // Count the parts first: the list is sized once, and too many parts
    // fail before anything is made.
    size_t parts = 1;
    for (size_t at = s.find(sep); at != std::string::npos; at = s.find(sep, at + sep.size()))
        if (++parts > ctx.maxList)
            throw ScriptError{"too many parts"};
    ListObj* list = ctx.heap->NewList();
    Value made = Value::List(list);
    list->items.reserve(parts);
    size_t pos = 0;
    for (;;) {
        size_t at = s.find(sep, pos);
        size_t end = at == std::string::npos ? s.size() : at;
        list->items.push_back(Value::Str(std::string(s.data() + pos, end - pos)));
        if (at == std::string::npos)
            break;
        pos = at + sep.size();
    }
    result = std::move(made);
}

void Join(BuiltinContext& ctx, Value* args, int, Value& result) {
    const auto& items = ArgList(args, 0)->items;
    const std::string& sep = ArgStr(args, 1);
    std::string out;
    for (size_t k = 0; k < items.size(); ++k) {
        if (k)
            out += sep;
        AppendText(out, items[k]);
        if (out.size() > ctx.maxString)
            throw ScriptError{"result too long"};
    }
    SetStr(result, std::move(out), ctx);
}

void Str(BuiltinContext& ctx, Value* args, int, Value& result) {
    SetStr(result, ToText(args[0]), ctx);
}

// Text to number: the whole text (blanks around it aside) must be the number.
bool ParseInt(const std::string& text, int64_t& out) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* digits = p;
    if (*digits == '-' || *digits == '+')
        ++digits;
    bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(digits[2]))
              : std::isdigit(static_cast<unsigned char>(*digits))))
        return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(p, &end, hex ? 16 : 10);
    if (errno == ERANGE)
        return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end)
        return false;
    out = v;
    return true;
}

bool ParseFloat(const std::string& text, double& out) {
    const char* begin = text.c_str();
    char* end = nullptr;
    out = std::strtod(begin, &end);
    if (end == begin)
        return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    return *end == '\0' && !text.empty();
}

void Int(BuiltinContext&, Value* args, int, Value& result) {
    const Value& v = args[0];
    switch (v.type) {
    case ValueType::Int:
    case ValueType::Bool:
        return result.SetInt(v.AsInt());
    case ValueType::Float:
        return result.SetInt(FloatToInt(v.AsFloat(), "value"));
    case ValueType::Str: {
        int64_t n;
        if (ParseInt(v.AsStr(), n))
            return result.SetInt(n);
        double f;
        if (ParseFloat(v.AsStr(), f))
            return result.SetInt(FloatToInt(f, "value"));
        throw ScriptError{"'" + v.AsStr() + "' is not a number"};
    }
    case ValueType::List:
        break;
    }
    throw ScriptError{"cannot convert a list to an int"};
}

void Float(BuiltinContext&, Value* args, int, Value& result) {
    const Value& v = args[0];
    switch (v.type) {
    case ValueType::Int:
    case ValueType::Bool:
        return result.SetFloat(static_cast<double>(v.AsInt()));
    case ValueType::Float:
        return result.SetFloat(v.AsFloat());
    case ValueType::Str: {
        double f;
        if (ParseFloat(v.AsStr(), f))
            return result.SetFloat(f);
        throw ScriptError{"'" + v.AsStr() + "' is not a number"};
    }
    case ValueType::List:
        break;
    }
    throw ScriptError{"cannot convert a list to a float"};
}

void Chr(BuiltinContext&, Value* args, int, Value& result) {
    int64_t n = ArgInt(args, 0);
    if (n < 0 || n > 255)
        throw ScriptError{std::to_string(n) + " is not a character code (0 to 255)"};
    result = Value::Str(std::string(1, static_cast<char>(n)));
}

void Asc(BuiltinContext&, Value* args, int, Value& result) {
    const std::string& s = ArgStr(args, 0);
    if (s.empty())
        throw ScriptError{"the string is empty"};
    result.SetInt(static_cast<unsigned char>(s[0]));
}

void Count(BuiltinContext&, Value* args, int, Value& result) {
    result.SetInt(static_cast<int64_t>(ArgList(args, 0)->items.size()));
}

void CheckRoom(const ListObj* list, const BuiltinContext& ctx) {
    if (list->items.size() >= ctx.maxList)
        throw ScriptError{"list too long (more than " + std::to_string(ctx.maxList) + " elements)"};
}

void Append(BuiltinContext& ctx, Value* args, int, Value&) {
    ListObj* list = ArgList(args, 0);
    CheckRoom(list, ctx);
    list->items.push_back(args[1]);
}

void Insert(BuiltinContext& ctx, Value* args, int, Value&) {
    ListObj* list = ArgList(args, 0);
    int64_t i = ArgInt(args, 1);
    if (i < 0 || static_cast<uint64_t>(i) > list->items.size())
        throw ScriptError{"index " + std::to_string(i) + " out of range (list has " +
                          std::to_string(list->items.size()) + " elements)"};
    CheckRoom(list, ctx);
    Value item = args[2];
    list->items.insert(list->items.begin() + i, std::move(item));
}

// Removes the element at the index and returns it.
void Remove(BuiltinContext&, Value* args, int, Value& result) {
    ListObj* list = ArgList(args, 0);
    int64_t i = ArgInt(args, 1);
    if (i < 0 || static_cast<uint64_t>(i) >= list->items.size())
        throw ScriptError{"index " + std::to_string(i) + " out of range (list has " +
                          std::to_string(list->items.size()) + " elements)"};
    Value item = std::move(list->items[static_cast<size_t>(i)]);
    list->items.erase(list->items.begin() + i);
    result = std::move(item);
}

} // namespace

const BuiltinInfo kTextBuiltins[] = {
    {"Print", 0, -1, DeclType::Void, Print},   {"Write", 0, -1, DeclType::Void, Write},
    {"Input", 0, 1, DeclType::Str, Input},     {"Len", 1, 1, DeclType::Int, Len},
    {"SubStr", 2, 3, DeclType::Str, SubStr},   {"Find", 2, 3, DeclType::Int, Find},
    {"Replace", 3, 3, DeclType::Str, Replace}, {"Upper", 1, 1, DeclType::Str, Upper},
    {"Lower", 1, 1, DeclType::Str, Lower},     {"Trim", 1, 1, DeclType::Str, Trim},
    {"Split", 2, 2, DeclType::List, Split},    {"Join", 2, 2, DeclType::Str, Join},
    {"Str", 1, 1, DeclType::Str, Str},         {"Int", 1, 1, DeclType::Int, Int},
    {"Float", 1, 1, DeclType::Float, Float},   {"Chr", 1, 1, DeclType::Str, Chr},
    {"Asc", 1, 1, DeclType::Int, Asc},         {"Count", 1, 1, DeclType::Int, Count},
    {"Append", 2, 2, DeclType::Void, Append},  {"Insert", 3, 3, DeclType::Void, Insert},
    {"Remove", 2, 2, DeclType::Var, Remove},   {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
