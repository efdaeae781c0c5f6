#pragma once
// Script values: a 16-byte tagged union. Ints, floats and bools live inside
// the value; strings and lists are reference-counted heap objects. Counts are
// not atomic: values never leave the engine that made them, and one engine
// runs on one thread at a time.

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessera {

// A runtime error a script can catch.
struct ScriptError {
    std::string message;
};

enum class ValueType : uint8_t { Int, Float, Bool, Str, List };

// Declared variable types; `Var` holds anything, `Void` is for results only.
enum class DeclType : uint8_t { Int, Float, Str, Bool, List, Var, Void };

const char* TypeName(ValueType type);
const char* DeclTypeName(DeclType type);

struct HeapObject {
    uint32_t refs = 1;
};

struct StrObj : HeapObject {
    bool fromArena = false; // its memory is a StrArena slot
    std::string text;
    explicit StrObj(std::string t) : text(std::move(t)) {}
};

struct ListObj;

// Every live list of one engine, so that lists caught in reference cycles
// (a list appended to itself) are found and freed, and so that freeing a
// deeply nested list does not recurse on the C stack.
class ListHeap {
public:
    ListHeap() = default;
    ListHeap(const ListHeap&) = delete;
    ListHeap& operator=(const ListHeap&) = delete;
    ~ListHeap() { FreeAll(); }

    // A new list; when the heap has doubled since the last collection it
    // first frees the cycles nothing outside the heap can reach.
    ListObj* NewList();
    // Frees every list reachable only from other lists; returns how many.
    size_t CollectCycles();
    // Breaks every cycle and frees every list still alive.
    void FreeAll();
    size_t LiveCount() const { return liveCount; }

private:
    friend struct ListObj;
    friend class Value;
    static constexpr size_t kMinCollectAt = size_t{1} << 16;
    void Free(ListObj* list);
    ListObj* live = nullptr;
    size_t liveCount = 0;
    size_t collectAt = kMinCollectAt;
    std::vector<ListObj*> pending;
    bool freeing = false;
};

class Value {
public:
    Value() : type(ValueType::Int) { bits = 0; }
    ~Value() { Release(); }
    Value(const Value& other) : type(other.type) {
        bits = other.bits;
        Retain();
    }
    Value(Value&& other) noexcept : type(other.type) {
        bits = other.bits;
        other.type = ValueType::Int;
        other.bits = 0;
    }
    Value& operator=(const Value& other) {
        // Scalars over scalars: no reference counts to touch.
        if (!IsHeap() && !other.IsHeap()) {
            type = other.type;
            bits = other.bits;
            return *this;
        }
        if (this != &other) {
            other.Retain();
            Release();
            type = other.type;
            bits = other.bits;
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            Release();
            type = other.type;
            bits = other.bits;
            other.type = ValueType::Int;
            other.bits = 0;
        }
        return *this;
    }

    static Value Int(int64_t v) {
        Value r;
        r.i = v;
        return r;
    }
    static Value Float(double v) {
        Value r;
        r.type = ValueType::Float;
        r.f = v;
        return r;
    }
    static Value Bool(bool v) {
        Value r;
        r.type = ValueType::Bool;
        r.bits = v ? 1 : 0;
        return r;
    }
    static Value Str(std::string text);
    // Takes over one reference to `list`.
    static Value List(ListObj* list) {
        Value r;
        r.type = ValueType::List;
        r.l = list;
        return r;
    }

    // Fast in-place setters that skip the refcount work for scalars.
    void SetInt(int64_t v) {
        if (IsHeap())
            Release();
        type = ValueType::Int;
        i = v;
    }
    void SetFloat(double v) {
        if (IsHeap())
            Release();
        type = ValueType::Float;
        f = v;
    }
    void SetBool(bool v) {
        if (IsHeap())
            Release();
        type = ValueType::Bool;
        bits = v ? 1 : 0;
    }

    bool IsHeap() const { return type >= ValueType::Str; }
    bool IsNumber() const { return type == ValueType::Int || type == ValueType::Float; }

    int64_t AsInt() const { return i; }
    double AsFloat() const { return f; }
    bool AsBool() const { return bits != 0; }
    const std::string& AsStr() const { return s->text; }
    StrObj* StrObject() const { return s; }
    ListObj* AsList() const { return l; }

    ValueType type;
    union {
        int64_t i;
        double f;
        uint64_t bits;
        HeapObject* h;
        StrObj* s;
        ListObj* l;
    };

private:
    void Retain() const {
        if (IsHeap())
            ++h->refs;
    }
    void Release() {
        if (IsHeap() && --h->refs == 0)
            Destroy();
    }
    void Destroy();
};

// The elements of a list. Like std::vector<Value>, but it grows with
// realloc: a value holds no pointer to itself, so its bytes may move, and a
// large list then grows without copying or touching its pages again.
class ValueArray {
public:
    ValueArray() = default;
    ValueArray(const ValueArray&) = delete;
    ValueArray& operator=(const ValueArray&) = delete;
    ~ValueArray() { Release(); }

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    Value* begin() { return data; }
    Value* end() { return data + count; }
    const Value* begin() const { return data; }
    const Value* end() const { return data + count; }
    Value& operator[](size_t k) { return data[k]; }
    const Value& operator[](size_t k) const { return data[k]; }

    void push_back(const Value& value) {
        if (count == capacity) {
            Value copy = value; // `value` may be one of ours, and growing moves it
            Grow(count + 1);
            new (data + count) Value(std::move(copy));
        } else {
            new (data + count) Value(value);
        }
        ++count;
    }
    void push_back(Value&& value) {
        if (count == capacity) {
            Value moved = std::move(value);
            Grow(count + 1);
            new (data + count) Value(std::move(moved));
        } else {
            new (data + count) Value(std::move(value));
        }
        ++count;
    }
    void insert(Value* at, Value&& value);
    void erase(Value* at);
    void assign(const Value* first, const Value* last);
    void reserve(size_t n) {
        if (n > capacity)
            Grow(n);
    }
    // Hands the elements to `other` (and takes its elements) without copying.
    void swap(ValueArray& other) noexcept {
        std::swap(data, other.data);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
    }

private:
    void Grow(size_t needed);
    void Release();
    Value* data = nullptr;
    size_t count = 0;
    size_t capacity = 0;
};

struct ListObj : HeapObject {
    ValueArray items;
    ListHeap* heap = nullptr;
    ListObj* prevLive = nullptr;
    ListObj* nextLive = nullptr;
    // Scratch of the cycle collector: references not held by other lists,
    // and whether a list held from outside reaches this one.
    uint32_t outsideRefs = 0;
    bool reached = false;
};

// Text form used by Str, Print and string concatenation: ints in decimal,
// floats as %.15g, bools as true/false, lists as [a, "b", c]. A list whose
// text would pass 64 MiB (a list holding itself) raises ScriptError.
void AppendText(std::string& out, const Value& value);
std::string ToText(const Value& value);
std::string FormatFloat(double value);

// Equality as the == operator sees it: numbers by value (bools count as
// numbers), strings by bytes, lists element by element; a number never
// equals a string. Lists nested too deep or too often to compare (cycles)
// raise ScriptError.
bool ValuesEqual(const Value& a, const Value& b);

} // namespace tessera
