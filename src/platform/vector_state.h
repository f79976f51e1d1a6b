// The upper halves of the AVX registers. Code of some libraries the program
// loads (Qt's painting among them) leaves them in use without clearing
// them. From then on, on some processors, every switch between the C
// library's 128-bit AVX copies (strings of 16 to 31 bytes) and the SSE code
// the rest of the program is built with stalls for about a hundred
// nanoseconds: a loop reading lines ran three times slower. Clearing them
// where the engine starts a statement keeps the run out of that state.
#pragma once

namespace nura {

#if defined(__x86_64__) || defined(__i386__)

// True when the processor and the system support AVX (set before main).
extern const bool kHasAvx;

inline void ClearUpperVectorState() {
  if (kHasAvx) __asm__ volatile("vzeroupper");
}

#else

inline void ClearUpperVectorState() {}

#endif

}  // namespace nura
