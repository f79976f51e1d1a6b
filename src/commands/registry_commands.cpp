// Handlers of the registry and INI commands. Writes and deletions ask the
// security confirmation first: the registry commands with the target "*",
// so that at the default level the user is always asked.
#include "commands/registry_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "support/file_command_support.h"
#include "support/number_functions.h"
#include "commands/stream_state.h"
#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/script_files.h"
#include "engine/sjis_text.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {

namespace {

// ---- registry ----

// The open key; "レジストリが開かれていません。" without one.
TRegistry& OpenRegistry(TNuraEngine& engine) {
  TRegistry* registry = StreamStateOf(engine).registry.get();
  if (!registry || !registry->HasOpenKey()) RaiseScriptError(engine, SJ("レジストリが開かれていません。"));
  return *registry;
}

// The confirmation of a registry change, always with the target "*".
bool ConfirmRegistry(TNuraEngine& engine, const std::string& message) {
  return ConfirmFileOperation(engine, "*", message) == 0;
}

bool ConfirmRegistryWrite(TNuraEngine& engine, const TRegistry& registry, const std::string& name,
                          const std::string& value) {
  return ConfirmRegistry(engine, SJ("レジストリ") + Quoted(registry.CurrentPath()) + SJ("の,") +
                                     Quoted(name) + SJ("に,\r\n") + Quoted(value) +
                                     SJ("が書き込まれます。よろしいですか？"));
}

void WriteRegistryValue(TNuraEngine& engine, TRegistry& registry, const std::string& name,
                        const TRegistryValue& value) {
  if (!registry.WriteValue(name, value)) {
    RaiseScriptError(engine, SJ("レジストリ") + Quoted(registry.CurrentPath()) + SJ("の") + Quoted(name) +
                                 SJ("に書き込めません。"));
  }
}

[[noreturn]] void RaiseReadError(TNuraEngine& engine, const std::string& name) {
  RaiseScriptError(engine, SJ("レジストリの値") + Quoted(name) + SJ("を読み込めません。"));
}

void RegOpen(TNuraEngine& engine, CommandId id) {
  const std::string path = PopText(engine);
  const std::string rootText = TrimText(PopText(engine));
  auto& slot = StreamStateOf(engine).registry;
  if (!slot) slot = std::make_unique<TRegistry>();
  int32_t root = -1;
  if (!ParsePlainInteger(rootText, root) || root < 0 ||
      !slot->SetRootKey(0x80000000u + static_cast<uint32_t>(root)) || !slot->OpenKey(path, true)) {
    slot.reset();
    RaiseArgumentError(engine, id);
  }
}

void RegClose(TNuraEngine& engine, CommandId) { StreamStateOf(engine).registry.reset(); }

// レジストリ読む: the string value; type "e" when it starts with "$" or a
// digit. A missing value reads as "".
void RegRead(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::optional<TRegistryValue> value = OpenRegistry(engine).ReadValue(name);
  if (value && value->type != TRegistryType::String) RaiseReadError(engine, name);
  const std::string text = value ? value->data : "";
  const bool number = !text.empty() && (text[0] == '$' || (text[0] >= '0' && text[0] <= '9'));
  SetResult(engine, text, number ? "e" : "s");
}

void RegWrite(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::string value = ResultNode(engine)->Value();
  TRegistry& registry = OpenRegistry(engine);
  if (!ConfirmRegistryWrite(engine, registry, name, value)) return;
  WriteRegistryValue(engine, registry, name, TRegistryValue::FromString(value));
}

void RegReadDWord(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::optional<TRegistryValue> value = OpenRegistry(engine).ReadValue(name);
  if (!value || value->type != TRegistryType::DWord) RaiseReadError(engine, name);
  SetResult(engine, std::to_string(static_cast<int32_t>(value->AsDWord())), "e");
}

void RegWriteDWord(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const int32_t number = PopInteger(engine);
  TRegistry& registry = OpenRegistry(engine);
  if (!ConfirmRegistryWrite(engine, registry, name, std::to_string(number))) return;
  WriteRegistryValue(engine, registry, name, TRegistryValue::FromDWord(static_cast<uint32_t>(number)));
}

// レジストリのバイナリを読む: the whole data of a binary value (the count is
// taken and not used); anything else reads as "".
void RegReadBinary(TNuraEngine& engine, CommandId) {
  PopText(engine);
  const std::string name = PopText(engine);
  TRegistry& registry = OpenRegistry(engine);
  const std::optional<TRegistryValue> value = registry.ReadValue(name);
  SetTextResult(engine, value && value->type == TRegistryType::Binary ? value->data : "");
}

// レジストリにバイナリを書く: the first count bytes of the text; a count
// beyond the text is cut to its length.
void RegWriteBinary(TNuraEngine& engine, CommandId id) {
  const int32_t count = PopInteger(engine);
  const std::string name = PopText(engine);
  std::string text = PopText(engine);
  if (count < 0) RaiseArgumentError(engine, id);
  TRegistry& registry = OpenRegistry(engine);
  if (text.empty()) text = " ";
  text.resize(std::min(text.size(), static_cast<size_t>(count)));
  if (!ConfirmRegistryWrite(engine, registry, name, text)) return;
  WriteRegistryValue(engine, registry, name, TRegistryValue::FromBinary(text));
}

void RegSubKeys(TNuraEngine& engine, CommandId) {
  std::string names;
  for (const std::string& name : OpenRegistry(engine).SubKeyNames()) names += name + "\r\n";
  SetTextResult(engine, TrimText(names));
}

void RegDeleteValue(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  TRegistry& registry = OpenRegistry(engine);
  if (!ConfirmRegistry(engine, SJ("レジストリ") + Quoted(registry.CurrentPath()) + SJ("の,") + Quoted(name) +
                                   SJ("の値が,削除されます。よろしいですか？")))
    return;
  if (!registry.DeleteValue(name)) RaiseScriptError(engine, Quoted(name) + SJ("が削除できません。"));
}

void RegDeleteKey(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  TRegistry& registry = OpenRegistry(engine);
  if (!ConfirmRegistry(engine, SJ("レジストリ") + Quoted(registry.CurrentPath()) + SJ("の,") + Quoted(name) +
                                   SJ("キーが,削除されます。よろしいですか？")))
    return;
  if (!registry.DeleteKey(name)) RaiseScriptError(engine, Quoted(name) + SJ("が削除できません。"));
}

// ---- INI files ----

TIniFileEx& OpenIni(TNuraEngine& engine, CommandId id) {
  TIniFileEx* ini = StreamStateOf(engine).ini.get();
  if (!ini) RaiseCommandError(engine, id, SJ("予めINIファイルを開いておく必要があります。"));
  return *ini;
}

[[noreturn]] void RaiseIniAccessError(TNuraEngine& engine, const TIniFileEx& ini, const std::string& section,
                                      const std::string& key) {
  RaiseScriptError(engine, SJ("INIファイル書き込みに失敗。ファイル名=") + ini.FileName() + SJ(" キー名=") + key +
                               SJ(" セクション=") + section);
}

void IniOpen(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  const std::string file = ResolveFilePath(engine, AbsoluteScriptPath(name));
  if (file.empty()) RaiseFileError(engine, name);
  std::error_code ec;
  if (!std::filesystem::exists(ScriptPathToNative(file), ec) &&
      ConfirmFileOperation(engine, file, SJ("設定ファイル") + Quoted(file) + SJ("を作成します。")) != 0)
    return;
  StreamStateOf(engine).ini = std::make_unique<TIniFileEx>(file);
}

void IniClose(TNuraEngine& engine, CommandId) { StreamStateOf(engine).ini.reset(); }

void IniWrite(TNuraEngine& engine, CommandId id) {
  const std::string key = PopText(engine);
  const std::string section = PopText(engine);
  const std::string value = PopText(engine);
  if (SecurityLevelHigh(engine)) return;
  TIniFileEx& ini = OpenIni(engine, id);
  const std::string message = FormatText(SJ("設定ファイル\"%s\"にある[%s]の\"%s\"に値を書き込みます。"),
                                         ini.FileName(), section, key);
  if (ConfirmFileOperation(engine, ini.FileName(), message) != 0) return;
  if (!ini.WriteString(section, key, value)) RaiseIniAccessError(engine, ini, section, key);
}

void IniRead(TNuraEngine& engine, CommandId id) {
  const std::string key = PopText(engine);
  const std::string section = PopText(engine);
  const std::string name = PopRawWord(engine);
  if (SecurityLevelHigh(engine)) {
    SetTextResult(engine, "");
    return;
  }
  TIniFileEx& ini = OpenIni(engine, id);
  std::optional<std::string> value;
  if (!ini.ReadString(section, key, value)) RaiseIniAccessError(engine, ini, section, key);
  THashNode& variable = VariableForResult(engine, name);
  SetTextVariable(engine, variable, value.value_or(""));
}

// ---- the main window's position ----

void FormSave(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  if (name.empty()) return;
  const std::string file = AbsoluteScriptPath(name);
  if (ConfirmFileOperation(engine, file, SJ("INIファイル") + Quoted(file) + SJ("にフォーム情報を保存します。")) != 0)
    return;
  TWindowPlacement placement;
  if (!EngineHost(engine).GetMainWindowPlacement(placement)) return;
  if (!TIniFileEx(file).SaveForm(placement)) RaiseFileError(engine, file);
}

void FormRestore(TNuraEngine& engine, CommandId) {
  const std::string name = PopText(engine);
  if (name.empty()) return;
  const std::string file = AbsoluteScriptPath(name);
  TWindowPlacement placement;
  if (!EngineHost(engine).GetMainWindowPlacement(placement)) return;
  TWindowRect rect;
  std::optional<int> state;
  if (!TIniFileEx(file).RestoreForm(placement, rect, state)) RaiseFileError(engine, file);
  EngineHost(engine).PlaceMainWindow(rect, state);
}

}  // namespace

constexpr CommandEntry kRegistryCommands[] = {
    {CommandId::RegOpen, RegOpen},
    {CommandId::RegClose, RegClose},
    {CommandId::RegRead, RegRead},
    {CommandId::RegWrite, RegWrite},
    {CommandId::RegReadDWord, RegReadDWord},
    {CommandId::RegWriteDWord, RegWriteDWord},
    {CommandId::RegReadBinary, RegReadBinary},
    {CommandId::RegWriteBinary, RegWriteBinary},
    {CommandId::RegSubKeys, RegSubKeys},
    {CommandId::RegDeleteValue, RegDeleteValue},
    {CommandId::RegDeleteKey, RegDeleteKey},
    {CommandId::IniOpen, IniOpen},
    {CommandId::IniClose, IniClose},
    {CommandId::IniWrite, IniWrite},
    {CommandId::IniRead, IniRead},
    {CommandId::FormSave, FormSave},
    {CommandId::FormRestore, FormRestore},
};

void RegisterRegistryCommands() { RegisterCommandTable(kRegistryCommands); }

}  // namespace nura
