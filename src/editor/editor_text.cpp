#include "editor/editor_text.h"

#include "editor/row_list.h"
#include "engine/sjis_text.h"

namespace nura {

namespace {

// Calls `fn(index)` for each character start (0-based) until it returns false.
template <typename Fn>
void ForEachChar(std::string_view text, Fn fn) {
  for (size_t i = 0; i < text.size(); i += EditorCharLength(text, i)) {
    if (!fn(i)) return;
  }
}

}  // namespace

int CountCharInPrefix(std::string_view text, char byte, int n) {
  if (n <= 0) return 0;
  const std::string_view prefix = text.substr(0, static_cast<size_t>(n));
  int count = 0;
  for (char c : prefix) count += c == byte;
  return count;
}

bool IsDbcsLeadAt(std::string_view text, int pos) {
  if (pos < 1 || static_cast<size_t>(pos) > text.size()) return false;
  const size_t target = static_cast<size_t>(pos - 1);
  bool lead = false;
  ForEachChar(text, [&](size_t i) {
    if (i < target) return true;
    lead = i == target && EditorCharLength(text, i) == 2;
    return false;
  });
  return lead;
}

bool IsDbcsTrailAt(std::string_view text, int pos) {
  if (pos < 2 || static_cast<size_t>(pos) > text.size()) return false;
  const size_t target = static_cast<size_t>(pos - 1);
  bool trail = false;
  ForEachChar(text, [&](size_t i) {
    if (i + 1 < target) return true;
    trail = i + 1 == target && EditorCharLength(text, i) == 2;
    return false;
  });
  return trail;
}

unsigned char ByteAtPos(std::string_view text, int pos) {
  if (pos < 1 || static_cast<size_t>(pos) > text.size()) return 0;
  return static_cast<unsigned char>(text[static_cast<size_t>(pos - 1)]);
}

bool SjisContains(std::string_view part, std::string_view text) {
  if (part.empty() || part.size() > text.size()) return false;
  bool found = false;
  ForEachChar(text, [&](size_t i) {
    found = text.compare(i, part.size(), part) == 0;
    return !found && i + part.size() < text.size();
  });
  return found;
}

std::vector<std::string> SplitRowsText(std::string_view text) { return SplitLines(text); }

void TextToStrings(std::string_view text, TheStringList& list) {
  const std::vector<std::string> lines = SplitLines(text.substr(0, text.find('\0')));
  list.BeginUpdate();
  try {
    list.Clear();
    for (const std::string& line : lines) list.Add(line);
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace nura
