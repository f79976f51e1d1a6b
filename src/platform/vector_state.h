// The upper halves of the AVX registers. Code of libraries the program
// loads (Qt's application set-up, its fonts and the first showing of a
// window) leaves them in use without clearing them. From then on, on some
// processors, every switch between the C library's 128-bit AVX copies
// (strings of 16 to 31 bytes) and the SSE code the rest of the program is
// built with stalls for about a hundred nanoseconds: a loop reading lines
// ran three times slower. Clearing them where the engine starts a
// statement keeps the run out of that state.
#pragma once

namespace nura {

#if defined(__x86_64__)

// True when the processor and the system support AVX (set before main).
extern const bool kHasAvx;

// The registers count as clobbered, so that a build for AVX keeps no
// vector value in them across the clear.
inline void ClearUpperVectorState() {
  if (kHasAvx) {
    __asm__ volatile("vzeroupper" ::: "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                     "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
  }
}

#else

inline void ClearUpperVectorState() {}

#endif

}  // namespace nura
