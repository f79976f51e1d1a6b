#include "editor/editor_font.h"

#include <algorithm>

#include "editor/fountain.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

const TPropList& TEditorFont::Properties() const {
  using C = TEditorFont;
  static const TPropList props = {
      OrdProp<C, &C::Charset, &C::SetCharset>("Charset", TPropKind::Integer),
      OrdProp<C, &C::Color, &C::SetColor>("Color", TPropKind::Color),
      OrdProp<C, &C::Height, &C::SetHeight>("Height", TPropKind::Integer),
      StrProp<C, &C::Name, &C::SetName>("Name"),
      OrdProp<C, &C::Style, &C::SetStyle>("Style", TPropKind::Set, &kFontStyleNames),
  };
  return props;
}

void TEditorFont::SetHeight(int v) {
  if (v == 0) return;
  Update(height_, v < 0 ? std::max(v, -400) : std::min(v, 400));
}

QFont TEditorFont::ToQFont() const {
  QFont font(SjisToQString(name_));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(std::abs(height_));
  font.setBold(style_ & fsBold);
  font.setItalic(style_ & fsItalic);
  font.setUnderline(style_ & fsUnderline);
  font.setStrikeOut(style_ & fsStrikeOut);
  return font;
}

}  // namespace nura
