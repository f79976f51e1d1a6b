// The wave sound inside the module "media" (see gui/media/wave_sound.h).
#pragma once

#include <string>

namespace nura {

bool PlayWave(const std::string& nativePath, bool loop);
void StopWave();
bool WavePlaying();

}  // namespace nura
