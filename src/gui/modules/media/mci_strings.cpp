#include "gui/modules/media/mci_strings.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <map>
#include <memory>
#include <vector>

#include "engine/command_api.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

// How long "open" waits for the player to read a file.
constexpr int kOpenTimeoutMs = 5000;

// The error texts.
const char* const kUnknownCommand = "MCIのコマンドとして認識できません。";
const char* const kUnknownDevice = "デバイスが開かれていないか、MCIで認識できません。";
const char* const kBadParameter = "コマンドの引数が正しくありません。";
const char* const kMissingParameter = "コマンドに必要な引数がありません。";
const char* const kNoFile = "指定されたファイルが見つかりません。";
const char* const kAliasUsed = "その別名は既に使われています。";
const char* const kNoAudio = "音声を出力する装置がありません。";
const char* const kCannotOpen = "ファイルを開けません。";
const char* const kTimeFormat = "その時間の形式は使えません。";
const char* const kDeviceType = "その種類のデバイスは使えません。";

// A failed command: its error text (UTF-8 here).
struct EMci {
  std::string text;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The words of a command string; a double-quoted part is one word.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < command.size()) {
    if (command[i] == ' ' || command[i] == '\t' || command[i] == '\r' || command[i] == '\n') {
      ++i;
      continue;
    }
    std::string word;
    if (command[i] == '"') {
      const size_t end = command.find('"', i + 1);
      word = command.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? command.size() : end + 1;
    } else {
      while (i < command.size() && command[i] != ' ' && command[i] != '\t' && command[i] != '\r' && command[i] != '\n') {
        word += command[i++];
      }
    }
    words.push_back(word);
  }
  return words;
}

// A whole number of milliseconds, else the parameter error.
qint64 Milliseconds(const std::string& word) {
  if (word.empty() || word.size() > 12) throw EMci{kBadParameter};
  qint64 value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') throw EMci{kBadParameter};
    value = value * 10 + (c - '0');
  }
  return value;
}

// One opened device: a player with its own audio output. Playing up to a
// "to" position pauses there; "stop" and "seek" keep the position, as MCI
// devices do, so the player is paused and the device marked stopped.
class TMciDevice {
 public:
  TMciDevice() {
    player.setAudioOutput(&output);
    QObject::connect(&player, &QMediaPlayer::positionChanged, [this](qint64 position) {
      if (to >= 0 && position >= to) Stop();
    });
  }
  void Stop() {
    to = -1;
    stopped = true;
    if (player.playbackState() == QMediaPlayer::PlayingState) player.pause();
  }
  std::string Mode() const {
    const QMediaPlayer::MediaStatus status = player.mediaStatus();
    if (status == QMediaPlayer::NoMedia || status == QMediaPlayer::LoadingMedia) return "not ready";
    if (player.playbackState() == QMediaPlayer::PlayingState) return "playing";
    if (player.playbackState() == QMediaPlayer::PausedState && !stopped) return "paused";
    return "stopped";
  }

  QMediaPlayer player;
  QAudioOutput output;
  int id = 0;
  qint64 to = -1;
  bool stopped = true;
};

class TMciDevices {
 public:
  std::map<std::string, std::unique_ptr<TMciDevice>> devices;  // by lower-case name
  int nextId = 1;
};

// Runs the event loop until `done` holds or `timeoutMs` passed.
template <class Done>
void WaitFor(QMediaPlayer& player, int timeoutMs, Done done) {
  if (done()) return;
  QEventLoop wait;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
  const auto check = [&] {
    if (done()) wait.quit();
  };
  QObject::connect(&player, &QMediaPlayer::mediaStatusChanged, &wait, check);
  QObject::connect(&player, &QMediaPlayer::playbackStateChanged, &wait, check);
  QObject::connect(&player, &QMediaPlayer::errorOccurred, &wait, &QEventLoop::quit);
  timeout.start(timeoutMs);
  wait.exec();
}

