#include "platform/vector_state.h"

#if defined(__x86_64__)
#include <sys/platform/x86.h>
#endif

namespace nura {

#if defined(__x86_64__)

// The C library has asked the processor (and whether the system saves the
// AVX registers) before the program starts; the compiler's own check would
// ask again, which costs a good part of a millisecond in a virtual machine.
const bool kHasAvx = CPU_FEATURE_ACTIVE(AVX);

#endif

}  // namespace nura
