#pragma once
// A vector of plain bytes-only elements (instructions, line entries) that
// grows with realloc. A large array is then moved by the system (mremap)
// instead of copied into fresh pages, and lives in huge pages (LargeBlock.h):
// compiling a script of a million lines touches its code once instead of
// about three times, with a page fault per 2 MiB instead of per 4 KiB.

#include "engine/LargeBlock.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace tessera {

template <class T> class PodVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodVector() = default;
    PodVector(const PodVector& other) { CopyFrom(other); }
    PodVector(PodVector&& other) noexcept
        : items(std::exchange(other.items, nullptr)), count(std::exchange(other.count, 0)),
          capacity(std::exchange(other.capacity, 0)) {}
    PodVector& operator=(const PodVector& other) {
        if (this != &other) {
            count = 0;
            CopyFrom(other);
        }
        return *this;
    }
    PodVector& operator=(PodVector&& other) noexcept {
        if (this != &other) {
            FreeLargeBlock(items, BlockBytes());
            items = std::exchange(other.items, nullptr);
            count = std::exchange(other.count, 0);
            capacity = std::exchange(other.capacity, 0);
        }
        return *this;
    }
    ~PodVector() { FreeLargeBlock(items, BlockBytes()); }

    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    T* data() { return items; }
    const T* data() const { return items; }
    T* begin() { return items; }
    T* end() { return items + count; }
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
    T& operator[](size_t k) { return items[k]; }
    const T& operator[](size_t k) const { return items[k]; }
    T& back() { return items[count - 1]; }
    const T& back() const { return items[count - 1]; }

    void push_back(const T& item) {
        if (count == capacity)
            Grow(count + 1);
        items[count++] = item;
    }
    // New elements are value-initialised (zeroed), as std::vector's are.
    void resize(size_t n) {
        if (n > capacity)
            Grow(n);
        if (n > count)
            std::memset(static_cast<void*>(items + count), 0, (n - count) * sizeof(T));
        count = n;
    }
    // Sets the size without clearing new elements, for a caller that fills
    // them at once (a file read straight into the array).
    void resize_for_overwrite(size_t n) {
        if (n > capacity)
            Grow(n);
        count = n;
    }
    void clear() { count = 0; }

private:
    void Grow(size_t needed) {
        size_t grown = capacity < 16 ? 16 : capacity * 2;
        if (grown < needed)
            grown = needed;
        if (grown > SIZE_MAX / sizeof(T))
            throw std::bad_alloc();
        void* moved = ResizeLargeBlock(static_cast<void*>(items), BlockBytes(), count * sizeof(T),
                                       LargeBlockBytes(grown * sizeof(T)));
        if (!moved)
            throw std::bad_alloc();
        items = static_cast<T*>(moved);
        capacity = grown;
    }
    // The block's real size: a function of the capacity alone, so that
    // growing and freeing agree on it.
    size_t BlockBytes() const { return LargeBlockBytes(capacity * sizeof(T)); }
    void CopyFrom(const PodVector& other) {
        if (other.count > capacity)
            Grow(other.count);
        if (other.count)
            std::memcpy(static_cast<void*>(items), other.items, other.count * sizeof(T));
        count = other.count;
    }

    T* items = nullptr;
    size_t count = 0;
    size_t capacity = 0;
};

} // namespace tessera
