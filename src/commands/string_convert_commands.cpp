// Handlers of the string commands that convert width, kana, case and
// encoding, classify characters and turn characters into codes and back.
#include "commands/string_commands.h"

#include "commands/command_errors.h"
#include "commands/jconvert.h"
#include "commands/number_functions.h"
#include "commands/string_command_support.h"
#include "engine/command_registry.h"
#include "engine/conv_half.h"
#include "engine/engine.h"
#include "engine/errors.h"
#include "engine/nura_base.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using namespace string_cmd;

enum : int {
  kIdHalfWidth = 27,
  kIdKeyCode = 75,
  kIdCharacter = 76,
  kIdFullWidth = 80,
  kIdUpperCase = 197,
  kIdLowerCase = 198,
  kIdHiragana = 230,
  kIdKatakana = 231,
  kIdAlnumHalf = 267,
  kIdIsUpper = 284,
  kIdIsDigit = 285,
  kIdIsWide = 286,
  kIdIsHiragana = 287,
  kIdIsKatakana = 288,
  kIdToEuc = 290,
  kIdToJis = 291,
  kIdToSjis = 292,
  kIdStripOkurigana = 327,
  kIdIsNumeric = 413,
};

// ---- conversions: one text in, one text out ----

std::string Convert(int id, const std::string& text) {
  switch (id) {
    case kIdHalfWidth: return ToHalfWidth(text);
    case kIdFullWidth: return ToFullWidth(text);
    case kIdAlnumHalf: return AlnumToHalfWidth(text);
    case kIdHiragana: return ToHiragana(text);
    case kIdKatakana: return ToKatakana(text);
    case kIdUpperCase: return ToUpperCase(text);
    case kIdLowerCase: return ToLowerCase(text);
    case kIdStripOkurigana: return StripOkurigana(text);
    case kIdToEuc: return ConvertKanjiCode(text, kCodeEuc);
    case kIdToJis: return ConvertKanjiCode(text, kCodeJis);
    default: return ConvertKanjiCode(text, kCodeSjis);
  }
}

void ConvertCommand(TNuraEngine& engine, int id) {
  SetTextResult(engine, Convert(id, engine.PopArgumentText()));
}

// ---- character classes: "1" or "0" ----

// The first character folded to ASCII lies in first..last.
bool FirstCharFoldsInto(const std::string& text, char first, char last) {
  if (text.empty()) return false;
  const std::string folded = ConvertToHalf(text.substr(0, SjisCharLength(text, 0)));
  return !folded.empty() && folded[0] >= first && folded[0] <= last;
}

bool Classify(int id, const std::string& text) {
  switch (id) {
    case kIdIsUpper: return FirstCharFoldsInto(text, 'A', 'Z');
    case kIdIsDigit: return FirstCharFoldsInto(text, '0', '9');
    case kIdIsWide: return !text.empty() && IsSjisLead(static_cast<unsigned char>(text[0]));
    case kIdIsHiragana: return IsHiragana(text);
    case kIdIsKatakana: return IsKatakana(text);
    default: return IsNumericText(text);
  }
}

void ClassifyCommand(TNuraEngine& engine, int id) {
  SetNumberResult(engine, Classify(id, engine.PopArgumentText()) ? 1 : 0);
}

// ---- character codes ----

void KeyCodeCommand(TNuraEngine& engine, int id) {
  const std::string text = engine.PopArgumentText();
  if (text.empty()) RaiseArgumentError(engine, id);
  const bool twoByte = SjisCharLength(text, 0) == 2;
  SetNumberResult(engine, twoByte ? CharToCode(text) : static_cast<unsigned char>(text[0]));
}

void CharacterCommand(TNuraEngine& engine, int id) {
  int32_t code = -1;
  if (!ParsePlainInteger(engine.PopArgumentText(), code) || code < 0) {
    RaiseArgumentError(engine, id);
  }
  if (code > 0xFFFF) throw ERangeError();
  SetTextResult(engine, code < 0x100 ? std::string(1, static_cast<char>(code))
                                     : CodeToChar(static_cast<uint16_t>(code)));
}

}  // namespace

void RegisterTextConvertCommands() {
  for (int id : {kIdHalfWidth, kIdFullWidth, kIdAlnumHalf, kIdHiragana, kIdKatakana,
                 kIdUpperCase, kIdLowerCase, kIdStripOkurigana, kIdToEuc, kIdToJis, kIdToSjis}) {
    RegisterCommandHandler(id, ConvertCommand);
  }
  for (int id : {kIdIsUpper, kIdIsDigit, kIdIsWide, kIdIsHiragana, kIdIsKatakana, kIdIsNumeric}) {
    RegisterCommandHandler(id, ClassifyCommand);
  }
  RegisterCommandHandler(kIdKeyCode, KeyCodeCommand);
  RegisterCommandHandler(kIdCharacter, CharacterCommand);
}

}  // namespace nura
