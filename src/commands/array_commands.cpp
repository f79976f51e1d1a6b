// Handlers of the array commands and of the typed-memory commands. An array
// is read with the string list's line rules and written back with CR LF
// after every line.
#include "commands/array_commands.h"

#include <algorithm>
#include <cmath>

#include "engine/command_api.h"
#include "support/csv_db.h"
#include "support/number_functions.h"
#include "commands/random.h"
#include "engine/errors.h"
#include "engine/locale_map.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {


// The string list's default order: without regard to case.
void SortText(TNuraEngine& engine, CommandId) {
  std::vector<std::string> lines = SplitLines(PopText(engine));
  std::vector<std::pair<std::string, size_t>> keys;
  keys.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys.emplace_back(ToLowerCase(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (const auto& key : keys) sorted.push_back(std::move(lines[key.second]));
  SetTextResult(engine, JoinLines(sorted));
}

// By the lines' numeric values; equal values keep their order.
void SortNumbers(TNuraEngine& engine, CommandId) {
  std::vector<std::string> lines = SplitLines(PopText(engine));
  std::vector<std::pair<long double, size_t>> keys;
  keys.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys.emplace_back(TextToNumber(lines[i]), i);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    if (std::isnan(b.first)) return false;
    return std::isnan(a.first) || a.first < b.first;
  });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (const auto& key : keys) sorted.push_back(std::move(lines[key.second]));
  SetTextResult(engine, JoinLines(sorted));
}

void Shuffle(TNuraEngine& engine, CommandId) {
  std::vector<std::string> lines = SplitLines(PopText(engine));
  ShuffleLines(lines);
  SetValueOnly(engine, JoinLines(lines));
}

void Reverse(TNuraEngine& engine, CommandId) {
  TCsvDb db;
  db.SetCsvText(PopText(engine));
  db.ReverseRows();
  SetTextResult(engine, db.GetCsvText());
}

void InsertLineCommand(TNuraEngine& engine, CommandId) {
  const std::string line = PopText(engine);
  const int32_t index = PopInteger(engine);
  std::vector<std::string> lines = SplitLines(PopText(engine));
  InsertLine(lines, index, line);
  SetValueOnly(engine, JoinLines(lines));
}

void DeleteLine(TNuraEngine& engine, CommandId) {
  const int32_t index = PopInteger(engine);
  std::vector<std::string> lines = SplitLines(PopText(engine));
  if (index >= 0 && static_cast<size_t>(index) < lines.size()) lines.erase(lines.begin() + index);
  SetValueOnly(engine, JoinLines(lines));
}

// ---- typed memory ----

NodePtr PopBinaryVariable(TNuraEngine& engine, CommandId id) {
  const std::string name = PopRawWord(engine);
  NodePtr node = FindWord(engine, name);
  if (!node) RaiseArgumentError(engine, id, SJ("未定義の変数が指定されました。"));
  return node;
}

std::string PopFormatName(TNuraEngine& engine) {
  std::string name = PopText(engine);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

void BinaryGet(TNuraEngine& engine, CommandId id) {
  const TBinaryFormat format = BinaryFormatOf(PopFormatName(engine));
  const int64_t offset = TruncToInt64(PopNumber(engine));
  const NodePtr node = PopBinaryVariable(engine, id);
  if (format == TBinaryFormat::None) return;
  long double number = 0;
  std::string text;
  if (!ReadBinaryField(node->Value(), offset < 2 ? 0 : offset - 1, format, number, text))
    throw ERangeError();
  switch (format) {
    case TBinaryFormat::Char: SetTextResult(engine, text); break;
    case TBinaryFormat::CString: SetValueOnly(engine, text); break;
    default: SetResult(engine, std::to_string(static_cast<int64_t>(number)), "e"); break;
  }
}

void BinarySet(TNuraEngine& engine, CommandId id) {
  const TBinaryFormat format = BinaryFormatOf(PopFormatName(engine));
  const int64_t offset = TruncToInt64(PopNumber(engine));
  const NodePtr node = PopBinaryVariable(engine, id);
  const std::string value = PopText(engine);
  if (format == TBinaryFormat::None) return;
  const bool numeric = format != TBinaryFormat::Char && format != TBinaryFormat::CString;
  const long double number = numeric ? TextToNumber(value) : 0;
  if (!WriteBinaryField(node->MutableValue(), offset - 1, format, number, value)) throw ERangeError();
}

size_t FieldSize(TBinaryFormat format) {
  switch (format) {
    case TBinaryFormat::Word: return 2;
    case TBinaryFormat::DWord:
    case TBinaryFormat::Int: return 4;
    default: return 1;
  }
}

bool FieldFits(const std::string& data, int64_t start, size_t size) {
  return start >= 0 && static_cast<uint64_t>(start) <= data.size() &&
         size <= data.size() - static_cast<size_t>(start);
}

// The number truncated, checked against [low, high].
int64_t CheckedInteger(long double number, int64_t low, int64_t high) {
  const int64_t value = TruncToInt64(number);
  if (value < low || value > high) throw ERangeError();
  return value;
}

}  // namespace

