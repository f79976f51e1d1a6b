#include "gui/media/wave_sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace nura {
namespace {

// Made on first use; the application owns it.
QSoundEffect* Effect(bool make) {
  static QPointer<QSoundEffect> effect;
  if (!effect && make && QCoreApplication::instance()) effect = new QSoundEffect(QCoreApplication::instance());
  return effect.data();
}

}  // namespace

bool PlayWaveSound(const std::string& nativePath, bool loop) {
  StopWaveSound();
  const QString path = QString::fromStdString(nativePath);
  QSoundEffect* effect = QFileInfo(path).isFile() ? Effect(true) : nullptr;
  if (!effect) return false;
  effect->setSource(QUrl::fromLocalFile(path));
  effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
  effect->play();
  return effect->status() != QSoundEffect::Error;
}

void StopWaveSound() {
  if (QSoundEffect* effect = Effect(false)) effect->stop();
}

bool WaveSoundPlaying() {
  QSoundEffect* effect = Effect(false);
  return effect && effect->isPlaying();
}

}  // namespace nura
