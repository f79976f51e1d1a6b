// What the stream, registry, INI and file-handle commands keep in the
// interpreter state, and the helpers they share.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/common_memory_stream.h"
#include "commands/ini_file_ex.h"
#include "commands/text_file_stream.h"
#include "engine/word_table.h"
#include "platform/registry_store.h"

namespace nura {

class TNuraEngine;

// The words the stream commands looked up last, kept while the word table
// keeps its shape (no word came or left since), so that a loop over the
// lines of a handle looks each name up in the table once.
class TWordMemo {
 public:
  // The word `name` of `words` (exact look-up), or nil.
  THashNode* Find(const THash& words, std::string_view name) {
    if (words.ShapeGeneration() == shape_) {
      for (const TEntry& entry : entries_)
        if (SameName(entry.name, name)) return entry.node;
    }
    return FindInTable(words, name);
  }

 private:
  THashNode* FindInTable(const THash& words, std::string_view name);
  // Names are short: a byte loop beats a call of memcmp.
  static bool SameName(const std::string& a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i]) return false;
    return true;
  }

  static constexpr size_t kWords = 4;
  struct TEntry {
    std::string name;
    THashNode* node = nullptr;
  };
  std::vector<TEntry> entries_;
  uint64_t shape_ = 0;
};

class TStreamState {
 public:
  // The streams of the file handles; a closed handle's slot stays empty.
  std::vector<std::unique_ptr<TTextFileStream>> handles;
  // Shared-memory blocks written by the program, kept open while it runs.
  std::vector<std::unique_ptr<TCommonMemoryStream>> sharedMemories;
  std::unique_ptr<TRegistry> registry;
  std::unique_ptr<TIniFileEx> ini;
  TWordMemo words;
  // Buffers the handle commands use again on every call: a word's name
  // taken off the arguments, and the line read.
  std::string name;
  std::string line;
};

// The word `name` (exact look-up through the memo), or nil.
THashNode* FindStreamWord(TNuraEngine& engine, std::string_view name);

// The interpreter's state of these commands (made on first use).
TStreamState& StreamStateOf(TNuraEngine& engine);

// The variable `name`, entered at the current run-control depth when
// missing; the read-only error for a protected word or one that is no
// variable. The word table holds the node (no reference is taken: look-ups
// on the way of every line read stay cheap).
THashNode& VariableForResult(TNuraEngine& engine, std::string_view name);

// True at the high security level (the level of "security.ini" read
// first, as the confirmation does).
bool SecurityLevelHigh(TNuraEngine& engine);

// Stores `value` with the type letter "s" in the variable; for "それ" the
// result kind becomes "s" as well.
void SetTextVariable(TNuraEngine& engine, THashNode& variable, const std::string& value);
// The same with `value` swapped in: `value` is left holding the variable's
// old text, so that its buffer serves again.
void SwapTextVariable(TNuraEngine& engine, THashNode& variable, std::string& value);

}  // namespace nura
