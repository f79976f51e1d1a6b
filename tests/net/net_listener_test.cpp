// The listener of active-mode FTP data connections on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "net/net_connection.h"
#include "net/net_test_support.h"

namespace nura {
namespace {

// A connection from `from` to 127.0.0.1:`port` that sends `text`.
int ConnectAndSend(const char* from, int port, const std::string& text) {
  const int fd = test::ConnectFrom(from, port, 1);
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
