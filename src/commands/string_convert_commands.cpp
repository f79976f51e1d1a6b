// Handlers of the string commands that convert width, kana, case and
// encoding, classify characters and turn characters into codes and back.
#include "commands/string_commands.h"

#include "engine/command_api.h"
#include "support/jconvert.h"
#include "support/number_functions.h"
#include "commands/string_command_support.h"
#include "engine/conv_half.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using namespace string_cmd;

// ---- conversions: one text in, one text out ----

std::string Convert(CommandId id, const std::string& text) {
  switch (id) {
    case CommandId::HalfWidth: return ToHalfWidth(text);
    case CommandId::FullWidth: return ToFullWidth(text);
    case CommandId::AlnumHalf: return AlnumToHalfWidth(text);
    case CommandId::Hiragana: return ToHiragana(text);
    case CommandId::Katakana: return ToKatakana(text);
    case CommandId::UpperCase: return ToUpperCase(text);
    case CommandId::LowerCase: return ToLowerCase(text);
    case CommandId::StripOkurigana: return StripOkurigana(text);
    case CommandId::ToEuc: return ConvertKanjiCode(text, kCodeEuc);
    case CommandId::ToJis: return ConvertKanjiCode(text, kCodeJis);
    default: return ConvertKanjiCode(text, kCodeSjis);
  }
}

void ConvertCommand(TNuraEngine& engine, CommandId id) {
  SetTextResult(engine, Convert(id, PopText(engine)));
}

// ---- character classes: "1" or "0" ----

// The first character folded to ASCII lies in first..last.
bool FirstCharFoldsInto(const std::string& text, char first, char last) {
  if (text.empty()) return false;
  const std::string folded = ConvertToHalf(text.substr(0, SjisCharLength(text, 0)));
  return !folded.empty() && folded[0] >= first && folded[0] <= last;
}

bool Classify(CommandId id, const std::string& text) {
  switch (id) {
    case CommandId::IsUpper: return FirstCharFoldsInto(text, 'A', 'Z');
    case CommandId::IsDigit: return FirstCharFoldsInto(text, '0', '9');
    case CommandId::IsWide: return !text.empty() && IsSjisLead(static_cast<unsigned char>(text[0]));
    case CommandId::IsHiragana: return IsHiragana(text);
    case CommandId::IsKatakana: return IsKatakana(text);
    default: return IsNumericText(text);
  }
}

void ClassifyCommand(TNuraEngine& engine, CommandId id) {
  SetIntegerResult(engine, Classify(id, PopText(engine)) ? 1 : 0);
}

// ---- character codes ----

void KeyCodeCommand(TNuraEngine& engine, CommandId id) {
  const std::string text = PopText(engine);
  if (text.empty()) RaiseArgumentError(engine, id);
  const bool twoByte = SjisCharLength(text, 0) == 2;
  SetIntegerResult(engine, twoByte ? CharToCode(text) : static_cast<unsigned char>(text[0]));
}

void CharacterCommand(TNuraEngine& engine, CommandId id) {
  int32_t code = -1;
  if (!ParsePlainInteger(PopText(engine), code) || code < 0) {
    RaiseArgumentError(engine, id);
  }
  if (code > 0xFFFF) throw ERangeError();
  SetTextResult(engine, code < 0x100 ? std::string(1, static_cast<char>(code))
                                     : CodeToChar(static_cast<uint16_t>(code)));
}

}  // namespace

constexpr CommandEntry kTextConvertCommands[] = {
    {CommandId::HalfWidth, ConvertCommand},
    {CommandId::FullWidth, ConvertCommand},
    {CommandId::AlnumHalf, ConvertCommand},
    {CommandId::Hiragana, ConvertCommand},
    {CommandId::Katakana, ConvertCommand},
    {CommandId::UpperCase, ConvertCommand},
    {CommandId::LowerCase, ConvertCommand},
    {CommandId::StripOkurigana, ConvertCommand},
    {CommandId::ToEuc, ConvertCommand},
    {CommandId::ToJis, ConvertCommand},
    {CommandId::ToSjis, ConvertCommand},
    {CommandId::IsUpper, ClassifyCommand},
    {CommandId::IsDigit, ClassifyCommand},
    {CommandId::IsWide, ClassifyCommand},
    {CommandId::IsHiragana, ClassifyCommand},
    {CommandId::IsKatakana, ClassifyCommand},
    {CommandId::IsNumeric, ClassifyCommand},
    {CommandId::KeyCode, KeyCodeCommand},
    {CommandId::Character, CharacterCommand},
};

void RegisterTextConvertCommands() { RegisterCommandTable(kTextConvertCommands); }

}  // namespace nura
