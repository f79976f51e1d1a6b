#include "commands/ini_file_ex.h"

#include <charconv>
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
  return WriteStrings(section, {{key, value}});
}

bool TIniFileEx::WriteStrings(const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& values) {
  TIniFile ini;
  if (!LoadIni(native_, ini)) return false;
  for (const auto& [key, value] : values) ini.WriteString(section, key, value);
  return ini.Save(native_);
}

namespace {

constexpr int kNoState = 2147483647;

std::string FormSection(const TWindowPlacement& form) {
  return form.name.empty() ? "frmNura" : form.name;
}

// An integer value, or `fallback` when missing or not a number.
int ReadInt(const TIniFile& ini, const std::string& section, const char* key, int fallback) {
  const std::optional<std::string> text = ini.ReadString(section, key);
  if (!text) return fallback;
  int value = 0;
  const char* end = text->data() + text->size();
  const auto [p, ec] = std::from_chars(text->data(), end, value);
  return ec == std::errc() && p == end ? value : fallback;
}

}  // namespace

bool TIniFileEx::SaveForm(const TWindowPlacement& form) {
  const TWindowRect& normal = form.normal;
  return WriteStrings(FormSection(form), {{"state", std::to_string(form.state)},
                                          {"top", std::to_string(normal.top)},
                                          {"left", std::to_string(normal.left)},
                                          {"height", std::to_string(normal.height)},
                                          {"width", std::to_string(normal.width)}});
}

bool TIniFileEx::RestoreForm(const TWindowPlacement& form, TWindowRect& rect,
                             std::optional<int>& state) const {
  TIniFile ini;
  if (!LoadIni(native_, ini)) return false;
  const std::string section = FormSection(form);
  const TWindowRect& current = form.current;
  rect.top = ReadInt(ini, section, "top", current.top);
  rect.left = ReadInt(ini, section, "left", current.left);
  rect.height = ReadInt(ini, section, "height", current.height);
  rect.width = ReadInt(ini, section, "width", current.width);
  const int stored = ReadInt(ini, section, "state", kNoState);
  state = stored == kNoState ? std::nullopt : std::optional<int>(stored);
  return true;
}

}  // namespace nura
