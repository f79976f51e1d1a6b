// Media commands: "演奏", "繰り返し演奏", "演奏停止" and "演奏状態" run in
// the module "media"; "MCI送信" answers here.
#include "gui/media/media_commands.h"

#include "engine/command_api.h"
#include "engine/sjis_text.h"
#include "gui/media/media_module.h"
#include "platform/program_module.h"
#include "platform/sjis.h"

namespace nura {

const TMediaModule* MediaModule(bool load, std::string& error) {
  if (!load && !ProgramModuleLoaded("media")) return nullptr;
  const auto entry = reinterpret_cast<TMediaModuleEntry>(ProgramModuleSymbol("media", kMediaModuleSymbol, error));
  return entry ? entry() : nullptr;
}

namespace {

void RunInModule(TNuraEngine& engine, CommandId id) {
  std::string error;
  const TMediaModule* media = MediaModule(true, error);
  if (!media) RaiseScriptError(engine, SJ("演奏できません。(") + error + ")");
  media->runCommand(engine, id);
}

// "MCI送信" ("?を"): there is no MCI on this platform; the reply is its
// error.
void MciSend(TNuraEngine& engine, CommandId) {
  SetTextResult(engine, "");
  PopText(engine);
  SetTextResult(engine, SJ("MCIエラー:MCIはこの環境では使えません。"));
}

}  // namespace

void RegisterMediaCommands() {
  for (CommandId id : {CommandId::Play, CommandId::PlayRepeated, CommandId::StopPlaying, CommandId::PlayState}) {
    RegisterCommandHandler(id, RunInModule);
  }
  RegisterCommandHandler(CommandId::MciSend, MciSend);
}

}  // namespace nura
