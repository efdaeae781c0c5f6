#include "engine/Value.h"

#include "engine/LargeBlock.h"
#include "engine/StrArena.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessera {

const char* TypeName(ValueType type) {
    switch (type) {
    case ValueType::Int:
        return "int";
    case ValueType::Float:
        return "float";
    case ValueType::Bool:
        return "bool";
    case ValueType::Str:
        return "string";
    case ValueType::List:
        return "list";
    }
    return "?";
}

const char* DeclTypeName(DeclType type) {
    switch (type) {
    case DeclType::Int:
        return "int";
    case DeclType::Float:
        return "float";
    case DeclType::Str:
        return "string";
    case DeclType::Bool:
        return "bool";
    case DeclType::List:
        return "list";
    case DeclType::Var:
        return "var";
    case DeclType::Void:
        return "void";
    }
    return "?";
}

Value Value::Str(std::string text) {
    Value r;
    r.type = ValueType::Str;
    if (void* slot = StrArena::AllocateCurrent()) {
        r.s = new (slot) StrObj(std::move(text));
        r.s->fromArena = true;
    } else {
        r.s = new StrObj(std::move(text));
    }
    return r;
}

void Value::Destroy() {
    if (type == ValueType::Str)
        StrArena::Destroy(s);
    else
        l->heap->Free(l);
    type = ValueType::Int;
    bits = 0;
}

ListObj* ListHeap::NewList() {
    if (liveCount >= collectAt) {
        CollectCycles();
        collectAt = liveCount * 2 > kMinCollectAt ? liveCount * 2 : kMinCollectAt;
    }
    auto* list = new ListObj();
    list->heap = this;
    list->nextLive = live;
    if (live)
        live->prevLive = list;
    live = list;
    ++liveCount;
    return list;
}

void ValueArray::Grow(size_t needed) {
    size_t grown = capacity * 2; // doubling, as std::vector does
    if (grown < needed)
        grown = needed;
    if (grown > SIZE_MAX / sizeof(Value))
        throw std::bad_alloc();
    size_t bytes = LargeBlockBytes(grown * sizeof(Value));
    void* moved = ResizeLargeBlock(static_cast<void*>(data), capacity * sizeof(Value),
                                   count * sizeof(Value), bytes);
    if (!moved)
        throw std::bad_alloc();
    data = static_cast<Value*>(moved);
    capacity = bytes / sizeof(Value);
}

void ValueArray::Release() {
    // Take the elements out first: releasing one may reach this list again
    // (a list inside itself) and must find it already empty.
    Value* old = data;
    size_t n = count;
    size_t bytes = capacity * sizeof(Value);
    data = nullptr;
    count = capacity = 0;
    for (size_t k = 0; k < n; ++k)
        old[k].~Value();
    FreeLargeBlock(old, bytes);
}

void ValueArray::insert(Value* at, Value&& value) {
    size_t index = static_cast<size_t>(at - data);
    Value moved = std::move(value);
    if (count == capacity)
        Grow(count + 1);
    Value* slot = data + index;
    std::memmove(static_cast<void*>(slot + 1), static_cast<const void*>(slot),
                 (count - index) * sizeof(Value));
    new (slot) Value(std::move(moved));
    ++count;
}

void ValueArray::erase(Value* at) {
    Value gone = std::move(*at); // released once the array is whole again
    std::memmove(static_cast<void*>(at), static_cast<const void*>(at + 1),
                 static_cast<size_t>(end() - (at + 1)) * sizeof(Value));
    --count;
}

void ValueArray::assign(const Value* first, const Value* last) {
    ValueArray fresh;
    fresh.reserve(static_cast<size_t>(last - first));
    for (const Value* v = first; v != last; ++v)
        fresh.push_back(*v);
    swap(fresh);
}

// Freeing a list releases its items, which may free nested lists; those are
// queued instead of freed recursively, so a list nested a million deep is
// freed in a loop.
void ListHeap::Free(ListObj* list) {
    pending.push_back(list);
    if (freeing)
        return;
    freeing = true;
    while (!pending.empty()) {
        ListObj* next = pending.back();
        pending.pop_back();
        if (next->prevLive)
            next->prevLive->nextLive = next->nextLive;
        else
            live = next->nextLive;
        if (next->nextLive)
            next->nextLive->prevLive = next->prevLive;
        --liveCount;
        delete next;
    }
    freeing = false;
}

