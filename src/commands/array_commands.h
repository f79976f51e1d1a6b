// The array commands (texts of CR LF separated lines: sorts, shuffle,
// reverse, line insert and delete) and the typed-memory commands that read
// and write binary fields inside a variable's value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nura {

void RegisterArrayCommands();

// The lines in random order: n + 1 swaps of two lines drawn by the shared
// generator.
void ShuffleLines(std::vector<std::string>& lines);

// Inserts `line` at `index`, padding with empty lines when the index lies
// at or beyond the end; a negative index does nothing. ERangeError when the
// padding would pass the growth bound (kMaxGrowthBytes).
void InsertLine(std::vector<std::string>& lines, int32_t index, const std::string& line);

// The typed fields, little-endian.
enum class TBinaryFormat { None, Char, Byte, Word, DWord, Int, CString };
TBinaryFormat BinaryFormatOf(const std::string& upperName);

// Reads the field at byte `start` (0-based) of `data`; `number` is set for
// the number formats, else `text`. False when the field does not lie inside
// `data`.
bool ReadBinaryField(const std::string& data, int64_t start, TBinaryFormat format,
                     long double& number, std::string& text);
// Writes the field in place; the length of `data` never changes. False when
// the field does not fit. A number outside the format's range is
// ERangeError.
bool WriteBinaryField(std::string& data, int64_t start, TBinaryFormat format,
                      long double number, const std::string& text);

}  // namespace nura
