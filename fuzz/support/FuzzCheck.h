#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target checks: when it does not hold, the input is a finding, so the
// process stops the way a crash does and the fuzzer keeps the input.
inline void FuzzCheck(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property failed: %s\n", property);
    std::abort();
}
