// Handlers of the string commands that measure, cut, search, replace,
// split and fold text.
#include "commands/string_commands.h"

#include "engine/command_api.h"
#include "support/csv_db.h"
#include "support/number_functions.h"
#include "commands/string_command_support.h"
#include "engine/scanners.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using namespace string_cmd;

// ---- measuring and copying ----

void LengthCommand(TNuraEngine& engine, CommandId) {
  SetIntegerResult(engine, SjisLength(PopText(engine)));
}

void ByteLengthCommand(TNuraEngine& engine, CommandId) {
  SetIntegerResult(engine, static_cast<int64_t>(PopText(engine).size()));
}

void PosCommand(TNuraEngine& engine, CommandId) {
  const std::string sub = PopText(engine);
  const std::string text = PopText(engine);
  SetIntegerResult(engine, sub.size() > text.size() ? 0 : SjisPos(sub, text));
}

// "MID" and "MIDB" read their numbers with the plain integer parse.
int32_t PopPlainInteger(TNuraEngine& engine) {
  int32_t n = 0;
  return ParsePlainInteger(PopText(engine), n) ? n : 0;
}

void MidCommand(TNuraEngine& engine, CommandId) {
  const int32_t count = PopPlainInteger(engine);
  const int32_t start = PopPlainInteger(engine);
  SetTextResult(engine, SjisCopy(PopText(engine), start, count));
}

void MidBytesCommand(TNuraEngine& engine, CommandId) {
  const int64_t count = PopPlainInteger(engine);
  const int64_t start = std::max<int64_t>(PopPlainInteger(engine), 1);
  const std::string text = PopText(engine);
  std::string result;
  if (count > 0 && start <= static_cast<int64_t>(text.size())) {
    result = text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
  }
  SetTextResult(engine, result);
}

// The last n characters; what there is when n reaches the length.
std::string RightChars(const std::string& text, int64_t n) {
  if (n <= 0) return std::string();
  const int64_t length = SjisLength(text);
  return n >= length ? text : SjisCopy(text, length - n + 1, n);
}

void LeftRightCommand(TNuraEngine& engine, CommandId id) {
  const int32_t n = PopInteger(engine);
  const std::string text = PopText(engine);
  SetTextResult(engine, id == CommandId::Left ? SjisCopy(text, 1, n) : RightChars(text, n));
}

void DropCommand(TNuraEngine& engine, CommandId id) {
  const int64_t n = PopInteger(engine);
  const std::string text = PopText(engine);
  const int64_t length = SjisLength(text);
  SetTextResult(engine, id == CommandId::DropRight ? SjisCopy(text, 1, length - n)
                                           : SjisCopy(text, n + 1, length - n));
}

// ---- cutting out of a variable ----

void CutCountCommand(TNuraEngine& engine, CommandId id) {
  const int64_t n = PopInteger(engine);
  const TVariableArgument var = PopVariableArgument(engine);
  if (n < 1 || var.raw.empty()) {
    SetTextResult(engine, "");
    return;
  }
  const int64_t length = SjisLength(var.value);
  std::string cut, rest;
  if (id == CommandId::CutLeft) {
    cut = SjisCopy(var.value, 1, n);
    rest = SjisCopy(var.value, n + 1, length - n);
  } else {
    cut = RightChars(var.value, n);
    rest = SjisCopy(var.value, 1, length - n);
  }
  SetTextResult(engine, cut);
  var.WriteBack(rest);
}

// The value of a cut's variable; empty with no word behind it is an error.
void RequireValue(TNuraEngine& engine, CommandId id, const TVariableArgument& var) {
  if (!var.node && var.value.empty()) RaiseArgumentError(engine, id);
}

void CutCommand(TNuraEngine& engine, CommandId id) {
  SetResultKind(engine, "s");
  const std::string delimiter = PopText(engine);
  const TVariableArgument var = PopVariableArgument(engine);
  if (delimiter.empty()) {
    SetTextResult(engine, "");
    return;
  }
  RequireValue(engine, id, var);
  std::string rest = var.value;
  const std::string token = CutToken(delimiter, rest);
  SetTextResult(engine, token);
  var.WriteBack(rest);
}

void CutEscapedCommand(TNuraEngine& engine, CommandId id) {
  SetResultKind(engine, "s");
  const std::string escape = PopText(engine);
  const std::string delimiter = PopText(engine);
  const TVariableArgument var = PopVariableArgument(engine);
  if (escape.size() != 1) {
    RaiseArgumentError(engine, id, SJ("判別文字は \\などの半角１文字で指定。"));
  }
  if (delimiter.empty()) {
    SetTextResult(engine, "");
    return;
  }
  RequireValue(engine, id, var);
  const char* cursor = var.value.c_str();
  const std::string token = ReadUntilTextEscaped(delimiter, cursor, escape[0]);
  const std::string rest = var.value.substr(static_cast<size_t>(cursor - var.value.c_str()));
  SetTextResult(engine, token);
  var.WriteBack(rest);
}

// Byte offset of the first occurrence of `word` at a character start at or
// after offset `from`, or npos.
size_t FindFrom(const std::string& text, const std::string& word, size_t from) {
  const int64_t at = SjisPosFrom(word, text, static_cast<int64_t>(from) + 1);
  return at > 0 ? static_cast<size_t>(at - 1) : std::string::npos;
}

