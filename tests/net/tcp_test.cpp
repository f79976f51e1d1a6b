// TCP commands in whole scripts run by the program (console mode), each a
// server and a client of its own on loopback.
#include <gmock/gmock.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "net/net_test_support.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

using ::testing::HasSubstr;

// A loopback port that nothing listens on just now.
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

// A listener that never accepts, its queue filled: a further connect gets
// no answer at all.
class TFullListener {
 public:
  TFullListener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 0);
    socklen_t size = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 4; ++i) {
      const int client = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address);
      clients_.push_back(client);
    }
  }
  ~TFullListener() {
    for (int client : clients_) close(client);
    close(fd_);
  }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::vector<int> clients_;
};

class TcpProgramTest : public NetTest {
 protected:
  ProgramResult RunScript(const std::string& utf8) {
    WriteSjisFile(folder + "/tcp.nrs", utf8);
    return RunProgram({"tcp.nrs"}, folder);
  }
  // The script with "TCPポート" set to a free port first.
  ProgramResult RunOnFreePort(const std::string& utf8) {
    return RunScript("TCPポートは「" + std::to_string(FreePort()) + "」\n" + utf8);
  }
};

TEST_F(TcpProgramTest, ServerAndClientOfItsOwn) {
  const ProgramResult result = RunOnFreePort(
      "TCP切断\n"
      "TCP接続状態を言う\n"
      "TCPサーバー終了\n"
      "TCP接続状態を言う\n"
      "TCPサーバー起動\n"
      "TCP接続状態を言う\n"
      "「127.0.0.1」へTCP接続\n"
      "TCP接続状態を言う\n"
      "0.5秒待つ\n"  // the client's name comes a moment later
      "TCPサーバー接続先列挙\n"
      "「[{それ}]」を言う\n"
      "「hello」をTCP送信\n"
      "0.5秒待つ\n"
      "「{TCP文字列}/{TCP送信元}」を言う\n"
      "「localhost」へ「world」をTCPサーバーから送信\n"
      "0.5秒待つ\n"
      "TCP文字列を言う\n"
      "「LOCALHOST」をTCPサーバーから切断\n"
      "0.5秒待つ\n"
      "TCP接続状態を言う\n"
      "TCPサーバー接続先列挙\n"
      "「[{それ}]」を言う\n"
      "「受信」にTCPサーバー受信処理設定\n"
      "「127.0.0.1」へTCP接続\n"
      "「again」をTCP送信\n"
      "「待機」を言う\n"
      "待機\n"
      "*受信\n"
      "「受信:{TCP文字列}」を言う\n"
      "TCP切断\n"
      "TCPサーバー終了\n"
      "「おわり」を言う\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "切断\n停止中\n起動中\n接続中\n[127.0.0.1,localhost\n]\nhello/127.0.0.1,localhost\n"
            "world\n未接続\n[]\n待機\n受信:again\nおわり\n");
}

TEST_F(TcpProgramTest, RestartingTheServerForgetsItsClientsAndReceiveLabel) {
  const ProgramResult result = RunOnFreePort(
      "TCPサーバー起動\n"
      "「受信」にTCPサーバー受信処理設定\n"
      "「接続」にTCPサーバー接続処理設定\n"
      "「127.0.0.1」へTCP接続\n"
      "0.5秒待つ\n"
      "TCPサーバー起動\n"
      "TCPサーバー接続先列挙\n"
      "「[{それ}]」を言う\n"
      "0.5秒待つ\n"
      "TCP接続状態を言う\n"
      "「127.0.0.1」へTCP接続\n"
      "「x」をTCP送信\n"
      "0.5秒待つ\n"
      "「{TCP文字列}」を言う\n"
      "終わり\n"
      "*受信\n"
      "「受信」を言う\n"
      "戻る\n"
      "*接続\n"
      "「接続:{TCP送信元}」を言う\n"
      "戻る\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "接続:127.0.0.1,localhost\n[]\n未接続\n接続:127.0.0.1,localhost\nx\n");
}

TEST_F(TcpProgramTest, ConnectErrors) {
  ProgramResult result = RunOnFreePort("「127.0.0.1」へTCP接続\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("TCP/IPのエラー。サーバー\"127.0.0.1\"へ接続できませんでした。未接続"));
  result = RunScript("「 」へTCP接続\n");
  EXPECT_THAT(result.err, HasSubstr("\"TCP接続\"命令の引数に誤りがあります。接続先が設定されていません"));
  result = RunScript("「x」をTCP送信\n");
  EXPECT_THAT(result.err, HasSubstr("サーバーへの送信に失敗。"));
  result = RunScript("「127.0.0.1」へ「x」をTCPサーバーから送信\n");
  EXPECT_THAT(result.err, HasSubstr("TCP/IPのエラー。サーバーがアクティブではありません。"));
  result = RunScript("「」へ「x」をTCPサーバーから送信\n");
  EXPECT_THAT(result.err, HasSubstr("TCP/IPのエラー。相手先が設定されていません"));
  result = RunScript("「無い」にTCP受信処理設定\n");
  EXPECT_THAT(result.err, HasSubstr("未定義のラベル\"無い\"に、ジャンプしようとしました。"));
}

