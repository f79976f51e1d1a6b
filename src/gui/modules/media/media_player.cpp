// The module "media": the media commands "演奏", "繰り返し演奏",
// "演奏停止", "演奏状態" and "MCI送信". Wave files go to the one wave sound; every
// other file to a hidden media player whose completion plays it again while
// the repeat flag is set.

#include <QAudioOutput>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "engine/command_api.h"
#include "engine/packed_program.h"
#include "engine/sjis_text.h"
#include "gui/media/media_module.h"
#include "gui/modules/media/mci_strings.h"
#include "gui/modules/media/wave_player.h"
#include "platform/native_path.h"
#include "platform/gui/qt_sjis.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// A play that ends sooner than this is not repeated: a file that ends at
// once would otherwise restart for ever.
constexpr qint64 kShortestRepeatMs = 200;
// How long "演奏" waits for the player to open a file.
constexpr int kOpenTimeoutMs = 5000;

class TMediaState {
 public:
  ~TMediaState() {
    if (player_) player_->stop();
  }

  QMediaPlayer& Player() {
    if (!player_) {
      player_ = std::make_unique<QMediaPlayer>();
      output_ = std::make_unique<QAudioOutput>();
      player_->setAudioOutput(output_.get());
    }
    return *player_;
  }
  QMediaPlayer* Existing() const { return player_.get(); }

  // Completion: the same file again while repeating, else the player
  // closes; an error ends the repeating.
  void Connect() {
    notify_ = QObject::connect(player_.get(), &QMediaPlayer::mediaStatusChanged, [this](QMediaPlayer::MediaStatus s) {
      if (s == QMediaPlayer::EndOfMedia) Completed();
    });
    error_ = QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, [this] { repeat = false; });
  }
  void Disconnect() {
    QObject::disconnect(notify_);
    QObject::disconnect(error_);
  }
  void Started() { playing_.start(); }
  void Close() {
    if (player_) {
      player_->stop();
      player_->setSource(QUrl());
    }
  }

  bool repeat = false;

 private:
  void Completed() {
    if (player_->source().isEmpty()) return;
    if (repeat && playing_.elapsed() >= kShortestRepeatMs) {
      player_->setPosition(0);
      player_->play();
      playing_.start();
      return;
    }
    repeat = false;
    Close();
  }

  std::unique_ptr<QMediaPlayer> player_;
  std::unique_ptr<QAudioOutput> output_;
  QMetaObject::Connection notify_, error_;
  QElapsedTimer playing_;
};

bool Loading(QMediaPlayer::MediaStatus s) {
  return s == QMediaPlayer::LoadingMedia || s == QMediaPlayer::NoMedia;
}

// Opens `path` in the player and starts it; the player's message when it
// cannot.
void PlayMedia(TNuraEngine& engine, TMediaState& media, const QString& path) {
  QMediaPlayer& player = media.Player();
  player.stop();
  player.setSource(QUrl::fromLocalFile(path));
  QEventLoop wait;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
  QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &wait, [&](QMediaPlayer::MediaStatus s) {
    if (!Loading(s)) wait.quit();
  });
  QObject::connect(&player, &QMediaPlayer::errorOccurred, &wait, &QEventLoop::quit);
  if (Loading(player.mediaStatus()) && player.error() == QMediaPlayer::NoError) {
    timeout.start(kOpenTimeoutMs);
    wait.exec();
  }
  if (player.error() != QMediaPlayer::NoError || player.mediaStatus() == QMediaPlayer::InvalidMedia) {
    const std::string message = QStringToSjis(player.errorString());
    media.Close();
    RaiseScriptError(engine, message.empty() ? SJ("ファイル\"") + QStringToSjis(path) + SJ("\"を演奏できません。") : message);
  }
  player.play();
  media.Started();
  media.Connect();
}

