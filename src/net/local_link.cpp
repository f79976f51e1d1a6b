#include "net/local_link.h"

#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "engine/locale_map.h"
#include "net/script_events.h"
#include "platform/native_path.h"
#include "platform/process.h"
#include "platform/sjis.h"
#include "platform/system_info.h"
#include "platform/window_system.h"

namespace nura {
namespace {

constexpr int kConnectWaitMs = 500;    // for a place in a busy server's queue
constexpr int kListenBacklog = 50;
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

// The socket file `path` as an address; false when it is too long.
bool AddressOf(const std::string& path, sockaddr_un& address) {
  address = sockaddr_un{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

// A stream socket of the link's kind; -1 on failure.
int NewSocket(int flags) { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0); }

// A listening socket on `path`; -1 with errno set when it cannot be made.
int ListenOn(const std::string& path) {
  sockaddr_un address;
  if (!AddressOf(path, address)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const int fd = NewSocket(SOCK_NONBLOCK);
  if (fd < 0) return -1;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, kListenBacklog) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// The client end of a link: a socket connected to a server, closed with
// the object.
class TLinkClient {
 public:
  TLinkClient() = default;
  ~TLinkClient() { Reset(); }
  TLinkClient(const TLinkClient&) = delete;
  TLinkClient& operator=(const TLinkClient&) = delete;

  // Connects anew, waiting at most kConnectWaitMs for a place in the
  // server's queue.
  bool Connect(const std::string& path) {
    Reset();
    sockaddr_un address;
    if (!AddressOf(path, address)) return false;
    fd_ = NewSocket(0);
    if (fd_ < 0) return false;
    const timeval wait{0, kConnectWaitMs * 1000};
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) Reset();
    return fd_ >= 0;
  }

  // Sends what `sent` has not yet covered of `bytes` without blocking;
  // false when the link broke.
  bool SendMore(const std::string& bytes, size_t& sent) {
    while (sent < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
      }
    }
    return true;
  }

  // The answer byte once it has come: 1 or 0, 0 too when the link ended
  // without one; -1 while it is still awaited.
  int Answer() {
    char byte = 0;
    const ssize_t n = ::recv(fd_, &byte, 1, MSG_DONTWAIT);
    if (n == 1) return byte == 1 ? 1 : 0;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return -1;
    return 0;
  }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
};

bool StartProgram(const std::string& program) {
  return StartDetachedProcess(ScriptPathToNative(program), {}, "");
}

std::string Frame(const std::string& macro) {
  const uint32_t n = static_cast<uint32_t>(macro.size());
  std::string frame;
  for (int i = 0; i < 4; ++i) frame += static_cast<char>((n >> (8 * i)) & 0xFF);
  return frame + macro;
}

enum class TRequest { Partial, Complete, TooLong };

// Takes the first request out of `buffer` into `macro` when it is whole.
TRequest TakeRequest(std::string& buffer, std::string& macro) {
  if (buffer.size() < 4) return TRequest::Partial;
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(buffer[static_cast<size_t>(i)]);
  if (n > kMaxLinkMacro) return TRequest::TooLong;
  if (buffer.size() < 4 + static_cast<size_t>(n)) return TRequest::Partial;
  macro = buffer.substr(4, n);
  buffer.erase(0, 4 + static_cast<size_t>(n));
  return TRequest::Complete;
}

}  // namespace

namespace {

// Where the socket files belong, made or not.
std::string LinkFolderName() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat info {};
  if (runtime && *runtime == '/' && ::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
    return std::string(runtime) + "/nurasera-dde";
  }
  return "/tmp/nurasera-dde-" + std::to_string(::getuid());
}

}  // namespace

std::string LocalLinkFolder() {
  const std::string folder = LinkFolderName();
  return PrivateFolder(folder) ? folder : std::string();
}

