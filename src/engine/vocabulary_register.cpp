// Entering the built-in vocabulary into the word table at every run.
#include <filesystem>
#include <vector>
#include <string_view>
#include <system_error>

#include "engine/command_line.h"
#include "engine/engine.h"
#include "engine/vocabulary.h"
#include "platform/native_path.h"
#include "platform/sjis.h"
#include "platform/system_info.h"

namespace nura {
namespace {

// The control words lead the registrations, with "そして" 13th and "回数"
// 20th; everything else follows in table order. The order only decides the
// order of the nodes within a bucket.
constexpr std::string_view kLeadingWords[] = {
    "もし",     "ならば", "なら", "違えば", "でなければ", "繰り返す", "反復",
    "ループ",   "条件分岐", "抜ける", "続ける", "戻る",     "そして",   "飛ぶ",
    "呼ぶ",     "おわり", "終わり", "おわる", "関数定義",   "回数",
};

std::string Decimal(long long value) { return std::to_string(value); }

std::string FolderText(SystemFolder folder) { return NativePathToScript(SystemFolderPath(folder)); }

// The script's folder: the folder of the script argument as a native path
// ending in "/". A relative name is taken from the current folder, which the
// start-up has made the script's folder once the file was read. Without a
// script (a packed program) the program's folder.
std::string ScriptFolderText(const TNuraBase& base) {
  const std::string& given =
      base.scriptPath.empty() ? ProgramCommandLine().scriptName : base.scriptPath;
  if (given.empty()) return FolderText(SystemFolder::Program);
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path path(ScriptPathToNative(given));
  if (path.is_relative()) {
    const fs::path here = fs::current_path(error);
    if (error) return {};
    const fs::path candidate = here / path;
    path = fs::exists(candidate, error) ? candidate : here / path.filename();
  }
  std::string folder = path.lexically_normal().parent_path().string();
  if (folder.empty() || folder.back() != '/') folder += '/';
  return NativePathToScript(folder);
}

std::string ComputedDefault(VariableDefault source, const TNuraBase& base) {
  using enum VariableDefault;
  switch (source) {
    case kText: return {};
    case kWindowColour: return Decimal(SystemColour(4));
    case kDesktopColour: return Decimal(SystemColour(1));
    case kActiveColour: return Decimal(SystemColour(2));
    case kInactiveColour: return Decimal(SystemColour(3));
    case kSelectionColour: return Decimal(SystemColour(13));
    case kCommandLine: return ProgramCommandLine().ScriptArgumentsText();
    case kBaseFolder: return ScriptFolderText(base);
    case kProgramFolder: return FolderText(SystemFolder::Program);
    case kDesktopFolder: return FolderText(SystemFolder::Desktop);
    case kRecycleBinFolder: return FolderText(SystemFolder::RecycleBin);
    case kDocumentsFolder: return FolderText(SystemFolder::Documents);
    case kStartMenuFolder: return FolderText(SystemFolder::StartMenu);
    case kStartupFolder: return FolderText(SystemFolder::Startup);
    case kSendToFolder: return FolderText(SystemFolder::SendTo);
    case kWindowsFolder: return FolderText(SystemFolder::Windows);
    case kSystemFolder: return FolderText(SystemFolder::System);
    case kTempFolder: return FolderText(SystemFolder::Temp);
    case kFavoritesFolder: return FolderText(SystemFolder::Favorites);
    case kOsName: return Utf8ToSjis(PlatformName());
    case kScreenWidth: return Decimal(PrimaryScreenSize().width);
    case kScreenHeight: return Decimal(PrimaryScreenSize().height);
    case kVersion: return ProgramVersionText();
    case kLastUpdate: return ProgramLastUpdateText();
  }
  return {};
}

void RegisterCommand(THash& words, const BuiltinCommand& command) {
  AddCommandWord(words, command.name, command.pattern, {}, command.id);
}

void RegisterVariable(THash& words, const BuiltinVariable& variable, const TNuraBase& base) {
  const std::string value = variable.source == VariableDefault::kText
                                ? variable.value
                                : ComputedDefault(variable.source, base);
  if (variable.isProtected) {
    AddProtectedVariableWord(words, variable.name, value, variable.annotation);
  } else {
    AddVariableWord(words, variable.name, value, variable.annotation);
  }
}

// The position of the entry called `name` in `table`, or its size.
template <typename Entry>
size_t PositionOf(const std::vector<Entry>& table, const std::string& name) {
  size_t i = 0;
  while (i < table.size() && table[i].name != name) ++i;
  return i;
}

void RegisterAllWords(TNuraBase& base) {
  const std::vector<BuiltinCommand>& commands = BuiltinCommands();
  const std::vector<BuiltinVariable>& variables = BuiltinVariables();
  // The leading words, each a command or else a variable, are marked done.
  std::vector<bool> commandDone(commands.size()), variableDone(variables.size());
  for (std::string_view word : kLeadingWords) {
    const std::string name = Utf8ToSjis(word);
    if (const size_t c = PositionOf(commands, name); c < commands.size()) {
      RegisterCommand(base.words, commands[c]);
      commandDone[c] = true;
    } else if (const size_t v = PositionOf(variables, name); v < variables.size()) {
      RegisterVariable(base.words, variables[v], base);
      variableDone[v] = true;
    }
  }
  for (size_t c = 0; c < commands.size(); ++c) {
    if (!commandDone[c]) RegisterCommand(base.words, commands[c]);
  }
  for (size_t v = 0; v < variables.size(); ++v) {
    if (!variableDone[v]) RegisterVariable(base.words, variables[v], base);
  }
}

// The main window is script object 0: an entry in the object list (kept
// across runs) and a protected word.
const std::string& MainWindowName() {
  static const std::string kName = SJ("母艦");
  return kName;
}

void RegisterMainWindow(TNuraEngine& engine) {
  static const std::string kAnnotation = SJ("メインフォーム");
  const std::string& kName = MainWindowName();
  TNuraBase& base = engine.Base();
  TObjNode* existing = base.objects.GetItem(0);
  if (existing != nullptr && existing->name == kName) {
    AttachMainWindowObject(engine);
  } else if (existing == nullptr) {
    base.objects.Add(std::make_unique<TObjNode>(kName, engine.Objects().CreateMainWindowObject(), 0,
                                                TObjectKind::Form));
  }
  base.words.AddNode(THashNode(kName, true, kWordObject, 0, kAnnotation, "", ""));
}

void AddVariable(THash& words, const std::string& name, const std::string& value,
                 const std::string& description, bool isProtected) {
  words.AddNode(THashNode(name, isProtected, kWordVariable, -1, description, value, ""));
}

}  // namespace

void AddCommandWord(THash& words, const std::string& name, const std::string& pattern,
                    const std::string& description, int id) {
  (void)description;  // descriptions are documentation only
  words.AddNode(THashNode(StripOkurigana(name), true, kWordCommand, id, "", "", pattern));
}

void AddVariableWord(THash& words, const std::string& name, const std::string& value,
                     const std::string& description) {
  AddVariable(words, name, value, description, false);
}

void AddProtectedVariableWord(THash& words, const std::string& name, const std::string& value,
                              const std::string& description) {
  AddVariable(words, name, value, description, true);
}

void RegisterBuiltinWords(TNuraEngine& engine) {
  TNuraBase& base = engine.Base();
  RegisterAllWords(base);
  base.baseFolder = base.words.FindValue(SJ("母艦のパス"), false);
  RegisterMainWindow(engine);
  if (THashNode* that = base.words.Find(SJ("そ"), false)) that->id = -1;
  base.CacheSystemNodes();
}

void AttachMainWindowObject(TNuraEngine& engine) {
  TObjNode* existing = engine.Base().objects.GetItem(0);
  if (existing != nullptr && existing->name == MainWindowName()) {
    existing->component = engine.Objects().CreateMainWindowObject();
  }
}

}  // namespace nura
