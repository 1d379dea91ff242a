// Marks a hot loop to be built twice where the system can choose between builds when the
// program starts (x86-64 Linux): for every x86-64 processor and for those with AVX2, whose
// vectors hold twice the numbers. Both builds do the same operations on every number in the
// same order, and nothing is fused into a multiply-add (-ffp-contract=off), so they give the
// same bits; the wider one only does it in about half the time.
#ifndef BRENWICK_VECTOR_CLONES_H
#define BRENWICK_VECTOR_CLONES_H

// GCC's, which clones templates too (clang 14 does not).
#if defined(__x86_64__) && defined(__linux__) && defined(__GNUC__) && !defined(__clang__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define BRENWICK_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif

#ifndef BRENWICK_VECTOR_CLONES
#define BRENWICK_VECTOR_CLONES
#endif

#endif
