#pragma once

// The invariant check of the fuzz targets' inputs.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The input being checked when a corpus replay named it, else null (the
// fuzzer writes the input that broke an invariant out itself).
const char *inputName();

// An invariant that failed names its place (and the input, when known)
// before the process ends: the fuzzer takes the input, a replay test fails.
inline void checkAt(bool condition, const char *file, int line)
{
    if (condition)
        return;
    if (const char *input = inputName())
        fprintf(stderr, "invariant broken at %s:%d on %s\n", file, line, input);
    else
        fprintf(stderr, "invariant broken at %s:%d\n", file, line);
    fflush(stderr);
    abort();
}

} // namespace fuzz

#define check(condition) fuzz::checkAt((condition), __FILE__, __LINE__)