void CutRangeCommand(TNuraEngine& engine, CommandId id) {
  const std::string endText = PopText(engine);
  const std::string startText = PopText(engine);
  const TVariableArgument var = PopVariableArgument(engine);
  if (!var.node) RaiseArgumentError(engine, id, SJ("１番目の引数は、変数である必要があります。"));
  SetTextResult(engine, "");
  const std::string& text = var.value;
  const size_t start = FindFrom(text, startText, 0);
  if (start == std::string::npos) return;
  // The end is searched from the start text itself, so an end text inside
  // it ends the range there.
  const size_t endAt = FindFrom(text, endText, start);
  const size_t end = endAt == std::string::npos ? text.size()
                                                : std::min(text.size(), endAt + endText.size());
  SetTextResult(engine, text.substr(start, end - start));
  var.WriteBack(text.substr(0, start) + text.substr(end));
}

// ---- replacing and counting ----

void ReplaceCommand(TNuraEngine& engine, CommandId id) {
  const std::string replacement = PopText(engine);
  const std::string search = PopText(engine);
  const std::string text = PopText(engine);
  SetTextResult(engine, SjisReplace(text, search, replacement, id == CommandId::Replace));
}

void CountCommand(TNuraEngine& engine, CommandId) {
  const std::string word = PopText(engine);
  const std::string text = PopText(engine);
  int64_t count = 0;
  int64_t from = 1;
  for (;;) {
    const int64_t at = SjisPosFrom(word, text, from);
    if (at <= 0) break;
    ++count;
    from = at + static_cast<int64_t>(word.size());
  }
  SetIntegerResult(engine, count);
}

// ---- tags, paragraphs, splitting, folding ----

void RemoveTagsCommand(TNuraEngine& engine, CommandId) {
  SetTextResult(engine, RemoveTags(PopText(engine)));
}

void ExtractTagsCommand(TNuraEngine& engine, CommandId) {
  const std::string tag = PopText(engine);
  const std::string text = PopText(engine);
  SetTextResult(engine, ExtractTagContents(text, tag));
}

// Paragraph `n` (from 1): paragraphs end at an empty line, a CR (with an
// optional LF) followed by another CR; the run of line breaks there
// belongs to the paragraph before it. Empty when there is no such one.
std::string Paragraph(const std::string& text, int32_t n) {
  int32_t index = 1;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '\r') {
      size_t j = i + 1;
      if (j < text.size() && text[j] == '\n') ++j;
      if (j < text.size() && text[j] == '\r') {
        size_t k = i;
        while (k < text.size() && (text[k] == '\r' || text[k] == '\n')) ++k;
        if (index == n) return text.substr(start, k - start);
        ++index;
        start = i = k;
        continue;
      }
    }
    i += SjisCharLength(text, i);
  }
  if (index == n && start < text.size()) return text.substr(start);
  return std::string();
}

void ParagraphCommand(TNuraEngine& engine, CommandId) {
  int32_t n = 0;
  const bool valid = ParsePlainInteger(PopText(engine), n);
  const std::string text = PopText(engine);
  SetTextResult(engine, valid && n > 0 ? Paragraph(text, n) : std::string());
}

// The text cut at every delimiter, one piece per row of a one-column table,
// as CSV text. An empty delimiter leaves the text whole.
void SplitCommand(TNuraEngine& engine, CommandId) {
  const std::string delimiter = PopText(engine);
  const std::string text = PopText(engine);
  TCsvDb table;
  if (delimiter.empty()) {
    if (!text.empty()) table.SetCell(0, 0, text);
  } else {
    const char* cursor = text.c_str();
    const char* end = text.c_str() + text.size();
    for (int row = 0; cursor < end && *cursor != '\0'; ++row) {
      table.SetCell(0, row, ReadUntilText(delimiter, cursor));
    }
  }
  SetTextResult(engine, table.GetCsvText());
}

void FoldCommand(TNuraEngine& engine, CommandId) {
  const int32_t width = PopInteger(engine);
  const std::string text = PopText(engine);
  const int32_t tabWidth = TruncToInt32(TextToNumber(WordValue(engine, SJ("タブ文字の個数"))));
  const std::string noBreak = WordValue(engine, SJ("禁則処理の行頭禁止文字"));
  SetTextResult(engine, FoldText(text, width, tabWidth, noBreak));
}

}  // namespace

constexpr CommandEntry kTextCutCommands[] = {
    {CommandId::Length, LengthCommand},
    {CommandId::ByteLength, ByteLengthCommand},
    {CommandId::Pos, PosCommand},
    {CommandId::Mid, MidCommand},
    {CommandId::MidBytes, MidBytesCommand},
    {CommandId::Left, LeftRightCommand},
    {CommandId::Right, LeftRightCommand},
    {CommandId::DropRight, DropCommand},
    {CommandId::DropLeft, DropCommand},
    {CommandId::CutLeft, CutCountCommand},
    {CommandId::CutRight, CutCountCommand},
    {CommandId::Cut, CutCommand},
    {CommandId::CutEscaped, CutEscapedCommand},
    {CommandId::CutRange, CutRangeCommand},
    {CommandId::Replace, ReplaceCommand},
    {CommandId::ReplaceOnce, ReplaceCommand},
    {CommandId::Count, CountCommand},
    {CommandId::RemoveTags, RemoveTagsCommand},
    {CommandId::ExtractTags, ExtractTagsCommand},
    {CommandId::Paragraph, ParagraphCommand},
    {CommandId::Fold, FoldCommand},
    {CommandId::Split, SplitCommand},
};

void RegisterTextCutCommands() { RegisterCommandTable(kTextCutCommands); }

void RegisterStringCommands() {
  RegisterTextCutCommands();
  RegisterTextConvertCommands();
  RegisterRegexpCommands();
}

}  // namespace nura
