#include "platform/font_list.h"

#include <algorithm>

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

// The UTF-8 name with its Latin letters, narrow and full-width, in lower
// case (the names hold no other cased letters).
std::string LowerCaseName(std::string name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c >= 'A' && c <= 'Z') {
      name[i] = static_cast<char>(c - 'A' + 'a');
    } else if (c == 0xEF && i + 2 < name.size() && static_cast<unsigned char>(name[i + 1]) == 0xBC &&
               static_cast<unsigned char>(name[i + 2]) >= 0xA1 && static_cast<unsigned char>(name[i + 2]) <= 0xBA) {
      // U+FF21..FF3A (EF BC A1..BA) to U+FF41..FF5A (EF BD 81..9A)
      name[i + 1] = static_cast<char>(0xBD);
      name[i + 2] = static_cast<char>(static_cast<unsigned char>(name[i + 2]) - 0x20);
      i += 2;
    }
  }
  return name;
}

}  // namespace

std::span<const TFontSubstitute> FontSubstitutes() { return kSubstitutes; }

// Qt keeps a substituted name in lower case and lists the names sorted (by
// UTF-16 code units, which for these names is the order of their bytes).
std::vector<std::string> FontSubstituteNames() {
  std::vector<std::string> lowered;
  for (const TFontSubstitute& substitute : kSubstitutes) lowered.push_back(LowerCaseName(substitute.name));
  std::sort(lowered.begin(), lowered.end());
  std::vector<std::string> names;
  for (const std::string& name : lowered) names.push_back(Utf8ToSjis(name));
  return names;
}

std::vector<std::string> InstalledFontFamilies() {
  if (TWindowSystem* system = WindowSystem()) return system->InstalledFontFamilies();
  return {};
}

}  // namespace nura
