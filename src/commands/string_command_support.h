// Helpers shared by the string command handlers: argument reading, results
// and the variable argument whose rest is written back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/word_table.h"

namespace nura {

class TNuraEngine;

namespace string_cmd {

// An argument taken by its raw name: the word's value when the name is a
// word of the word table, else the name evaluated as an expression.
struct TVariableArgument {
  std::string raw;
  NodePtr node;        // the word, when the name is one
  std::string value;

  bool IsResultWord() const;
  // The word named, not quoted, and not "それ": the rest may be written back.
  bool CanWriteBack() const;
  // Writes `rest` into the word when CanWriteBack().
  void WriteBack(const std::string& rest) const;
};

TVariableArgument PopVariableArgument(TNuraEngine& engine);

}  // namespace string_cmd
}  // namespace nura
