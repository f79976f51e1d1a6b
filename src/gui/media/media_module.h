// The module "media" (Qt Multimedia, built from src/gui/modules/media):
// the media player behind the media commands and the one wave sound. The
// program loads it when a script first plays or asks about playing.
#pragma once

#include <string>

#include "engine/command_ids.h"

namespace nura {

class TNuraEngine;

struct TMediaModule {
  // Runs the media command `id` ("演奏", "繰り返し演奏", "演奏停止",
  // "演奏状態", "MCI送信").
  void (*runCommand)(TNuraEngine& engine, CommandId id);
  // The wave sound (gui/media/wave_sound.h).
  bool (*playWave)(const std::string& nativePath, bool loop);
  void (*stopWave)();
  bool (*wavePlaying)();
};

// The module's entry point returns its functions.
using TMediaModuleEntry = const TMediaModule* (*)();
inline constexpr char kMediaModuleSymbol[] = "NuraMediaModule";

// The functions of the loaded module, loading it now when `load`; nullptr
// when it is not loaded, with the reason in `error`.
const TMediaModule* MediaModule(bool load, std::string& error);

}  // namespace nura
