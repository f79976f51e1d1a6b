// Conversion between Shift-JIS and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace nura {

QString SjisToQString(std::string_view sjis);
std::string QStringToSjis(const QString& text);

}  // namespace nura
