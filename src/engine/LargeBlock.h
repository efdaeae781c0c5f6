#pragma once
// Memory for the engine's large arrays (a list's elements). Up to a few MiB a
// block comes from malloc; past that it is mapped on its own and advised for
// transparent huge pages, so filling a list of a million values costs a few
// page faults instead of thousands, and growing it moves pages (mremap)
// rather than bytes. Built with AddressSanitizer every block is malloc's.

#include <cstddef>

namespace tessera {

// What a block asked for with `wanted` bytes really holds: large blocks are
// rounded up to whole 2 MiB pages, so the caller may use the rest.
size_t LargeBlockBytes(size_t wanted);

// Moves `block` (of `oldBytes`, a LargeBlockBytes figure or 0 with nullptr)
// into one of `newBytes` (a LargeBlockBytes figure), keeping its first
// `usedBytes`. Returns nullptr, with `block` untouched, when out of memory.
void* ResizeLargeBlock(void* block, size_t oldBytes, size_t usedBytes, size_t newBytes);

void FreeLargeBlock(void* block, size_t bytes);

} // namespace tessera
