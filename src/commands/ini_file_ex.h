// The INI file of the INI commands: each read and write goes to the file
// (through the byte-exact Shift-JIS reader and writer of the platform), so
// other programs see changes at once.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window_placement.h"

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
  // Several keys of one section in one write of the file.
  bool WriteStrings(const std::string& section,
                    const std::vector<std::pair<std::string, std::string>>& values);

  // A window's position and state in the section named after the window
  // (its object name, "frmNura" when it has none), with the keys "top",
  // "left", "height", "width" and "state" (0 normal, 1 minimised, 2
  // maximised). The position saved is that of the normal state. Restoring
  // gives the stored rectangle, the current value for a missing key, and
  // the state when one was stored. False when the file cannot be read or
  // written.
  bool SaveForm(const TWindowPlacement& form);
  bool RestoreForm(const TWindowPlacement& form, TWindowRect& rect,
                   std::optional<int>& state) const;

 private:
  std::string path_;
  std::string native_;
};

}  // namespace nura
