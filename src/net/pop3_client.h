// A small POP3 client (RFC 1939): USER, PASS, STAT, RETR, DELE, QUIT. Every
// wait runs the connection's idle hook (the event queue). Failures are
// ENetError with a Shift-JIS text, the server's own reply where it gave one.
#pragma once

#include <cstddef>
#include <string>

#include "net/net_connection.h"

namespace nura {

class TPop3Client {
 public:
  static constexpr int kPort = 110;
  static constexpr int kConnectTimeoutMs = 20000;
  static constexpr size_t kMaxMessageBytes = size_t{256} << 20;

  explicit TPop3Client(TNetWaiting waiting) : waiting_(std::move(waiting)) {}

  // Connects and reads the greeting.
  void Connect(const std::string& host, int port = kPort);
  void Login(const std::string& user, const std::string& password);
  // The number of mails in the mailbox.
  int Stat();
  // Mail `number` (1-based) as it was sent, lines ended by CR LF; a mail
  // larger than the limit is refused (the connection is then unusable).
  std::string Retrieve(int number);
  // Marks mail `number` for deletion when the session ends with QUIT.
  void Delete(int number);
  // Ends the session with QUIT (the server then deletes what was marked).
  void Quit();
  // Drops the connection without QUIT: the server deletes nothing.
  void Drop() { connection_.Close(); }
  bool IsConnected() const { return connection_.IsOpen(); }
  void SetMaxMessageBytes(size_t limit) { maxMessageBytes_ = limit; }

 private:
  // Sends `command` (CR LF added) and reads the "+OK" reply; its text.
  std::string Command(const std::string& command);
  std::string ReadReply();

  TNetWaiting waiting_;
  TNetConnection connection_;
  size_t maxMessageBytes_ = kMaxMessageBytes;
};

}  // namespace nura
