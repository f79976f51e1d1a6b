// The editor's font as a storable option: name, height (negative: the
// character height in pixels), colour, character set and style bits.
#pragma once

#include <QFont>
#include <string>

#include "editor/editor_idents.h"
#include "editor/persistent.h"

namespace nura {

inline constexpr int kDefaultCharset = 1, kShiftJisCharset = 128;

class TEditorFont : public TNotifyPersistent {
 public:
  std::string_view ClassName() const override { return "TFont"; }
  const TPropList& Properties() const override;

  int Charset() const { return charset_; }
  void SetCharset(int v) { Update(charset_, v & 0xFF); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Update(color_, v); }
  int Height() const { return height_; }
  // Bounded to 1..400 pixels either way; 0 keeps the height.
  void SetHeight(int v);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { Update(name_, v); }
  int32_t Style() const { return style_; }
  void SetStyle(int32_t v) { Update(style_, v & 15); }

  // The Qt font (the Windows names are substituted by the platform).
  QFont ToQFont() const;

 private:
  int charset_ = kDefaultCharset;
  TColor color_ = clBlack;
  int height_ = -12;
  std::string name_ = "FixedSys";
  int32_t style_ = 0;
};

}  // namespace nura
