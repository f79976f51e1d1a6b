#include "editor/editor_idents.h"

#include <QColor>
#include <array>

#include "platform/ini_file.h"

namespace nura {

namespace {

struct ColorName {
  TColor value;
  std::string_view name;
};

constexpr std::array kColorNames = {
    ColorName{clBlack, "clBlack"},     ColorName{clMaroon, "clMaroon"},
    ColorName{clGreen, "clGreen"},     ColorName{clOlive, "clOlive"},
    ColorName{clNavy, "clNavy"},       ColorName{clPurple, "clPurple"},
    ColorName{clTeal, "clTeal"},       ColorName{clGray, "clGray"},
    ColorName{clSilver, "clSilver"},   ColorName{clRed, "clRed"},
    ColorName{clLime, "clLime"},       ColorName{clYellow, "clYellow"},
    ColorName{clBlue, "clBlue"},       ColorName{clFuchsia, "clFuchsia"},
    ColorName{clAqua, "clAqua"},       ColorName{clWhite, "clWhite"},
    ColorName{clNone, "clNone"},       ColorName{clDefault, "clDefault"},
    ColorName{kSystemColorBase | 0, "clScrollBar"},
    ColorName{kSystemColorBase | 1, "clBackground"},
    ColorName{kSystemColorBase | 2, "clActiveCaption"},
    ColorName{kSystemColorBase | 3, "clInactiveCaption"},
    ColorName{kSystemColorBase | 4, "clMenu"},
    ColorName{clWindow, "clWindow"},
    ColorName{kSystemColorBase | 6, "clWindowFrame"},
    ColorName{kSystemColorBase | 7, "clMenuText"},
    ColorName{clWindowText, "clWindowText"},
    ColorName{kSystemColorBase | 9, "clCaptionText"},
    ColorName{kSystemColorBase | 10, "clActiveBorder"},
    ColorName{kSystemColorBase | 11, "clInactiveBorder"},
    ColorName{kSystemColorBase | 12, "clAppWorkSpace"},
    ColorName{clHighlight, "clHighlight"},
    ColorName{clHighlightText, "clHighlightText"},
    ColorName{clBtnFace, "clBtnFace"},
    ColorName{kSystemColorBase | 16, "clBtnShadow"},
    ColorName{kSystemColorBase | 17, "clGrayText"},
    ColorName{kSystemColorBase | 18, "clBtnText"},
    ColorName{kSystemColorBase | 19, "clInactiveCaptionText"},
    ColorName{kSystemColorBase | 20, "clBtnHighlight"},
    ColorName{kSystemColorBase | 21, "cl3DDkShadow"},
    ColorName{kSystemColorBase | 22, "cl3DLight"},
    ColorName{kSystemColorBase | 23, "clInfoText"},
    ColorName{kSystemColorBase | 24, "clInfoBk"},
};

// Light-theme values of the system colours, by index.
constexpr std::array<TColor, 25> kSystemColorValues = {
    0xC8C8C8, 0xA56E3A, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF};

struct CursorName {
  TCursor value;
  std::string_view name;
  Qt::CursorShape shape;
};

constexpr std::array kCursorNames = {
    CursorName{crDefault, "crDefault", Qt::ArrowCursor},
    CursorName{crNone, "crNone", Qt::BlankCursor},
    CursorName{crArrow, "crArrow", Qt::ArrowCursor},
    CursorName{crCross, "crCross", Qt::CrossCursor},
    CursorName{crIBeam, "crIBeam", Qt::IBeamCursor},
    CursorName{-6, "crSizeNESW", Qt::SizeBDiagCursor},
    CursorName{-7, "crSizeNS", Qt::SizeVerCursor},
    CursorName{-8, "crSizeNWSE", Qt::SizeFDiagCursor},
    CursorName{-9, "crSizeWE", Qt::SizeHorCursor},
    CursorName{-10, "crUpArrow", Qt::UpArrowCursor},
    CursorName{-11, "crHourGlass", Qt::WaitCursor},
    CursorName{crDrag, "crDrag", Qt::DragMoveCursor},
    CursorName{-13, "crNoDrop", Qt::ForbiddenCursor},
    CursorName{-14, "crHSplit", Qt::SplitHCursor},
    CursorName{-15, "crVSplit", Qt::SplitVCursor},
    CursorName{-16, "crMultiDrag", Qt::DragCopyCursor},
    CursorName{-17, "crSQLWait", Qt::WaitCursor},
    CursorName{-18, "crNo", Qt::ForbiddenCursor},
    CursorName{-19, "crAppStart", Qt::BusyCursor},
    CursorName{-20, "crHelp", Qt::WhatsThisCursor},
    CursorName{crHandPoint, "crHandPoint", Qt::PointingHandCursor},
    CursorName{-22, "crSizeAll", Qt::SizeAllCursor},
    CursorName{crRightArrow, "crRightArrow", Qt::BitmapCursor},
    CursorName{crDragSelCopy, "crDragSelCopy", Qt::BitmapCursor},
};

// The first entry of `table` whose field matches.
template <typename Table, typename Pred>
auto FindEntry(const Table& table, Pred pred) -> const typename Table::value_type* {
  for (const auto& e : table) {
    if (pred(e)) return &e;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string_view> ColorToIdent(TColor color) {
  const auto* e = FindEntry(kColorNames, [&](const ColorName& c) { return c.value == color; });
  return e ? std::optional(e->name) : std::nullopt;
}

std::optional<TColor> IdentToColor(std::string_view name) {
  const auto* e = FindEntry(kColorNames, [&](const ColorName& c) { return SjisEqualsIgnoreAsciiCase(c.name, name); });
  return e ? std::optional(e->value) : std::nullopt;
}

QColor ColorToQColor(TColor color) {
  if (color == clNone || color == clDefault) return QColor();
  if (color < 0) {
    const uint32_t index = static_cast<uint32_t>(color) & 0xFF;
    color = index < kSystemColorValues.size() ? kSystemColorValues[index] : clBlack;
  }
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

std::optional<std::string_view> EditorCursorToIdent(TCursor cursor) {
  const auto* e = FindEntry(kCursorNames, [&](const CursorName& c) { return c.value == cursor; });
  return e ? std::optional(e->name) : std::nullopt;
}

std::optional<TCursor> EditorIdentToCursor(std::string_view name) {
  const auto* e = FindEntry(kCursorNames, [&](const CursorName& c) { return SjisEqualsIgnoreAsciiCase(c.name, name); });
  return e ? std::optional(e->value) : std::nullopt;
}

void GetEditorCursorValues(const std::function<void(std::string_view)>& proc) {
  for (const CursorName& c : kCursorNames) proc(c.name);
}

Qt::CursorShape CursorToQtShape(TCursor cursor) {
  const auto* e = FindEntry(kCursorNames, [&](const CursorName& c) { return c.value == cursor; });
  return e ? e->shape : Qt::ArrowCursor;
}

}  // namespace nura