// Trial deletion: subtract from each list's count the references other
// lists hold to it. A list left with references is held from outside (a
// variable, a register, the host); it and everything it reaches stay. The
// rest are cycles nothing can reach any more: pin them, empty them (which
// drops their references to each other), then drop the pins.
size_t ListHeap::CollectCycles() {
    for (ListObj* list = live; list; list = list->nextLive) {
        list->outsideRefs = list->refs;
        list->reached = false;
    }
    for (ListObj* list = live; list; list = list->nextLive)
        for (const Value& item : list->items)
            if (item.type == ValueType::List)
                --item.AsList()->outsideRefs;
    std::vector<ListObj*> work;
    for (ListObj* list = live; list; list = list->nextLive)
        if (list->outsideRefs > 0 && !list->reached) {
            list->reached = true;
            work.push_back(list);
        }
    while (!work.empty()) {
        ListObj* list = work.back();
        work.pop_back();
        for (const Value& item : list->items)
            if (item.type == ValueType::List && !item.AsList()->reached) {
                item.AsList()->reached = true;
                work.push_back(item.AsList());
            }
    }
    std::vector<ListObj*> garbage;
    for (ListObj* list = live; list; list = list->nextLive)
        if (!list->reached) {
            ++list->refs;
            garbage.push_back(list);
        }
    for (ListObj* list : garbage) {
        ValueArray items;
        items.swap(list->items);
    }
    for (ListObj* list : garbage)
        if (--list->refs == 0)
            Free(list);
    return garbage.size();
}

void ListHeap::FreeAll() {
    // Pin every live list, empty them all (which cannot free a pinned one),
    // then drop the pins.
    std::vector<ListObj*> all;
    for (ListObj* list = live; list; list = list->nextLive) {
        ++list->refs;
        all.push_back(list);
    }
    for (ListObj* list : all) {
        ValueArray items;
        items.swap(list->items);
    }
    for (ListObj* list : all)
        if (--list->refs == 0)
            Free(list);
}

std::string FormatFloat(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

namespace {

constexpr int kMaxTextDepth = 64;
constexpr size_t kMaxListText = size_t{64} << 20;
constexpr int64_t kMaxCompareSteps = 1 << 20;

// A string as a Tessera literal, so that a list's text reads back as the
// same list: quotes, backslashes and control bytes get their escapes.
void AppendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char ch : text) {
        auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        default:
            if (byte < 0x20 || byte == 0x7f) {
                static const char kHex[] = "0123456789abcdef";
                out += "\\x";
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

void AppendTextAt(std::string& out, const Value& value, int depth) {
    switch (value.type) {
    case ValueType::Int: {
        char buffer[24];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, value.AsInt()).ptr;
        out.append(buffer, static_cast<size_t>(end - buffer));
        break;
    }
    case ValueType::Float:
        out += FormatFloat(value.AsFloat());
        break;
    case ValueType::Bool:
        out += value.AsBool() ? "true" : "false";
        break;
    case ValueType::Str:
        out += value.AsStr();
        break;
    case ValueType::List: {
        if (depth >= kMaxTextDepth) {
            out += "[...]";
            break;
        }
        out += '[';
        const auto& items = value.AsList()->items;
        for (size_t k = 0; k < items.size(); ++k) {
            if (out.size() > kMaxListText)
                throw ScriptError{"list too large to convert to text"};
            if (k)
                out += ", ";
            if (items[k].type == ValueType::Str) {
                AppendQuoted(out, items[k].AsStr());
            } else {
                AppendTextAt(out, items[k], depth + 1);
            }
        }
        out += ']';
        break;
    }
    }
}

bool EqualAt(const Value& a, const Value& b, int depth, int64_t& budget) {
    if (--budget < 0)
        throw ScriptError{"lists too deeply nested to compare"};
    if (a.type == ValueType::Str || b.type == ValueType::Str)
        return a.type == b.type && a.AsStr() == b.AsStr();
    if (a.type == ValueType::List || b.type == ValueType::List) {
        if (a.type != b.type)
            return false;
        if (a.AsList() == b.AsList())
            return true;
        if (depth >= kMaxTextDepth)
            throw ScriptError{"lists too deeply nested to compare"};
        const auto& x = a.AsList()->items;
        const auto& y = b.AsList()->items;
        if (x.size() != y.size())
            return false;
        for (size_t k = 0; k < x.size(); ++k)
            if (!EqualAt(x[k], y[k], depth + 1, budget))
                return false;
        return true;
    }
    if (a.type == ValueType::Float || b.type == ValueType::Float) {
        double x = a.type == ValueType::Float ? a.AsFloat() : static_cast<double>(a.AsInt());
        double y = b.type == ValueType::Float ? b.AsFloat() : static_cast<double>(b.AsInt());
        return x == y;
    }
    // Ints and bools: a bool's payload is 0 or 1, like C.
    return a.AsInt() == b.AsInt();
}

} // namespace

void AppendText(std::string& out, const Value& value) {
    AppendTextAt(out, value, 0);
}

std::string ToText(const Value& value) {
    std::string out;
    AppendTextAt(out, value, 0);
    return out;
}

bool ValuesEqual(const Value& a, const Value& b) {
    int64_t budget = kMaxCompareSteps;
    return EqualAt(a, b, 0, budget);
}

} // namespace tessera
