#include "engine/console_debugger.h"

#include <algorithm>
#include <vector>

#include "engine/command_api.h"
#include "engine/dialogs.h"
#include "platform/sjis.h"

namespace nura {

std::string DebugProgramText(TNuraEngine& engine) {
  const TextRef& text = ProgramText(engine);
  return "0:" + (text ? *text : std::string());
}

std::string LineOfText(const std::string& text, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = text.find('\n', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  std::string line = text.substr(start, text.find('\n', start) - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool RunConsoleDebugger(TNuraEngine& engine) {
  const int line = CurrentLine(engine) - 1;
  const std::string text = SJ("現在の実行行:") + std::to_string(line) + "\r\n" +
                           LineOfText(DebugProgramText(engine), std::max(line, 0));
  const std::vector<std::string> choices = {SJ("連続実行"), SJ("一行毎に実行"), SJ("実行中断")};
  const std::string chosen = Dialogs().AskButtons(text, SJ("デバッグダイアログ"), choices);
  if (chosen == choices[0]) SetLineStop(engine, false);
  if (chosen == choices[1]) SetLineStop(engine, true);
  return chosen == choices[2];
}

}  // namespace nura
