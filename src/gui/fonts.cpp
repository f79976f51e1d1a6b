#include "gui/fonts.h"

#include <QFont>
#include <QStringList>

namespace nura {

void InstallFontSubstitutes() {
  const QStringList sans = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP")};
  const QStringList mono = {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")};
  const QStringList serif = {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")};
  const struct {
    const char* name;
    const QStringList& to;
  } table[] = {
      {"ＭＳ ゴシック", mono},   {"ＭＳ Ｐゴシック", sans}, {"ＭＳ 明朝", serif},
      {"ＭＳ Ｐ明朝", serif},    {"ＭＳ UI Gothic", sans},  {"FixedSys", mono},
      {"MS Sans Serif", sans},   {"ＭＳ ＵＩ ゴシック", sans},
  };
  for (const auto& entry : table) QFont::insertSubstitutions(QString::fromUtf8(entry.name), entry.to);
}

}  // namespace nura
