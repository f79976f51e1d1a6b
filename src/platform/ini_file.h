// Reading and writing INI profile files byte for byte as Shift-JIS, in the
// manner of the profile functions: "[section]" lines open sections,
// "key=value" lines hold values; section and key names compare without
// regard to ASCII case; blanks around names and values are dropped and one
// pair of enclosing double or single quotes is removed from a value. A
// write changes only the line of its key; every other byte stays.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

class TIniFile {
 public:
  // Reads the file; false when it cannot be read (the object is then empty).
  bool Load(const std::string& nativePath);
  // Parses INI text held in memory.
  void LoadFromText(std::string_view text);

  // The value of `key` in `section`; nothing when either is missing. The
  // first occurrence counts when a section or key appears twice.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // The keys of `section` (its first occurrence) in file order, as written.
  std::vector<std::string> Keys(std::string_view section) const;

  // Sets `key` of `section` to `value` in memory: the key's line is
  // replaced, a new key goes behind the last line of its section, a new
  // section is appended at the end. New lines end with CR LF.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Removes the line of `key` in `section` (their first occurrences); false
  // when there is no such key. Every other byte stays.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Writes the text to the file, crash-safe; false on failure.
  bool Save(const std::string& nativePath) const;

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// ASCII letters compared without case; two-byte Shift-JIS characters
// compare exactly (their trail bytes are never case-folded).
bool SjisEqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace nura