bool IsDeviceType(const std::string& word) {
  static const char* const kTypes[] = {"waveaudio", "mpegvideo", "mpegvideo2", "sequencer", "avivideo"};
  for (const char* type : kTypes) {
    if (word == type) return true;
  }
  return false;
}

// The MCI device types of other hardware, which have no counterpart here.
bool IsOtherDeviceType(const std::string& word) {
  static const char* const kTypes[] = {"cdaudio", "dat", "digitalvideo", "mmmovie", "other", "overlay", "scanner", "vcr", "videodisc"};
  for (const char* type : kTypes) {
    if (word == type) return true;
  }
  return false;
}

class TMciRun {
 public:
  TMciRun(TNuraEngine& engine, std::vector<std::string> words)
      : engine_(engine), devices_(FamilyState<TMciDevices>(engine)), words_(std::move(words)) {}

  std::string Run() {
    if (words_.empty()) throw EMci{kUnknownCommand};
    const std::string verb = Lower(words_[0]);
    if (verb == "open") return Open();
    if (words_.size() < 2) throw EMci{verb == "play" || verb == "stop" || verb == "close" || verb == "pause" ||
                                              verb == "resume" || verb == "seek" || verb == "set" || verb == "status"
                                          ? kMissingParameter
                                          : kUnknownCommand};
    if (verb == "close") return Close();
    if (verb == "play") return Play();
    if (verb == "pause") return Simple([](TMciDevice& d) { if (d.player.playbackState() == QMediaPlayer::PlayingState) d.player.pause(), d.stopped = false; });
    if (verb == "resume") return Simple([](TMciDevice& d) { if (d.Mode() == "paused") d.player.play(); });
    if (verb == "stop") return Simple([](TMciDevice& d) { d.Stop(); });
    if (verb == "seek") return Seek();
    if (verb == "set") return Set();
    if (verb == "status") return Status();
    throw EMci{kUnknownCommand};
  }

 private:
  TMciDevice& Device() {
    const auto found = devices_.devices.find(Lower(words_[1]));
    if (found == devices_.devices.end()) throw EMci{kUnknownDevice};
    return *found->second;
  }
  // The word after `at`, else the missing-parameter error.
  const std::string& After(size_t at) const {
    if (at + 1 >= words_.size()) throw EMci{kMissingParameter};
    return words_[at + 1];
  }

  std::string Open() {
    if (words_.size() < 2) throw EMci{kMissingParameter};
    std::string element = words_[1], type, alias;
    const size_t bang = element.find('!');
    if (bang != std::string::npos) type = Lower(element.substr(0, bang)), element = element.substr(bang + 1);
    for (size_t i = 2; i < words_.size(); ++i) {
      const std::string word = Lower(words_[i]);
      if (word == "type") type = Lower(After(i)), ++i;
      else if (word == "alias") alias = After(i), ++i;
      else if (word != "shareable" && word != "wait" && word != "notify") throw EMci{kBadParameter};
    }
    if (!type.empty() && !IsDeviceType(type)) throw EMci{kDeviceType};
    if (bang == std::string::npos && IsOtherDeviceType(Lower(element))) throw EMci{kDeviceType};
    if (element.empty() || (IsDeviceType(Lower(element)) && bang == std::string::npos)) throw EMci{kMissingParameter};
    const std::string name = Lower(alias.empty() ? element : alias);
    if (devices_.devices.count(name)) throw EMci{kAliasUsed};
    const std::string file = element.find(':') == std::string::npos ? ResolveFilePath(engine_, element) : element;
    const QString path = QString::fromStdString(ScriptPathToNative(file));
    if (!QFileInfo(path).isFile()) throw EMci{kNoFile};
    if (QMediaDevices::defaultAudioOutput().isNull()) throw EMci{kNoAudio};
    auto device = std::make_unique<TMciDevice>();
    QMediaPlayer& player = device->player;
    player.setSource(QUrl::fromLocalFile(path));
    WaitFor(player, kOpenTimeoutMs, [&player] {
      const QMediaPlayer::MediaStatus s = player.mediaStatus();
      return player.error() != QMediaPlayer::NoError || (s != QMediaPlayer::LoadingMedia && s != QMediaPlayer::NoMedia);
    });
    if (player.error() != QMediaPlayer::NoError || player.mediaStatus() != QMediaPlayer::LoadedMedia) {
      throw EMci{std::string(kCannotOpen) + player.errorString().toStdString()};
    }
    device->id = devices_.nextId++;
    const int id = device->id;
    devices_.devices[name] = std::move(device);
    return std::to_string(id);
  }

