#include "net/net_connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/sjis.h"

namespace nura {
namespace {

constexpr int kSliceMs = 50;

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const char* utf8) { throw ENetError(SJ(utf8)); }

void MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

// Polls `fd` for `events` in slices until ready, the deadline or a stop.
// True when ready; false on timeout.
bool PollUntil(int fd, short events, Clock::time_point deadline, const TNetWaiting& waiting) {
  for (;;) {
    if (waiting.stopped && waiting.stopped()) Fail("中止しました。");
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, events, 0};
    const int n = poll(&p, 1, static_cast<int>(std::min<int64_t>(left.count(), kSliceMs)));
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) Fail("通信に失敗しました。");
    if (waiting.idle) waiting.idle();
  }
}

std::string NumericAddress(const sockaddr_storage& address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
  } else {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
  }
  return text;
}

// Tries one resolved address; the connected socket or -1.
int ConnectOne(const addrinfo& ai, Clock::time_point deadline, const TNetWaiting& waiting,
               bool& timedOut) {
  const int fd = socket(ai.ai_family, ai.ai_socktype | SOCK_CLOEXEC, ai.ai_protocol);
  if (fd < 0) return -1;
  MakeNonBlocking(fd);
  if (connect(fd, ai.ai_addr, ai.ai_addrlen) == 0) return fd;
  if (errno == EINPROGRESS) {
    try {
      if (!PollUntil(fd, POLLOUT, deadline, waiting)) {
        timedOut = true;
        close(fd);
        return -1;
      }
    } catch (...) {
      close(fd);
      throw;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) return fd;
  }
  close(fd);
  return -1;
}

}  // namespace

TNetConnection& TNetConnection::operator=(TNetConnection&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    buffer_ = std::move(other.buffer_);
    other.fd_ = -1;
  }
  return *this;
}

void TNetConnection::Connect(const std::string& host, int port, int timeoutMs,
                             const TNetWaiting& waiting) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (host.empty() || getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    Fail("ホストが見つかりません。");
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool timedOut = false;
  try {
    for (addrinfo* ai = found; ai && fd_ < 0; ai = ai->ai_next) {
      fd_ = ConnectOne(*ai, deadline, waiting, timedOut);
      if (timedOut) break;
    }
  } catch (...) {
    freeaddrinfo(found);
    throw;
  }
  freeaddrinfo(found);
  if (fd_ < 0) Fail(timedOut ? "接続が時間切れになりました。" : "ホストに接続できません。");
  const int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void TNetConnection::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  buffer_.clear();
}

void TNetConnection::WaitFor(short events, const TNetWaiting& waiting) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(waiting.idleTimeoutMs);
  if (!PollUntil(fd_, events, deadline, waiting)) Fail("通信が時間切れになりました。");
}

void TNetConnection::SendAll(std::string_view bytes, const TNetWaiting& waiting) {
  if (fd_ < 0) Fail("接続されていません。");
  while (!bytes.empty()) {
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      WaitFor(POLLOUT, waiting);
    } else {
      Fail("接続が切れました。");
    }
  }
}

bool TNetConnection::FillBuffer(const TNetWaiting& waiting) {
  if (fd_ < 0) Fail("接続されていません。");
  char block[16384];
  for (;;) {
    const ssize_t n = recv(fd_, block, sizeof block, 0);
    if (n > 0) {
      buffer_.append(block, static_cast<size_t>(n));
      return true;
    }
    if (n == 0) return false;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
      WaitFor(POLLIN, waiting);
      continue;
    }
    Fail("接続が切れました。");
  }
}

std::string TNetConnection::ReadLine(const TNetWaiting& waiting, size_t maxLength) {
  size_t scanned = 0;
  for (;;) {
    const size_t lf = buffer_.find('\n', scanned);
    if (lf != std::string::npos) {
      std::string line = buffer_.substr(0, lf);
      buffer_.erase(0, lf + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    scanned = buffer_.size();
    if (scanned > maxLength) Fail("受信した行が長すぎます。");
    if (!FillBuffer(waiting)) Fail("接続が切れました。");
  }
}

std::string TNetConnection::ReadSome(const TNetWaiting& waiting, size_t maxBytes) {
  if (buffer_.empty() && !FillBuffer(waiting)) return "";
  const size_t n = std::min(maxBytes, buffer_.size());
  std::string bytes = buffer_.substr(0, n);
  buffer_.erase(0, n);
  return bytes;
}

std::string TNetConnection::LocalAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (fd_ < 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "";
  return NumericAddress(address);
}

std::string TNetConnection::PeerAddress() const {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (fd_ < 0 || getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return "";
  return NumericAddress(address);
}

void TNetListener::Listen(const std::string& address) {
  Close();
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_PASSIVE;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(address.c_str(), "0", &hints, &found) != 0 || !found) {
    Fail("待ち受けの準備に失敗しました。");
  }
  fd_ = socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol);
  const bool ok = fd_ >= 0 && bind(fd_, found->ai_addr, found->ai_addrlen) == 0 && listen(fd_, 1) == 0;
  freeaddrinfo(found);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  if (!ok || getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    Close();
    Fail("待ち受けの準備に失敗しました。");
  }
  MakeNonBlocking(fd_);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6&>(bound).sin6_port
                                             : reinterpret_cast<sockaddr_in&>(bound).sin_port);
}

TNetConnection TNetListener::Accept(const TNetWaiting& waiting, const std::string& peer) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(waiting.idleTimeoutMs);
  for (;;) {
    const int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd >= 0) {
      TNetConnection connection(fd);
      if (peer.empty() || connection.PeerAddress() == peer) return connection;
      continue;  // another host's connection is dropped; the wait goes on
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Fail("データ接続に失敗しました。");
    if (!PollUntil(fd_, POLLIN, deadline, waiting)) Fail("データ接続が時間切れになりました。");
  }
}

void TNetListener::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  port_ = 0;
}

}  // namespace nura
