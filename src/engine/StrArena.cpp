#include "engine/StrArena.h"

#include "engine/Value.h"

#include <sys/mman.h>

namespace tessera {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kArenaEnabled = false;
#else
constexpr bool kArenaEnabled = true;
#endif

thread_local StrArena* currentArena = nullptr;

// Slots are all one size; a freed slot's first word links the free list.
constexpr size_t kSlotBytes =
    (sizeof(StrObj) + alignof(StrObj) - 1) / alignof(StrObj) * alignof(StrObj);
static_assert(kSlotBytes >= sizeof(void*));

} // namespace

// The head of each chunk. A chunk is 2 MiB and aligned to that, so a slot
// finds its chunk by masking its address.
struct StrArena::Chunk {
    StrArena* owner; // nullptr once the arena is gone
    Chunk* next;
    size_t live; // slots handed out and not yet returned
};

namespace {

constexpr size_t kFirstSlot =
    (sizeof(StrArena::Chunk) + alignof(StrObj) - 1) / alignof(StrObj) * alignof(StrObj);

StrArena::Chunk* ChunkOf(void* slot) {
    auto address = reinterpret_cast<uintptr_t>(slot);
    return reinterpret_cast<StrArena::Chunk*>(address & ~(uintptr_t{StrArena::kChunkBytes} - 1));
}

// 2 MiB of fresh memory aligned to 2 MiB: map twice that and trim the ends.
void* MapAlignedChunk() {
    const size_t size = StrArena::kChunkBytes;
    void* mapped =
        mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    auto start = reinterpret_cast<uintptr_t>(mapped);
    uintptr_t aligned = (start + size - 1) & ~(uintptr_t{size} - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    uintptr_t tail = aligned + size;
    uintptr_t mappedEnd = start + 2 * size;
    if (mappedEnd > tail)
        munmap(reinterpret_cast<void*>(tail), mappedEnd - tail);
    return reinterpret_cast<void*>(aligned);
}

} // namespace

StrArena::~StrArena() {
    Chunk* chunk = chunks;
    while (chunk) {
        Chunk* next = chunk->next;
        if (chunk->live == 0)
            munmap(chunk, kChunkBytes);
        else
            chunk->owner = nullptr; // its last string unmaps it
        chunk = next;
    }
}

StrArena::Use::Use(StrArena* arena) : previous(currentArena) {
    currentArena = kArenaEnabled ? arena : nullptr;
}

StrArena::Use::~Use() {
    currentArena = previous;
}

bool StrArena::Enabled() {
    return kArenaEnabled;
}

void* StrArena::AllocateCurrent() {
    return currentArena ? currentArena->Allocate() : nullptr;
}

void* StrArena::Allocate() {
    void* slot;
    if (freeSlots) {
        slot = freeSlots;
        freeSlots = *static_cast<void**>(slot);
    } else {
        if (bumpEnd - bump < static_cast<ptrdiff_t>(kSlotBytes) && !AddChunk())
            return nullptr;
        slot = bump;
        bump += kSlotBytes;
    }
    ++ChunkOf(slot)->live;
    return slot;
}

bool StrArena::AddChunk() {
    void* memory = MapAlignedChunk();
    if (!memory)
        return false;
    // The first chunk stays in small pages, so a script with a few strings
    // costs a few pages; a run that needs more gets huge pages.
    if (chunkCount >= 1)
        madvise(memory, kChunkBytes, MADV_HUGEPAGE);
    auto* chunk = static_cast<Chunk*>(memory);
    chunk->owner = this;
    chunk->next = chunks;
    chunk->live = 0;
    chunks = chunk;
    ++chunkCount;
    bump = static_cast<char*>(memory) + kFirstSlot;
    bumpEnd = static_cast<char*>(memory) + kChunkBytes;
    return true;
}

void StrArena::Destroy(StrObj* s) {
    if (!s->fromArena) {
        delete s;
        return;
    }
    s->~StrObj();
    Chunk* chunk = ChunkOf(s);
    --chunk->live;
    if (StrArena* owner = chunk->owner) {
        *reinterpret_cast<void**>(s) = owner->freeSlots;
        owner->freeSlots = s;
    } else if (chunk->live == 0) {
        munmap(chunk, kChunkBytes);
    }
}

} // namespace tessera
