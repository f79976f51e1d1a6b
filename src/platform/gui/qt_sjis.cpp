#include "platform/gui/qt_sjis.h"

#include "platform/sjis.h"

namespace nura {

QString SjisToQString(std::string_view sjis) {
  const std::u16string text = SjisToUtf16(sjis);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string QStringToSjis(const QString& text) {
  return Utf16ToSjis(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<size_t>(text.size())));
}

}  // namespace nura
