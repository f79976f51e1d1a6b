// Column attributes: one character per display column of a row text. "4"
// and "5" are the lead and trail byte of a two-byte character, "3" the fill
// columns of a tab, "2" a word delimiter, "1" any other byte. The wrap
// algorithm and the caret walk them with TEditorAttributeArray.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace nura {

using TDelimiters = std::bitset<256>;
// The editor's word delimiters: control bytes, the blank and ASCII
// punctuation other than the underscore, 0x80, and 0xA0-0xA5, 0xFD-0xFF.
const TDelimiters& GetDelimiters();

struct TColumnLayout {
  int tabSpaceCount = 8;
  bool wordWrap = false;
  int wrapByte = 80;
};

// The attributes of `text`; production stops at wrapByte + 3 columns with
// word wrap, else at 1000.
std::string MakeColumnAttributes(std::string_view text, const TColumnLayout& layout,
                                 const TDelimiters& delimiters = GetDelimiters());
// The display width of `text` (tabs expanded, a two-byte character two).
int ExpandedLength(std::string_view text, const TColumnLayout& layout);

// A walker over a row text and its attributes that keeps the byte index
// (1-based) of the character under the current column (1-based).
class TEditorAttributeArray {
 public:
  void Start(std::string_view text, std::string_view attributes);
  int ColumnCount() const { return static_cast<int>(attrs_.size()) - 1; }
  int Column() const { return column_; }
  char Attribute() const { return attr_; }
  int ByteIndex() const { return index_; }
  bool OnSentinel() const { return attr_ == '0'; }
  void Next();
  void Prior();
  // The character under the current column; empty on the sentinel.
  std::string_view GetCharacter() const;
  // The character of the following column.
  std::string PeekNext();
  void MoveToColumn(int column);
  // Prior, and once more onto the end of a two-byte character.
  void StepBackCharacter();

 private:
  std::string_view text_;
  std::string attrs_;  // with the "0" sentinel
  int column_ = 0;
  char attr_ = '0';
  int index_ = 0;
};

}  // namespace nura
