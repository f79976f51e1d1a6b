// LAN information: the user, the computer and the IPv4 address of a host.
// The Windows network's domains, computers and shares have no counterpart
// here: those lists are empty.
#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "engine/command_api.h"
#include "net/net_commands.h"
#include "platform/sjis.h"

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

// The domain, computer and share lists: their argument is taken, the list
// is empty.
void EmptyList(TNuraEngine& engine, CommandId id) {
  if (id != CommandId::ListNetworkDomains) PopText(engine);
  SetTextResult(engine, "");
}

}  // namespace

void RegisterLanCommands() {
  RegisterCommandHandler(CommandId::UserName, UserName);
  RegisterCommandHandler(CommandId::ComputerName, ComputerName);
  RegisterCommandHandler(CommandId::IpAddress, IpAddress);
  RegisterCommandHandler(CommandId::ListNetworkComputers, EmptyList);
  RegisterCommandHandler(CommandId::ListNetworkComputersWithDomain, EmptyList);
  RegisterCommandHandler(CommandId::ListNetworkDomains, EmptyList);
  RegisterCommandHandler(CommandId::ListSharedFolders, EmptyList);
}

}  // namespace nura
