#include "editor/column_attributes.h"

#include <algorithm>

#include "editor/editor_text.h"

namespace nura {

const TDelimiters& GetDelimiters() {
  static const TDelimiters set = [] {
    TDelimiters d;
    for (int b = 0; b < 256; ++b) {
      d[static_cast<size_t>(b)] = b <= 47 || (b >= 58 && b <= 64) || (b >= 91 && b <= 94) || b == 96 ||
                                  (b >= 123 && b <= 128) || (b >= 160 && b <= 165) || b >= 253;
    }
    return d;
  }();
  return set;
}

namespace {

// Columns a tab adds at display width `width` (its own column included).
int TabWidthAt(int width, const TColumnLayout& layout) {
  const int n = std::max(1, layout.tabSpaceCount);
  int step = n - width % n;
  if (layout.wordWrap && layout.wrapByte > 0) step = std::min(step, layout.wrapByte - width % layout.wrapByte);
  return step;
}

}  // namespace

std::string MakeColumnAttributes(std::string_view text, const TColumnLayout& layout, const TDelimiters& delimiters) {
  const size_t limit = layout.wordWrap ? static_cast<size_t>(layout.wrapByte) + 3 : 1000;
  std::string attrs;
  attrs.reserve(std::min(limit, text.size() + 8));
  for (size_t i = 0; i < text.size() && attrs.size() < limit;) {
    if (EditorCharLength(text, i) == 2) {
      attrs += "45";
      i += 2;
      continue;
    }
    const auto b = static_cast<unsigned char>(text[i++]);
    attrs += delimiters[b] ? '2' : '1';
    if (b == '\t') attrs.append(static_cast<size_t>(TabWidthAt(static_cast<int>(attrs.size()) - 1, layout) - 1), '3');
  }
  if (attrs.size() > limit) attrs.resize(limit);
  return attrs;
}

int ExpandedLength(std::string_view text, const TColumnLayout& layout) {
  if (text.find('\t') == std::string_view::npos) return static_cast<int>(text.size());
  int width = 0;
  for (size_t i = 0; i < text.size();) {
    const size_t n = EditorCharLength(text, i);
    width += text[i] == '\t' ? TabWidthAt(width, layout) : static_cast<int>(n);
    i += n;
  }
  return width;
}

void TEditorAttributeArray::Start(std::string_view text, std::string_view attributes) {
  text_ = text;
  attrs_.assign(attributes);
  attrs_ += '0';
  column_ = 0;
  index_ = 0;
  attr_ = '1';
  Next();
}

void TEditorAttributeArray::Next() {
  if (column_ > 0 && OnSentinel()) return;
  ++column_;
  attr_ = attrs_[static_cast<size_t>(column_ - 1)];
  if (attr_ != '3') ++index_;
}

void TEditorAttributeArray::Prior() {
  if (column_ <= 1) return;
  if (attr_ != '3') --index_;
  --column_;
  attr_ = attrs_[static_cast<size_t>(column_ - 1)];
}

std::string_view TEditorAttributeArray::GetCharacter() const {
  if (OnSentinel() || index_ < 1) return {};
  const size_t i = static_cast<size_t>(index_ - 1);
  if (attr_ == '4') return text_.substr(i, 2);
  if (attr_ == '5') return i >= 1 ? text_.substr(i - 1, 2) : text_.substr(i, 1);
  return text_.substr(i, 1);
}

std::string TEditorAttributeArray::PeekNext() {
  const int column = column_;
  Next();
  std::string c(column_ != column ? GetCharacter() : std::string_view());
  if (column_ != column) Prior();
  return c;
}

void TEditorAttributeArray::MoveToColumn(int column) {
  while (!OnSentinel() && column_ < column) Next();
  while (column_ > 1 && column_ > column) Prior();
}

void TEditorAttributeArray::StepBackCharacter() {
  Prior();
  if (attr_ == '4') Prior();
}

}  // namespace nura