std::string LocalLinkFolderProblem() {
  const std::string folder = LinkFolderName();
  if (PrivateFolder(folder)) return {};
  struct stat info {};
  const std::string quoted = SJ("\"") + NativePathToScript(folder) + SJ("\"");
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return SJ("通信用のフォルダ") + quoted + SJ("を作れません。");
  }
  if (info.st_uid == ::getuid()) return SJ("通信用のフォルダ") + quoted + SJ("を自分専用にできません。");
  const struct passwd* owner = ::getpwuid(info.st_uid);
  const std::string name = owner ? Utf8ToSjis(owner->pw_name) : std::to_string(info.st_uid);
  return SJ("通信用のフォルダ") + quoted + SJ("は別の利用者\"") + name + SJ("\"のものなので使えません。");
}

std::string LocalLinkPath(const std::string& service, const std::string& topic) {
  const std::string folder = LocalLinkFolder();
  if (folder.empty()) return {};
  return folder + "/" + SocketName(service, topic);
}

std::string OwnServiceName() {
  const std::string program = ProgramFilePath();
  if (program.empty()) return "nurasera";
  return Utf8ToSjis(std::filesystem::path(program).stem().string());
}

// The servers that listen, for the wait of a program without event loop.
std::vector<TLocalLinkServer*>& LinkServers() {
  static std::vector<TLocalLinkServer*> servers;
  return servers;
}

// A client's link to the server: its socket, the notifier that reports
// what arrives (once there is an event loop), and the bytes not yet taken
// as requests.
class TLocalLinkServer::TConnection {
 public:
  explicit TConnection(int fd) : fd_(fd) {}
  ~TConnection() { Close(); }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  bool Open() const { return fd_ >= 0; }
  int Socket() const { return fd_; }
  std::unique_ptr<TSocketWatch> watch;

  // Without taking it: 1 when a byte waits, 0 when the client has gone, -1
  // when nothing came yet.
  int Peek() const {
    char byte;
    const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return 1;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? -1 : 0;
  }

  // Reads what waits on the socket (up to one request of the largest
  // size); false at the end of the stream or on an error.
  bool Receive() {
    char chunk[64 * 1024];
    while (buffer.size() < 4 + static_cast<size_t>(kMaxLinkMacro)) {
      const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
      if (n > 0) {
        buffer.append(chunk, static_cast<size_t>(n));
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else {
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
      }
    }
    return true;
  }

  void Answer(char byte) { ::send(fd_, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT); }

  void Close() {
    if (fd_ < 0) return;
    watch.reset();
    ::close(fd_);
    fd_ = -1;
  }

  std::string buffer;

 private:
  int fd_;
};

TLocalLinkServer::~TLocalLinkServer() { Close(); }

void TLocalLinkServer::Close() {
  for (const std::shared_ptr<TConnection>& link : links_) link->Close();
  links_.clear();
  if (fd_ < 0) return;
  std::erase(LinkServers(), this);
  acceptor_.reset();
  ::close(fd_);
  fd_ = -1;
  ::unlink(path_.c_str());
}

bool TLocalLinkServer::Listen(const std::string& service, const std::string& topic,
                              MacroHandler handler) {
  Close();
  const std::string path = LocalLinkPath(service, topic);
  if (path.empty()) return false;
  int fd = ListenOn(path);
  if (fd < 0 && errno == EADDRINUSE) {
    TLinkClient probe;
    if (probe.Connect(path)) return false;  // a live server holds the pair
    ::unlink(path.c_str());
    fd = ListenOn(path);
  }
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  handler_ = std::move(handler);
  LinkServers().push_back(this);
  Watch();
  return true;
}

void TLocalLinkServer::Watch() {
  TWindowSystem* system = InstalledWindowSystem();
  if (acceptor_ || fd_ < 0 || !system) return;
  acceptor_ = system->WatchSocket(fd_, [this] { Accept(); });
  for (const std::shared_ptr<TConnection>& link : links_) WatchLink(link);
}

void TLocalLinkServer::WatchLink(const std::shared_ptr<TConnection>& link) {
  TWindowSystem* system = InstalledWindowSystem();
  if (link->watch || !system) return;
  const std::weak_ptr<TConnection> weak = link;
  link->watch = system->WatchSocket(link->Socket(), [this, weak] {
    if (const std::shared_ptr<TConnection> alive = weak.lock()) Serve(alive);
  });
}

// Accepts the waiting clients and drops those that left without a word (a
// probe of whether the server lives); true when one has sent a request.
bool TLocalLinkServer::TakeWaitingRequest() {
  Accept();
  bool request = false;
  for (const std::shared_ptr<TConnection>& link : std::vector(links_)) {
    const int state = link->Peek();
    if (state == 0) Drop(link);
    if (state > 0) request = true;
  }
  return request;
}

void WatchWaitingLinks() {
  for (TLocalLinkServer* server : LinkServers()) server->Watch();
}

bool WaitForLinkRequest(int& milliseconds) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
  const auto left = [end] {
    const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<int>(std::max<int64_t>(rest, 0));
  };
  for (;;) {
    std::vector<pollfd> fds;
    for (const TLocalLinkServer* server : LinkServers()) {
      fds.push_back({server->fd_, POLLIN, 0});
      for (const auto& link : server->links_) fds.push_back({link->Socket(), POLLIN, 0});
    }
    const int ready = ::poll(fds.data(), fds.size(), left());
    if (ready < 0 && errno == EINTR) continue;
    bool request = false;
    if (ready > 0) {
      for (TLocalLinkServer* server : std::vector(LinkServers())) request = server->TakeWaitingRequest() || request;
    }
    milliseconds = left();
    if (request) return true;
    if (ready <= 0 || milliseconds == 0) return false;
  }
}

