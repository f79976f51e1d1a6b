#include "platform/font_list.h"

#include <QString>
#include <QStringList>

#include "platform/sjis.h"
#include "platform/window_system.h"

namespace nura {
namespace {

constexpr const char* kSans[] = {"Noto Sans CJK JP", "Noto Sans JP", nullptr};
constexpr const char* kMono[] = {"Noto Sans Mono CJK JP", "Noto Sans CJK JP", nullptr};
constexpr const char* kSerif[] = {"Noto Serif CJK JP", "Noto Sans CJK JP", nullptr};

constexpr TFontSubstitute kSubstitutes[] = {
    {"ＭＳ ゴシック", kMono},   {"ＭＳ Ｐゴシック", kSans}, {"ＭＳ 明朝", kSerif},
    {"ＭＳ Ｐ明朝", kSerif},    {"ＭＳ UI Gothic", kSans},  {"FixedSys", kMono},
    {"MS Sans Serif", kSans},   {"ＭＳ ＵＩ ゴシック", kSans},
};

}  // namespace

std::span<const TFontSubstitute> FontSubstitutes() { return kSubstitutes; }

// Qt keeps a substituted name in lower case and lists the names sorted.
std::vector<std::string> FontSubstituteNames() {
  QStringList lowered;
  for (const TFontSubstitute& substitute : kSubstitutes) lowered << QString::fromUtf8(substitute.name).toLower();
  lowered.sort();
  std::vector<std::string> names;
  for (const QString& name : lowered) names.push_back(QStringToSjis(name));
  return names;
}

std::vector<std::string> InstalledFontFamilies() {
  if (TWindowSystem* system = WindowSystem()) return system->InstalledFontFamilies();
  return {};
}

}  // namespace nura
