// The listener of active-mode FTP data connections on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "net/net_connection.h"

namespace nura {
namespace {

// A connection from `from` to 127.0.0.1:`port` that sends `text`.
int ConnectAndSend(const char* from, int port, const std::string& text) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  inet_pton(AF_INET, from, &local.sin_addr);
  remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  remote.sin_port = htons(static_cast<uint16_t>(port));
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote), 0);
  EXPECT_EQ(send(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  return fd;
}

TEST(NetListener, TakesOnlyTheExpectedPeersConnection) {
  TNetListener listener;
  listener.Listen("127.0.0.1");
  const int intruder = ConnectAndSend("127.0.0.2", listener.Port(), "intruder");
  const int server = ConnectAndSend("127.0.0.1", listener.Port(), "server");
  TNetWaiting waiting;
  waiting.idleTimeoutMs = 5000;
  TNetConnection accepted = listener.Accept(waiting, "127.0.0.1");
  EXPECT_EQ(accepted.PeerAddress(), "127.0.0.1");
  EXPECT_EQ(accepted.ReadSome(waiting), "server");
  // The intruder's connection was closed.
  char byte = 0;
  EXPECT_LE(recv(intruder, &byte, 1, 0), 0);  // reset, its text unread
  close(intruder);
  close(server);
}

}  // namespace
}  // namespace nura
