#pragma once

// The invariant check of the fuzz targets.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// An invariant that failed names its place before the fuzzer takes the input.
inline void checkAt(bool condition, const char *file, int line)
{
    if (condition)
        return;
    fprintf(stderr, "invariant broken at %s:%d\n", file, line);
    abort();
}

} // namespace fuzz

#define check(condition) fuzz::checkAt((condition), __FILE__, __LINE__)
