#include "platform/font_list.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <fontconfig/fontconfig.h>

#include "platform/sjis.h"

namespace nura {

std::vector<std::string> FontSubstituteNames() {
  std::vector<std::string> names;
  for (const QString& name : QFont::substitutions()) names.push_back(QStringToSjis(name));
  return names;
}

std::vector<std::string> InstalledFontFamilies() {
  std::vector<std::string> names;
  if (QGuiApplication::instance() == nullptr) return names;
  for (const QString& name : QFontDatabase::families()) names.push_back(QStringToSjis(name));
  return names;
}

void ReleaseFontConfiguration() {
  FcConfig* empty = FcConfigCreate();
  if (!empty) return;
  FcConfigSetCurrent(empty);  // frees the configuration in use, if any
  FcConfigDestroy(empty);     // fontconfig keeps it as the current one
}

}  // namespace nura
