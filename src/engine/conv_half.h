// Width folding: TConvToHalf folds full-width letters, digits, symbols,
// Japanese punctuation and quotation brackets of Shift-JIS text to ASCII,
// so that a script may be written in full width and still parse. Also the
// small number and text conversions that go with it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nura {

class TConvToHalf {
 public:
  TConvToHalf();
  ~TConvToHalf();
  TConvToHalf(const TConvToHalf&) = delete;
  TConvToHalf& operator=(const TConvToHalf&) = delete;

  // Adds one pair; a character added again replaces its old replacement.
  // `full` is one character, two bytes (or one for the half-width brackets).
  void AddPair(std::string_view full, std::string_view ascii);
  void AddLetters();
  void AddSymbols();
  void AddSpacesAndQuotes();
  void AddDigits();
  // All four tables in their binding order.
  void AddAll();

  // The replacement of one character (one or two bytes), or nullptr when it
  // has none. Fast: two array look-ups.
  const std::string* Find(std::string_view ch) const {
    if (ch.empty()) return nullptr;
    unsigned hi = 0, lo = static_cast<unsigned char>(ch[0]);
    if (ch.size() >= 2) {
      hi = lo;
      lo = static_cast<unsigned char>(ch[1]);
    }
    const Page* page = pages_[hi].get();
    if (!page) return nullptr;
    uint16_t index = (*page)[lo];
    return index ? &values_[index - 1] : nullptr;
  }

  // False when no two-byte character with this lead byte has a pair (and,
  // for 0, when no one-byte character has one): such text passes unchanged.
  bool HasPairsWithLead(unsigned char lead) const { return pages_[lead] != nullptr; }

  // The pair's ASCII text, or the character itself.
  std::string ConvertChar(std::string_view ch) const;
  // Folds a whole text character by character.
  std::string Convert(std::string_view text) const;

 private:
  using Page = std::array<uint16_t, 256>;  // 1-based index into values_, 0 = none
  void AddCode(unsigned code, std::string_view ascii);
  std::array<std::unique_ptr<Page>, 256> pages_;  // by lead byte; 0 for one-byte keys
  std::vector<std::string> values_;
};

// A fully loaded TConvToHalf converts the text.
std::string ConvertToHalf(std::string_view text);

// TABs become spaces up to the next multiple of `tabWidth` (a two-byte
// character counts two columns); every line break becomes CR LF. A width
// below 1 counts as 1.
std::string ExpandTabs(std::string_view text, int tabWidth);

// Trunc(x * 10^digits) / 10^digits, toward zero.
long double TruncateDigits(int digits, long double x);
// x * 10^digits rounded to the nearest integer, a half to the even one,
// divided by 10^digits.
long double RoundDigits(int digits, long double x);

// "#RRGGBB" -> red + green * 256 + blue * 65536; any other text is read as
// a decimal integer; what cannot be read counts 0.
int32_t ColorTextToValue(std::string_view text);

// The last `count` bytes of the text.
std::string RightBytes(std::string_view text, int count);

}  // namespace nura
