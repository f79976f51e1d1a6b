#include "commands/ini_file_ex.h"

#include <QWidget>
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

std::string FormSection(const QWidget& form) {
  const std::string name = form.objectName().toStdString();
  return name.empty() ? "frmNura" : name;
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

bool TIniFileEx::SaveForm(const QWidget& form) { return SaveFormToSection(form, FormSection(form)); }

bool TIniFileEx::RestoreForm(QWidget& form) const { return RestoreFormFromSection(form, FormSection(form)); }

bool TIniFileEx::SaveFormToSection(const QWidget& form, const std::string& section) {
  const Qt::WindowStates states = form.windowState();
  const int state = states & Qt::WindowMinimized ? 1 : states & Qt::WindowMaximized ? 2 : 0;
  QRect normal = form.normalGeometry();
  if (normal.isEmpty()) normal = form.geometry();
  return WriteStrings(section, {{"state", std::to_string(state)},
                                {"top", std::to_string(normal.y())},
                                {"left", std::to_string(normal.x())},
                                {"height", std::to_string(normal.height())},
                                {"width", std::to_string(normal.width())}});
}

bool TIniFileEx::RestoreFormFromSection(QWidget& form, const std::string& section) const {
  TIniFile ini;
  if (!LoadIni(native_, ini)) return false;
  const QRect current = form.geometry();
  const int top = ReadInt(ini, section, "top", current.y());
  const int left = ReadInt(ini, section, "left", current.x());
  const int height = ReadInt(ini, section, "height", current.height());
  const int width = ReadInt(ini, section, "width", current.width());
  form.setGeometry(left, top, width, height);
  const int state = ReadInt(ini, section, "state", kNoState);
  if (state == kNoState) return true;
  Qt::WindowStates states = form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == 1) states |= Qt::WindowMinimized;
  if (state == 2) states |= Qt::WindowMaximized;
  form.setWindowState(states);
  return true;
}

}  // namespace nura
