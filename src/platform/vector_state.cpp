#include "platform/vector_state.h"

namespace nura {

#if defined(__x86_64__)

// The check of the compiler's run-time also asks whether the system saves
// the AVX registers; it must be initialised when asked this early.
const bool kHasAvx = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}();

#endif

}  // namespace nura
