// LAN information: user and computer names, host addresses, and the lists
// of the Windows network: a Samba server's disk shares, empty lists where
// nothing answers.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "net/net_test_support.h"
#include "platform/smb_network.h"

namespace nura::test {
namespace {

std::string CommandOutput(const char* command) {
  std::string text;
  if (FILE* pipe = popen(command, "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

class LanTest : public NetCommandTest {};

TEST_F(LanTest, NamesAreThoseOfTheSystem) {
  EXPECT_EQ(Call(CommandId::UserName), CommandOutput("id -un"));
  EXPECT_EQ(Call(CommandId::ComputerName), CommandOutput("hostname"));
  EXPECT_EQ(engine.ResultKind(), "s");
}

TEST_F(LanTest, LocalhostIsTheLoopbackAddress) {
  EXPECT_EQ(Call(CommandId::IpAddress, {"localhost"}), "127.0.0.1");
  EXPECT_EQ(Call(CommandId::IpAddress, {"127.0.0.1"}), "127.0.0.1");
  EXPECT_EQ(Call(CommandId::IpAddress, {""}), "(N/A)");
}

// Inside the test's own network namespace no query can leave the machine.
class LanLookupTest : public NetTest {};

// Without a reachable network the lists are empty, and soon.
TEST_F(LanLookupTest, NetworkListsOfAnUnreachableNetworkAreEmptyWithinTheTimeOut) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Call(CommandId::ListNetworkDomains), "");
  EXPECT_EQ(Call(CommandId::ListNetworkComputers, {"WORKGROUP"}), "");
  EXPECT_EQ(Call(CommandId::ListNetworkComputersWithDomain, {""}), "");
  EXPECT_EQ(Call(CommandId::ListSharedFolders, {"\\\\server"}), "");
  EXPECT_EQ(Call(CommandId::ListSharedFolders, {"10.255.255.1"}), "");
  EXPECT_EQ(engine.Base().args.Count(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5 * kSmbTimeout));
}

// Samba's server on 127.0.0.1:445 of the test's network, with a disk share,
// a printer and its IPC$.
class SmbServerTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    if (IsSkipped()) return;
    if (access("/usr/sbin/smbd", X_OK) != 0) GTEST_SKIP() << "samba is not installed";
    std::string dirs;
    for (const char* d : {"private dir", "lock directory", "state directory", "cache directory",
                          "pid directory", "ncalrpc dir", "binddns dir"}) {
      const std::string path = SubFolder(std::string(d).substr(0, std::string(d).find(' ')));
      dirs += std::string("  ") + d + " = " + path + "\n";
    }
    const std::string docs = SubFolder("docs"), spool = SubFolder("spool");
    conf_ = folder + "/smb.conf";
    WriteFile(conf_, "[global]\n  workgroup = NURATEST\n  netbios name = NURAHOST\n"
                     "  server role = standalone server\n  interfaces = lo\n"
                     "  bind interfaces only = yes\n  smb ports = 445\n  disable netbios = yes\n"
                     "  map to guest = Bad User\n  load printers = no\n  printing = bsd\n"
                     "  printcap name = /dev/null\n  disable spoolss = yes\n"
                     "  log file = " + folder + "/smbd.log\n" + dirs +
                     "[docs]\n  path = " + docs + "\n  guest ok = yes\n"
                     "[printer]\n  path = " + spool + "\n  printable = yes\n  guest ok = yes\n");
  }
  void TearDown() override {
    if (!conf_.empty()) StopHelpersOf(conf_);
    NetTest::TearDown();
  }
  // The server starts its RPC helpers in sessions of their own: they are
  // found by the configuration file on their command line and stopped.
  static void StopHelpersOf(const std::string& conf) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      std::string command = ReadFile(entry.path().string() + "/cmdline");
      if (command.find("--configfile=" + conf) != std::string::npos) kill(std::stoi(name), SIGTERM);
    }
  }
  std::string conf_;
};

TEST_F(SmbServerTest, SharedFoldersAreTheDiskSharesOfTheServer) {
  TPeer smbd({"/usr/sbin/smbd", "-F", "--no-process-group", "-s", conf_}, 445, true);
  ASSERT_TRUE(smbd.Ready()) << ReadFile(folder + "/smbd.log");
  EXPECT_EQ(Call(CommandId::ListSharedFolders, {"127.0.0.1"}), "\\\\127.0.0.1\\docs\r\n")
      << ReadFile(folder + "/smbd.log");
  EXPECT_EQ(Call(CommandId::ListSharedFolders, {"\\\\127.0.0.1"}), "\\\\127.0.0.1\\docs\r\n");
  EXPECT_EQ(engine.ResultKind(), "s");
}

TEST_F(LanLookupTest, AnUnknownNameIsNotAvailable) {
  EXPECT_EQ(Call(CommandId::IpAddress, {"no-such-host.invalid"}), "(N/A)");
}

}  // namespace
}  // namespace nura::test