  std::string Close() {
    if (Lower(words_[1]) == "all") devices_.devices.clear();
    else if (!devices_.devices.erase(Lower(words_[1]))) throw EMci{kUnknownDevice};
    return "";
  }

  template <class Action>
  std::string Simple(Action action) {
    TMciDevice& device = Device();
    for (size_t i = 2; i < words_.size(); ++i) {
      const std::string word = Lower(words_[i]);
      if (word != "wait" && word != "notify") throw EMci{kBadParameter};
    }
    action(device);
    return "";
  }

  std::string Play() {
    TMciDevice& device = Device();
    qint64 from = -1, to = -1;
    bool wait = false;
    for (size_t i = 2; i < words_.size(); ++i) {
      const std::string word = Lower(words_[i]);
      if (word == "from") from = Milliseconds(After(i)), ++i;
      else if (word == "to") to = Milliseconds(After(i)), ++i;
      else if (word == "wait") wait = true;
      else if (word != "notify") throw EMci{kBadParameter};
    }
    QMediaPlayer& player = device.player;
    if (from >= 0) player.setPosition(from);
    else if (player.mediaStatus() == QMediaPlayer::EndOfMedia) player.setPosition(0);
    device.to = to;
    device.stopped = false;
    player.play();
    if (wait) {
      const qint64 left = std::max<qint64>(0, (to >= 0 ? to : player.duration()) - player.position());
      WaitFor(player, static_cast<int>(std::min<qint64>(left, 3600000)) + 5000,
              [&player] { return player.playbackState() != QMediaPlayer::PlayingState; });
    }
    return "";
  }

  std::string Seek() {
    TMciDevice& device = Device();
    const std::string& target = Lower(After(words_.size() > 2 && Lower(words_[2]) == "to" ? 2 : words_.size()));
    device.Stop();
    if (target == "start") device.player.setPosition(0);
    else if (target == "end") device.player.setPosition(device.player.duration());
    else device.player.setPosition(Milliseconds(target));
    return "";
  }

  std::string Set() {
    Device();
    if (words_.size() != 5 || Lower(words_[2]) != "time" || Lower(words_[3]) != "format") throw EMci{kBadParameter};
    const std::string format = Lower(words_[4]);
    if (format != "milliseconds" && format != "ms") throw EMci{kTimeFormat};
    return "";
  }

  std::string Status() {
    TMciDevice& device = Device();
    std::string item;
    for (size_t i = 2; i < words_.size(); ++i) {
      const std::string word = Lower(words_[i]);
      if (word != "wait" && word != "notify") item += (item.empty() ? "" : " ") + word;
    }
    if (item == "mode") return device.Mode();
    if (item == "length") return std::to_string(device.player.duration());
    if (item == "position") return std::to_string(device.player.position());
    if (item == "ready") return device.Mode() == "not ready" ? "false" : "true";
    if (item == "time format") return "milliseconds";
    throw EMci{item.empty() ? kMissingParameter : kBadParameter};
  }

  TNuraEngine& engine_;
  TMciDevices& devices_;
  std::vector<std::string> words_;
};

}  // namespace

bool RunMciString(TNuraEngine& engine, const std::string& command, std::string& reply) {
  try {
    reply = TMciRun(engine, Words(command)).Run();
    return true;
  } catch (const EMci& e) {
    reply = Utf8ToSjis(e.text);
    return false;
  }
}

}  // namespace nura