void ShuffleLines(std::vector<std::string>& lines) {
  const size_t n = lines.size();
  if (n == 0) return;
  if (n > UINT32_MAX) throw ERangeError();
  for (size_t round = 0; round <= n; ++round) {
    const uint32_t a = RandomBelow(static_cast<uint32_t>(n));
    const uint32_t b = RandomBelow(static_cast<uint32_t>(n));
    std::swap(lines[a], lines[b]);
  }
}

void InsertLine(std::vector<std::string>& lines, int32_t index, const std::string& line) {
  if (index < 0) return;
  const size_t at = static_cast<size_t>(index);
  if (at > lines.size()) {
    CheckGrowth((at - lines.size()) * sizeof(std::string));
    lines.resize(at);
  }
  lines.insert(lines.begin() + index, line);
}

TBinaryFormat BinaryFormatOf(const std::string& upperName) {
  if (upperName == "CHAR") return TBinaryFormat::Char;
  if (upperName == "BYTE") return TBinaryFormat::Byte;
  if (upperName == "WORD") return TBinaryFormat::Word;
  if (upperName == "DWORD") return TBinaryFormat::DWord;
  if (upperName == "INT") return TBinaryFormat::Int;
  if (upperName == "CHAR*") return TBinaryFormat::CString;
  return TBinaryFormat::None;
}

bool ReadBinaryField(const std::string& data, int64_t start, TBinaryFormat format,
                     long double& number, std::string& text) {
  if (format == TBinaryFormat::None || !FieldFits(data, start, FieldSize(format))) return false;
  const size_t at = static_cast<size_t>(start);
  if (format == TBinaryFormat::Char) {
    text = data.substr(at, 1);
    return true;
  }
  if (format == TBinaryFormat::CString) {
    const size_t end = data.find('\0', at);
    text = data.substr(at, end == std::string::npos ? std::string::npos : end - at);
    return true;
  }
  uint32_t value = 0;
  const size_t size = FieldSize(format);
  for (size_t i = 0; i < size; ++i)
    value |= static_cast<uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
  number = format == TBinaryFormat::Int ? static_cast<long double>(static_cast<int32_t>(value))
                                        : static_cast<long double>(value);
  return true;
}

bool WriteBinaryField(std::string& data, int64_t start, TBinaryFormat format,
                      long double number, const std::string& text) {
  if (format == TBinaryFormat::None) return false;
  if (format == TBinaryFormat::CString) {
    if (!FieldFits(data, start, text.size() + 1)) return false;
    const size_t at = static_cast<size_t>(start);
    std::copy(text.begin(), text.end(), data.begin() + static_cast<std::ptrdiff_t>(at));
    data[at + text.size()] = '\0';
    return true;
  }
  uint64_t value = 0;
  switch (format) {
    case TBinaryFormat::Char: value = text.empty() ? 0 : static_cast<unsigned char>(text[0]); break;
    case TBinaryFormat::Byte: value = static_cast<uint64_t>(TruncToInt64(number)) & 0xFF; break;
    case TBinaryFormat::Word: value = CheckedInteger(number, 0, UINT32_MAX) & 0xFFFF; break;
    case TBinaryFormat::DWord: value = CheckedInteger(number, 0, UINT32_MAX); break;
    default: value = static_cast<uint32_t>(CheckedInteger(number, INT32_MIN, INT32_MAX)); break;
  }
  const size_t size = FieldSize(format);
  if (!FieldFits(data, start, size)) return false;
  for (size_t i = 0; i < size; ++i)
    data[static_cast<size_t>(start) + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return true;
}

constexpr CommandEntry kArrayCommands[] = {
    {CommandId::Sort, SortText},
    {CommandId::NumberSort, SortNumbers},
    {CommandId::Reverse, Reverse},
    {CommandId::InsertLine, InsertLineCommand},
    {CommandId::DeleteLine, DeleteLine},
    {CommandId::Shuffle, Shuffle},
    {CommandId::BinaryGet, BinaryGet},
    {CommandId::BinarySet, BinarySet},
};

void RegisterArrayCommands() { RegisterCommandTable(kArrayCommands); }

}  // namespace nura
