// Handlers of the regular-expression commands: one TBRegExp per command,
// its text in "それ" and its count in "マッチ数".
#include "commands/string_commands.h"

#include <cctype>

#include "engine/command_api.h"
#include "support/regexp.h"
#include "commands/string_command_support.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"

namespace nura {
namespace {

using namespace string_cmd;

constexpr int kSplitLimit = 1000;

// A bare pattern becomes "m/" + pattern + "/", its own slashes escaped; a
// pattern that already is "m" with a delimiter stays as it is.
std::string WrapMatchPattern(const std::string& pattern) {
  if (pattern.size() > 1 && pattern[0] == 'm' && std::ispunct(static_cast<unsigned char>(pattern[1])) &&
      pattern[1] != '\\') {
    return pattern;
  }
  std::string wrapped = "m/";
  for (size_t i = 0; i < pattern.size();) {
    const size_t len = pattern[i] == '\\' && i + 1 < pattern.size()
                           ? 1 + SjisCharLength(pattern, i + 1)
                           : SjisCharLength(pattern, i);
    if (pattern[i] == '/') wrapped += '\\';
    wrapped.append(pattern, i, len);
    i += len;
  }
  return wrapped + "/";
}

// Runs the command's operation; returns the text for "それ".
std::string RunRegexp(TBRegExp& re, CommandId id, const std::string& pattern, std::string subject) {
  switch (id) {
    case CommandId::RegexMatch:
      re.Match(WrapMatchPattern(pattern), subject);
      return re.GetText();
    case CommandId::RegexSplit:
      re.Split(WrapMatchPattern(pattern), subject, kSplitLimit);
      return re.GetText();
    case CommandId::RegexReplace:
      re.Subst(pattern, subject);
      return subject;
    default:
      re.Trans(pattern, subject);
      return subject;
  }
}

void SetMatchCount(TNuraEngine& engine, int count) {
  static const std::string kName = SJ("マッチ数");
  NodePtr node = FindWord(engine, kName);
  if (!node) node = AddVariable(engine, kName, "", "e");
  node->SetValue(std::to_string(count));
  node->SetAnnotation("e");
}

void RegexpCommand(TNuraEngine& engine, CommandId id) {
  const std::string pattern = PopText(engine);
  const std::string subject = PopText(engine);
  SetTextResult(engine, "");
  static const std::string kLibraryError = SJ("\"%s\"で、Bregexp.dllのエラー。");
  const std::string head = FormatText(kLibraryError, CommandNameOf(id));
  TBRegExp re;
  if (!re.Available()) RaiseScriptError(engine, head + SJ("Bregexp.dllがありません。インストールしてください。"));
  std::string result;
  try {
    result = RunRegexp(re, id, pattern, subject);
  } catch (const EBRegExpError& e) {
    RaiseScriptError(engine, head + e.what());
  }
  SetTextResult(engine, result);
  SetMatchCount(engine, re.GetCount());
}

}  // namespace

constexpr CommandEntry kRegexpCommands[] = {
    {CommandId::RegexMatch, RegexpCommand},
    {CommandId::RegexSplit, RegexpCommand},
    {CommandId::RegexReplace, RegexpCommand},
    {CommandId::RegexTranslate, RegexpCommand},
};

void RegisterRegexpCommands() { RegisterCommandTable(kRegexpCommands); }

}  // namespace nura
