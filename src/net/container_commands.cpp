// "ファイル合成" and "合成ファイル取り出す": file-mix containers from scripts.
#include <string>
#include <vector>

#include "support/file_command_support.h"
#include "engine/command_api.h"
#include "engine/filemix.h"
#include "engine/sjis_text.h"
#include "net/net_commands.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The list's lines, blank ones left out.
std::vector<std::string> ListLines(const std::string& list) {
  std::vector<std::string> lines;
  for (std::string& line : SplitLines(list)) {
    if (!TrimText(line).empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// The writer's lines "source=name=flag": commas stand for "="; a list
// without any "=" stores every file under its own name, not enciphered.
std::vector<std::string> WriterLines(std::string list) {
  if (list.find(',') != std::string::npos) {
    for (char& c : list) {
      if (c == ',') c = '=';
    }
  }
  std::vector<std::string> lines = ListLines(list);
  if (list.find('=') == std::string::npos) {
    for (std::string& line : lines) line += "=" + ExtractNamePart(line) + "=0";
  }
  return lines;
}

// "ファイル合成" ("?を, ?へ"): the container replaces the old one only when
// every file went in.
void CombineFiles(TNuraEngine& engine, CommandId) {
  const std::string container = TrimText(PopText(engine));
  const std::string list = TrimText(PopText(engine));
  if (!ConfirmChange(engine, container, Quoted(container) + SJ("へ保存します。"))) return;
  TFileMixWriter writer;
  writer.lines = WriterLines(list);
  writer.SaveToFile(container);
}

// "合成ファイル取り出す" ("?から,?を"): the entry as text.
void ExtractCombinedFile(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::string container = PopText(engine);
  TFileMixReader reader(container);
  std::string text;
  if (!reader.ExtractToString(name, text)) {
    RaiseScriptError(engine, SJ("ファイル") + Quoted(name) + SJ("が、ありません。"));
  }
  SetTextResult(engine, text);
}

}  // namespace

constexpr CommandEntry kContainerCommands[] = {
    {CommandId::MixFiles, CombineFiles},
    {CommandId::ExtractMixedFile, ExtractCombinedFile},
};

void RegisterContainerCommands() { RegisterCommandTable(kContainerCommands); }

}  // namespace nura
