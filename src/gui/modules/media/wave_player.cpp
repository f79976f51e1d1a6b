// The module's wave sound: one QSoundEffect; a new sound replaces the one
// playing.
#include "gui/modules/media/wave_player.h"

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

bool PlayWave(const std::string& nativePath, bool loop) {
  StopWave();
  const QString path = QString::fromStdString(nativePath);
  QSoundEffect* effect = QFileInfo(path).isFile() ? Effect(true) : nullptr;
  if (!effect) return false;
  effect->setSource(QUrl::fromLocalFile(path));
  effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
  effect->play();
  return effect->status() != QSoundEffect::Error;
}

void StopWave() {
  if (QSoundEffect* effect = Effect(false)) effect->stop();
}

bool WavePlaying() {
  QSoundEffect* effect = Effect(false);
  return effect && effect->isPlaying();
}

}  // namespace nura
