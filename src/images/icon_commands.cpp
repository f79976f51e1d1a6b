#include "images/icon_commands.h"

#include <stdexcept>

#include "engine/command_api.h"
#include "engine/errors.h"
#include "engine/sjis_text.h"
#include "gui/picture_box.h"
#include "gui/picture_host.h"
#include "images/pe_icons.h"
#include "platform/file_io.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// "アイコン抽出" ("?の,?を,?に"): file, index (from 0), image object.
void CmdExtractIcon(TNuraEngine& engine, CommandId) {
  const std::string name = PopRawWord(engine);
  const int32_t index = PopInteger(engine);
  const std::string file = PopText(engine);
  NodePtr node = FindWord(engine, name);
  const TObjNode* object = node && node->kind == kWordObject ? ObjectList(engine).GetItem(node->id) : nullptr;
  const std::string notObject = "\"" + name + SJ("\"は、オブジェクトではありません。");
  if (!object) RaiseScriptError(engine, notObject);
  TPictureHost* window = PictureHostOf(engine);
  TPictureBox* box = window && object->kind == TObjectKind::Image ? window->PictureBoxOf(*object) : nullptr;
  if (!box) RaiseScriptError(engine, notObject + SJ("イメージを指定します。"));
  if (index < 0) throw ERangeError();
  const std::string path = ResolveFilePath(engine, file);
  const std::string failure = SJ("ファイル\"") + path + SJ("\"からアイコンを抽出できません。");
  std::string data;
  TBitmap icon;
  bool found = false;
  try {
    found = ReadNativeFile(ScriptPathToNative(path), data) && ReadFileIcon(data, static_cast<size_t>(index), icon);
  } catch (const std::runtime_error& e) {
    RaiseScriptError(engine, failure + e.what());
  }
  if (!found) RaiseScriptError(engine, failure);
  box->ShowPicture(std::move(icon));
}

}  // namespace

constexpr CommandEntry kIconCommands[] = {
    {CommandId::ExtractIcon, CmdExtractIcon},
};

void RegisterIconCommands() { RegisterCommandTable(kIconCommands); }

}  // namespace nura
