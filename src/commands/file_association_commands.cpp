// File-type associations, kept under HKEY_CLASSES_ROOT of this platform's
// registry store, where the registry commands read them too, and
// registered with the desktop as a MIME type and a desktop entry.
#include <filesystem>
#include <system_error>

#include "support/file_command_support.h"
#include "commands/file_commands.h"
#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "platform/desktop_associations.h"
#include "platform/native_path.h"
#include "platform/registry_store.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const std::string kClassesRoot = "HKEY_CLASSES_ROOT\\";
const std::string kAnyTarget = "*";

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(ScriptPathToNative(path), ec);
}

std::string WithoutLeadingDot(std::string ext) {
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return ext;
}

// 関連付ける (extension, program, description).
void Associate(TNuraEngine& engine, CommandId id) {
  const std::string description = TrimText(PopText(engine));
  const std::string program = TrimText(PopText(engine));
  std::string ext = TrimText(PopText(engine));
  if (ext.empty() || program.empty()) return;
  if (!FileExists(program)) RaiseArgumentError(engine, id, ":" + Quoted(program) + SJ("が存在しません。"));
  std::string icon = ChangeExtension(program, ".ico");
  if (!FileExists(icon)) icon = program;
  ext = WithoutLeadingDot(ext);
  const std::string type = ext + "File";

  TRegistryStore store;
  const std::string extKey = kClassesRoot + "." + ext;
  const std::string message =
      store.KeyExists(extKey)
          ? SJ("既に関連付けされている拡張子") + Quoted(ext) + SJ("を、") + Quoted(program) + SJ("へ関連付けを変更します。")
          : SJ("拡張子") + Quoted(ext) + SJ("を、") + Quoted(program) + SJ("へ関連付けます。");
  if (ConfirmFileOperation(engine, kAnyTarget, message) != 0) return;

  const std::string typeKey = kClassesRoot + type;
  const std::pair<std::string, std::string> values[] = {
      {extKey, type},
      {typeKey, description},
      {typeKey + "\\DefaultIcon", Quoted(icon)},
      {typeKey + "\\shell\\open\\command", Quoted(program) + " " + Quoted("%1")},
  };
  for (const auto& [key, value] : values) store.WriteValue(key, "", TRegistryValue::FromString(value));
  // The desktop opens the files with the program too.
  RegisterDesktopAssociation(SjisToUtf8(ext), ScriptPathToNative(program), SjisToUtf8(description),
                             ScriptPathToNative(icon));
}

// 関連付けを削除 (extension).
void RemoveAssociation(TNuraEngine& engine, CommandId) {
  std::string ext = TrimText(PopText(engine));
  if (ext.empty()) return;
  ext = WithoutLeadingDot(ext);
  if (ConfirmFileOperation(engine, kAnyTarget, SJ("拡張子") + Quoted(ext) + SJ("の関連付けを削除します。")) != 0)
    return;
  RemoveDesktopAssociation(SjisToUtf8(ext));
  TRegistryStore store;
  const std::string extKey = kClassesRoot + "." + ext;
  if (!store.KeyExists(extKey)) return;
  const std::optional<TRegistryValue> type = store.ReadValue(extKey, "");
  store.DeleteKey(extKey);
  // A type name of separators alone would name the root itself.
  if (type && type->type == TRegistryType::String && type->data.find_first_not_of('\\') != std::string::npos &&
      store.KeyExists(kClassesRoot + type->data))
    store.DeleteKey(kClassesRoot + type->data);
}

}  // namespace

constexpr CommandEntry kAssociationCommands[] = {
    {CommandId::Associate, Associate},
    {CommandId::RemoveAssociation, RemoveAssociation},
};

void RegisterAssociationCommands() { RegisterCommandTable(kAssociationCommands); }

}  // namespace nura
