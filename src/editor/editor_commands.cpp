// Commands on text-editor objects: the settings dialog, and saving and
// loading an editor's settings as one INI section (named after the
// object, keys "nura_c", "nura_d0"...).
#include "editor/editor_commands.h"

#include <filesystem>

#include "editor/editor_object.h"
#include "editor/editor_prop.h"
#include "editor/editor_settings_dialog.h"
#include "engine/dialogs.h"
#include "engine/command_api.h"
#include "gui/objects/gui_object.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

const char* const kPrefix = "nura";

// The editor of the object `name`; the argument error for a name that
// neither a word nor an object has, and for any other kind.
TEditor& EditorOf(TNuraEngine& engine, CommandId id, const std::string& name) {
  if (!FindWord(engine, name) && !ObjectList(engine).FindByName(name)) RaiseArgumentError(engine, id);
  TGuiObject& object = LiveObjectNamed(engine, name);
  if (object.Kind() != TObjectKind::TextEditor) RaiseArgumentError(engine, id, SJ("Tエディタ部品を指定してください。"));
  return *static_cast<TEditor*>(object.Widget());
}

// "Tエディタ設定を保存" ("?を,?へ").
void SaveEditorSettings(TNuraEngine& engine, CommandId id) {
  const std::string file = PopText(engine);
  const std::string name = PopRawWord(engine);
  TEditor& editor = EditorOf(engine, id, name);
  if (ConfirmFileOperation(engine, file, SJ("エディタの設定を、\"") + file + SJ("\"に書きこみます。")) != 0) return;
  TEditorProp prop;
  prop.AssignFromEditor(editor);
  if (!prop.SaveToIni(ScriptPathToNative(file), name, kPrefix))
    RaiseScriptError(engine, SJ("ファイル\"") + file + SJ("\"に書き込めません。"));
}

// "Tエディタ設定を読込" ("?を,?から"): a missing file changes nothing.
void LoadEditorSettings(TNuraEngine& engine, CommandId id) {
  const std::string file = ResolveFilePath(engine, PopText(engine));
  const std::string name = PopRawWord(engine);
  TEditor& editor = EditorOf(engine, id, name);
  const std::string native = ScriptPathToNative(file);
  std::error_code error;
  if (file.empty() || !std::filesystem::is_regular_file(native, error)) return;
  TEditorProp prop;
  try {
    prop.LoadFromIni(native, name, kPrefix);
  } catch (const ERuntimeError&) {
    RaiseScriptError(engine, SJ("エディタの設定\"") + file + SJ("\"が壊れています。"));
  }
  prop.AssignToEditor(editor);
}

// "Tエディタ設定" ("?の"): the settings dialog on the editor's options,
// copied back on OK. A terminal cannot show the dialog: there the command
// answers as Cancel does and the editor stays as it is.
void EditorSettingsDialog(TNuraEngine& engine, CommandId id) {
  const std::string name = PopRawWord(engine);
  TEditor& editor = EditorOf(engine, id, name);
  if (dynamic_cast<TConsoleDialogs*>(&Dialogs())) return;
  EditEditorProp(editor, nullptr, editor.window());
}

}  // namespace

constexpr CommandEntry kEditorCommands[] = {
    {CommandId::EditorSettings, EditorSettingsDialog},
    {CommandId::SaveEditorSettings, SaveEditorSettings},
    {CommandId::LoadEditorSettings, LoadEditorSettings},
};

void RegisterEditorCommands() {
  RegisterEditorKind();
  RegisterCommandTable(kEditorCommands);
}

}  // namespace nura
