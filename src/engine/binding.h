// Argument binding: the stacked argument texts of a command, each ending in
// its particle, are matched to the slots of the command's particle pattern
// ("?を,?に") by particle, not by position.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

// A binding error not yet formatted for the error log.
class EBinding : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when an argument ending in `tail` fits a slot with `particle`:
// equal, or one of the accepted pairs (slot と and の take を; slot を takes
// と and の; に and へ take each other).
bool ParticleMatches(std::string_view tail, std::string_view particle);

// The particles of a pattern's slots: each slot trimmed, a leading "?"
// removed. An empty pattern has no slots.
std::vector<std::string> PatternParticles(const std::string& pattern);

// Binds the top of `stack` (the last element is the top) to the slots of
// `pattern` and leaves the bound texts on top in slot order, particles
// removed. A long particle that the word reader gave as its head particle
// and a word ("受けを", "呼ぶ" for "を呼ぶ") is taken from those two texts
// together. A missing first argument is supplied as "それ". Returns whether
// it was supplied (the implicit subject). Texts that no slot took stay
// below. Throws EBinding for too few arguments, an argument that no slot
// takes, and a stack of more than 5000 texts.
bool BindArguments(std::vector<std::string>& stack, const std::string& command,
                   const std::string& pattern, bool lenient);

// The comparison of the numeric sorts: the sign of the difference of the
// two lines read as numbers. A strict weak ordering for any input.
int CompareNumericLines(const std::string& a, const std::string& b);
int NumericLineCompare(const std::vector<std::string>& list, size_t i, size_t j);

}  // namespace nura
