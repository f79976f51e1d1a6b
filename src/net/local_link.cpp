#include "net/local_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

#include "engine/locale_map.h"
#include "net/script_events.h"
#include "platform/native_path.h"
#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kConnectWaitMs = 500;
constexpr int kProgramStartMs = 10000;  // how long a started program may take to serve
constexpr size_t kMaxSocketName = 90;   // socket paths are limited to 107 bytes

// True when `folder` is a directory (not a link) of this user that nobody
// else may enter, after making it so where it is ours.
bool PrivateFolder(const std::string& folder) {
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
    return false;
  }
  if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return false;
  return true;
}

// A file name for the pair: lower-cased, bytes other than letters, digits,
// "_", "-" and "." written as "%XX"; a name too long for a socket path is
// replaced by a hash of it.
std::string SocketName(const std::string& service, const std::string& topic) {
  const std::string lowService = ToLowerCase(service);
  const std::string pair = lowService + "@" + ToLowerCase(topic);
  std::string name;
  for (size_t i = 0; i < pair.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(pair[i]);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                       c == '.' || (c == '@' && i == lowService.size());
    if (plain) {
      name += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      name += hex;
    }
  }
  if (name.size() <= kMaxSocketName) return name;
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : pair) hash = (hash ^ c) * 1099511628211ull;
  char text[24];
  std::snprintf(text, sizeof text, "#%016llx", static_cast<unsigned long long>(hash));
  return text;
}

bool TryConnect(QLocalSocket& socket, const std::string& path) {
  socket.abort();
  socket.connectToServer(QString::fromStdString(path));
  return socket.waitForConnected(kConnectWaitMs);
}

bool StartProgram(const std::string& program) {
  return QProcess::startDetached(QString::fromStdString(ScriptPathToNative(program)), {});
}

std::string Frame(const std::string& macro) {
  const uint32_t n = static_cast<uint32_t>(macro.size());
  std::string frame;
  for (int i = 0; i < 4; ++i) frame += static_cast<char>((n >> (8 * i)) & 0xFF);
  return frame + macro;
}

// Takes the complete requests out of `buffer`, answers each and hands it
// to `handler`. A request over the limit is refused and ends the link.
void ServeRequests(QLocalSocket* socket, std::string& buffer,
                   const TLocalLinkServer::MacroHandler& handler) {
  QPointer<QLocalSocket> guard = socket;
  while (guard) {
    const QByteArray bytes = guard->readAll();
    buffer.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (buffer.size() < 4) return;
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(buffer[static_cast<size_t>(i)]);
    if (n > kMaxLinkMacro) {
      guard->write("\0", 1);
      guard->flush();
      guard->disconnectFromServer();
      buffer.clear();
      return;
    }
    if (buffer.size() < 4 + static_cast<size_t>(n)) return;
    const std::string macro = buffer.substr(4, n);
    buffer.erase(0, 4 + static_cast<size_t>(n));
    guard->write("\1", 1);
    guard->flush();
    handler(macro);
  }
}

}  // namespace

std::string LocalLinkFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  std::string folder;
  if (runtime && *runtime == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
    folder = std::string(runtime) + "/nurasera-dde";
  } else {
    folder = "/tmp/nurasera-dde-" + std::to_string(::getuid());
  }
  return PrivateFolder(folder) ? folder : std::string();
}

std::string LocalLinkPath(const std::string& service, const std::string& topic) {
  const std::string folder = LocalLinkFolder();
  if (folder.empty()) return {};
  return folder + "/" + SocketName(service, topic);
}

std::string OwnServiceName() {
  if (!QCoreApplication::instance()) return "nurasera";
  return Utf8ToSjis(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
}

TLocalLinkServer::TLocalLinkServer() = default;
TLocalLinkServer::~TLocalLinkServer() = default;

bool TLocalLinkServer::Listen(const std::string& service, const std::string& topic,
                              MacroHandler handler) {
  const std::string path = LocalLinkPath(service, topic);
  if (path.empty()) return false;
  server_ = std::make_unique<QLocalServer>();
  const QString name = QString::fromStdString(path);
  if (!server_->listen(name)) {
    if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
    QLocalSocket probe;
    if (TryConnect(probe, path)) return false;  // a live server holds the pair
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) return false;
  }
  handler_ = std::move(handler);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] { Accept(); });
  return true;
}

void TLocalLinkServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto buffer = std::make_shared<std::string>();
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QLocalSocket::readyRead, socket,
                     [this, socket, buffer] { ServeRequests(socket, *buffer, handler_); });
  }
}

TLinkResult ExecuteLinkMacro(const std::string& service, const std::string& topic,
                             const std::string& macro, int timeoutMs, const std::string& program) {
  const std::string path = LocalLinkPath(service, topic);
  if (path.empty()) return TLinkResult::NoLink;
  QLocalSocket socket;
  if (!TryConnect(socket, path)) {
    if (program.empty() || !StartProgram(program)) return TLinkResult::NoLink;
    if (!RunEventsUntil([&] { return TryConnect(socket, path); }, kProgramStartMs)) {
      return TLinkResult::NoLink;
    }
  }
  if (macro.size() > kMaxLinkMacro) return TLinkResult::Refused;
  const std::string frame = Frame(macro);
  socket.write(frame.data(), static_cast<qint64>(frame.size()));
  socket.flush();
  RunEventsUntil(
      [&] { return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState; },
      timeoutMs);
  char answer = 0;
  const bool answered = socket.bytesAvailable() > 0 && socket.getChar(&answer);
  socket.disconnectFromServer();
  return answered && answer == 1 ? TLinkResult::Accepted : TLinkResult::Refused;
}

}  // namespace nura
