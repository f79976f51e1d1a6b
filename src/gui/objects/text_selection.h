// Selection properties of the one-line edit (also inside a combo box):
// "選択文字列", "選択位置" and "選択文字数", with offsets in bytes of the
// Shift-JIS text as scripts count them, and the input-method hint "IME".
#pragma once

#include <QString>
#include <optional>

#include "gui/objects/object_properties.h"

class QLineEdit;
class QWidget;

namespace nura {

// Byte offset of character position `pos` in `text`, and back.
int ByteOffsetOf(const QString& text, int pos);
int CharPositionOf(const QString& text, int bytes);

// The selection rows of a line edit; none for the other properties.
std::optional<TReadResult> ReadLineSelection(QLineEdit& edit, TProperty p, TPropertyValue& out);
std::optional<TWriteResult> WriteLineSelection(QLineEdit& edit, TProperty p, TPropertyInput& in);

// "IME": input-method modes are only hints on Linux; the mode is kept on
// the widget so that it reads back, and 0 closes the input method.
void SetImeMode(QWidget& widget, int mode);
int ImeMode(const QWidget& widget);

}  // namespace nura
