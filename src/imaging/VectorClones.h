#pragma once

// The pixel loops that set the frame rate, and the table's rule, are compiled for every x86-64
// processor and again for those with AVX2 and with AVX-512; the loader picks the version the
// processor can run. Other compilers and processors get the one plain version of the loop, and
// so does a build for one processor level (VIZMAR_PROCESSOR_LEVEL), which tests that version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(VIZMAR_ONE_PROCESSOR_LEVEL)
#define VIZMAR_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define VIZMAR_VECTOR_CLONES
#endif

// A helper of a cloned loop is inlined into each clone, and so compiled for that clone's
// processor; as a real call it would run the plain version, and a vector passed to it would
// travel in registers the two sides disagree on. The compiler refuses a call it cannot inline.
#define VIZMAR_CLONE_HELPER [[gnu::always_inline]] inline