TEST_F(TcpProgramTest, AServerThatNeverAnswersTimesOut) {
  TFullListener listener;
  const ProgramResult result =
      RunScript("TCPポートは「" + std::to_string(listener.Port()) + "」\n「127.0.0.1」へTCP接続\n");
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("TCP/IPのエラー。サーバー\"127.0.0.1\"へ接続できませんでした。タイムアップ"));
}

// The first IPv4 name server of /etc/resolv.conf made to take every
// question and answer none: its address put on the loopback device of the
// test's own network, a UDP socket bound to port 53 there. Empty `Address`
// when there is no such server line.
class TSilentNameServer {
 public:
  TSilentNameServer() {
    std::ifstream conf("/etc/resolv.conf");
    std::string word, value;
    while (conf >> word) {
      if (word == "nameserver" && conf >> value && inet_pton(AF_INET, value.c_str(), &address_.sin_addr) == 1) break;
      value.clear();
    }
    if (value.empty()) return;
    if ((ntohl(address_.sin_addr.s_addr) >> 24) != 127) {
      if (std::system(("ip addr add " + value + "/32 dev lo 2>/dev/null").c_str()) != 0) return;
    }
    address_.sin_family = AF_INET;
    address_.sin_port = htons(53);
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address_), sizeof address_) == 0) server_ = value;
  }
  ~TSilentNameServer() {
    if (fd_ >= 0) close(fd_);
  }
  const std::string& Address() const { return server_; }

 private:
  sockaddr_in address_{};
  int fd_ = -1;
  std::string server_;
};

// Clients whose name the name server never gives: the script, its waits
// and its connect events go on, each client named by its address.
TEST_F(TcpProgramTest, ANameServerThatNeverAnswersHoldsNothingUp) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to put the name server's address on the loopback device";
  TSilentNameServer nameServer;
  if (nameServer.Address().empty()) GTEST_SKIP() << "no IPv4 name server in /etc/resolv.conf to stand in for";
  const int port = FreePort();
  std::vector<int> clients;
  std::thread connecting([&] {
    for (int i = 0; i < 3; ++i) clients.push_back(ConnectFrom("127.0.0.77", port));
  });
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult result = RunScript("TCPポートは「" + std::to_string(port) +
                                         "」\n"
                                         "TCPサーバー起動\n"
                                         "「接続」にTCPサーバー接続処理設定\n"
                                         "4秒待つ\n"
                                         "「途中」を言う\n"
                                         "TCPサーバー接続先列挙\n"
                                         "「[{それ}]」を言う\n"
                                         "終わり\n"
                                         "*接続\n"
                                         "「接続:{TCP送信元}」を言う\n"
                                         "戻る\n");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  connecting.join();
  for (int fd : clients) close(fd);
  EXPECT_EQ(result.err, "");
  const std::string line = "127.0.0.77,127.0.0.77";
  EXPECT_EQ(result.out, "接続:" + line + "\n接続:" + line + "\n接続:" + line + "\n途中\n[" + line + "\n" + line +
                            "\n" + line + "\n]\n");
  // Lookups that block would take the resolver's 10 s each, 30 s for the
  // three; the bound leaves room for a loaded machine.
  EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace nura::test
