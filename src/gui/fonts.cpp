#include "gui/fonts.h"

#include <QFontMetrics>
#include <QImage>
#include <QStringList>
#include <algorithm>

#include "engine/command_api.h"
#include "platform/font_list.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

void InstallFontSubstitutes() {
  for (const TFontSubstitute& substitute : FontSubstitutes()) {
    QStringList families;
    for (const char* const* family = substitute.families; *family; ++family) families << QString::fromUtf8(*family);
    QFont::insertSubstitutions(QString::fromUtf8(substitute.name), families);
  }
}

void SetFontStyle(QFont& font, int style) {
  font.setBold(style & 1);
  font.setItalic(style & 2);
  font.setUnderline(style & 4);
}

int ClampFontSize(int points) { return std::clamp(points, 1, 400); }

QFont ScriptFont(const std::string& name, int size, int style) {
  QFont font(SjisToQString(name));
  font.setPointSize(ClampFontSize(size));
  SetFontStyle(font, style);
  return font;
}

QFont FontOfSettings(TNuraEngine& engine, int32_t& colour) {
  int size = 0, style = 0;
  std::string name;
  GetFontSettings(engine, colour, size, name, style);
  return ScriptFont(name, size, style);
}

int TextHeightOnPicture(const QFont& font, const std::string& text) {
  QImage probe(1, 1, QImage::Format_RGB32);
  return QFontMetrics(font, &probe).size(0, SjisToQString(text)).height();
}

}  // namespace nura
