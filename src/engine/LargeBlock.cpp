#include "engine/LargeBlock.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace tessera {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kMappedFrom = SIZE_MAX;
#else
constexpr size_t kMappedFrom = 2 * kHugePage;
#endif

bool Mapped(size_t bytes) {
    return bytes >= kMappedFrom;
}

void* MapBlock(size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
    madvise(block, bytes, MADV_HUGEPAGE);
    return block;
}

} // namespace

size_t LargeBlockBytes(size_t wanted) {
    if (!Mapped(wanted) || wanted > SIZE_MAX - kHugePage)
        return wanted;
    return (wanted + kHugePage - 1) & ~(kHugePage - 1);
}

void* ResizeLargeBlock(void* block, size_t oldBytes, size_t usedBytes, size_t newBytes) {
    if (!Mapped(newBytes) && !(block && Mapped(oldBytes)))
        return std::realloc(block, newBytes);
    if (!Mapped(newBytes)) { // a mapped block shrinking back under the line
        void* small = std::malloc(newBytes ? newBytes : 1);
        if (!small)
            return nullptr;
        std::memcpy(small, block, usedBytes < newBytes ? usedBytes : newBytes);
        munmap(block, oldBytes);
        return small;
    }
    if (block && Mapped(oldBytes)) {
        void* moved = mremap(block, oldBytes, newBytes, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED)
            return nullptr;
        madvise(moved, newBytes, MADV_HUGEPAGE);
        return moved;
    }
    void* fresh = MapBlock(newBytes);
    if (!fresh)
        return nullptr;
    if (usedBytes)
        std::memcpy(fresh, block, usedBytes);
    std::free(block);
    return fresh;
}

void FreeLargeBlock(void* block, size_t bytes) {
    if (block && Mapped(bytes))
        munmap(block, bytes);
    else
        std::free(block);
}

} // namespace tessera
