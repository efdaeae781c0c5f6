#pragma once
// Where a running script's string objects live. A script that splits a long
// text makes hundreds of thousands of small strings at once; taken one by one
// from malloc, each fresh 4 KiB page costs a page fault, and those faults were
// most of the run. The arena hands out fixed-size slots from 2 MiB chunks
// instead. Once a run has filled its first chunk, later chunks are advised
// for transparent huge pages, so the kernel maps them 2 MiB at a time.
//
// One arena per engine; a run makes it current on its thread (`Use`), and
// Value::Str takes from the current arena, or from the ordinary heap when
// there is none. A slot goes back to its own chunk's arena whatever arena is
// current. Chunks still holding strings when the arena dies are left behind
// and unmapped when their last string goes, so a value that outlives its
// engine never dangles. Built with AddressSanitizer, every string comes from
// the ordinary heap, so the sanitizer sees each one.

#include <cstddef>
#include <cstdint>

namespace tessera {

struct StrObj;

class StrArena {
public:
    static constexpr size_t kChunkBytes = size_t{2} << 20;

    StrArena() = default;
    StrArena(const StrArena&) = delete;
    StrArena& operator=(const StrArena&) = delete;
    ~StrArena();

    // Makes `arena` the one Value::Str takes from on this thread until the
    // scope ends (nullptr: the ordinary heap).
    class Use {
    public:
        explicit Use(StrArena* arena);
        ~Use();
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;

    private:
        StrArena* previous;
    };

    // Raw memory for one StrObj from the current arena, or nullptr when
    // there is none (or no chunk could be mapped).
    static void* AllocateCurrent();
    // Destroys `s` and returns its memory to wherever it came from.
    static void Destroy(StrObj* s);

    size_t ChunkCount() const { return chunkCount; }
    // False in builds where every string comes from the ordinary heap.
    static bool Enabled();

    struct Chunk;

private:
    void* Allocate();
    bool AddChunk();

    Chunk* chunks = nullptr; // every chunk of this arena, newest first
    size_t chunkCount = 0;
    char* bump = nullptr; // the untouched rest of the newest chunk
    char* bumpEnd = nullptr;
    void* freeSlots = nullptr; // returned slots, linked through their first word
};

} // namespace tessera
