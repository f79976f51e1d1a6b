// The one wave sound of the program: a new sound replaces the one playing,
// like the platform's sound player.
#pragma once

#include <string>

namespace nura {

// Plays a ".wav" file (native path) asynchronously, in a loop when `loop`;
// false when it cannot be played.
bool PlayWaveSound(const std::string& nativePath, bool loop);
// Stops the wave sound, if any.
void StopWaveSound();
// True while a wave sound plays.
bool WaveSoundPlaying();

}  // namespace nura
