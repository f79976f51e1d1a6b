// The statement loop on one script, as it stands (script_run.h).
#include "fuzz_input.h"
#include "script_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nura::fuzz::RunScript(nura::fuzz::Bytes(data, size));
  return 0;
}
