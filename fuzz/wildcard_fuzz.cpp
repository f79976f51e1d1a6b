// The wildcard compiler and matcher: the input up to its first NUL is the
// pattern, the rest the text.
#include <stdexcept>
#include <vector>

#include "support/wildcard.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = nura::fuzz::Bytes(data, size);
  std::string_view pattern, text;
  nura::fuzz::SplitAtNul(input, pattern, text);
  try {
    nura::WildcardMatch(text, pattern);
    std::string rest(text), matched;
    std::vector<std::string> captures;
    if (nura::WildcardMatchCut(rest, pattern, matched, captures) && matched + rest != text) __builtin_trap();
  } catch (const nura::EWildcard&) {
  }
  return 0;
}
