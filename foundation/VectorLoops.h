#pragma once

// Marks a function whose loops run over whole grids every frame: GCC on x86-64 compiles it twice,
// for the baseline (SSE2) and for AVX2 (twice the vector width), and the loader picks the one the
// processor runs. Both give the same bits: AVX2 brings no fused multiply-add, so no a·b + c is
// contracted, and every vector operation used is correctly rounded on both paths. Elsewhere it
// marks nothing.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define VECTOR_LOOPS __attribute__((target_clones("avx2", "default")))
// Code written with AVX2 intrinsics is marked AVX2_CODE and called only when hasAvx2().
#define VECTOR_LOOPS_AVX2 1
#define AVX2_CODE __attribute__((target("avx2")))
inline bool hasAvx2() {
  static const bool present = __builtin_cpu_supports("avx2");
  return present;
}
#else
#define VECTOR_LOOPS
#define VECTOR_LOOPS_AVX2 0
#endif
