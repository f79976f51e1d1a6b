// LAN information: user and computer names, host addresses, and the empty
// lists of the Windows network.
#include <cstdio>
#include <string>

#include "net/net_test_support.h"

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

TEST_F(LanTest, NetworkListsAreEmpty) {
  EXPECT_EQ(Call(CommandId::ListNetworkDomains), "");
  EXPECT_EQ(Call(CommandId::ListNetworkComputers, {"WORKGROUP"}), "");
  EXPECT_EQ(Call(CommandId::ListNetworkComputersWithDomain, {""}), "");
  EXPECT_EQ(Call(CommandId::ListSharedFolders, {"\\\\server"}), "");
  EXPECT_EQ(engine.Base().args.Count(), 0);
}

// Inside the test's own network namespace no query can leave the machine.
class LanLookupTest : public NetTest {};

TEST_F(LanLookupTest, AnUnknownNameIsNotAvailable) {
  EXPECT_EQ(Call(CommandId::IpAddress, {"no-such-host.invalid"}), "(N/A)");
}

}  // namespace
}  // namespace nura::test
