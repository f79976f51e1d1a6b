// The local-socket links under DDE and the editor link, in one process.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net/local_link.h"
#include "net/script_events.h"
#include "platform/sjis.h"
#include "common/qt_app.h"
#include "common/run_program.h"

namespace nura::test {
namespace {

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

class LocalLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtApplication();
    folder_ = MakeTempFolder();
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  }
  void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }

  std::string folder_;
};

TEST_F(LocalLinkTest, MacrosArriveWholeAndNamesIgnoreCase) {
  std::vector<std::string> received;
  TLocalLinkServer server;
  ASSERT_TRUE(server.Listen("Svc", SJ("話題/Ａ"), [&](const std::string& m) { received.push_back(m); }));
  const std::string macro = SJ("表示\r\n二行目") + std::string("\0x", 2);
  EXPECT_EQ(ExecuteLinkMacro("SVC", SJ("話題/ａ"), macro, 5000), TLinkResult::Accepted);
  EXPECT_EQ(ExecuteLinkMacro("svc", "other", "x", 5000), TLinkResult::NoLink);
  // Larger than a socket's buffer: it goes out while the server takes it in.
  const std::string large(kMaxLinkMacro, 'a');
  EXPECT_EQ(ExecuteLinkMacro("svc", SJ("話題/Ａ"), large, 5000), TLinkResult::Accepted);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], macro);
  EXPECT_EQ(received[1], large);

  struct stat info {};
  ASSERT_EQ(stat(LocalLinkFolder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_EQ(LocalLinkFolder(), folder_ + "/nurasera-dde");
}

TEST_F(LocalLinkTest, AFolderThatCannotBeOursIsNamedWithItsOwner) {
  const std::string folder = folder_ + "/nurasera-dde";
  EXPECT_EQ(LocalLinkFolderProblem(), "");
  ASSERT_EQ(rmdir(folder.c_str()), 0);
  test::WriteSjisFile(folder, "not a folder");
  EXPECT_EQ(LocalLinkFolder(), "");
  EXPECT_EQ(SjisToUtf8(LocalLinkFolderProblem()), "通信用のフォルダ\"" + folder + "\"を作れません。");
  unlink(folder.c_str());
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the folder to a second user";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(chown(folder.c_str(), 54321, 54321), 0);
  EXPECT_EQ(LocalLinkFolder(), "");
  EXPECT_EQ(SjisToUtf8(LocalLinkFolderProblem()),
            "通信用のフォルダ\"" + folder + "\"は別の利用者\"54321\"のものなので使えません。");
  TLocalLinkServer server;
  EXPECT_FALSE(server.Listen("svc", "topic", [](const std::string&) {}));
}

TEST_F(LocalLinkTest, ALiveServerKeepsItsPairAndAStaleFileIsReplaced) {
  TLocalLinkServer first;
  ASSERT_TRUE(first.Listen("svc", "topic", [](const std::string&) {}));
  TLocalLinkServer second;
  EXPECT_FALSE(second.Listen("SVC", "TOPIC", [](const std::string&) {}));

  // A socket file whose program ended: bound once, never listened on.
  const std::string path = LocalLinkPath("gone", "topic");
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = AddressOf(path);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(fd);
  {
    TLocalLinkServer replacing;
    EXPECT_TRUE(replacing.Listen("gone", "topic", [](const std::string&) {}));
  }
  // A server that ends takes its socket file with it.
  EXPECT_NE(access(path.c_str(), F_OK), 0);
}

TEST_F(LocalLinkTest, ARequestOverTheLimitIsRefused) {
  bool called = false;
  TLocalLinkServer server;
  ASSERT_TRUE(server.Listen("svc", "topic", [&](const std::string&) { called = true; }));
  const int client = socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = AddressOf(LocalLinkPath("svc", "topic"));
  ASSERT_EQ(connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const uint32_t n = kMaxLinkMacro + 1;
  const char head[4] = {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                        static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
  ASSERT_EQ(send(client, head, 4, 0), 4);
  char answer = 'x';
  ASSERT_TRUE(RunEventsUntil([&] { return recv(client, &answer, 1, MSG_DONTWAIT) == 1; }, 5000));
  EXPECT_EQ(answer, '\0');
  EXPECT_EQ(recv(client, &answer, 1, 0), 0);  // and the link is closed
  close(client);
  EXPECT_FALSE(called);
}

// Before the event loop a program waits on its links itself: a client that
// connects and leaves without a word (a probe of whether the server lives)
// is dropped and the wait goes on; a request ends it, waiting on the socket
// for the event loop that then serves it.
TEST_F(LocalLinkTest, AWaitWithoutEventLoopEndsAtARequestNotAtAProbe) {
  std::string received;
  TLocalLinkServer server;
  ASSERT_TRUE(server.Listen("svc", "wait", [&](const std::string& macro) { received = macro; }));
  const sockaddr_un address = AddressOf(LocalLinkPath("svc", "wait"));
  const auto connectClient = [&] {
    const int client = socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    return client;
  };
  close(connectClient());
  int milliseconds = 150;
  EXPECT_FALSE(WaitForLinkRequest(milliseconds));
  EXPECT_EQ(milliseconds, 0);

  const int client = connectClient();
  const char request[] = {2, 0, 0, 0, 'h', 'i'};
  ASSERT_EQ(send(client, request, sizeof request, 0), static_cast<ssize_t>(sizeof request));
  milliseconds = 5000;
  EXPECT_TRUE(WaitForLinkRequest(milliseconds));
  EXPECT_GT(milliseconds, 0);
  EXPECT_EQ(received, "");  // not taken yet: the event loop serves it
  WatchWaitingLinks();
  char answer = 'x';
  ASSERT_TRUE(RunEventsUntil([&] { return recv(client, &answer, 1, MSG_DONTWAIT) == 1; }, 5000));
  EXPECT_EQ(answer, '\1');
  EXPECT_EQ(received, "hi");
  close(client);
}

}  // namespace
}  // namespace nura::test