void TLocalLinkServer::Accept() {
  for (;;) {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0 && errno == EINTR) continue;
    if (fd < 0) return;
    auto link = std::make_shared<TConnection>(fd);
    links_.push_back(link);
    if (acceptor_) WatchLink(link);
  }
}

void TLocalLinkServer::Serve(const std::shared_ptr<TConnection>& link) {
  const bool open = link->Receive();
  std::string macro;
  for (;;) {
    const TRequest request = TakeRequest(link->buffer, macro);
    if (request == TRequest::Partial) break;
    if (request == TRequest::TooLong) {
      link->Answer(0);
      Drop(link);
      return;
    }
    link->Answer(1);
    // No second round on this link while the macro runs; the macro may
    // also close this server, so its handler runs from a copy.
    link->watch->SetEnabled(false);
    const MacroHandler handler = handler_;
    handler(macro);
    if (!link->Open()) return;
    link->watch->SetEnabled(true);
  }
  if (!open) Drop(link);
}

void TLocalLinkServer::Drop(const std::shared_ptr<TConnection>& link) {
  link->Close();
  std::erase(links_, link);
}

TLinkResult ExecuteLinkMacro(const std::string& service, const std::string& topic,
                             const std::string& macro, int timeoutMs, const std::string& program) {
  const std::string path = LocalLinkPath(service, topic);
  if (path.empty()) return TLinkResult::NoLink;
  TLinkClient client;
  if (!client.Connect(path)) {
    if (program.empty() || !StartProgram(program)) return TLinkResult::NoLink;
    if (!RunEventsUntil([&] { return client.Connect(path); }, kProgramStartMs)) return TLinkResult::NoLink;
  }
  if (macro.size() > kMaxLinkMacro) return TLinkResult::Refused;
  // The server may be in this program: the event queue runs while the
  // request goes out and the answer is awaited.
  const std::string frame = Frame(macro);
  size_t sent = 0;
  int answer = -1;
  RunEventsUntil(
      [&] {
        if (!client.SendMore(frame, sent)) answer = 0;
        if (answer < 0) answer = client.Answer();
        return answer >= 0;
      },
      timeoutMs);
  return answer == 1 ? TLinkResult::Accepted : TLinkResult::Refused;
}

}  // namespace nura
