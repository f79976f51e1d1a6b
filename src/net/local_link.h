// Links between programs over local sockets, in place of DDE conversations:
// a server serves one (service, topic) pair and runs each macro that a
// client executes on it. Names are compared without regard to case. The
// socket files (AF_UNIX stream sockets, driven by the event queue) live in
// a per-user folder of mode 0700.
//
// On a link a request is a 32-bit little-endian length (at most
// kMaxLinkMacro) followed by the macro's Shift-JIS bytes; the answer is one
// byte, 1 when the server took the macro, 0 when it refused it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace nura {

constexpr uint32_t kMaxLinkMacro = 1024 * 1024;

// The folder of the socket files: "nurasera-dde" in the runtime folder
// ($XDG_RUNTIME_DIR), else "/tmp/nurasera-dde-<uid>"; made with mode 0700
// on first use. Empty when it cannot be made private to the user.
std::string LocalLinkFolder();

// Why LocalLinkFolder() is empty, naming the folder (and its owner when it
// is another user's); empty when the folder is fine. Shift-JIS.
std::string LocalLinkFolderProblem();

// The socket file of (service, topic) in LocalLinkFolder(); empty without.
std::string LocalLinkPath(const std::string& service, const std::string& topic);

// This program's service name: the base name of its executable.
std::string OwnServiceName();

class TLocalLinkServer {
 public:
  using MacroHandler = std::function<void(const std::string& macro)>;

  TLocalLinkServer() = default;
  ~TLocalLinkServer();
  TLocalLinkServer(const TLocalLinkServer&) = delete;
  TLocalLinkServer& operator=(const TLocalLinkServer&) = delete;

  // Serves (service, topic). A socket file left by a program that ended is
  // removed first (only after a connect to it failed). False when a live
  // server holds the pair or the socket cannot be made.
  // Its requests are served by the event loop: from here on if the window
  // system is up, else from Watch() on.
  bool Listen(const std::string& service, const std::string& topic, MacroHandler handler);
  // Once the window system is up: serves the requests from now on.
  void Watch();

 private:
  friend bool WaitForLinkRequest(int& milliseconds);

  class TConnection;

  void Close();
  void Accept();
  void WatchLink(const std::shared_ptr<TConnection>& link);
  bool TakeWaitingRequest();
  // Answers and runs the complete requests that arrived on `link`.
  void Serve(const std::shared_ptr<TConnection>& link);
  void Drop(const std::shared_ptr<TConnection>& link);

  int fd_ = -1;  // the listening socket
  std::string path_;
  std::unique_ptr<TSocketWatch> acceptor_;
  MacroHandler handler_;
  std::vector<std::shared_ptr<TConnection>> links_;
};

// Once the event loop exists: every server listening without it is served
// from now on.
void WatchWaitingLinks();
// Before the event loop exists: waits up to `milliseconds` for a request to
// any listening server (sleeps without one), accepting the clients that
// come and dropping those that leave without one; true when a request
// waits, with `milliseconds` set to the time that is left.
bool WaitForLinkRequest(int& milliseconds);

enum class TLinkResult { Accepted, NoLink, Refused };

// Opens a link to (service, topic), executes `macro` on it and closes it.
// While it waits for the answer (at most `timeoutMs`) the event queue runs,
// so a program may send to its own topics. When no server answers and
// `program` is not empty, the program is started and the link retried for
// a bounded time.
TLinkResult ExecuteLinkMacro(const std::string& service, const std::string& topic,
                             const std::string& macro, int timeoutMs,
                             const std::string& program = "");

}  // namespace nura
