// The editor's own pictures: its two mouse cursors, the digit and mark
// images of the mark bar, the clipboard format of box selections, and
// dotted lines.
#pragma once

#include <QImage>
#include <string_view>

#include "editor/editor_idents.h"

class QCursor;
class QPainter;

namespace nura {

// The MIME type that marks a box selection on the clipboard ("TEditor Box
// Type").
inline constexpr std::string_view kBoxSelectionMimeType = "application/x-teditor-box-type";

// The picture of crRightArrow or crDragSelCopy (32 x 32, transparent
// background); a null image for any other cursor.
QImage EditorCursorImage(TCursor cursor);
// A QCursor for any cursor value (needs the GUI application).
QCursor EditorQCursor(TCursor cursor);

// Mark-bar images: digits 0-9 (8 x 11) and marks 0-5 (11 x 11), with
// transparent backgrounds; a null image for an index out of range.
QImage MarkDigitImage(int digit);
QImage MarkImage(int mark);

// A dotted line on row `y` from `x1` to `x2` (both included): background
// colour, then every other pixel from `x1` in the dot colour.
void DrawDotLine(QPainter& canvas, int x1, int y, TColor background, TColor dot, int x2);

}  // namespace nura
