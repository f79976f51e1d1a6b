#include "gui/objects/text_selection.h"

#include <QLineEdit>
#include <QVariant>

#include <algorithm>
#include <climits>

#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {

int ByteOffsetOf(const QString& text, int pos) {
  return static_cast<int>(QStringToSjis(text.left(pos)).size());
}

int CharPositionOf(const QString& text, int bytes) {
  int pos = 0;
  while (pos < text.size() && ByteOffsetOf(text, pos + 1) <= bytes) ++pos;
  return pos;
}

std::optional<TReadResult> ReadLineSelection(QLineEdit& edit, TProperty p, TPropertyValue& out) {
  const QString text = edit.text();
  const int start = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
  const int end = edit.hasSelectedText() ? edit.selectionEnd() : start;
  switch (p) {
    case TProperty::SelText:
      out.Set(QStringToSjis(edit.selectedText()), "s");
      return TReadResult::Done;
    case TProperty::SelStart:
      out.Number(ByteOffsetOf(text, start));
      return TReadResult::Done;
    case TProperty::SelLength:
      out.Number(ByteOffsetOf(text, end) - ByteOffsetOf(text, start));
      return TReadResult::Done;
    case TProperty::Ime:
      out.Number(ImeMode(edit));
      return TReadResult::Done;
    default:
      return std::nullopt;
  }
}

std::optional<TWriteResult> WriteLineSelection(QLineEdit& edit, TProperty p, TPropertyInput& in) {
  const QString text = edit.text();
  switch (p) {
    case TProperty::SelText:
      edit.insert(SjisToQString(in.Text()));
      return TWriteResult::Done;
    case TProperty::SelStart:
      edit.setCursorPosition(CharPositionOf(text, std::max(0, in.Number())));
      return TWriteResult::Done;
    case TProperty::SelLength: {
      const int start = edit.hasSelectedText() ? edit.selectionStart() : edit.cursorPosition();
      const int from = ByteOffsetOf(text, start);
      // A length past the end selects to the end; the sum must not overflow.
      const int to = CharPositionOf(text, from + std::clamp(in.Number(), 0, INT_MAX - from));
      edit.setSelection(start, to - start);
      return TWriteResult::Done;
    }
    case TProperty::Ime:
      SetImeMode(edit, in.Number());
      return TWriteResult::Done;
    default:
      return std::nullopt;
  }
}

void SetImeMode(QWidget& widget, int mode) {
  if (mode < 1 || mode > 4) mode = 0;
  widget.setProperty("nuraImeMode", mode);
  widget.setAttribute(Qt::WA_InputMethodEnabled, mode != 0);
}

int ImeMode(const QWidget& widget) { return widget.property("nuraImeMode").toInt(); }

}  // namespace nura
