// Japanese encodings: detection of a text's encoding and conversion between
// Shift-JIS, JIS (ISO-2022-JP) and EUC-JP. All texts are byte strings.
#pragma once

#include <string>
#include <string_view>

namespace nura {

// Results of DetectKanjiCode and targets of ConvertKanjiCode.
enum KanjiCode : int {
  kCodeAscii = 0,       // nothing but ASCII found
  kCodeBinary = 1,
  kCodeJis = 2,         // JIS, kanji-in escape ESC $ B
  kCodeJisOld = 3,      // JIS, kanji-in escape ESC $ @
  kCodeEuc = 4,
  kCodeSjis = 5,
  kCodeEucOrSjis = 6,   // undecided between EUC-JP and Shift-JIS
};

int DetectKanjiCode(std::string_view text);

// Converts `text` to the encoding `target` (2 JIS, 4 EUC-JP, 5 Shift-JIS).
// The text comes back unchanged when its encoding is ASCII, binary or
// undecided, equals the target, or the target is none of those three.
std::string ConvertKanjiCode(std::string_view text, int target);

std::string JisToSjis(std::string_view text);
std::string SjisToJis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string EucToJis(std::string_view text);
std::string SjisToEuc(std::string_view text);
std::string EucToSjis(std::string_view text);

}  // namespace nura
