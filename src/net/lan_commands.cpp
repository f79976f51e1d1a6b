// LAN information: the user, the computer and the IPv4 address of a host,
// and the Windows network's workgroups, computers and disk shares through
// Samba's client library. Lists hold one remote name per line, each ended
// by CR LF; a network that cannot be reached gives an empty list.
#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/command_api.h"
#include "net/net_commands.h"
#include "engine/sjis_text.h"
#include "platform/sjis.h"
#include "platform/smb_network.h"

namespace nura {
namespace {

std::string GetLanUserName() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry && entry->pw_name ? Utf8ToSjis(entry->pw_name) : std::string();
}

std::string GetLanComputerName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return Utf8ToSjis(name);
}

std::string GetHostIpAddress(const std::string& host) {
  static const std::string kNotFound = "(N/A)";
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(SjisToUtf8(host).c_str(), nullptr, &hints, &found) != 0) return kNotFound;
  std::string text = kNotFound;
  if (found && found->ai_family == AF_INET) {
    char dotted[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    if (::inet_ntop(AF_INET, &address->sin_addr, dotted, sizeof dotted)) text = dotted;
  }
  ::freeaddrinfo(found);
  return text;
}

void UserName(TNuraEngine& engine, CommandId) { SetTextResult(engine, GetLanUserName()); }

void ComputerName(TNuraEngine& engine, CommandId) { SetTextResult(engine, GetLanComputerName()); }

void IpAddress(TNuraEngine& engine, CommandId) { SetTextResult(engine, GetHostIpAddress(PopText(engine))); }

// Each name (UTF-8) as Shift-JIS after `prefix`, one per line.
std::string Lines(const std::vector<std::string>& names, const std::string& prefix) {
  std::string text;
  for (const std::string& name : names) text += prefix + Utf8ToSjis(name) + "\r\n";
  return text;
}

std::string ListLanDomains() { return Lines(ListSmbEntries("smb://", TSmbEntryKind::Workgroup), ""); }

// A computer's remote name is "\\" and its name; with `withDomain` the
// domain text stands directly before it. Without a domain: every domain's
// computers.
std::string ListLanComputers(const std::string& domain, bool withDomain) {
  if (!domain.empty()) {
    const auto names = ListSmbEntries("smb://" + SjisToUtf8(domain), TSmbEntryKind::Server);
    return Lines(names, (withDomain ? domain : std::string()) + "\\\\");
  }
  std::string all, rest = ListLanDomains();
  while (!rest.empty()) {
    const std::string line = TrimText(CutToken("\n", rest));
    if (line.empty()) continue;
    const std::string computers = TrimText(ListLanComputers(line, withDomain));
    if (!computers.empty()) all += computers + "\r\n";
  }
  return TrimText(all);
}

// A share's remote name is "\\computer\share"; disk shares only.
std::string ListLanShares(std::string computer) {
  if (computer.compare(0, 2, "\\\\") == 0) computer.erase(0, 2);
  if (computer.empty()) return "";
  const auto names = ListSmbEntries("smb://" + SjisToUtf8(computer), TSmbEntryKind::DiskShare);
  return Lines(names, "\\\\" + computer + "\\");
}

void NetworkComputers(TNuraEngine& engine, CommandId id) {
  const std::string domain = PopText(engine);
  SetTextResult(engine, ListLanComputers(domain, id == CommandId::ListNetworkComputersWithDomain));
}

void NetworkDomains(TNuraEngine& engine, CommandId) { SetTextResult(engine, ListLanDomains()); }

void SharedFolders(TNuraEngine& engine, CommandId) {
  SetTextResult(engine, ListLanShares(PopText(engine)));
}

}  // namespace

constexpr CommandEntry kLanCommands[] = {
    {CommandId::UserName, UserName},
    {CommandId::ComputerName, ComputerName},
    {CommandId::IpAddress, IpAddress},
    {CommandId::ListNetworkComputers, NetworkComputers},
    {CommandId::ListNetworkComputersWithDomain, NetworkComputers},
    {CommandId::ListNetworkDomains, NetworkDomains},
    {CommandId::ListSharedFolders, SharedFolders},
};

void RegisterLanCommands() { RegisterCommandTable(kLanCommands); }

}  // namespace nura
