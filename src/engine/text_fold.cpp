// Folding text into lines of a fixed width.
#include "engine/sjis_text.h"

namespace nura {
namespace {

class Folder {
 public:
  Folder(std::string_view text, int width, int tabWidth, std::string_view noBreak)
      : text_(text), width_(width), tabWidth_(tabWidth), noBreak_(noBreak) {}

  std::string Run() {
    while (i_ < text_.size()) {
      if (SjisCharLength(text_, i_) == 2) {
        if (column_ + 2 > width_ && Break()) continue;
        Copy(2, 2);
      } else {
        if (column_ >= width_ && Break()) continue;
        OneByte();
      }
    }
    return out_;
  }

 private:
  static bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

  void Copy(size_t bytes, int columns) {
    out_.append(text_.substr(i_, bytes));
    i_ += bytes;
    column_ += columns;
  }

  void OneByte() {
    const char c = text_[i_];
    if (c == '\t') {
      Copy(1, tabWidth_);
    } else if (IsLineEnd(c)) {
      ++i_;
      if (i_ < text_.size() && IsLineEnd(text_[i_])) ++i_;
      Break();
    } else {
      Copy(1, 1);
    }
  }

  // Ends the line. A no-break character that would begin the next line is
  // moved to the end of this one; returns true when it was.
  bool Break() {
    bool moved = false;
    if (!noBreak_.empty() && i_ < text_.size()) {
      const std::string_view ch = text_.substr(i_, SjisCharLength(text_, i_));
      if (SjisPosFrom(ch, noBreak_, 1) > 0) {
        out_.append(ch);
        i_ += ch.size();
        moved = true;
      }
    }
    out_ += "\r\n";
    column_ = 0;
    return moved;
  }

  std::string_view text_;
  int64_t width_;
  int64_t tabWidth_;
  std::string_view noBreak_;
  std::string out_;
  size_t i_ = 0;
  int64_t column_ = 0;
};

}  // namespace

std::string FoldText(std::string_view text, int width, int tabWidth, std::string_view noBreak) {
  if (width <= 0) return std::string(text);
  return Folder(text, width, tabWidth, noBreak).Run();
}

}  // namespace nura
