// Blocking TCP connections for the run-time's own protocol clients (POP3,
// FTP). Every wait polls the socket in short slices; between slices the
// connection calls its idle hook (the program runs its event queue there)
// and checks its stop flag, so a wait never freezes the window and the
// progress window's stop button can end it. Messages are Shift-JIS.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nura {

// A failed network operation; what() is a Shift-JIS text for the user.
class ENetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a connection does while it waits: `idle` runs between poll slices,
// `stopped` ends the wait with an error when it turns true.
struct TNetWaiting {
  std::function<void()> idle;
  std::function<bool()> stopped;
  int idleTimeoutMs = 60000;  // a read or write that makes no progress this long fails
};

class TNetConnection {
 public:
  TNetConnection() = default;
  explicit TNetConnection(int fd) : fd_(fd) {}
  ~TNetConnection() { Close(); }
  TNetConnection(TNetConnection&& other) noexcept : fd_(other.fd_), buffer_(std::move(other.buffer_)) {
    other.fd_ = -1;
  }
  TNetConnection& operator=(TNetConnection&& other) noexcept;
  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  // Resolves `host` (a name or a numeric address) and connects within
  // `timeoutMs`. ENetError on failure.
  void Connect(const std::string& host, int port, int timeoutMs, const TNetWaiting& waiting);
  bool IsOpen() const { return fd_ >= 0; }
  void Close();

  void SendAll(std::string_view bytes, const TNetWaiting& waiting);
  // One line without its CR LF (a lone LF also ends it). ENetError when the
  // peer closes first or the line grows beyond `maxLength`.
  std::string ReadLine(const TNetWaiting& waiting, size_t maxLength = 64 * 1024);
  // Up to `maxBytes` bytes; an empty result means the peer closed.
  std::string ReadSome(const TNetWaiting& waiting, size_t maxBytes = 64 * 1024);

  // The numeric addresses of both ends ("127.0.0.1", "::1").
  std::string LocalAddress() const;
  std::string PeerAddress() const;

 private:
  // Waits until the socket is ready for `events`; ENetError on timeout or stop.
  void WaitFor(short events, const TNetWaiting& waiting) const;
  bool FillBuffer(const TNetWaiting& waiting);

  int fd_ = -1;
  std::string buffer_;  // bytes read but not yet handed out
};

// A listening socket for one incoming connection (active-mode FTP data).
class TNetListener {
 public:
  ~TNetListener() { Close(); }
  // Listens on `address` (numeric) with a port the system picks.
  void Listen(const std::string& address);
  int Port() const { return port_; }
  // Accepts the first connection from `peer` (numeric; any when empty),
  // closing those from elsewhere; ENetError on timeout or stop.
  TNetConnection Accept(const TNetWaiting& waiting, const std::string& peer = "");
  void Close();

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace nura
