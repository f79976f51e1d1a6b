// The INI file of the INI commands: each read and write goes to the file
// (through the byte-exact Shift-JIS reader and writer of the platform), so
// other programs see changes at once.
#pragma once

#include <optional>
#include <string>

namespace nura {

class TIniFileEx {
 public:
  // `path` is the script path (Shift-JIS) the commands show in messages.
  explicit TIniFileEx(std::string path);

  const std::string& FileName() const { return path_; }
  // The value, nothing when the section or key (or the file) is missing;
  // false when the file exists but cannot be read.
  bool ReadString(const std::string& section, const std::string& key,
                  std::optional<std::string>& value) const;
  // False when the file cannot be read or written.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);

 private:
  std::string path_;
  std::string native_;
};

}  // namespace nura
