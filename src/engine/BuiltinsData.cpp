// JSON in and out, and time: parsing dates, calendar days, a monotonic clock.
#include "engine/Builtins.h"
#include "engine/JsonString.h"
#include "engine/Utf8.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tessera {

namespace {

// Nesting deeper than this is refused rather than risking the C stack.
constexpr int kMaxDepth = 200;

// json -> value ; value -> object | array | string | number | true | false | null
// Objects become lists of [key, value] pairs in file order, arrays lists,
// null "".
class JsonReader {
public:
    JsonReader(const std::string& source, BuiltinContext& context) : text(source), ctx(context) {}

    Value Document() {
        Value value = ReadValue(0);
        SkipSpace();
        if (at < text.size())
            Fail("unexpected text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        int line = 1, column = 1;
        for (size_t k = 0; k < at && k < text.size(); ++k) {
            if (text[k] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) {
                ++column;
            }
        }
        throw ScriptError{"bad JSON at line " + std::to_string(line) + ", column " +
                          std::to_string(column) + ": " + what};
    }

    void SkipSpace() {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
            ++at;
    }

    bool Literal(const char* word) {
        const size_t n = std::char_traits<char>::length(word);
        if (text.compare(at, n, word) != 0)
            return false;
        at += n;
        return true;
    }

    ListObj* NewList(Value& holder) const {
        ListObj* list = ctx.heap->NewList();
        holder = Value::List(list);
        return list;
    }

    void Room(const ListObj* list) const {
        if (list->items.size() >= ctx.maxList)
            throw ScriptError{"JSON list too long (more than " + std::to_string(ctx.maxList) +
                              " elements)"};
    }

    Value ReadValue(int depth) {
        if (depth > kMaxDepth)
            Fail("nested more than " + std::to_string(kMaxDepth) + " levels deep");
        SkipSpace();
        if (at >= text.size())
            Fail("the text ends where a value should be");
        const char c = text[at];
        if (c == '{')
            return ReadObject(depth);
        if (c == '[')
            return ReadArray(depth);
        if (c == '"')
            return Value::Str(ReadString());
        if (Literal("true"))
            return Value::Bool(true);
        if (Literal("false"))
            return Value::Bool(false);
        if (Literal("null"))
            return Value::Str("");
        if (c == '-' || (c >= '0' && c <= '9'))
            return ReadNumber();
        Fail(std::string("unexpected '") + c + "'");
    }

    // object -> '{' [ string ':' value { ',' string ':' value } ] '}'
    Value ReadObject(int depth) {
        Value made;
        ListObj* pairs = NewList(made);
        ++at;
        SkipSpace();
        if (at < text.size() && text[at] == '}') {
            ++at;
            return made;
        }
        for (;;) {
            SkipSpace();
            if (at >= text.size() || text[at] != '"')
                Fail("expected a member name in quotes");
            Value pair;
            ListObj* entry = NewList(pair);
            entry->items.push_back(Value::Str(ReadString()));
            SkipSpace();
            if (at >= text.size() || text[at] != ':')
                Fail("expected ':' after the member name");
            ++at;
            entry->items.push_back(ReadValue(depth + 1));
            Room(pairs);
            pairs->items.push_back(std::move(pair));
            SkipSpace();
            if (at < text.size() && text[at] == ',') {
                ++at;
                continue;
            }
            if (at < text.size() && text[at] == '}') {
                ++at;
                return made;
            }
            Fail("expected ',' or '}'");
        }
    }

    // array -> '[' [ value { ',' value } ] ']'
    Value ReadArray(int depth) {
        Value made;
        ListObj* items = NewList(made);
        ++at;
        SkipSpace();
        if (at < text.size() && text[at] == ']') {
            ++at;
            return made;
        }
        for (;;) {
            Value item = ReadValue(depth + 1);
            Room(items);
            items->items.push_back(std::move(item));
            SkipSpace();
            if (at < text.size() && text[at] == ',') {
                ++at;
                continue;
            }
            if (at < text.size() && text[at] == ']') {
                ++at;
                return made;
            }
            Fail("expected ',' or ']'");
        }
    }

    std::string ReadString() {
        std::string out;
        const std::string error = ReadJsonString(text, at, out);
        if (!error.empty())
            Fail(error);
        if (out.size() > ctx.maxString)
            throw ScriptError{"JSON string too long"};
        return out;
    }

    // A number without a fraction or exponent is an int (a float when it
    // does not fit one), any other a float.
    Value ReadNumber() {
        const size_t start = at;
        if (text[at] == '-')
            ++at;
        auto digits = [&] {
            const size_t first = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9')
                ++at;
            return at > first;
        };
        if (!digits())
            Fail("expected digits");
        bool integral = true;
        if (at < text.size() && text[at] == '.') {
            ++at;
            integral = false;
            if (!digits())
                Fail("expected digits after '.'");
        }
        if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
            ++at;
            integral = false;
            if (at < text.size() && (text[at] == '+' || text[at] == '-'))
                ++at;
            if (!digits())
                Fail("expected digits in the exponent");
        }
        const std::string number = text.substr(start, at - start);
        if (integral) {
            errno = 0;
            char* end = nullptr;
            const long long value = std::strtoll(number.c_str(), &end, 10);
            if (errno != ERANGE)
                return Value::Int(value);
        }
        return Value::Float(std::strtod(number.c_str(), nullptr));
    }

