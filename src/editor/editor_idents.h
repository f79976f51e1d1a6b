// Colour and cursor values of the editor's options and their names, as the
// component stream stores them. Colours are 0x00BBGGRR; clNone, clDefault
// and the system colours are sentinel values outside that range. Cursor
// values are the class library's numbers (0 and below) and the editor's two
// own cursors.
#pragma once

#include <Qt>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QColor;

namespace nura {

using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                        clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080,
                        clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0,
                        clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                        clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00,
                        clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF, clDefault = 0x20000000;
// System colours: the high bit and the index of the system colour.
inline constexpr TColor kSystemColorBase = static_cast<TColor>(0x80000000u);
inline constexpr TColor clWindow = kSystemColorBase | 5, clWindowText = kSystemColorBase | 8,
                        clHighlight = kSystemColorBase | 13, clHighlightText = kSystemColorBase | 14,
                        clBtnFace = kSystemColorBase | 15;

// "clRed" for clRed and so on; nothing for a value without a name.
std::optional<std::string_view> ColorToIdent(TColor color);
// The value of a colour name (compared without regard to case).
std::optional<TColor> IdentToColor(std::string_view name);
// The colour as drawn: system colours resolve to fixed light-theme values;
// clNone and clDefault give an invalid QColor (nothing to paint).
QColor ColorToQColor(TColor color);

using TCursor = int32_t;
inline constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                         crDrag = -12, crHandPoint = -21;
// The editor's own cursors, registered at the first free numbers.
inline constexpr TCursor crRightArrow = 1, crDragSelCopy = 2;

// "crRightArrow", "crDragSelCopy", or the class library's cursor name;
// nothing for an unnamed number.
std::optional<std::string_view> EditorCursorToIdent(TCursor cursor);
// The reverse (names compared without regard to case).
std::optional<TCursor> EditorIdentToCursor(std::string_view name);
// Calls `proc` with every standard cursor name, then the editor's two.
void GetEditorCursorValues(const std::function<void(std::string_view)>& proc);
// The Qt shape that shows the cursor; the editor's own two are
// Qt::BitmapCursor (their pictures are EditorCursorImage, editor_pictures.h).
Qt::CursorShape CursorToQtShape(TCursor cursor);

}  // namespace nura
