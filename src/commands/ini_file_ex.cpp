#include "commands/ini_file_ex.h"

#include <filesystem>
#include <system_error>

#include "platform/ini_file.h"
#include "platform/native_path.h"

namespace nura {

namespace {

// Loads the file; a missing file is an empty one.
bool LoadIni(const std::string& native, TIniFile& ini) {
  if (ini.Load(native)) return true;
  std::error_code ec;
  return !std::filesystem::exists(native, ec) && !ec;
}

}  // namespace

TIniFileEx::TIniFileEx(std::string path) : path_(std::move(path)), native_(ScriptPathToNative(path_)) {}

bool TIniFileEx::ReadString(const std::string& section, const std::string& key,
                            std::optional<std::string>& value) const {
  TIniFile ini;
  if (!LoadIni(native_, ini)) return false;
  value = ini.ReadString(section, key);
  return true;
}

bool TIniFileEx::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
  TIniFile ini;
  if (!LoadIni(native_, ini)) return false;
  ini.WriteString(section, key, value);
  return ini.Save(native_);
}

}  // namespace nura
