#pragma once
// tessera_assert(condition): the engine's internal invariants (register
// balance, stack depth), checked in the sanitizer and fuzzing builds and free
// in the shipped one, as lua_assert is. A failure is a bug in the engine,
// never in the script: it names the place and aborts.

#if defined(TESSERA_ASSERTS)
#include <cstdio>
#include <cstdlib>
#define tessera_assert(condition)                                                                  \
    ((condition)                                                                                   \
         ? (void)0                                                                                 \
         : (std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition), \
            std::abort()))
#else
#define tessera_assert(condition) ((void)0)
#endif
