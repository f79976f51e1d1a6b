// Media commands: "演奏", "繰り返し演奏", "演奏停止", "演奏状態" and
// "MCI送信" run in the module "media".
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

// "MCI送信" ("?を"): the command string goes to the module; without it the
// reply is the error.
void MciSend(TNuraEngine& engine, CommandId id) {
  SetTextResult(engine, "");
  std::string error;
  const TMediaModule* media = MediaModule(true, error);
  if (media) return media->runCommand(engine, id);
  PopText(engine);
  SetTextResult(engine, SJ("MCIエラー:") + error);
}

}  // namespace

constexpr CommandEntry kMediaCommands[] = {
    {CommandId::Play, RunInModule},
    {CommandId::PlayRepeated, RunInModule},
    {CommandId::StopPlaying, RunInModule},
    {CommandId::PlayState, RunInModule},
    {CommandId::MciSend, MciSend},
};

void RegisterMediaCommands() { RegisterCommandTable(kMediaCommands); }

}  // namespace nura