    const std::string& text;
    BuiltinContext& ctx;
    size_t at = 0;
};

void JsonParse(BuiltinContext& ctx, Value* args, int, Value& result) {
    result = JsonReader(ArgStr(args, 0), ctx).Document();
}

// The value a path such as "a.b[2].c" names: names step into objects (lists
// of [key, value] pairs), [N] into arrays.
void JsonGet(BuiltinContext& ctx, Value* args, int, Value& result) {
    const std::string& path = ArgStr(args, 1);
    Value current = JsonReader(ArgStr(args, 0), ctx).Document();
    size_t at = 0;
    std::string walked;
    while (at < path.size()) {
        if (path[at] == '.') {
            ++at;
            continue;
        }
        if (path[at] == '[') {
            const size_t close = path.find(']', at);
            const std::string digits =
                close == std::string::npos ? "" : path.substr(at + 1, close - at - 1);
            if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
                throw ScriptError{"bad index in the path '" + path + "'"};
            if (current.type != ValueType::List)
                throw ScriptError{"'" + walked + "' is not an array"};
            const size_t index = std::strtoull(digits.c_str(), nullptr, 10);
            const ListObj* list = current.AsList();
            if (index >= list->items.size())
                throw ScriptError{"'" + walked + "' has no element " + digits};
            walked += "[" + digits + "]";
            Value next = list->items[index];
            current = std::move(next);
            at = close + 1;
            continue;
        }
        const size_t end = path.find_first_of(".[", at);
        const std::string name = path.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? path.size() : end;
        walked += (walked.empty() ? "" : ".") + name;
        bool found = false;
        if (current.type == ValueType::List)
            for (const Value& pair : current.AsList()->items)
                if (pair.type == ValueType::List && pair.AsList()->items.size() == 2 &&
                    pair.AsList()->items[0].type == ValueType::Str &&
                    pair.AsList()->items[0].AsStr() == name) {
                    Value next = pair.AsList()->items[1];
                    current = std::move(next);
                    found = true;
                    break;
                }
        if (!found)
            throw ScriptError{"no member '" + walked + "'"};
    }
    result = std::move(current);
}

void WriteJson(std::string& out, const Value& value, int depth, const BuiltinContext& ctx) {
    if (depth > kMaxDepth)
        throw ScriptError{"nested more than " + std::to_string(kMaxDepth) +
                          " levels deep (a list holding itself?)"};
    if (out.size() > ctx.maxString)
        throw ScriptError{"result too long"};
    switch (value.type) {
    case ValueType::Int:
        out += std::to_string(value.AsInt());
        return;
    case ValueType::Bool:
        out += value.AsBool() ? "true" : "false";
        return;
    case ValueType::Float: {
        if (!std::isfinite(value.AsFloat()))
            throw ScriptError{"JSON has no " + FormatFloat(value.AsFloat())};
        // The shortest of 15 or 17 digits that reads back as the same float.
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", value.AsFloat());
        if (std::strtod(buffer, nullptr) != value.AsFloat())
            std::snprintf(buffer, sizeof buffer, "%.17g", value.AsFloat());
        std::string number = buffer;
        // Stays a float when read back.
        if (number.find_first_of(".eE") == std::string::npos)
            number += ".0";
        out += number;
        return;
    }
    case ValueType::Str:
        out += JsonString(value.AsStr());
        return;
    case ValueType::List: {
        out += '[';
        bool first = true;
        for (const Value& item : value.AsList()->items) {
            if (!first)
                out += ',';
            first = false;
            WriteJson(out, item, depth + 1, ctx);
        }
        out += ']';
        return;
    }
    }
}

void JsonStringify(BuiltinContext& ctx, Value* args, int, Value& result) {
    std::string out;
    WriteJson(out, args[0], 0, ctx);
    SetStr(result, std::move(out), ctx);
}

// Local time from text in a strptime format; the whole text must match.
void ParseTime(BuiltinContext&, Value* args, int, Value& result) {
    const std::string& text = ArgStr(args, 0);
    const std::string& format = ArgStr(args, 1);
    std::tm parts{};
    parts.tm_mday = 1;
    const char* end = strptime(text.c_str(), format.c_str(), &parts);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (!end || *end != '\0')
        throw ScriptError{"'" + text + "' does not match the format '" + format + "'"};
    parts.tm_isdst = -1; // the zone's rule for that date
    errno = 0;
    const std::time_t t = std::mktime(&parts);
    if (t == static_cast<std::time_t>(-1) && errno != 0)
        throw ScriptError{"'" + text + "' is out of range"};
    result.SetInt(static_cast<int64_t>(t));
}

// Calendar days: the same wall-clock time n days later, across a change to
// or from daylight saving.
void AddDays(BuiltinContext&, Value* args, int, Value& result) {
    const std::time_t t = static_cast<std::time_t>(ArgInt(args, 0));
    const int64_t days = ArgInt(args, 1);
    if (days > 10'000'000 || days < -10'000'000)
        throw ScriptError{"the day count " + std::to_string(days) + " is out of range"};
    std::tm parts{};
    if (!localtime_r(&t, &parts))
        throw ScriptError{"the time " + std::to_string(ArgInt(args, 0)) + " is out of range"};
    parts.tm_mday += static_cast<int>(days);
    parts.tm_isdst = -1;
    const std::time_t moved = std::mktime(&parts);
    if (moved == static_cast<std::time_t>(-1))
        throw ScriptError{"the result is out of range"};
    result.SetInt(static_cast<int64_t>(moved));
}

void Ticks(BuiltinContext&, Value*, int, Value& result) {
    using namespace std::chrono;
    result.SetInt(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

const BuiltinInfo kDataBuiltins[] = {
    {"JsonParse", 1, 1, DeclType::Var, JsonParse},
    {"JsonGet", 2, 2, DeclType::Var, JsonGet},
    {"JsonStringify", 1, 1, DeclType::Str, JsonStringify},
    {"ParseTime", 2, 2, DeclType::Int, ParseTime},
    {"AddDays", 2, 2, DeclType::Int, AddDays},
    {"Ticks", 0, 0, DeclType::Int, Ticks},
    {nullptr, 0, 0, DeclType::Void, nullptr},
};

} // namespace tessera
