#include "commands/shell_commands.h"

#include <filesystem>

#include "engine/command_api.h"
#include "engine/command_line.h"
#include "engine/filemix.h"
#include "engine/locale_map.h"
#include "engine/packed_program.h"
#include "engine/sjis_text.h"
#include "platform/clipboard.h"
#include "platform/drive_kind.h"
#include "platform/native_path.h"
#include "platform/process.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// The text without one pair of enclosing double quotes.
std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const std::string head = text.substr(0, std::char_traits<char>::length(prefix));
  return ToLowerCase(head) == prefix;
}

bool IsUrl(const std::string& text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://") ||
         StartsWithNoCase(text, "mailto:");
}

bool IsScriptName(const std::string& name) {
  return name.size() > 4 && ToLowerCase(name.substr(name.size() - 4)) == ".nrs";
}

std::string CurrentFolder() {
  std::error_code ec;
  return std::filesystem::current_path(ec).string();
}

std::vector<std::string> ToUtf8(const std::vector<std::string>& sjis) {
  std::vector<std::string> out;
  for (const std::string& item : sjis) out.push_back(SjisToUtf8(item));
  return out;
}

// A copy of the container for the started script, switched so that the
// started program owns it and deletes it when it ends.
void AddContainerCopy(TNuraEngine& engine, std::vector<std::string>& arguments) {
  TFileMixReader* reader = ContainerReader(engine);
  if (!reader) return;
  const std::string copy = CreateNumberedTempFile("TMP", ".TMP");
  try {
    reader->CopyTo(NativePathToScript(copy));
  } catch (...) {
    std::error_code ec;
    std::filesystem::remove(copy, ec);
    throw;
  }
  arguments.push_back(kOwnedResourceSwitch);
  arguments.push_back(copy);
}

TLaunchPlan PlanScript(TNuraEngine& engine, const std::string& script,
                       const std::string& parameters, bool packed) {
  TLaunchPlan plan;
  plan.program = ProgramCommandLine().programPath;
  if (packed) AddContainerCopy(engine, plan.arguments);
  plan.arguments.push_back(ScriptPathToNative(ResolveFilePath(engine, script)));
  for (const std::string& argument : ToUtf8(SplitArguments(parameters))) {
    plan.arguments.push_back(argument);
  }
  return plan;
}

TLaunchPlan Opener(const std::string& target) { return {"xdg-open", {target}}; }

// "起動" (command text): a program, document, URL or script.
void CmdLaunch(TNuraEngine& engine, CommandId) {
  const TLaunchPlan plan = PlanLaunch(engine, PopText(engine));
  StartDetachedProcess(plan.program, plan.arguments, CurrentFolder());
}

// "起動して終了まで待機": the event queue runs while the program runs; a
// stop of the run (the window closing) ends the wait.
void CmdLaunchAndWait(TNuraEngine& engine, CommandId) {
  const TLaunchPlan plan = PlanLaunch(engine, TrimText(PopText(engine)));
  TChildProcess child;
  if (!child.Start(plan.program, plan.arguments, CurrentFolder())) return;
  while (true) {
    EngineHost(engine).ProcessEvents();
    if (StopRequested(engine)) return;
    if (child.WaitForEnd(100)) return;
  }
}

// "エクスプローラーで開く": URLs and documents are opened, folders shown.
void CmdOpenInFileManager(TNuraEngine& engine, CommandId) {
  const std::string text = PopText(engine);
  const bool url = text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0 ||
                   text.find("mailto:") != std::string::npos;
  OpenWithDesktop(url ? SjisToUtf8(text) : ScriptPathToNative(text), CurrentFolder());
}

// "ドライブ種類判定": a drive letter alone or with ":\" names the root.
void CmdDriveType(TNuraEngine& engine, CommandId) {
  std::string text = TrimText(PopText(engine));
  if (text.size() == 1) text += ":\\";
  static const char* const kNames[] = {"存在しない", "リムーバブルディスク", "固定", "リモート",
                                       "CD-ROM", "RAMディスク", "判別不能"};
  const TDriveKind kind = DriveKindOf(ScriptPathToNative(text));
  SetTextResult(engine, SJ(kNames[static_cast<int>(kind)]));
}

void CmdCopy(TNuraEngine& engine, CommandId) { SetClipboardText(PopText(engine)); }

void CmdClipboardText(TNuraEngine& engine, CommandId) {
  SetTextResult(engine, GetClipboardText());
}

}  // namespace

TLaunchText SplitLaunchText(const std::string& text) {
  bool quoted = false;
  size_t i = 0;
  while (i < text.size() && (quoted || text[i] != ' ')) {
    if (text[i] == '"') quoted = !quoted;
    i += SjisCharLength(text, i);
  }
  return {text.substr(0, i), TrimText(text.substr(std::min(i, text.size())))};
}

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false, started = false;
  for (size_t i = 0; i < text.size();) {
    const size_t length = SjisCharLength(text, i);
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
      started = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (started) arguments.push_back(current);
      current.clear();
      started = false;
    } else {
      current.append(text, i, length);
      started = true;
    }
    i += length;
  }
  if (started) arguments.push_back(current);
  return arguments;
}

TLaunchPlan PlanLaunch(TNuraEngine& engine, const std::string& text) {
  std::string launched = text;
  const std::string extracted = ExtractPackedFile(engine, text);
  if (!extracted.empty()) launched = extracted;
  const TLaunchText parts = SplitLaunchText(launched);
  const std::string program = Unquoted(parts.program);
  if (IsScriptName(program)) return PlanScript(engine, program, parts.parameters, !extracted.empty());

  const std::string whole = TrimText(parts.parameters.empty() ? launched : parts.program + " " + parts.parameters);
  if (IsUrl(whole)) return Opener(SjisToUtf8(whole));
  std::error_code ec;
  const std::string wholeNative = ScriptPathToNative(Unquoted(whole));
  if (std::filesystem::exists(wholeNative, ec)) {
    if (IsExecutableFile(wholeNative)) return {wholeNative, {}};
    return Opener(wholeNative);
  }
  const std::string programNative = ScriptPathToNative(program);
  if (std::filesystem::exists(programNative, ec) && !IsExecutableFile(programNative)) {
    return Opener(programNative);
  }
  return {programNative, ToUtf8(SplitArguments(parts.parameters))};
}

constexpr CommandEntry kShellCommands[] = {
    {CommandId::Launch, CmdLaunch},
    {CommandId::LaunchAndWait, CmdLaunchAndWait},
    {CommandId::OpenInFileManager, CmdOpenInFileManager},
    {CommandId::DriveType, CmdDriveType},
    {CommandId::Copy, CmdCopy},
    {CommandId::ClipboardText, CmdClipboardText},
};

void RegisterShellCommands() { RegisterCommandTable(kShellCommands); }

}  // namespace nura
