// The statement reader and run loop on the shapes of script that hurt it:
// the first byte of the input chooses a shape, the second how often the
// rest (a piece of script) is repeated in it:
//   0: the piece as it is;
//   1: one long line, the piece repeated without blanks ("Aの" x n);
//   2: a chain of phrases, the piece repeated with blanks, then a command;
//   3: blocks left open, one per line and nested ("もし1ならば" x n);
//   4: the same inside parentheses ("1回(" x n), closed or not.
// Repeats run up to 4,080, so linear reading matters and deep nesting is
// reached. The run itself is that of statement_fuzz (script_run.h).
#include <algorithm>
#include <string>

#include "fuzz_input.h"
#include "script_run.h"

namespace {

std::string Shaped(const uint8_t* data, size_t size) {
  if (size < 2) return nura::fuzz::Bytes(data, size);
  const int shape = data[0] % 5;
  const size_t repeats = 1 + static_cast<size_t>(data[1]) * 16;
  std::string piece = nura::fuzz::Bytes(data + 2, std::min<size_t>(size - 2, 64));
  const std::string tail = size > 66 ? nura::fuzz::Bytes(data + 66, size - 66) : std::string();
  if (shape == 0) return nura::fuzz::Bytes(data + 2, size - 2);
  static const char* const kSeparators[] = {"", "", " ", "\n", "("};
  std::string out;
  out.reserve((piece.size() + 1) * repeats + tail.size() + 2);
  for (size_t i = 0; i < repeats; ++i) out.append(piece).append(kSeparators[shape]);
  if (shape == 4 && data[1] % 2 == 0) out.append(repeats, ')');
  out.append("\n").append(tail);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nura::fuzz::RunScript(Shaped(data, size));
  return 0;
}
