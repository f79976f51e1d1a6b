// A console-mode script whose connection attempt failed ends when it
// reaches its end: the failed attempt leaves nothing that keeps the event
// loop running.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "common/run_program.h"

namespace nura::test {
namespace {

// A loopback port that refuses connections: bound, but not listening, for
// as long as the object lives.
class TRefusingPort {
 public:
  TRefusingPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~TRefusingPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(FailedConnect, ScriptEndsAtItsEnd) {
  const TRefusingPort refusing;
  ASSERT_NE(refusing.Port(), 0);
  const std::string work = MakeTempFolder();
  WriteSjisFile(work + "/connect.nrs", "エラーを無視\nTCPポート=" + std::to_string(refusing.Port()) +
                                           "\n「127.0.0.1」へTCP接続\nTCP接続状態を言う\n「終」と言う\n");
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult result = RunProgram({"connect.nrs"}, work);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(result.out, "未接続\n終\n");
  EXPECT_EQ(result.status, 0) << result.err;
  // The fault held the script for ever; the bound leaves room for the
  // sanitized start-up on a loaded machine.
  EXPECT_LT(seconds, 15.0);
}

}  // namespace
}  // namespace nura::test
