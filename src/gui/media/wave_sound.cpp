#include "gui/media/wave_sound.h"

#include "gui/media/media_module.h"

namespace nura {

// The sound plays in the module "media"; before it is loaded nothing plays.
bool PlayWaveSound(const std::string& nativePath, bool loop) {
  std::string error;
  const TMediaModule* media = MediaModule(true, error);
  return media && media->playWave(nativePath, loop);
}

void StopWaveSound() {
  std::string error;
  if (const TMediaModule* media = MediaModule(false, error)) media->stopWave();
}

bool WaveSoundPlaying() {
  std::string error;
  const TMediaModule* media = MediaModule(false, error);
  return media && media->wavePlaying();
}

}  // namespace nura