// "演奏" ("?を"): a wave file loops while "演奏繰り返し" is not "0"; other
// files repeat while it is "1".
void Play(TNuraEngine& engine, CommandId) {
  TMediaState& media = FamilyState<TMediaState>(engine);
  media.Disconnect();
  const std::string name = PopText(engine);
  std::string file = ExtractPackedFile(engine, name);
  if (file.empty()) file = name.find(':') == std::string::npos ? ResolveFilePath(engine, name) : name;
  const QString path = QString::fromStdString(ScriptPathToNative(file));
  if (!QFileInfo(path).isFile()) RaiseScriptError(engine, SJ("ファイル\"") + name + SJ("\"が、ありません。"));
  const std::string repeat = WordValue(engine, SJ("演奏繰り返し"));
  if (QFileInfo(path).suffix().toLower() == "wav") {
    PlayWave(path.toStdString(), repeat != "0");
    return;
  }
  media.repeat = repeat == "1";
  PlayMedia(engine, media, path);
}

// "繰り返し演奏" ("?を"): "演奏" with "演奏繰り返し" at "1"; the variable
// keeps its value, also when playing fails.
void PlayRepeated(TNuraEngine& engine, CommandId id) {
  NodePtr flag = FindWord(engine, SJ("演奏繰り返し"));
  const std::string saved = flag ? flag->Value() : "0";
  if (flag) flag->SetValue("1");
  try {
    Play(engine, id);
  } catch (...) {
    if (flag) flag->SetValue(saved);
    throw;
  }
  if (flag) flag->SetValue(saved);
}

// "演奏停止": the player, when it plays, else the wave sound; the player
// closes either way.
void StopPlaying(TNuraEngine& engine, CommandId) {
  TMediaState& media = FamilyState<TMediaState>(engine);
  QMediaPlayer* player = media.Existing();
  media.repeat = false;
  if (!player || player->playbackState() != QMediaPlayer::PlayingState) StopWave();
  media.Close();
}

// "演奏状態": the media player's mode.
void PlayState(TNuraEngine& engine, CommandId) {
  const QMediaPlayer* player = FamilyState<TMediaState>(engine).Existing();
  const char* mode = "未設定";
  if (player && !player->source().isEmpty() && player->mediaStatus() != QMediaPlayer::InvalidMedia) {
    switch (player->playbackState()) {
      case QMediaPlayer::PlayingState: mode = "演奏中"; break;
      case QMediaPlayer::PausedState: mode = "一時停止"; break;
      case QMediaPlayer::StoppedState:
        mode = player->mediaStatus() == QMediaPlayer::LoadingMedia ? "再生待ち" : "停止中";
        break;
    }
  }
  SetTextResult(engine, SJ(mode));
}

// "MCI送信" ("?を"): the reply, or "MCIエラー:" and the error text, each
// cut to the 511 bytes that a 512-byte buffer holds.
void MciSend(TNuraEngine& engine) {
  const std::string command = PopText(engine);
  std::string reply;
  const bool ok = RunMciString(engine, command, reply);
  size_t kept = 0;
  while (kept < reply.size() && kept + SjisCharLength(reply, kept) <= 511) kept += SjisCharLength(reply, kept);
  reply.resize(kept);
  SetTextResult(engine, ok ? reply : SJ("MCIエラー:") + reply);
}

void RunCommand(TNuraEngine& engine, CommandId id) {
  switch (id) {
    case CommandId::Play: Play(engine, id); break;
    case CommandId::PlayRepeated: PlayRepeated(engine, id); break;
    case CommandId::StopPlaying: StopPlaying(engine, id); break;
    case CommandId::PlayState: PlayState(engine, id); break;
    case CommandId::MciSend: MciSend(engine); break;
    default: break;
  }
}

}  // namespace
}  // namespace nura

extern "C" const nura::TMediaModule* NuraMediaModule() {
  static const nura::TMediaModule module{nura::RunCommand, nura::PlayWave, nura::StopWave, nura::WavePlaying};
  return &module;
}
