// Finding a pattern in a Shift-JIS buffer, forwards or backwards from a
// position, with options for case, whole words, width folding (half-width
// and full-width forms of a character match), and for passing over line
// breaks and blanks inside a hit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nura {

enum TSearchOption : uint16_t {
  SearchForward = 1,
  SearchMatchCase = 2,
  SearchWholeWord = 4,
  SearchFoldWidth = 8,
  SearchSkipLineBreaks = 0x80,
  SearchSkipBlanks = 0x100,
};

// The current hit or selection: its byte offset and length. A search
// starts after it (forwards) or before it (backwards).
struct TSearchPosition {
  int start = 0;
  int length = 0;
};

// The offset of the hit, or nothing; on a hit `pos.length` receives its
// length in the buffer (passed-over bytes included).
std::optional<int> TextSearch(std::string_view buffer, TSearchPosition& pos, std::string_view pattern,
                              uint16_t options);
// False for an empty pattern or buffer; else TextSearch, and on a hit
// `pos.start` becomes the hit's offset.
bool TextSearchOffset(std::string_view buffer, TSearchPosition& pos, std::string_view pattern, uint16_t options);

// Every one-byte character to its full-width form; a half-width kana with
// a voicing mark after it becomes the one voiced kana.
std::string FoldToFullWidth(std::string_view text);

}  // namespace nura
